// The main window's frame: load, curve colours, the unsaved-edit key rule,
// closing, and the wheel hook that follows the tab shown.
#include "MainWindowEnv.h"
#include "app/FrmMainEntry.h"
#include "common/GridWheel.h"
#include "platform/FlexGrid.h"
#include "platform/Registry.h"
#include "support/WindowSystem.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QWheelEvent>

#include <QMenu>

#include <QSignalBlocker>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <cstdlib>

namespace {

QString pv(int row)
{
    return RegStrGet(RegKeyColorPV, QString::number(row));
}

QString iv(int row)
{
    return RegStrGet(RegKeyColorIV, QString::number(row));
}

TEST(MainWindowLoad, SetsTitleFramesPositionAndTheControlAccess)
{
    MainWindowEnv w;
    FrmMain& f = w.load();
    EXPECT_EQ(f.windowTitle(), Global::UiText[510] + QStringLiteral("    [Version.8.8.3]"));
    EXPECT_EQ(Global::HistPicFrameWidth, 3200);
    EXPECT_EQ(Global::HistPicFrameHeight, 2400);
    EXPECT_EQ(Global::ModelPicFrameWidth, 4800);
    EXPECT_EQ(Global::ModelPicFrameHeight, 3600);
    EXPECT_EQ(f.pos(), f.screen()->availableGeometry().topLeft());
    EXPECT_EQ(Global::MainWindowHandle, &f);
    EXPECT_EQ(Global::MainForm, &f);
    EXPECT_EQ(MainControl<QLineEdit>(QStringLiteral("TxtIn_11")), f.findChild<QLineEdit*>("TxtIn_11"));
    EXPECT_NE(MainControl<QPlainTextEdit>(QStringLiteral("TxtIn_12")), nullptr);
    EXPECT_EQ(MainControl<QLineEdit>(QStringLiteral("TxtIn_12")), nullptr); // a memo, not a text box
    // Each control name is given once. Windows the main window owns (the
    // array configuration window, made by the catalogue load) have their
    // own controls.
    auto ownWindow = [&](const QObject* o) {
        for (; o && o != &f; o = o->parent())
            if (o->isWidgetType() && static_cast<const QWidget*>(o)->isWindow() && !qobject_cast<const QMenu*>(o))
                return false;
        return true;
    };
    QStringList names;
    for (QObject* o : f.findChildren<QObject*>())
        if (!o->objectName().isEmpty() && f.controls().contains(o->objectName()) && ownWindow(o))
            names << o->objectName();
    EXPECT_EQ(names.size(), f.controls().size());
}

TEST(MainWindowLoad, EveryControlTheTabsWorkWithExistsWithItsType)
{
    MainWindowEnv w;
    FrmMain& f = w.load();
    std::vector<std::pair<QString, const char*>> expected;
    auto add = [&](const QString& name, const char* type) { expected.emplace_back(name, type); };
    auto many = [&](const char* name, std::initializer_list<int> idx, const char* type) {
        for (int i : idx)
            add(QString::fromLatin1(name) + u'_' + QString::number(i), type);
    };
    auto range = [&](const char* name, int from, int to, const char* type) {
        for (int i = from; i <= to; ++i)
            add(QString::fromLatin1(name) + u'_' + QString::number(i), type);
    };
    // Text boxes and memos.
    range("TxtIn", 0, 9, "QLineEdit");
    many("TxtIn", {11, 13}, "QLineEdit");
    range("TxtIn", 17, 32, "QLineEdit");
    range("TxtIn", 34, 56, "QLineEdit");
    many("TxtIn", {58, 59, 60}, "QLineEdit");
    many("TxtIn", {10, 12, 33, 57}, "QPlainTextEdit");
    for (const char* n : {"TxtCompanyName", "TxtCompanyTel", "TxtCompanyCharge"})
        range(n, 0, 4, "QLineEdit");
    range("TxtPoinrIn", 0, 1, "QLineEdit");
    // Lists, tabs, lists of choices.
    for (const char* n : {"MfgUserList", "MfgMeasList", "MfgForwardList"})
        add(QString::fromLatin1(n), "FlexGrid");
    for (const char* n : {"MfgMakerList", "MfgSerialNoList"})
        range(n, 0, 1, "FlexGrid");
    for (const char* n : {"SSTab", "SSTab1", "SSTab2", "SSTab3"})
        add(QString::fromLatin1(n), "QTabWidget");
    for (const char* n : {"CmbCodeName", "CmbUserName", "CmbHistorySel"})
        range(n, 0, 1, "QComboBox");
    add("CmbCel", "QComboBox");
    // Buttons and check boxes.
    many("CmdBtn", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17}, "QPushButton");
    many("CmdDataView", {0, 1, 3, 5}, "QPushButton");
    many("CmdDataControl", {0, 1, 5, 6}, "QPushButton");
    many("CmdPicReg", {0, 2, 4}, "QPushButton");
    range("CmdModuleReg", 0, 1, "QPushButton");
    range("CmdScl", 0, 1, "QPushButton");
    for (const char* n :
         {"CmdDelete", "CmdDataForward", "CmdDataDelete", "CmdReportMake", "CmdDspAll", "CmdFwdAll"})
        add(QString::fromLatin1(n), "QPushButton");
    for (const char* n : {"ChkPV_VIEW", "ChkPV_VIEW_FWD", "ChkJudgeOff"})
        add(QString::fromLatin1(n), "QCheckBox");
    range("OpPicSel", 0, 3, "QRadioButton");
    // Labels and pictures.
    range("LblUserMess", 0, 21, "QLabel");
    range("LblViewMess", 0, 104, "QLabel");
    range("LblFrdMess", 0, 4, "QLabel");
    range("LblModuleMess", 0, 20, "QLabel");
    range("LblPowConMess", 0, 23, "QLabel");
    range("LblJudgeView", 0, 2, "QLabel");
    for (const char* n : {"LblCodeName", "LblUserName", "LblSiteName"})
        range(n, 0, 1, "QLabel");
    for (const char* n :
         {"LblModMaker", "LblPowConNo", "LblPowConMaker", "LblPowConSerial", "LblStringTotalPm",
          "LblStringPm", "LblPmTemp", "LblAlpha", "LblBeta", "LblRs", "LblK", "LblAlphaTitle", "LblBetaTitle",
          "LblRsTitle", "LblKTitle", "LblPmTempCorrectTitle"})
        range(n, 0, 9, "QLabel");
    for (const char* n : {"LblModCode", "LblModCnt", "LblModCntH", "LblModPm", "LblModVoc", "LblModIsc"})
        range(n, 0, 49, "QLabel");
    for (const char* n :
         {"LblModulePmMax", "LblDate", "LblMeasDataPm", "LblMeasDataVoc", "LblMeasDataIsc", "LblPage",
          "LblTotalPage", "LblMeasModuleData", "LblExtData", "LblMeasType", "PicMini", "PicTmp"})
        add(QString::fromLatin1(n), "QLabel");
    many("Pic", {2, 3}, "QLabel");
    range("PicText", 0, 1, "QLabel");
    range("ImgModule", 0, 1, "QLabel");
    add("ImgPic_0", "QLabel");
    // Frames.
    for (const char* n : {"FraData", "FraSiteDate", "FraWork", "FraMakers", "FraList", "FraViewArray",
                          "FraViewExt", "FraDataControl", "Frame2", "Frame4", "Frame5", "FraModulePic",
                          "FraCorrect", "FraPmCorrect", "FraPowConPic", "FraPowConMemo"})
        add(QString::fromLatin1(n), "QGroupBox");
    for (const char* n : {"FraViewModule", "FraViewPowCon", "FraViewPmCorrect", "FraStringSel"})
        range(n, 0, 9, "QGroupBox");
    // Menus.
    for (const char* n : {"MnuSystem", "MnuTools", "MnuUpdate", "MnuPicDel", "MnuCopyPasteMenu"})
        add(QString::fromLatin1(n), "QMenu");
    for (const char* n :
         {"MnuEnd", "MnuSaveFolderSel", "MnuBar2", "MnuBackup", "MnuInportBar", "MnuInport", "MnuWebBar",
          "MnuUpdateInternet", "MnuPicDelete", "MnuCopyPaste_0", "MnuCopyPaste_1"})
        add(QString::fromLatin1(n), "QAction");

