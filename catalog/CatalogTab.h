#pragma once
// What the main window and the other subsystems call of the catalogue tab.
// The tab has two sub-tabs on `SSTab2`: 0 modules, 1 power conditioners;
// each shows a maker grid `MfgMakerList_i`, a model grid `MfgSerialNoList_i`,
// the chosen model's boxes (modules: `CmbCel` and TxtIn_13, _17 .. _33, _58,
// _59; power conditioners: TxtIn_34 .. _57, _60) and its product picture
// `ImgModule_i`. Every index argument below takes 0 for the module side and
// any other value for the power-conditioner side.
#include <QPoint>
#include <QStringList>

class QWidget;

// Reads every model file of MODULE_DATA / POWER_CONDITIONER_DATA into the
// module or the power-conditioner catalogue (catalog/ModelFiles.h), empties
// that side's model boxes and refills the array configuration window's
// maker lists with the makers in catalogue order. Files it could not read
// and entries past the limits are reported once, titled with its name;
// makers and models it passed over for their names or sizes are named in
// one report before that.
void ModuleDataRead();
void PowConDataRead();
// One side's load. `passedOver`: makers and models an import left out for
// their names ("{maker}" or "{maker}/{file}"), named in the load's report.
void CatalogDataRead(int side, const QStringList& passedOver = {});
// Empties the ten maker lists of one side of the array configuration
// window `form` (CmbMaker_0..9 or CmbPowConMaker_0..9) and adds the makers
// of that side's catalogue in order, choosing none; nothing without a form.
void FillArraySetMakerLists(QWidget* form, int side);

// Lists the makers of the side in its maker grid (header UI text 211 / 264),
// empties its model grid (header 212 / 265) and clears the side's selection.
void MakerListIni();
void PowConListIni();
// The side's load and list set-up together, as the import menu re-reads a
// catalogue (`passedOver` as for CatalogDataRead).
void CatalogReload(int side, const QStringList& passedOver = {});

// A click on a maker grid: the save question for unregistered edits, the
// highlight, the maker index, its models listed, no model chosen.
void MfgMakerList_Click(int index);
// A click on a model grid: the save question, the highlight, the model
// index, the model's fields and picture shown.
void MfgSerialNoList_Click(int index);
// Every data cell of the maker / model grid white with black text.
void MakerRawBackClear(int index);
void SerialNoRawBackClear(int index);

// Registers the edited model of side `index`: the boxes into its record and
// its model file written whole; clears TabModified[3] once the file is
// written. True when the model was registered.
bool CmdModuleReg_Click(int index);
// The catalogue's sub-tab switch (`SSTab2`): offers to register the model of
// the sub-tab being left.
void SSTab2_Click(int previousTab);

// When the catalogue tab has unregistered edits (TabModified[3]) and a model
// of `side` is chosen, asks the save question (578): Yes registers it, No
// drops the edits (and, with `reloadOnNo`, reloads the side's catalogue).
// The flag is cleared in every case but a failed registration, which keeps
// it and gives false: the caller then leaves everything as it is.
bool AskToRegisterModelEdits(int side, bool reloadOnNo);

// The product picture's pop-up menu (right button over ImgModule_i) and its
// viewer (double click).
void ImgModule_MouseDown(int index, Qt::MouseButton button, QPoint globalPos);
void ImgModule_DblClick(int index);

// Connects the catalogue tab's grids and pictures to their handlers; called
// once by the main window after it built its controls.
void ConnectCatalogTab();

// The array configuration window `FrmArraySet`.
bool FrmArraySetIsLoaded();
void FrmArraySetUnload();
