#include "catalog/CatalogTab.h"

#include "catalog/ArraySet.h"
#include "catalog/CatalogAccess.h"
#include "catalog/CatalogGlobals.h"
#include "catalog/ModelFiles.h"
#include "catalog/ModelPictures.h"
#include "common/Captions.h"
#include "common/Controls.h"
#include "common/FrmMessWindow.h"
#include "common/Global.h"
#include "common/SystemHelpers.h"
#include "common/TextHelpers.h"
#include "customers/CustomerForm.h"
#include "customers/CustomerTab.h"
#include "platform/FileIo.h"
#include "platform/FlexGrid.h"
#include "platform/NumText.h"

#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QTabWidget>

using Catalog::ModuleSide;
using Catalog::PowConSide;

namespace {

// Cell colours of the lists (Windows colour values 0x00BBGGRR).
constexpr quint32 kNavy = 0x00800000;
constexpr quint32 kWhite = 0x00FFFFFF;
constexpr quint32 kBlack = 0x00000000;
// Entries of the cell-type list CmbCel.
constexpr int kCellTypes = 6;

int sideOf(int index)
{
    return index == 0 ? ModuleSide : PowConSide;
}

QString sideName(const char* name, int side)
{
    return QString::fromLatin1(name) + u'_' + QString::number(side);
}

QString boxName(int box)
{
    return sideName("TxtIn", box);
}

// A control the procedure cannot do without.
QObject* needControl(const QString& name)
{
    QObject* o = MainControlObject(name);
    if (!o)
        throw AppError(424, QStringLiteral("Object required: ") + name);
    return o;
}

FlexGrid* makerGrid(int side)
{
    return MainControl<FlexGrid>(sideName("MfgMakerList", side));
}

FlexGrid* modelGrid(int side)
{
    return MainControl<FlexGrid>(sideName("MfgSerialNoList", side));
}

QTabWidget* subTabs()
{
    return MainControl<QTabWidget>(QStringLiteral("SSTab2"));
}

QComboBox* cellTypeList()
{
    return MainControl<QComboBox>(QStringLiteral("CmbCel"));
}

int makerHeaderKey(int side)
{
    return side == ModuleSide ? 211 : 264;
}

int modelHeaderKey(int side)
{
    return side == ModuleSide ? 212 : 265;
}

// ---- Model boxes -------------------------------------------------------------

// Which box shows which field of a record, in the order the boxes are filled.
struct FieldBox {
    int field;
    int box;
};
constexpr FieldBox kModuleBoxes[] = {{2, 17},  {3, 18},  {4, 19},  {5, 20},  {6, 21},  {7, 22},  {8, 23},
                                     {9, 24},  {10, 25}, {11, 58}, {12, 59}, {13, 26}, {14, 27}, {15, 28},
                                     {16, 29}, {17, 30}, {18, 31}, {19, 32}, {20, 33}, {22, 13}};
constexpr int kModuleMemoField = 20;
constexpr FieldBox kPowConBoxes[] = {{1, 60},  {2, 34},  {3, 35},  {4, 36},  {5, 37},  {6, 38},  {7, 39},
                                     {8, 40},  {9, 41},  {10, 42}, {11, 43}, {12, 44}, {13, 45}, {14, 46},
                                     {15, 47}, {16, 48}, {17, 49}, {18, 50}, {19, 51}, {20, 52}, {21, 53},
                                     {22, 54}, {23, 55}, {24, 56}, {25, 57}};
constexpr int kPowConMemoField = 25;

template <class Model, std::size_t N, std::size_t L>
void showFields(const Model& model, const std::array<QString Model::*, N>& fields, const FieldBox (&boxes)[L],
                int memoField)
{
    for (const FieldBox& b : boxes) {
        QObject* box = needControl(boxName(b.box));
        const QString& value = model.*fields[std::size_t(b.field)];
        if (b.field == memoField)
            SetMemo(box, value);
        else
            SetTextOf(box, value);
    }
}

// The boxes into `model`; a one-line box never gives a line break.
template <class Model, std::size_t N, std::size_t L>
void takeFields(Model& model, const std::array<QString Model::*, N>& fields, const FieldBox (&boxes)[L],
                int memoField)
{
    for (const FieldBox& b : boxes) {
        QObject* box = needControl(boxName(b.box));
        model.*fields[std::size_t(b.field)] = b.field == memoField ? MemoOf(box) : OneLineText(TextOf(box));
    }
}

// The caption the user reads for box `box` of `side`: the label beside it,
// or the frame of the power conditioner's memo.
QString boxCaption(int side, int box)
{
    if (side == PowConSide) {
        if (box == 57)
            return CaptionOf(needControl(QStringLiteral("FraPowConMemo")));
        return CaptionOf(needControl(QStringLiteral("LblPowConMess_%1").arg(box == 60 ? 0 : box - 33)));
    }
    static const std::pair<int, int> labels[] = {{17, 1},  {18, 2},  {19, 3},  {20, 4},  {21, 5},  {22, 6},  {23, 7},
                                                 {24, 8},  {25, 9},  {58, 10}, {59, 11}, {26, 12}, {27, 13}, {28, 14},
                                                 {33, 15}, {29, 16}, {30, 17}, {31, 18}, {32, 19}, {13, 20}};
    for (const auto& [b, label] : labels)
        if (b == box)
            return CaptionOf(needControl(QStringLiteral("LblModuleMess_%1").arg(label)));
    return boxName(box);
}

// The refusal of a box holding a character the model file cannot hold;
// empty when every box is held.
template <std::size_t L> QString boxTextRefusal(int side, const FieldBox (&boxes)[L])
{
    QList<NamedText> texts;
    for (const FieldBox& b : boxes)
        texts.append({boxCaption(side, b.box), TextOf(needControl(boxName(b.box)))});
    return TextNotHeldRefusal(texts);
}

// Texts set by the program are no edits of the user: the flag is as before.
struct KeepEditFlag {
    bool was = Global::TabModified[3];
    ~KeepEditFlag() { Global::TabModified[3] = was; }
};

// Empties the side's boxes; the module side's cell-type list gets
// `cellType` (0 the first entry, -1 none).
void emptyBoxes(int side, int cellType)
{
    const KeepEditFlag keep;
    if (side == ModuleSide) {
        if (auto* cel = cellTypeList())
            cel->setCurrentIndex(cellType);
        for (const FieldBox& b : kModuleBoxes)
            if (QObject* box = MainControlObject(boxName(b.box)))
                SetTextOf(box, QString());
    } else {
        for (const FieldBox& b : kPowConBoxes)
            if (QObject* box = MainControlObject(boxName(b.box)))
                SetTextOf(box, QString());
    }
}

// Shows the chosen model of `side` in its boxes and its picture. The
// fields come first, so that a picture or a cell type that cannot be shown
// never leaves another model's fields under the new selection.
void showChosenModel(int side)
{
    const int maker = CurMaker(side);
    const int model = CurModel(side);
    bool badCellType = false;
    {
        const KeepEditFlag keep;
        if (side == ModuleSide) {
            const ModuleModelRecord& m = Global::ModuleCatalog[std::size_t(maker)].Models[std::size_t(model)];
            showFields(m, ModuleFields, kModuleBoxes, kModuleMemoField);
            auto* cel = qobject_cast<QComboBox*>(needControl(QStringLiteral("CmbCel")));
            // The list position is the field's value as a whole number; one
            // the list cannot take shows no entry and is reported below.
            const double value = NumText::Val(m.CellType);
            const int position = value >= -32768 && value <= 32767 ? NumText::CInt(value) : -2;
            badCellType = position < -1 || position >= kCellTypes;
            cel->setCurrentIndex(badCellType ? -1 : position);
        } else {
            showFields(Global::PowConCatalog[std::size_t(maker)].Models[std::size_t(model)], PowConFields,
                       kPowConBoxes, kPowConMemoField);
        }
    }
    ShowModelPicture(side, ModelPicturePath(side));
    if (badCellType)
        throw AppError(380, QStringLiteral("Invalid property value"));
}

// No model chosen on `side`: an empty picture and empty boxes.
void resetModelChoice(int side)
{
    CurModel(side) = -1;
    ShowModelPicture(side, QString());
    emptyBoxes(side, -1);
}

// ---- Lists -------------------------------------------------------------------

// Empties the grid and gives it `rows` rows (the header included), one
// column of 20 blanks in the list font and the header text.
void layOutList(FlexGrid* grid, int rows, int headerKey)
{
    grid->setRedraw(false);
    grid->Clear();
    grid->setRows(rows);
    grid->setGridFont(QStringLiteral("MS Gothic"), 9);
    grid->setFormatString(QString(20, u' '));
    grid->setTextMatrix(0, 0, Global::UiText.value(headerKey));
    grid->setCellAlignment(0, 0, FlexGrid::flexAlignCenterCenter);
}

// Rows 1.. get `texts`; the first becomes the current row.
void fillList(FlexGrid* grid, const QStringList& texts, int headerKey)
{
    layOutList(grid, int(texts.size()) + 1, headerKey);
    for (int r = 1; r <= texts.size(); ++r) {
        grid->setTextMatrix(r, 0, texts[r - 1]);
        grid->setCellAlignment(r, 0, FlexGrid::flexAlignLeftCenter);
    }
    if (!texts.isEmpty())
        grid->setRow(1);
    grid->setCol(0);
    grid->setRedraw(true);
}

QStringList makerNames(int side)
{
    QStringList names;
    for (int i = 0; i < MakerCount(side); ++i)
        names << MakerNameAt(side, i);
    return names;
}

QStringList modelCodes(int side, int maker)
{
    QStringList codes;
    for (int i = 0; i < ModelCountAt(side, maker); ++i)
        codes << ModelCodeAt(side, maker, i);
    return codes;
}

// Every data cell white with black text; the current row and the first
// row shown stay, the current column ends at the last column.
void clearHighlight(FlexGrid* grid)
{
    if (!grid || grid->Rows() <= 1)
        return;
    grid->setRedraw(false);
    const int row = grid->Row();
    const int top = grid->TopRow();
    for (int r = 1; r < grid->Rows(); ++r)
        for (int c = 0; c < grid->Cols(); ++c) {
            grid->setCellBackColor(r, c, kWhite);
            grid->setCellForeColor(r, c, kBlack);
        }
    grid->setRow(row);
    grid->setTopRow(top);
    grid->setCol(grid->Cols() - 1);
    grid->setRedraw(true);
}

// The current row's cell navy with white text.
void highlightCurrent(FlexGrid* grid)
{
    if (grid->Rows() <= 1)
        return;
    grid->setCol(0);
    grid->setCellBackColor(kNavy);
    grid->setCellForeColor(kWhite);
}

void listIni(int side)
{
    Guarded(QString::fromLatin1(side == ModuleSide ? "MakerListIni" : "PowConListIni"), [&] {
        CurMaker(side) = -1;
        CurModel(side) = -1;
        FlexGrid* models = modelGrid(side);
        FlexGrid* makers = makerGrid(side);
        if (!models || !makers)
            return;
        fillList(models, {}, modelHeaderKey(side));
        fillList(makers, makerNames(side), makerHeaderKey(side));
    });
}

// Opens the picture's pop-up menu on a right click over a model picture.
class PictureMouse : public QObject {
  public:
    PictureMouse(QObject* parent, int index) : QObject(parent), index(index) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonPress) {
            const auto* e = static_cast<QMouseEvent*>(event);
            ImgModule_MouseDown(index, e->button(), e->globalPosition().toPoint());
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    int index;
};

} // namespace