    for (const auto& [name, type] : expected) {
        QObject* o = f.controlObject(name);
        ASSERT_NE(o, nullptr) << name.toStdString();
        EXPECT_TRUE(o->inherits(type)) << name.toStdString() << " is a " << o->metaObject()->className();
    }
    // The pop-up menus are not in the menu bar; SSTab1 has the ten groups.
    EXPECT_EQ(f.menuBar()->actions().size(), 2);
    EXPECT_EQ(f.SSTab1->count(), 10);
    EXPECT_EQ(f.SSTab1->tabText(9), QStringLiteral("10"));
    EXPECT_TRUE(f.MfgMeasList->Tickable());
    EXPECT_TRUE(f.MfgForwardList->Tickable());
    EXPECT_TRUE(f.control<QWidget>(QStringLiteral("CmdDataControl_1"))->isHidden());
    EXPECT_TRUE(f.control<QWidget>(QStringLiteral("TxtPoinrIn_0"))->isHidden());
}

TEST(MainWindowLoad, DefaultCurveColoursAreWrittenOnceAndReadBack)
{
    MainWindowEnv w;
    ASSERT_TRUE(pv(1).isEmpty());
    w.load();
    const QString expected[5] = {"16711680", "65280", "16776960", "255", "16711935"};
    for (int j = 1; j <= 20; ++j) {
        EXPECT_EQ(pv(j), expected[(j - 1) % 5]) << j;
        EXPECT_EQ(iv(j), expected[(j - 1) % 5]) << j;
        EXPECT_EQ(Global::CurveColors[0][std::size_t(j - 1)], expected[(j - 1) % 5].toUInt());
        EXPECT_EQ(Global::CurveColors[1][std::size_t(j - 1)], expected[(j - 1) % 5].toUInt());
    }

    // Stored colours are kept and read; a missing one reads black.
    RegStrSet(RegKeyColorPV, QStringLiteral("3"), QStringLiteral("123"));
    RegStrSet(RegKeyColorIV, QStringLiteral("20"), QStringLiteral("4660.6"));
    w.form.reset();
    w.load();
    EXPECT_EQ(pv(3), QStringLiteral("123"));
    EXPECT_EQ(Global::CurveColors[0][2], 123u);
    EXPECT_EQ(Global::CurveColors[1][19], 4661u);
}

