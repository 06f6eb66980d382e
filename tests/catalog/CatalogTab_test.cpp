// The catalogue tab driven as a user drives it, on the main window over the
// fixture catalogue: the maker and model lists, a model's fields and
// picture, the save questions of the lists and of the sub-tab switch, the
// registration with its file, warnings and write faults, the array window's
// maker lists after a load, and the picture menu, viewer, registration and
// removal.
#include "catalog/ArraySet.h"
#include "catalog/CatalogAccess.h"
#include "catalog/CatalogGlobals.h"
#include "catalog/CatalogTab.h"
#include "catalog/ModelFiles.h"
#include "catalog/ModelPictures.h"
#include "catalog/support/CatalogFixture.h"
#include "common/Captions.h"
#include "common/TextHelpers.h"
#include "customers/CatalogCommands.h"
#include "platform/AnsiCodec.h"
#include "platform/FileIo.h"
#include "platform/FlexGrid.h"
#include "platform/NumText.h"
#include "support/WriteFaults.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTabWidget>

#include <gtest/gtest.h>

using namespace CatalogFixture;

namespace {

constexpr int M = Catalog::ModuleSide;
constexpr int P = Catalog::PowConSide;
constexpr quint32 Navy = 0x800000;
constexpr quint32 White = 0xFFFFFF;

const QString Alpha = QStringLiteral("Alpha Solar");

// Model rows of Alpha Solar: as-100, AS-250, Empty, Locked, NEW, Short, X-1.5.
constexpr int RowAs100 = 1;
constexpr int RowAs250 = 2;
constexpr int RowNew = 5;

QString ui(int key)
{
    return Global::UiText.value(key);
}

// Records the sub-tab shown while each question is asked.
class TabWatchingDialogs : public ScriptedDialogs {
  public:
    int message(const MessageRequest& r) override
    {
        auto* tabs = MainControl<QTabWidget>(QStringLiteral("SSTab2"));
        tabsAtMessage << (tabs ? tabs->currentIndex() : -9);
        return ScriptedDialogs::message(r);
    }
    QList<int> tabsAtMessage;
};

class CatalogTab : public ::testing::Test {
  protected:
    CatalogWindow t;
    ScriptedDialogs& d = t.dialogs();

    QComboBox* cellTypes() const { return qobject_cast<QComboBox*>(t.ctl("CmbCel")); }
    QTabWidget* subTabs() const { return t.form->SSTab2; }
    QString alphaFile(const QString& name) const { return ModuleFile(Alpha, name); }
    const ModuleModelRecord& alphaModel(int k) const { return Global::ModuleCatalog[0].Models[std::size_t(k)]; }

    void chooseAlphaModel(int row)
    {
        t.clickMaker(M, 1);
        t.clickModel(M, row);
    }
    void chooseDeltaModel(int row)
    {
        subTabs()->setCurrentIndex(1);
        t.clickMaker(P, 1);
        t.clickModel(P, row);
    }
    TabWatchingDialogs* watchTabs()
    {
        auto* w = static_cast<TabWatchingDialogs*>(setDialogs(std::make_unique<TabWatchingDialogs>()));
        t.w.env.dialogs = w;
        return w;
    }
};

} // namespace

// ---- Lists -------------------------------------------------------------------

TEST_F(CatalogTab, StartUpListsTheMakersAndChoosesNothing)
{
    EXPECT_EQ(t.rows(t.makers(M)), (QStringList{Alpha, "beta", QStringLiteral("Gamma 太陽")}));
    EXPECT_EQ(t.rows(t.makers(P)), (QStringList{"Delta Power", "epsilon"}));
    EXPECT_EQ(t.makers(M)->TextMatrix(0, 0), ui(211));
    EXPECT_EQ(t.models(P)->TextMatrix(0, 0), ui(265));
    EXPECT_EQ(t.models(M)->Rows(), 1);
    EXPECT_EQ(t.makers(M)->cellBackColor(1, 0), 0u); // no highlight yet
    EXPECT_EQ(Global::CurModuleMaker, -1);
    EXPECT_EQ(Global::CurPowConMaker, -1);
    EXPECT_TRUE(d.log.isEmpty());

    // A rebuilt list makes its first maker the current row, and still
    // chooses none.
    t.clickMaker(M, 2);
    MakerListIni();
    EXPECT_EQ(t.makers(M)->Row(), 1);
    EXPECT_EQ(t.makers(M)->cellBackColor(2, 0), 0u);
    EXPECT_EQ(Global::CurModuleMaker, -1);
    EXPECT_EQ(t.models(M)->Rows(), 1);
}