// ---- Loading -----------------------------------------------------------------

void FillArraySetMakerLists(QWidget* form, int side)
{
    if (!form)
        return;
    const QStringList names = makerNames(side);
    const char* list = side == ModuleSide ? "CmbMaker" : "CmbPowConMaker";
    for (int g = 0; g < 10; ++g) {
        auto* combo = form->findChild<QComboBox*>(sideName(list, g));
        if (!combo)
            continue;
        const QSignalBlocker quiet(combo);
        combo->clear();
        combo->addItems(names);
        combo->setCurrentIndex(-1);
    }
}

void CatalogDataRead(int side, const QStringList& passedOver)
{
    Guarded(QString::fromLatin1(side == ModuleSide ? "ModuleDataRead" : "PowConDataRead"), [&] {
        emptyBoxes(side, 0);
        const CatalogLoadResult r = side == ModuleSide
                                        ? LoadModuleCatalog(Global::ModuleCatalog, Global::ModuleMakerCount)
                                        : LoadPowConCatalog(Global::PowConCatalog, Global::PowConMakerCount);
        // Item k of each maker list of the array window is maker k, after
        // every load, whatever it met.
        FillArraySetMakerLists(ArraySetForm(), side);
        // The refill drops the window's choices; the window is the working
        // copy a customer save reads back, so it takes the loaded customer's
        // configuration again (and coefficients from the new catalogue).
        ShowArraySetData();
        // An import's entries left out may be in the catalogue already.
        QStringList refused = passedOver + r.refusedNames;
        refused.removeDuplicates();
        const QString passed = PassedOverReport(refused, r.oversized);
        if (!passed.isEmpty())
            MsgBox(passed, vbOKOnly | vbExclamation);
        if (r.problems > 0) {
            AppError e = FileError(r.firstNumber, r.firstPath);
            if (r.problems > 1)
                e.description += QStringLiteral(" (+%1)").arg(r.problems - 1);
            throw e;
        }
    });
}