TEST(MainWindowLoad, ASetFirstColourLeavesEveryValueAsStored)
{
    MainWindowEnv w;
    RegStrSet(RegKeyColorPV, QStringLiteral("1"), QStringLiteral("42"));
    w.load();
    EXPECT_EQ(pv(1), QStringLiteral("42"));
    EXPECT_TRUE(pv(2).isEmpty());
    EXPECT_TRUE(iv(1).isEmpty());
    EXPECT_EQ(Global::CurveColors[0][0], 42u);
    EXPECT_EQ(Global::CurveColors[0][1], 0u);
    EXPECT_EQ(Global::CurveColors[1][0], 0u);
}

TEST(MainWindowLoad, AStoredCodeBeyondAWholeNumberSetsTheInitialStateWithoutAReport)
{
    MainWindowEnv w;
    Global::MainWindowHandle = nullptr;
    FrmMain& f = w.load(QStringLiteral("1E+30"));
    EXPECT_TRUE(w.env.dialogs->log.isEmpty());
    // The load went on to its end, with the initial state set.
    EXPECT_EQ(Global::MainWindowHandle, &f);
    EXPECT_EQ(Global::HookedGrid, 1);
    EXPECT_EQ(Global::CurveColors[0][0], 16711680u);
    EXPECT_EQ(f.SSTab->currentIndex(), 0);
}

TEST(MainWindowLoad, AStoredColourBeyondItsRangeReadsBlackAndTheLoadGoesOn)
{
    // A stored colour no colour value can hold.
    MainWindowEnv w;
    Global::MainWindowHandle = nullptr;
    RegStrSet(RegKeyColorPV, QStringLiteral("1"), QStringLiteral("1E+30"));
    FrmMain& f = w.load();
    EXPECT_TRUE(w.env.dialogs->log.isEmpty());
    EXPECT_EQ(Global::CurveColors[0][0], 0u);
    EXPECT_EQ(Global::CurveColors[0][1], 0u);
    // The load went on to its end.
    EXPECT_EQ(f.windowTitle(), Global::UiText[510] + QStringLiteral("    [Version.8.8.3]"));
    EXPECT_EQ(Global::MainWindowHandle, &f);
}