TEST_F(CatalogTab, ChoosingAMakerListsItsModelsAndHighlightsItsRowOnly)
{
    t.clickMaker(M, 3);
    t.clickMaker(M, 1);
    EXPECT_EQ(Global::CurModuleMaker, 0);
    EXPECT_EQ(Global::CurModuleModel, -1);
    EXPECT_EQ(t.rows(t.models(M)), (QStringList{"as-100", "AS-250", "Empty", "Locked", "NEW", "Short", "X-1.5"}));
    EXPECT_EQ(t.models(M)->Row(), 1);
    EXPECT_EQ(t.makers(M)->cellBackColor(1, 0), Navy);
    EXPECT_EQ(t.makers(M)->cellForeColor(1, 0), White);
    for (int r : {2, 3}) {
        EXPECT_EQ(t.makers(M)->cellBackColor(r, 0), White);
        EXPECT_EQ(t.makers(M)->cellForeColor(r, 0), 0u);
    }
    EXPECT_EQ(cellTypes()->currentIndex(), -1);

    // A maker without models, and the other side untouched.
    t.clickMaker(M, 2);
    EXPECT_EQ(Global::CurModuleMaker, 1);
    EXPECT_EQ(t.models(M)->Rows(), 1);
    EXPECT_EQ(Global::CurPowConMaker, -1);
}

TEST_F(CatalogTab, ARealClickOnAMakerRowChoosesIt)
{
    FlexGrid* g = t.makers(M);
    const QPointF at = g->viewport()->mapFrom(g, g->CellRect(3, 0).center());
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(type, at, g->viewport()->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(g->viewport(), &e);
    }
    EXPECT_EQ(Global::CurModuleMaker, 2);
    EXPECT_EQ(t.rows(t.models(M)), QStringList{"GM-300"});
}

TEST(CatalogTabEmpty, AnEmptyCatalogueListsHeadersAndAClickChoosesNothing)
{
    CatalogWindow t(false);
    EXPECT_EQ(t.makers(M)->Rows(), 1);
    EXPECT_EQ(t.makers(M)->Row(), 0);
    t.clickMaker(M, 0); // the header's text names no maker
    EXPECT_EQ(Global::CurModuleMaker, -1);
    EXPECT_EQ(t.models(M)->Rows(), 1);
    t.clickModel(M, 0); // a model list of the header alone: nothing
    EXPECT_EQ(Global::CurModuleModel, -1);
    EXPECT_TRUE(t.dialogs().log.isEmpty());
}

// ---- Showing a model ---------------------------------------------------------------

TEST_F(CatalogTab, ChoosingAModelShowsEveryFieldInItsBox)
{
    chooseAlphaModel(RowAs250);
    EXPECT_EQ(Global::CurModuleModel, 1);
    EXPECT_EQ(cellTypes()->currentIndex(), 1);
    const std::pair<int, const char*> boxes[] = {{17, "250"},   {18, "30.5"},  {19, "8.20"},   {20, "37.6"},
                                                 {21, "8.75"},  {22, "17.8"},  {23, "15.3"},   {24, "1640"},
                                                 {25, "992"},   {58, " 40 "},  {59, "18.5"},   {26, "1.627"},
                                                 {27, "6"},     {28, "10"},    {29, "0.0053"}, {30, "-0.126"},
                                                 {31, "0.35"},  {32, "0.0025"}, {13, "-0.45"}};
    for (const auto& [box, value] : boxes)
        EXPECT_EQ(t.text(box), QString::fromUtf8(value)) << box;
    EXPECT_EQ(qobject_cast<QPlainTextEdit*>(t.ctl("TxtIn", 33))->toPlainText(), QStringLiteral("単結晶 高効率\n\n第三行"));
    EXPECT_EQ(t.models(M)->cellBackColor(2, 0), Navy);
    EXPECT_EQ(t.models(M)->cellBackColor(1, 0), White);
    EXPECT_FALSE(Global::TabModified[3]);
    // Its picture file is not there: an empty box at frame size.
    EXPECT_TRUE(t.picture(M)->pixmap().isNull());
    EXPECT_EQ(Global::ShownModelPicturePath[0], "");

    chooseDeltaModel(1);
    EXPECT_EQ(t.text(60), "2");
    EXPECT_EQ(t.text(34), "DC 250");
    EXPECT_EQ(t.text(56), "700");
    EXPECT_EQ(qobject_cast<QPlainTextEdit*>(t.ctl("TxtIn", 57))->toPlainText(), QStringLiteral("屋外用\n塩害地域可"));
    EXPECT_EQ(t.text(17), "250"); // the module side keeps its model
}

TEST_F(CatalogTab, CellTypeIsTheFieldsValueRoundedHalfToEven)
{
    t.clickMaker(M, 1);
    struct Case {
        const char* field;
        int position;
        bool reported;
    };
    for (const Case c : {Case{"2", 2, false}, Case{"", 0, false}, Case{"abc", 0, false}, Case{"-1", -1, false},
                         Case{"1.5", 2, false}, Case{"2.5", 2, false}, Case{"5", 5, false}, Case{"6", -1, true},
                         Case{"-2", -1, true}, Case{"99999", -1, true}}) {
        Global::ModuleCatalog[0].Models[0].CellType = QString::fromLatin1(c.field);
        d.log.clear();
        t.clickModel(M, RowAs100);
        SCOPED_TRACE(c.field);
        EXPECT_EQ(cellTypes()->currentIndex(), c.position);
        // The other fields are shown in every case.
        EXPECT_EQ(t.text(17), "100");
        ASSERT_EQ(d.log.size(), c.reported ? 1 : 0);
        if (c.reported) {
            EXPECT_EQ(d.log[0].title, "MfgSerialNoList_Click");
            EXPECT_TRUE(d.log[0].message.text.startsWith(QLatin1String("ERROR No:380 ")));
        }
    }
}

