#pragma once
// The catalogue's side of the shared picture handlers: the product picture
// of the model shown on the catalogue tab. The customer tab's handlers
// (customers/HistoryPictures.h) hand these on by the tab shown.

// Registration for CmdPicReg(2) (module model) and CmdPicReg(4)
// (power-conditioner model).
void ModelPicReg_Click(int index);
// Removal of the shown model's picture; `side` is the catalogue's sub-tab
// shown (0 modules, 1 power conditioners).
void ModelPicDelete_Click(int side);