// A fault met by one step of the load (the language file, a catalogue) is
// reported once, under that step's own name, and the load goes on: the frame
// around it (Form_Load, LanguageSetup, FormInitial) has nothing left to
// report, and the window comes up whole, its texts set, the customer list's
// wheel hooked.
TEST(MainWindowLoad, AFaultOfOneStepIsReportedOnceUnderItsOwnNameAndTheLoadGoesOn)
{
    auto tooManyMakers = [](const char* catalogue) {
        return [catalogue] {
            for (int k = 0; k <= 256; ++k)
                ASSERT_TRUE(QDir().mkpath(Global::DataFolder + u'/' + QLatin1String(catalogue) +
                                          QStringLiteral("/M%1").arg(k, 3, 10, QChar(u'0'))));
        };
    };
    const QString english = QStringLiteral("English.txt");
    struct Case {
        const char* name;
        const char* code; // "1": the stored language is set up; "77": none is
        std::function<void()> fault;
        QString report;   // title|start of the text
    };
    const Case cases[] = {
        {"language file is a folder", "1",
         [&] {
             ASSERT_TRUE(QFile::remove(Global::LanguageFolder + english));
             ASSERT_TRUE(QDir().mkpath(Global::LanguageFolder + english));
         },
         QStringLiteral("LanguageRead|ERROR No:75 ")},
        {"language file longer than the text table", "1",
         [&] {
             QFile f(Global::LanguageFolder + english);
             ASSERT_TRUE(f.open(QIODevice::Append));
             f.write(QByteArray(Global::UiTextCount, '\r'));
         },
         QStringLiteral("LanguageRead|ERROR No:9 ")},
        {"module makers past the catalogue's room", "1", tooManyMakers("MODULE_DATA"),
         QStringLiteral("ModuleDataRead|ERROR No:9 ")},
        {"module makers past the catalogue's room", "77", tooManyMakers("MODULE_DATA"),
         QStringLiteral("ModuleDataRead|ERROR No:9 ")},
        {"power conditioner makers past the catalogue's room", "1", tooManyMakers("POWER_CONDITIONER_DATA"),
         QStringLiteral("PowConDataRead|ERROR No:9 ")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + ", language " + c.code);
        MainWindowEnv w;
        c.fault();
        Global::MainWindowHandle = nullptr;
        FrmMain& f = w.load(QString::fromLatin1(c.code));
        const QStringList boxes = Boxes(*w.env.dialogs);
        ASSERT_EQ(boxes.size(), 1) << boxes.join(u'\n').toStdString();
        EXPECT_TRUE(boxes[0].startsWith(c.report)) << boxes[0].toStdString();
        // The load ran to its end.
        EXPECT_EQ(Global::MainWindowHandle, &f);
        EXPECT_TRUE(f.windowTitle().endsWith(QStringLiteral("[Version.8.8.3]")));
        EXPECT_EQ(f.SSTab->currentIndex(), 0);
        EXPECT_EQ(Global::HookedGrid, 1);
        EXPECT_TRUE(IsGridWheelHooked(f.MfgUserList));
        // The language set-up hides the window while it works and shows it
        // again whatever it met.
        if (QLatin1String(c.code) == QLatin1String("1"))
            EXPECT_TRUE(f.isVisible());
        EXPECT_FALSE(Global::CaptionsLoading);
    }
}

// --- the unsaved-edit flags -----------------------------------------------

class EditKeys : public ::testing::Test {
  protected:
    MainWindowEnv w;
    FrmMain* f = nullptr;
    void SetUp() override
    {
        f = &w.load();
        Global::TabModified = {};
    }
    bool press(QWidget* target, int key, Qt::KeyboardModifiers mods, const QString& text = {})
    {
        Global::TabModified = {};
        QKeyEvent e(QEvent::KeyPress, key, mods, text);
        QApplication::sendEvent(target, &e);
        return Global::TabModified[std::size_t(f->SSTab->currentIndex())];
    }
};