void ModuleDataRead()
{
    CatalogDataRead(ModuleSide);
}

void PowConDataRead()
{
    CatalogDataRead(PowConSide);
}

void MakerListIni()
{
    listIni(ModuleSide);
}

void PowConListIni()
{
    listIni(PowConSide);
}

void CatalogReload(int side, const QStringList& passedOver)
{
    side = sideOf(side);
    CatalogDataRead(side, passedOver);
    listIni(side);
}

// ---- Choosing makers and models ----------------------------------------------

bool AskToRegisterModelEdits(int side, bool reloadOnNo)
{
    if (!Global::TabModified[3])
        return true;
    Global::TabModified[3] = false;
    if (!ModelSelected(side))
        return true;
    if (MsgBox(Global::UiText.value(578), vbYesNo | vbQuestion | vbDefaultButton1) == vbYes) {
        if (!CmdModuleReg_Click(side)) {
            Global::TabModified[3] = true;
            return false;
        }
    } else if (reloadOnNo) {
        CatalogDataRead(side);
    }
    return true;
}

void MfgMakerList_Click(int index)
{
    const int side = sideOf(index);
    Guarded(QStringLiteral("MfgMakerList_Click"), [&] {
        if (!AskToRegisterModelEdits(side, true))
            return;
        FlexGrid* makers = makerGrid(side);
        FlexGrid* models = modelGrid(side);
        if (!makers || !models)
            throw AppError(424);
        MakerRawBackClear(side);
        highlightCurrent(makers);
        CurMaker(side) = FindMaker(side, makers->Text());
        fillList(models, modelCodes(side, CurMaker(side)), modelHeaderKey(side));
        resetModelChoice(side);
    });
}

