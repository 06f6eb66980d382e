#pragma once
// Site pictures of the construction histories (four slots per history) and
// the picture handlers the customer and catalogue tabs share: registration
// (`CmdPicReg`), removal (`MnuPicDelete`) and the slot choice (`OpPicSel`).
// The catalogue's side is catalog/ModelPictures.h.
#include <QPoint>
#include <QString>

#include <Qt>

// The slot choice `OpPicSel`: shows slot `index` of the shown history.
void OpPicSel_Click(int index);
// Picture registration: 0 the shown history's chosen slot, 2 the shown
// module model, 4 the shown power-conditioner model.
void CmdPicReg_Click(int index);
// A mouse button on option `index`: the right button over the chosen slot
// of a picture opens the picture pop-up menu at `globalPos`.
void OpPicSel_MouseDown(int index, Qt::MouseButton button, const QPoint& globalPos);
// The picture pop-up menu's item: clears the reference of the picture shown
// on the tab shown (the picture file stays in its folder).
void MnuPicDelete_Click();

// The folder of history page `page` of the loaded customer as it lies on
// disk (the folder it was read from or last saved to); empty when no saved
// customer is loaded.
QString HistoryFolderPath(int page);