TEST_F(EditKeys, TheKeyRuleMarksTheTabShown)
{
    struct Case {
        const char* what;
        int key;
        Qt::KeyboardModifiers mods;
        bool marks;
    };
    const Case cases[] = {
        {"letter a", Qt::Key_A, Qt::NoModifier, true},
        {"letter z", Qt::Key_Z, Qt::NoModifier, true},
        {"digit 5", Qt::Key_5, Qt::NoModifier, true},
        {"space", Qt::Key_Space, Qt::NoModifier, true},
        {"delete", Qt::Key_Delete, Qt::NoModifier, true},
        {"backspace", Qt::Key_Backspace, Qt::NoModifier, true},
        {"enter", Qt::Key_Return, Qt::NoModifier, true},
        {"keypad enter", Qt::Key_Enter, Qt::KeypadModifier, true},
        {"keypad digit", Qt::Key_7, Qt::KeypadModifier, true},
        {"keypad plus", Qt::Key_Plus, Qt::KeypadModifier, true},
        {"keypad decimal point", Qt::Key_Period, Qt::KeypadModifier, true},
        {"keypad divide", Qt::Key_Slash, Qt::KeypadModifier, true},
        {"capital A with Shift", Qt::Key_A, Qt::ShiftModifier, false},
        {"Ctrl+C", Qt::Key_C, Qt::ControlModifier, false},
        {"Alt+F", Qt::Key_F, Qt::AltModifier, false},
        {"keypad digit with Ctrl", Qt::Key_7, Qt::KeypadModifier | Qt::ControlModifier, false},
        {"comma", Qt::Key_Comma, Qt::NoModifier, false},
        {"minus on the main keys", Qt::Key_Minus, Qt::NoModifier, false},
        {"period on the main keys", Qt::Key_Period, Qt::NoModifier, false},
        {"arrow", Qt::Key_Left, Qt::NoModifier, false},
        {"keypad arrow (Num Lock off)", Qt::Key_Home, Qt::KeypadModifier, false},
        {"F5", Qt::Key_F5, Qt::NoModifier, false},
        {"tab", Qt::Key_Tab, Qt::NoModifier, false},
    };
    auto* button = f->control<QPushButton>(QStringLiteral("CmdBtn_3"));
    for (const auto& c : cases)
        EXPECT_EQ(press(button, c.key, c.mods), c.marks) << c.what;

    // The flag of the tab shown, whatever control gets the key.
    f->SSTab->setCurrentIndex(3);
    EXPECT_TRUE(press(f->control<QPushButton>(QStringLiteral("CmdModuleReg_0")), Qt::Key_B, Qt::NoModifier));
    EXPECT_FALSE(Global::TabModified[0]);
}

TEST_F(EditKeys, TextThatReachesABoxAnotherWayMarksItsTabToo)
{
    auto* code = f->control<QLineEdit>(QStringLiteral("TxtIn_0"));
    code->setEnabled(true);
    // A capital letter typed with Shift.
    EXPECT_TRUE(press(code, Qt::Key_A, Qt::ShiftModifier, QStringLiteral("A")));
    EXPECT_EQ(code->text(), QStringLiteral("A"));
    // Text from an input method.
    Global::TabModified = {};
    QInputMethodEvent ime(QString(), {});
    ime.setCommitString(QStringLiteral("東京"));
    QApplication::sendEvent(code, &ime);
    EXPECT_TRUE(Global::TabModified[0]);
    // A paste.
    Global::TabModified = {};
    QGuiApplication::clipboard()->setText(QStringLiteral("-12"));
    code->paste();
    EXPECT_TRUE(Global::TabModified[0]);
    // A choice made in a list of the catalogue.
    Global::TabModified = {};
    emit f->control<QComboBox>(QStringLiteral("CmbCel"))->activated(2);
    EXPECT_TRUE(Global::TabModified[3]);
    // Text the program sets marks nothing.
    Global::TabModified = {};
    code->setText(QStringLiteral("set by the program"));
    f->control<QComboBox>(QStringLiteral("CmbCel"))->setCurrentIndex(1);
    EXPECT_EQ(Global::TabModified, (std::array<bool, 4>{}));
}

// --- closing ------------------------------------------------------------

class Closing : public ::testing::Test {
  protected:
    MainWindowEnv w;
    FrmMain* f = nullptr;
    void SetUp() override
    {
        f = &w.load();
        w.env.dialogs->log.clear();
        Global::TabModified = {};
    }
    QStringList asked() const { return w.env.dialogs->messages(); }
    QString ui(int key) const { return Global::UiText[key]; }
};