void MakerRawBackClear(int index)
{
    Guarded(QStringLiteral("MakerRawBackClear"), [&] { clearHighlight(makerGrid(sideOf(index))); });
}

void SerialNoRawBackClear(int index)
{
    Guarded(QStringLiteral("SerialNoRawBackClear"), [&] { clearHighlight(modelGrid(sideOf(index))); });
}

void MfgSerialNoList_Click(int index)
{
    const int side = sideOf(index);
    Guarded(QStringLiteral("MfgSerialNoList_Click"), [&] {
        FlexGrid* models = modelGrid(side);
        if (!models || models->Rows() < 2)
            return;
        if (!AskToRegisterModelEdits(side, true))
            return;
        SerialNoRawBackClear(side);
        highlightCurrent(models);
        CurModel(side) = FindModel(side, CurMaker(side), models->Text());
        if (ModelSelected(side))
            showChosenModel(side);
        else
            resetModelChoice(side);
    });
}

// ---- Registration and the sub-tab switch ---------------------------------------

bool CmdModuleReg_Click(int index)
{
    const int side = sideOf(index);
    bool registered = false;
    Guarded(QStringLiteral("CmdModuleReg_Click"), [&] {
        if (!ModelSelected(side)) {
            MsgBox(Global::UiText.value(777), vbOKOnly | vbExclamation);
            return;
        }
        const int maker = CurMaker(side);
        const int model = CurModel(side);
        const QString makerName = MakerNameAt(side, maker);
        const QString code = ModelCodeAt(side, maker, model);
        // Nothing is written while a box holds a character the file would lose.
        const QString refusal =
            side == ModuleSide ? boxTextRefusal(side, kModuleBoxes) : boxTextRefusal(side, kPowConBoxes);
        if (!refusal.isEmpty()) {
            MsgBox(refusal, vbOKOnly | vbExclamation);
            return;
        }
        QByteArray bytes;
        if (side == ModuleSide) {
            if (NumText::Val(TextOf(needControl(boxName(13)))) >= 0)
                MsgBox(Global::UiText.value(737), vbOKOnly | vbExclamation);
            ModuleModelRecord m = Global::ModuleCatalog[std::size_t(maker)].Models[std::size_t(model)];
            takeFields(m, ModuleFields, kModuleBoxes, kModuleMemoField);
            auto* cel = qobject_cast<QComboBox*>(needControl(QStringLiteral("CmbCel")));
            m.CellType = QString::number(cel ? cel->currentIndex() : -1);
            bytes = ModuleModelBytes(m);
        } else {
            PowConModelRecord m = Global::PowConCatalog[std::size_t(maker)].Models[std::size_t(model)];
            takeFields(m, PowConFields, kPowConBoxes, kPowConMemoField);
            bytes = PowConModelBytes(m);
        }

        // The record changes only once its file is written whole; it then
        // holds what the file reads back.
        const QString folder = MakerFolder(side, makerName);
        if (!QFileInfo(folder).isDir())
            throw FileError(76, folder);
        WriteFileOrThrow(ModelFileOnDisk(side, makerName, code), bytes);
        if (side == ModuleSide)
            Global::ModuleCatalog[std::size_t(maker)].Models[std::size_t(model)] = ParseModuleModel(bytes, code);
        else
            Global::PowConCatalog[std::size_t(maker)].Models[std::size_t(model)] = ParsePowConModel(bytes, code);
        Global::TabModified[3] = false;
        registered = true;

        Global::MessWindowText = QStringLiteral("Save OK");
        if (auto* users = MainControl<FlexGrid>(QStringLiteral("MfgUserList")); users && users->Row() > 0)
            MfgUserList_Click();
        ShowMessWindow(MainWindow());
    });
    return registered;
}

