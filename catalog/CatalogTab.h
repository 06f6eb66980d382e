#pragma once
// What the main window calls of the catalogue tab and of the array
// configuration window.

// Read every model file of MODULE_DATA / POWER_CONDITIONER_DATA into the
// module or the power-conditioner catalogue.
void ModuleDataRead();
void PowConDataRead();
// Fill the maker grid `MfgMakerList_0` / `_1` (header UI text 211 / 264),
// empty the model grid `MfgSerialNoList_0` / `_1` (header 212 / 265) and
// clear that side's selection.
void MakerListIni();
void PowConListIni();
// Registers the edited model of catalogue `catalog` (0 modules, 1 power
// conditioners); clears TabModified[3]. True when the model was registered.
bool CmdModuleReg_Click(int catalog);
// The catalogue's sub-tab switch (`SSTab2`).
void SSTab2_Click(int previousTab);
// Opens the model picture shown on page `index`.
void ImgModule_DblClick(int index);

// The array configuration window `FrmArraySet`.
bool FrmArraySetIsLoaded();
void FrmArraySetUnload();