TEST_F(Closing, NoToSaveAndNoToEndKeepsTheWindowAndAsksOnlyTheEndNextTime)
{
    Global::TabModified[0] = true;
    w.env.dialogs->answer(vbNo);
    w.env.dialogs->answer(vbNo);
    bool cancel = false;
    f->Form_QueryUnload(cancel, vbFormControlMenu);
    EXPECT_TRUE(cancel);
    EXPECT_EQ(asked(), (QStringList{ui(578), ui(516)}));
    const auto& q = w.env.dialogs->log[1].message;
    EXPECT_EQ(q.buttons, vbYesNo);
    EXPECT_EQ(q.icon, vbQuestion);
    EXPECT_EQ(q.defaultButton, 0);
    EXPECT_EQ(q.title, AppTitle);
    EXPECT_FALSE(Global::TabModified[0]);

    w.env.dialogs->log.clear();
    w.env.dialogs->answer(vbNo);
    f->Form_QueryUnload(cancel, vbFormControlMenu);
    EXPECT_TRUE(cancel);
    EXPECT_EQ(asked(), QStringList{ui(516)});
}

TEST_F(Closing, YesToEndUnhooksTheWheelAndEndsTheProgram)
{
    ASSERT_TRUE(IsGridWheelHooked(f->MfgUserList));
    w.env.dialogs->answer(vbYes);
    bool cancel = false;
    EXPECT_THROW(f->Form_QueryUnload(cancel, vbFormControlMenu), ProgramEnded);
    EXPECT_FALSE(IsGridWheelHooked(f->MfgUserList));
}

TEST_F(Closing, ASaveThatFailsKeepsTheWindowAndItsEdits)
{
    // Nothing typed: the customer cannot be saved.
    Global::TabModified[0] = true;
    w.env.dialogs->answer(vbYes);
    bool cancel = false;
    EXPECT_NO_THROW(f->Form_QueryUnload(cancel, vbFormControlMenu));
    EXPECT_TRUE(cancel);
    EXPECT_EQ(asked().first(), ui(578));
    EXPECT_FALSE(asked().contains(ui(516)));
    EXPECT_TRUE(Global::TabModified[0]);
}

TEST_F(Closing, CatalogueEditsAreAskedAboutOnlyWithAModelSelectedOnThePageShown)
{
    Global::TabModified[3] = true;
    Global::CurModuleModel = -1;
    Global::CurPowConModel = 0; // selected, but on the page not shown
    w.env.dialogs->answer(vbNo);
    f->MnuEnd_Click();
    EXPECT_EQ(asked(), QStringList{ui(516)});
    EXPECT_FALSE(Global::TabModified[3]);

    w.env.dialogs->log.clear();
    Global::TabModified[3] = true;
    Global::CurModuleModel = 2;
    w.env.dialogs->answer(vbNo);
    w.env.dialogs->answer(vbNo);
    f->MnuEnd_Click();
    EXPECT_EQ(asked(), (QStringList{ui(578), ui(516)}));
    EXPECT_TRUE(f->isVisible());
}

TEST_F(Closing, AClosingNotAskedForByTheUserEndsAtOnce)
{
    Global::TabModified[0] = true;
    for (int mode : {vbFormCode, vbAppWindows, vbAppTaskManager, vbFormOwner}) {
        bool cancel = false;
        EXPECT_THROW(f->Form_QueryUnload(cancel, mode), ProgramEnded) << mode;
    }
    EXPECT_TRUE(asked().isEmpty());
}

// Closing by real close events: a click on the close box is the user's, a
// close from code is the program's.

TEST_F(Closing, TheCloseBoxAsksAndNoKeepsTheWindow)
{
    f->show();
    Global::TabModified[0] = true;
    w.env.dialogs->answer(vbNo);
    w.env.dialogs->answer(vbNo);
    EXPECT_FALSE(CloseBoxClick(f));
    EXPECT_TRUE(f->isVisible());
    EXPECT_EQ(asked(), (QStringList{ui(578), ui(516)}));
    EXPECT_TRUE(IsGridWheelHooked(f->MfgUserList));
}

using ClosingDeathTest = Closing;

// Runs `close` in the child of a death test, where ending the program really
// exits; the exit prints how many questions were asked and whether the
// wheel was still hooked.
void closeInChild(FrmMain* f, ScriptedDialogs* dialogs, const std::function<void()>& close)
{
    Global::EndProgramHook = nullptr;
    Global::OnEndProgram = [f, dialogs] {
        std::fprintf(stderr, "ended asked=%d hooked=%d\n", int(dialogs->log.size()),
                     int(IsGridWheelHooked(f->MfgUserList)));
    };
    close();
    std::fprintf(stderr, "still running\n");
    std::exit(3);
}