void SSTab2_Click(int)
{
    Guarded(QStringLiteral("SSTab2_Click"), [&] {
        QTabWidget* tabs = subTabs();
        if (!tabs)
            return;
        const int shown = tabs->currentIndex();
        if (shown != 0 && shown != 1)
            return;
        const int left = 1 - shown;
        if (!Global::TabModified[3])
            return;
        Global::TabModified[3] = false;
        if (!ModelSelected(left))
            return;
        // The model in question is shown while it is asked about; these
        // settings of the tab run this handler again, which then finds the
        // flag cleared and does nothing.
        tabs->setCurrentIndex(left);
        if (MsgBox(Global::UiText.value(578), vbYesNo | vbQuestion | vbDefaultButton1) == vbYes &&
            !CmdModuleReg_Click(left)) {
            // Not registered: the edits stay marked, on their own sub-tab.
            Global::TabModified[3] = true;
            return;
        }
        tabs->setCurrentIndex(shown);
    });
}

// ---- Picture menu and viewer -------------------------------------------------------

void ImgModule_MouseDown(int index, Qt::MouseButton button, QPoint globalPos)
{
    if (button != Qt::RightButton || (index != 0 && index != 1))
        return;
    const QString* picture = SelectedPictureFile(index);
    if (!picture || picture->isEmpty())
        return;
    if (auto* menu = MainControl<QMenu>(QStringLiteral("MnuPicDel")))
        menu->popup(globalPos);
}

void ImgModule_DblClick(int index)
{
    Guarded(QStringLiteral("ImgModule_DblClick"), [&] {
        if (index != 0 && index != 1)
            return;
        const QString path = Global::ShownModelPicturePath[std::size_t(index)];
        if (IsViewableModelPicture(index, path))
            RunSubSystem(MainWindow(), path, QString());
    });
}

void ConnectCatalogTab()
{
    QWidget* form = MainWindow();
    if (!form)
        return;
    for (int side : {ModuleSide, PowConSide}) {
        if (FlexGrid* g = makerGrid(side))
            QObject::connect(g, &FlexGrid::Click, form, [side] { MfgMakerList_Click(side); });
        if (FlexGrid* g = modelGrid(side))
            QObject::connect(g, &FlexGrid::Click, form, [side] { MfgSerialNoList_Click(side); });
        if (auto* box = MainControl(sideName("ImgModule", side)))
            box->installEventFilter(new PictureMouse(box, side));
    }
}