TEST_F(CatalogTab, APictureIsShownFittedIntoTheFrameAtItsTopLeft)
{
    MakePicture(alphaFile(QStringLiteral("Pictures/as250.jpg")), 1280, 960);
    chooseAlphaModel(RowAs250);
    QLabel* box = t.picture(M);
    EXPECT_EQ(Global::ShownModelPicturePath[0], alphaFile(QStringLiteral("Pictures/as250.jpg")));
    // Twice the frame in each direction at the screen's resolution: shown
    // at the frame's size exactly.
    const QSize frame(TwipsToPixelsX(4800, box), TwipsToPixelsY(3600, box));
    ASSERT_FALSE(box->pixmap().isNull());
    EXPECT_NEAR(box->pixmap().width(), frame.width(), 1);
    EXPECT_NEAR(box->pixmap().height(), frame.height(), 1);

    // A small picture keeps its size; a file that is no picture shows none
    // and no model is left half shown.
    MakePicture(alphaFile(QStringLiteral("Pictures/small.png")), 40, 30);
    Global::ModuleCatalog[0].Models[0].PictureFile = QStringLiteral("small.png");
    t.clickModel(M, RowAs100);
    EXPECT_EQ(box->pixmap().size(), QSize(40, 30));
    QFile bad(alphaFile(QStringLiteral("Pictures/bad.jpg")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a picture");
    bad.close();
    Global::ModuleCatalog[0].Models[0].PictureFile = QStringLiteral("bad.jpg");
    d.log.clear();
    t.clickModel(M, RowAs100);
    EXPECT_TRUE(box->pixmap().isNull());
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(Global::ShownModelPicturePath[0], "");
    EXPECT_EQ(t.text(17), "100");
    EXPECT_TRUE(d.log.isEmpty());

    // A picture field that is no bare file name never leaves the folder.
    MakePicture(Global::DataFolder + QStringLiteral("/outside.png"), 20, 20);
    Global::ModuleCatalog[0].Models[0].PictureFile = QStringLiteral("../../../outside.png");
    t.clickModel(M, RowAs100);
    EXPECT_TRUE(box->pixmap().isNull());
    EXPECT_EQ(ModelPicturePath(M), "");
}

// ---- Save questions of the lists ---------------------------------------------------

TEST_F(CatalogTab, YesToTheModelListsQuestionRegistersTheShownModelFirst)
{
    chooseAlphaModel(RowAs100);
    t.type(17, QStringLiteral("5"));
    EXPECT_TRUE(Global::TabModified[3]);
    d.answer(vbYes);
    t.clickModel(M, RowAs250);
    ASSERT_GE(d.log.size(), 1);
    EXPECT_EQ(d.log[0].message.text, ui(578));
    EXPECT_EQ(d.log[0].message.buttons, vbYesNo);
    EXPECT_EQ(d.log[0].message.icon, vbQuestion);
    EXPECT_EQ(d.log[0].message.defaultButton, 0);
    EXPECT_EQ(AnsiCodec::splitLines(Bytes(alphaFile(QStringLiteral("as-100.dat"))))[2], "1005");
    EXPECT_EQ(alphaModel(0).Pm, "1005");
    EXPECT_EQ(Global::CurModuleModel, 1);
    EXPECT_EQ(t.text(17), "250");
    EXPECT_FALSE(Global::TabModified[3]);
}

TEST_F(CatalogTab, NoToTheQuestionDropsTheEditsByReloadingTheCatalogue)
{
    chooseAlphaModel(RowAs100);
    const QByteArray before = Bytes(alphaFile(QStringLiteral("as-100.dat")));
    t.type(17, QStringLiteral("5"));
    Global::ModuleCatalog[0].Models[0].PictureFile = QStringLiteral("unregistered.jpg");
    d.answer(vbNo);
    t.clickModel(M, RowAs100); // the same row: the same model shown again
    EXPECT_EQ(d.messages(), QStringList{ui(578)});
    EXPECT_EQ(Bytes(alphaFile(QStringLiteral("as-100.dat"))), before);
    EXPECT_EQ(alphaModel(0).PictureFile, "");
    EXPECT_EQ(t.text(17), "100");
    EXPECT_FALSE(Global::TabModified[3]);
}

TEST_F(CatalogTab, EditsWithoutAChosenModelAreDroppedWithoutAQuestion)
{
    t.clickMaker(M, 1);
    t.type(17, QStringLiteral("7"));
    t.clickModel(M, RowAs250);
    EXPECT_TRUE(d.log.isEmpty());
    EXPECT_FALSE(Global::TabModified[3]);

    t.type(18, QStringLiteral("7"));
    d.answer(vbNo);
    t.clickMaker(M, 3);
    EXPECT_EQ(d.messages(), QStringList{ui(578)});
    EXPECT_EQ(Global::CurModuleMaker, 2);
    EXPECT_EQ(Global::CurModuleModel, -1);
}

TEST_F(CatalogTab, AFailedRegistrationInTheQuestionKeepsTheShownModel)
{
    chooseAlphaModel(RowAs100);
    qobject_cast<QLineEdit*>(t.ctl("TxtIn", 13))->setText(QStringLiteral("-0.4"));
    t.type(17, QStringLiteral("5"));
    QDir(Global::DataFolder + QStringLiteral("/MODULE_DATA/") + Alpha).removeRecursively();
    d.answer(vbYes);
    t.clickModel(M, RowAs250);
    ASSERT_EQ(d.log.size(), 2);
    EXPECT_EQ(d.log[1].title, "CmdModuleReg_Click");
    EXPECT_TRUE(d.log[1].message.text.startsWith(QLatin1String("ERROR No:76 ")));
    EXPECT_EQ(Global::CurModuleModel, 0);
    EXPECT_EQ(t.text(17), "1005");
    EXPECT_TRUE(Global::TabModified[3]);
}

// ---- Registration ----------------------------------------------------------------------

TEST_F(CatalogTab, RegisteringANewModelWritesTheVersionedFile)
{
    chooseAlphaModel(RowNew);
    cellTypes()->setCurrentIndex(2);
    t.type(17, QStringLiteral("300"));
    t.type(20, QStringLiteral("40.1"));
    t.type(13, QStringLiteral("-0.41"));
    t.type(33, QStringLiteral("a\n\nb\n"));
    EXPECT_TRUE(CmdModuleReg_Click(0));
    // Written into the file it was read from (NEW.DAT).
    EXPECT_EQ(Bytes(alphaFile(QStringLiteral("NEW.DAT"))), Bytes(Dir() + QStringLiteral("/expected/NEW.dat")));
    EXPECT_FALSE(QFileInfo::exists(alphaFile(QStringLiteral("NEW.dat"))));
    EXPECT_EQ(alphaModel(4).Pm, "300");
    EXPECT_EQ(alphaModel(4).Memo, "a\r\n\r\nb\r\n");
    EXPECT_FALSE(Global::TabModified[3]);
    EXPECT_TRUE(d.log.isEmpty());
    EXPECT_EQ(Global::MessWindowText, "Save OK");
    EXPECT_TRUE(FrmMessWindow::IsLoaded());
    FrmMessWindow::Unload();
}

TEST_F(CatalogTab, APowerConditionerIsRegisteredInItsOwnLayout)
{
    chooseDeltaModel(1);
    qobject_cast<QLineEdit*>(t.ctl("TxtIn", 34))->setText(QStringLiteral("DC 260"));
    qobject_cast<QPlainTextEdit*>(t.ctl("TxtIn", 57))->clear();
    EXPECT_TRUE(CmdModuleReg_Click(1));
    EXPECT_EQ(Bytes(PowConFile(QStringLiteral("Delta Power"), QStringLiteral("DP-55.dat"))),
              Bytes(Dir() + QStringLiteral("/expected/DP-55.dat")));
    EXPECT_EQ(Global::PowConCatalog[0].Models[0].RatedInputVoltage, "DC 260");
    EXPECT_TRUE(d.log.isEmpty()); // no warning on this side
    FrmMessWindow::Unload();
}

TEST_F(CatalogTab, APmTemperatureCoefficientNotBelowZeroIsWarnedAboutAndSavedAsTyped)
{
    chooseAlphaModel(RowAs100);
    for (const char* typed : {"0", "0.3", "abc", "", "-0.45"}) {
        qobject_cast<QLineEdit*>(t.ctl("TxtIn", 13))->setText(QString::fromLatin1(typed));
        d.log.clear();
        EXPECT_TRUE(CmdModuleReg_Click(0));
        const bool warned = QByteArray(typed) != "-0.45";
        EXPECT_EQ(d.messages(), warned ? QStringList{ui(737)} : QStringList()) << typed;
        if (warned) {
            EXPECT_EQ(d.log[0].message.icon, vbExclamation);
        }
        EXPECT_EQ(AnsiCodec::splitLines(Bytes(alphaFile(QStringLiteral("as-100.dat"))))[20],
                  QString::fromLatin1(typed));
    }
    FrmMessWindow::Unload();
}

TEST_F(CatalogTab, NoChosenModelIsRefusedAndNothingWritten)
{
    t.clickMaker(M, 1);
    Global::TabModified[3] = true;
    const auto before = Snapshot(Global::DataFolder);
    EXPECT_FALSE(CmdModuleReg_Click(0));
    EXPECT_EQ(d.messages(), QStringList{ui(777)});
    EXPECT_EQ(d.log[0].message.icon, vbExclamation);
    EXPECT_EQ(Snapshot(Global::DataFolder), before);
    EXPECT_TRUE(Global::TabModified[3]); // nothing registered: the edits still count
}

TEST_F(CatalogTab, PastedLineBreaksInOneLineBoxesNeverReachTheFile)
{
    chooseAlphaModel(RowAs100);
    qobject_cast<QLineEdit*>(t.ctl("TxtIn", 17))->setText(QStringLiteral("12\n5"));
    qobject_cast<QLineEdit*>(t.ctl("TxtIn", 13))->setText(QStringLiteral("-0.4"));
    EXPECT_TRUE(CmdModuleReg_Click(0));
    const QStringList lines = AnsiCodec::splitLines(Bytes(alphaFile(QStringLiteral("as-100.dat"))));
    EXPECT_EQ(lines.size(), 27);
    EXPECT_FALSE(lines[2].contains(u'\n'));
    EXPECT_EQ(NumText::Val(lines[2]), 125);
    FrmMessWindow::Unload();
}

TEST_F(CatalogTab, ACharacterTheModelFileCannotHoldIsRefusedNamingItsBoxAndNothingIsWritten)
{
    const struct {
        int side;
        int box;
        const char* caption; // the control whose caption names the box
        const char* typed;
        const char* named;
    } cases[] = {
        {M, 17, "LblModuleMess_1", "12ü", "\"ü\" (U+00FC)"},
        {M, 13, "LblModuleMess_20", "-0.4€", "\"€\" (U+20AC)"},
        {M, 33, "LblModuleMess_15", "Müller\nSolar", "\"ü\" (U+00FC)"},
        {P, 34, "LblPowConMess_1", "Café", "\"é\" (U+00E9)"},
        {P, 57, "FraPowConMemo", "Straße", "\"ß\" (U+00DF)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.box);
        if (c.side == M)
            chooseAlphaModel(RowAs100);
        else
            chooseDeltaModel(1);
        const QString typed = QString::fromUtf8(c.typed);
        QObject* box = t.ctl("TxtIn", c.box);
        if (auto* memo = qobject_cast<QPlainTextEdit*>(box))
            memo->setPlainText(typed);
        else
            qobject_cast<QLineEdit*>(box)->setText(typed);
        Global::TabModified[3] = true;
        const auto before = Snapshot(Global::DataFolder);
        d.log.clear();
        EXPECT_FALSE(CmdModuleReg_Click(c.side));
        ASSERT_EQ(d.messages().size(), 1);
        const QString message = d.messages()[0];
        EXPECT_TRUE(message.startsWith(ui(UiTextNotHeld)));
        EXPECT_TRUE(message.endsWith(CaptionOf(t.ctl(QString::fromLatin1(c.caption))) + QStringLiteral(": ") +
                                     QString::fromUtf8(c.named)))
            << message.toStdString();
        EXPECT_EQ(d.log[0].message.icon, vbExclamation);
        EXPECT_EQ(Snapshot(Global::DataFolder), before);
        EXPECT_EQ(TextOf(box), typed);
        EXPECT_TRUE(Global::TabModified[3]);
        Global::TabModified[3] = false; // the next model is chosen without a question
    }
}

TEST_F(CatalogTab, AWriteFailingAtAnyStepLeavesTheOldFileTheRecordAndTheFlag)
{
    chooseAlphaModel(RowAs250);
    const QString file = alphaFile(QStringLiteral("AS-250.dat"));
    const QByteArray before = Bytes(file);
    const ModuleModelRecord record = alphaModel(1);
    t.type(17, QStringLiteral("9"));
    for (int step = 1; step <= 3; ++step) {
        FileIoFaults::FailAt(step);
        d.log.clear();
        EXPECT_FALSE(CmdModuleReg_Click(0)) << step;
        EXPECT_EQ(FileIoFaults::StepsTaken(), step);
        EXPECT_EQ(Bytes(file), before) << step;
        EXPECT_EQ(alphaModel(1), record) << step;
        EXPECT_TRUE(Global::TabModified[3]) << step;
        ASSERT_EQ(d.log.size(), 1);
        EXPECT_EQ(d.log[0].title, "CmdModuleReg_Click");
        EXPECT_TRUE(d.log[0].message.text.contains(file)) << d.log[0].message.text.toStdString();
    }
    FileIoFaults::FailAt(0);
    EXPECT_TRUE(CmdModuleReg_Click(0));
    EXPECT_EQ(FileIoFaults::StepsTaken(), 3);
    EXPECT_EQ(AnsiCodec::splitLines(Bytes(file))[2], "2509");
    EXPECT_EQ(alphaModel(1).Pm, "2509");
    FileIoFaults::Reset();
    FrmMessWindow::Unload();
}

TEST_F(CatalogTab, RegistrationUnderTheWriteFaultHarness)
{
    const QString catalog = Global::DataFolder + QStringLiteral("/MODULE_DATA");
    CheckWriteFaults({"CmdModuleReg_Click", catalog,
                      [&] {
                          QDir(catalog).removeRecursively();
                          Install(Global::DataFolder);
                          ModuleDataRead();
                          MakerListIni();
                          chooseAlphaModel(RowAs250);
                          qobject_cast<QLineEdit*>(t.ctl("TxtIn", 17))->setText(QStringLiteral("260"));
                          qobject_cast<QPlainTextEdit*>(t.ctl("TxtIn", 33))->setPlainText(QStringLiteral("新しいメモ"));
                      },
                      [&] { return CmdModuleReg_Click(0); }});
    FrmMessWindow::Unload();
}

// ---- The sub-tab switch --------------------------------------------------------------

TEST_F(CatalogTab, LeavingASubTabWithEditsAsksWithThatSubTabShown)
{
    TabWatchingDialogs* w = watchTabs();
    chooseAlphaModel(RowAs100);
    qobject_cast<QLineEdit*>(t.ctl("TxtIn", 13))->setText(QStringLiteral("-0.5"));
    t.type(17, QStringLiteral("1"));
    w->answer(vbYes);
    subTabs()->setCurrentIndex(1);
    EXPECT_EQ(w->messages(), QStringList{ui(578)});
    EXPECT_EQ(w->tabsAtMessage, QList<int>{0});
    EXPECT_EQ(subTabs()->currentIndex(), 1);
    EXPECT_EQ(AnsiCodec::splitLines(Bytes(alphaFile(QStringLiteral("as-100.dat"))))[2], "1001");
    EXPECT_FALSE(Global::TabModified[3]);

    // No: the edits stay in the boxes, no longer marked; nothing written.
    chooseDeltaModel(1);
    t.type(34, QStringLiteral("x"));
    const QByteArray before = Bytes(PowConFile(QStringLiteral("Delta Power"), QStringLiteral("DP-55.dat")));
    w->log.clear();
    w->tabsAtMessage.clear();
    w->answer(vbNo);
    subTabs()->setCurrentIndex(0);
    EXPECT_EQ(w->tabsAtMessage, QList<int>{1});
    EXPECT_EQ(subTabs()->currentIndex(), 0);
    EXPECT_EQ(Bytes(PowConFile(QStringLiteral("Delta Power"), QStringLiteral("DP-55.dat"))), before);
    EXPECT_EQ(t.text(34), "DC 250x");
    EXPECT_FALSE(Global::TabModified[3]);
    FrmMessWindow::Unload();
}

TEST_F(CatalogTab, SwitchingWithoutEditsOrWithoutAChosenModelAsksNothing)
{
    chooseAlphaModel(RowAs100);
    subTabs()->setCurrentIndex(1);
    subTabs()->setCurrentIndex(0);
    t.clickMaker(M, 1);
    t.type(17, QStringLiteral("1"));
    subTabs()->setCurrentIndex(1);
    EXPECT_TRUE(d.log.isEmpty());
    EXPECT_FALSE(Global::TabModified[3]);
    EXPECT_EQ(subTabs()->currentIndex(), 1);
}

TEST_F(CatalogTab, ASwitchWhoseRegistrationFailsStaysWithTheEdits)
{
    chooseAlphaModel(RowAs100);
    qobject_cast<QLineEdit*>(t.ctl("TxtIn", 13))->setText(QStringLiteral("-0.5"));
    t.type(17, QStringLiteral("1"));
    FileIoFaults::FailAt(1);
    d.answer(vbYes);
    subTabs()->setCurrentIndex(1);
    FileIoFaults::Reset();
    EXPECT_EQ(subTabs()->currentIndex(), 0);
    EXPECT_TRUE(Global::TabModified[3]);
    EXPECT_EQ(t.text(17), "1001");
}

// ---- Loads -------------------------------------------------------------------------------

TEST_F(CatalogTab, EveryLoadRefillsTheArrayWindowsMakerLists)
{
    QWidget arrayForm;
    for (int g = 0; g < 10; ++g) {
        auto* c = new QComboBox(&arrayForm);
        c->setObjectName(QStringLiteral("CmbMaker_%1").arg(g));
        c->addItems({"old 1", "old 2"});
        c->setCurrentIndex(1);
        auto* p = new QComboBox(&arrayForm);
        p->setObjectName(QStringLiteral("CmbPowConMaker_%1").arg(g));
    }
    int changes = 0;
    QObject::connect(arrayForm.findChild<QComboBox*>(QStringLiteral("CmbMaker_3")),
                     &QComboBox::currentIndexChanged, [&] { ++changes; });
    FillArraySetMakerLists(&arrayForm, M);
    FillArraySetMakerLists(&arrayForm, P);
    for (int g = 0; g < 10; ++g) {
        auto* c = arrayForm.findChild<QComboBox*>(QStringLiteral("CmbMaker_%1").arg(g));
        ASSERT_EQ(c->count(), 3);
        EXPECT_EQ(c->itemText(2), QStringLiteral("Gamma 太陽"));
        EXPECT_EQ(c->currentIndex(), -1);
        EXPECT_EQ(arrayForm.findChild<QComboBox*>(QStringLiteral("CmbPowConMaker_%1").arg(g))->itemText(1), "epsilon");
    }
    EXPECT_EQ(changes, 0);

    // The array configuration window itself, made by the start-up load.
    QDir().mkpath(Global::DataFolder + QStringLiteral("/MODULE_DATA/Aardvark"));
    ModuleDataRead();
    QWidget* real = ArraySetForm();
    ASSERT_NE(real, nullptr);
    for (int g : {0, 9}) {
        auto* c = real->findChild<QComboBox*>(QStringLiteral("CmbMaker_%1").arg(g));
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->itemText(0), "Aardvark");
        EXPECT_EQ(c->count(), 4);
        EXPECT_EQ(c->currentIndex(), -1);
    }

    // An emptied catalogue empties them.
    QDir(Global::DataFolder + QStringLiteral("/MODULE_DATA")).removeRecursively();
    ModuleDataRead();
    FillArraySetMakerLists(&arrayForm, M);
    EXPECT_EQ(arrayForm.findChild<QComboBox*>(QStringLiteral("CmbMaker_0"))->count(), 0);
}

TEST_F(CatalogTab, ALoadReportsWhatItLeftOutOnceAndKeepsTheRest)
{
    const QString maker = Global::DataFolder + QStringLiteral("/MODULE_DATA/beta");
    for (int k = 0; k < 258; ++k)
        QFile(maker + QStringLiteral("/B%1.dat").arg(k, 3, 10, QChar(u'0'))).open(QIODevice::WriteOnly);
    chooseAlphaModel(RowAs250);
    ModuleDataRead();
    ASSERT_EQ(d.log.size(), 1);
    EXPECT_EQ(d.log[0].title, "ModuleDataRead");
    EXPECT_TRUE(d.log[0].message.text.startsWith(QLatin1String("ERROR No:9 ")));
    EXPECT_TRUE(d.log[0].message.text.contains(QLatin1String("B256.dat (+1)")));
    EXPECT_EQ(Global::ModuleCatalog[1].ModelCount, 256);
    EXPECT_EQ(Global::ModuleMakerCount, 3);
    // The load empties the boxes (first cell type) and keeps the selection.
    EXPECT_EQ(t.text(17), "");
    EXPECT_EQ(cellTypes()->currentIndex(), 0);
    EXPECT_EQ(Global::CurModuleModel, 1);
}

// Makers and models whose names the customer files cannot hold, and a file
// far too large for a model file, are left out and named in one report.
TEST_F(CatalogTab, WhatALoadPassesOverIsNamedInOneReport)
{
    QDir().mkpath(ModuleFile(QStringLiteral("Müller Solar"), QString()));
    QFile(ModuleFile(QStringLiteral("Müller Solar"), QStringLiteral("MS-1.dat"))).open(QIODevice::WriteOnly);
    QFile(alphaFile(QStringLiteral("X,Y.dat"))).open(QIODevice::WriteOnly);
    QFile huge(ModuleFile(QStringLiteral("beta"), QStringLiteral("Huge.dat")));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(MaxModelFileBytes + 1));
    huge.close();
    d.log.clear();
    ModuleDataRead();
    ASSERT_EQ(d.log.size(), 1);
    EXPECT_EQ(d.log[0].message.text, ui(984) + QStringLiteral("\r\nMüller Solar\r\nAlpha Solar/X,Y.dat\r\n\r\n") +
                                         ui(985) + QStringLiteral("\r\nbeta/Huge.dat"));
    EXPECT_EQ(d.log[0].message.icon, vbExclamation);
    EXPECT_EQ(Global::ModuleMakerCount, 3);
    EXPECT_EQ(Global::ModuleCatalog[0].ModelCount, 7);
    EXPECT_EQ(Global::ModuleCatalog[1].ModelCount, 0);

    // A catalogue with nothing to pass over says nothing.
    QDir(ModuleFile(QStringLiteral("Müller Solar"), QString())).removeRecursively();
    QFile::remove(alphaFile(QStringLiteral("X,Y.dat")));
    QFile::remove(huge.fileName());
    d.log.clear();
    ModuleDataRead();
    EXPECT_TRUE(d.log.isEmpty());
}

// ---- Picture menu, viewer, registration and removal ------------------------------------

TEST_F(CatalogTab, TheViewerOpensOnlyAPictureOfThePictureFolder)
{
    QStringList opened;
    Global::ShellOpenOverride = [&](const QString& target) { opened << target; };
    const QString picture = alphaFile(QStringLiteral("Pictures/as250.jpg"));
    MakePicture(picture, 64, 48);
    chooseAlphaModel(RowAs250);
    ImgModule_DblClick(0);
    EXPECT_EQ(opened, QStringList{picture});

    // Nothing shown, a path outside the folder, a file that turned into
    // something else: nothing handed to the desktop.
    ImgModule_DblClick(1);
    const QString outside = Global::DataFolder + QStringLiteral("/outside.jpg");
    MakePicture(outside, 10, 10);
    Global::ShownModelPicturePath[0] = outside;
    ImgModule_DblClick(0);
    Global::ShownModelPicturePath[0] = picture;
    QFile f(picture);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("#!/bin/sh\n");
    f.close();
    ImgModule_DblClick(0);
    EXPECT_EQ(opened.size(), 1);
    Global::ShellOpenOverride = nullptr;
    EXPECT_TRUE(d.log.isEmpty());
}

TEST_F(CatalogTab, TheMenuOpensOverAPictureTheModelNames)
{
    auto* menu = qobject_cast<QMenu*>(t.ctl("MnuPicDel"));
    chooseAlphaModel(RowAs100); // no picture file named
    ImgModule_MouseDown(0, Qt::RightButton, QPoint(10, 10));
    EXPECT_FALSE(menu->isVisible());
    t.clickModel(M, RowAs250); // names a picture that is missing
    ImgModule_MouseDown(0, Qt::LeftButton, QPoint(10, 10));
    EXPECT_FALSE(menu->isVisible());
    ImgModule_MouseDown(1, Qt::RightButton, QPoint(10, 10));
    EXPECT_FALSE(menu->isVisible());
    // A real right click over the box.
    QLabel* box = t.picture(M);
    QMouseEvent e(QEvent::MouseButtonPress, QPointF(5, 5), box->mapToGlobal(QPointF(5, 5)), Qt::RightButton,
                  Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(box, &e);
    EXPECT_TRUE(menu->isVisible());
    menu->hide();
}

TEST_F(CatalogTab, RegisteringAPictureKeepsItsCopyAndMarksTheTab)
{
    const QString source = t.w.env.root() + QStringLiteral("/camera/IMG_0001.PNG");
    MakePicture(source, 1600, 1200);
    chooseAlphaModel(RowAs100);
    const QByteArray modelFile = Bytes(alphaFile(QStringLiteral("as-100.dat")));

    d.answerText(source);
    ModelPictureRegister(2);
    ASSERT_EQ(d.log.size(), 1);
    EXPECT_EQ(d.log[0].kind, RecordedDialog::OpenFile);
    EXPECT_EQ(d.log[0].defaultText, ui(539));
    const QString copy = alphaFile(QStringLiteral("Pictures/IMG_0001.jpg"));
    EXPECT_TRUE(QFileInfo::exists(copy));
    EXPECT_EQ(alphaModel(0).PictureFile, "IMG_0001.jpg");
    EXPECT_EQ(Global::ShownModelPicturePath[0], copy);
    EXPECT_FALSE(t.picture(M)->pixmap().isNull());
    EXPECT_TRUE(Global::TabModified[3]);
    EXPECT_EQ(Bytes(alphaFile(QStringLiteral("as-100.dat"))), modelFile); // until registered

    // Registering the model writes the picture line.
    qobject_cast<QLineEdit*>(t.ctl("TxtIn", 13))->setText(QStringLiteral("-0.4"));
    EXPECT_TRUE(CmdModuleReg_Click(0));
    EXPECT_EQ(AnsiCodec::splitLines(Bytes(alphaFile(QStringLiteral("as-100.dat"))))[25], "IMG_0001.jpg");
    FrmMessWindow::Unload();

    // Removal: no picture, no reference, the file stays.
    ModelPictureRemove(M);
    EXPECT_EQ(alphaModel(0).PictureFile, "");
    EXPECT_EQ(Global::ShownModelPicturePath[0], "");
    EXPECT_TRUE(t.picture(M)->pixmap().isNull());
    EXPECT_TRUE(QFileInfo::exists(copy));
    EXPECT_TRUE(Global::TabModified[3]);
}

TEST_F(CatalogTab, PicturesAndDocumentsOfAMakerAreFoundAfterASwitchOfLanguage)
{
    const QString picture = alphaFile(QStringLiteral("Pictures/as250.jpg"));
    MakePicture(picture, 64, 48);
    QDir().mkpath(ModuleFile(Alpha, QStringLiteral("Documents")));
    t.form->LanguageSetup(1);
    ASSERT_EQ(ui(541), QStringLiteral("写真"));
    QStringList opened;
    Global::ShellOpenOverride = [&](const QString& target) { opened << target; };

    // The picture the English folder holds shows and opens.
    chooseAlphaModel(RowAs250);
    EXPECT_EQ(Global::ShownModelPicturePath[0], picture);
    EXPECT_FALSE(t.picture(M)->pixmap().isNull());
    ImgModule_DblClick(0);
    EXPECT_EQ(opened, QStringList{picture});

    // A new picture joins it there; the documents folder is the English one.
    const QString source = t.w.env.root() + QStringLiteral("/new.png");
    MakePicture(source, 32, 24);
    d.answerText(source);
    ModelPictureRegister(2);
    EXPECT_TRUE(QFileInfo::exists(alphaFile(QStringLiteral("Pictures/new.jpg"))));
    CatalogCommand_Click(17);
    EXPECT_EQ(opened.last(), ModuleFile(Alpha, QStringLiteral("Documents")));
    for (const char* made : {"写真", "資料"})
        EXPECT_FALSE(QFileInfo::exists(ModuleFile(Alpha, QString::fromUtf8(made)))) << made;
    Global::ShellOpenOverride = nullptr;
}

TEST_F(CatalogTab, PictureRegistrationCancelledOrRefusedOrWithoutModel)
{
    // No model chosen: no dialog.
    t.clickMaker(M, 1);
    ModelPictureRegister(2);
    ModelPictureRegister(3);
    EXPECT_TRUE(d.log.isEmpty());

    t.clickModel(M, RowAs250);
    d.answerCancel();
    ModelPictureRegister(2);
    EXPECT_EQ(alphaModel(1).PictureFile, "as250.jpg");
    EXPECT_FALSE(Global::TabModified[3]);
    EXPECT_TRUE(QFileInfo(alphaFile(QStringLiteral("Pictures"))).isDir());

    // A file that is no picture: the copy's own report, no reference.
    const QString bad = t.w.env.root() + QStringLiteral("/notes.jpg");
    QFile f(bad);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("text");
    f.close();
    d.log.clear();
    d.answerText(bad);
    ModelPictureRegister(2);
    ASSERT_EQ(d.log.size(), 2);
    EXPECT_EQ(d.log[1].title, "PicCopySizeDown");
    EXPECT_EQ(alphaModel(1).PictureFile, "");
    EXPECT_TRUE(t.picture(M)->pixmap().isNull());
    EXPECT_TRUE(Global::TabModified[3]);
}