TEST_F(ClosingDeathTest, TheCloseBoxAndYesEndTheProgramUnhooked)
{
    f->show();
    EXPECT_EXIT(closeInChild(f, w.env.dialogs,
                             [&] {
                                 w.env.dialogs->answer(vbYes);
                                 CloseBoxClick(f);
                             }),
                ::testing::ExitedWithCode(0), "ended asked=1 hooked=0");
}

TEST_F(ClosingDeathTest, AProgramCloseEndsAtOnceWithoutAsking)
{
    f->show();
    Global::TabModified[0] = true;
    EXPECT_EXIT(closeInChild(f, w.env.dialogs, [&] { f->close(); }), ::testing::ExitedWithCode(0),
                "ended asked=0 hooked=1");
}

// --- the wheel hook follows the tab shown ---------------------------------

TEST(MainWindowWheel, TheWheelScrollsTheListOfTheTabShown)
{
    MainWindowEnv w;
    FrmMain& f = w.load();
    f.resize(1300, 700);
    f.show();
    FlexGrid* list = f.MfgUserList;
    list->setRows(200);
    QApplication::processEvents();
    list->setTopRow(20);
    auto notch = [&](FlexGrid* g, int delta) {
        QWheelEvent e(QPointF(30, 30), QPointF(30, 30), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(g->viewport(), &e);
    };
    notch(list, -120);
    EXPECT_EQ(list->TopRow(), 21);
    notch(list, 120);
    EXPECT_EQ(list->TopRow(), 20);

    struct Case {
        int tab;
        int hooked;
        FlexGrid* grid;
    };
    const Case cases[] = {{1, 2, f.MfgMeasList}, {2, 3, f.MfgForwardList}, {3, 4, nullptr}, {0, 1, list}};
    for (const auto& c : cases) {
        // Without a customer chosen the measurement tabs cannot be entered:
        // the tab is shown as the caption set-up shows it, and hooked.
        if (c.tab == 1 || c.tab == 2) {
            const QSignalBlocker quiet(f.SSTab);
            f.SSTab->setCurrentIndex(c.tab);
            f.TabGridHook();
        } else {
            f.SSTab->setCurrentIndex(c.tab);
            EXPECT_EQ(f.control<QAction>(QStringLiteral("MnuInport"))->isVisible(), c.tab == 3);
        }
        EXPECT_EQ(Global::HookedGrid, c.hooked) << c.tab;
        for (FlexGrid* g : {f.MfgUserList, f.MfgMeasList, f.MfgForwardList})
            EXPECT_EQ(IsGridWheelHooked(g), g == c.grid) << c.tab << g->objectName().toStdString();
    }
    f.SSTab->setCurrentIndex(3);
    notch(list, -120);
    EXPECT_EQ(list->TopRow(), 20);
}

TEST(MainWindowWheel, TheCustomerListTakesNoFocusWhileAnotherWindowIsInFront)
{
    MainWindowEnv w;
    FrmMain& f = w.load();
    QWidget other;
    Global::MainWindowHandle = &other;
    f.MfgUserList_MouseMove(QPoint(12, 34));
    EXPECT_FALSE(f.MfgUserList->hasFocus());
    EXPECT_EQ(Global::UserListMouseX, 12);
    EXPECT_EQ(Global::UserListMouseY, 34);
}

TEST(MainWindowWheel, TheCustomerListTakesTheFocusUnderAMovingMouseInTheWindowInFront)
{
    MainWindowEnv w;
    FrmMain& f = w.load();
    f.show();
    QApplication::setActiveWindow(&f);
    ASSERT_EQ(QApplication::activeWindow(), &f);
    auto* box = f.control<QLineEdit>(QStringLiteral("TxtIn_0"));
    box->setEnabled(true);
    auto move = [&](QPoint p) {
        QWidget* viewport = f.MfgUserList->viewport();
        QMouseEvent e(QEvent::MouseMove, p, viewport->mapToGlobal(p), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
        QApplication::sendEvent(viewport, &e);
    };
    Global::UserListMouseX = Global::UserListMouseY = 0;
    box->setFocus();
    ASSERT_TRUE(box->hasFocus());
    move(QPoint(40, 50));
    EXPECT_TRUE(f.MfgUserList->hasFocus());
    // The mouse where it was last seen takes nothing; a move does.
    box->setFocus();
    move(QPoint(40, 50));
    EXPECT_TRUE(box->hasFocus());
    move(QPoint(40, 51));
    EXPECT_TRUE(f.MfgUserList->hasFocus());
}

} // namespace

