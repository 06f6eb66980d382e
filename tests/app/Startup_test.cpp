// Start-up in the process: language files and the first-run choice, the
// data folder, the sort settings, the single instance and the firmware
// check's hand-over to the wizard.
#include "instrument/UsbTestSupport.h"

#include "app/FrmFolderList.h"
#include "app/FrmPass.h"
#include "app/FrmSplash.h"
#include "app/FrmMainEntry.h"
#include "common/FrmMessWindow.h"
#include <QLineEdit>
#include "common/Language.h"
#include "app/Startup.h"
#include "instrument/FirmwareWizard.h"
#include "platform/AnsiCodec.h"
#include "platform/AppPaths.h"
#include "platform/FileIo.h"
#include "platform/Registry.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLockFile>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

namespace {

QString reg(const QString& name)
{
    return RegStrGet(RegKeySystem, name);
}

const QLocale kUs(QLocale::English, QLocale::UnitedStates);
const QLocale kJapan(QLocale::Japanese, QLocale::Japan);

} // namespace

class StartupTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        env.installLanguageFiles();
        link.sim->openFailures = -1; // no instrument unless a test plugs one in
        Global::ShowMainWindowHook = [this] { ++mainShown; };
        Global::InstanceLock.reset();
        Global::SystemLocaleOverride = kUs;
        Global::DataFolder.clear();
        Global::RecordSize = 0;
        Global::SortColumn = Global::SortDirection = -1;
    }
    void TearDown() override
    {
        Global::ShowMainWindowHook = nullptr;
        Global::InstanceLock.reset();
        Global::SystemLocaleOverride.reset();
        for (QWidget* w : QApplication::topLevelWidgets())
            delete w;
    }
    QString languageFolder() const { return env.programFolder() + QStringLiteral("/LANGUAGE/"); }
    void clearLanguageFolder() const
    {
        QDir(languageFolder()).removeRecursively();
        QDir().mkpath(languageFolder());
    }
    void languageFile(const QString& name, const QStringList& lines) const
    {
        ASSERT_TRUE(WriteFileAtomic(languageFolder() + name, AnsiCodec::joinLines(lines)));
    }
    // Runs Main; true when it ended the program.
    bool runMain(bool* windowOpen = nullptr)
    {
        try {
            bool open = Main();
            if (windowOpen)
                *windowOpen = open;
            return false;
        } catch (const ProgramEnded&) {
            return true;
        }
    }

    TestEnv env;
    SimulatedLink link;
    int mainShown = 0;
};

TEST_F(StartupTest, FirstRunStoresTheDefaultsAndOpensTheMainWindow)
{
    bool open = false;
    EXPECT_FALSE(runMain(&open));
    EXPECT_TRUE(open);
    EXPECT_EQ(mainShown, 1);
    EXPECT_EQ(reg("Language"), QStringLiteral("1"));
    EXPECT_EQ(Global::UiText[0], QStringLiteral("English"));
    EXPECT_EQ(Global::UiText[563], QStringLiteral("Instrument communication error"));
    const QString data = env.home() + QStringLiteral("/SOLAR_DATA/Heliodex");
    EXPECT_EQ(reg("SaveFolder"), data);
    EXPECT_EQ(Global::DataFolder, data);
    EXPECT_TRUE(QFileInfo(data).isDir());
    EXPECT_EQ(Global::RecordSize, 1184);
    EXPECT_EQ(Global::LanguageFolder, languageFolder());
    EXPECT_EQ(Global::LanguageCount, 2);
    EXPECT_EQ(Global::SortColumn, 0);
    EXPECT_EQ(Global::SortDirection, 0);
    EXPECT_TRUE(env.dialogs->log.isEmpty());
    // The splash is gone once the main window is there.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(w->objectName() == QLatin1String("frmSplash") && w->isVisible());
}

TEST_F(StartupTest, FirstRunLanguageFollowsTheSystemCountry)
{
    struct Case {
        const char* name;
        QLocale country;
        QList<QPair<QString, QString>> files; // file name, code line
        QString stored;
        QString loadedName;
    } cases[] = {
        {"other country", kUs, {{"English.txt", "1"}, {"Japanese.txt", "81"}}, "1", "English"},
        {"Japan", kJapan, {{"English.txt", "1"}, {"Japanese.txt", "81"}}, "81", "Japanese"},
        {"Japan without 81", kJapan, {{"a.txt", "5"}, {"b.txt", "1"}}, "1", "b"},
        {"neither 1 nor 81", kUs, {{"B.txt", "9"}, {"a.txt", "7 Deutsch"}}, "7 Deutsch", "a"},
        {"Japan, neither 1 nor 81", kJapan, {{"x.TXT", "44"}, {"y.txt", "81.5"}}, "44", "x"},
        {"code 81 with words", kJapan, {{"a.txt", "1"}, {"b.txt", " 81 nihongo"}}, "81", "b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestEnv caseEnv;
        Global::InstanceLock.reset();
        Global::SystemLocaleOverride = c.country;
        QDir().mkpath(caseEnv.programFolder() + QStringLiteral("/LANGUAGE"));
        for (const auto& [file, code] : c.files) {
            QString name = file;
            name.chop(4);
            ASSERT_TRUE(WriteFileAtomic(caseEnv.programFolder() + QStringLiteral("/LANGUAGE/") + file,
                                        AnsiCodec::joinLines({name, code, QStringLiteral("text 2")})));
        }
        EXPECT_FALSE(runMain());
        EXPECT_EQ(reg("Language"), c.stored);
        EXPECT_EQ(Global::UiText[0], c.loadedName);
        Global::InstanceLock.reset(); // before its folder goes
    }
    env.dialogs = nullptr; // the case environments replaced the dialogs
}

TEST_F(StartupTest, AStoredLanguageIsKeptAndOneWithoutAFileIsChosenAgain)
{
    RegStrSet(RegKeySystem, "Language", "81");
    EXPECT_FALSE(runMain());
    EXPECT_EQ(Global::UiText[0], QStringLiteral("日本語"));
    EXPECT_EQ(reg("Language"), QStringLiteral("81"));

    // A code no file carries, one too large for a whole number, and one
    // whose file is gone are chosen again as on a first run, and stored.
    struct Case {
        const char* stored;
        QLocale country;
        const char* storedAfter;
        const char* loaded;
    } cases[] = {
        {"44", kUs, "1", "English"},
        {"1E+30", kUs, "1", "English"},
        {"-1E+30", kJapan, "81", "日本語"},
        {"81.4", kUs, "81.4", "日本語"}, // rounds to 81: kept
        {"0.5", kUs, "1", "English"},  // rounds to 0 (halves to even): no file
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        Global::InstanceLock.reset();
        Global::UiText = QStringList(Global::UiTextCount);
        Global::SystemLocaleOverride = c.country;
        RegStrSet(RegKeySystem, "Language", QString::fromUtf8(c.stored));
        EXPECT_FALSE(runMain());
        EXPECT_EQ(reg("Language"), QString::fromUtf8(c.storedAfter));
        EXPECT_EQ(Global::UiText[0], QString::fromUtf8(c.loaded));
    }

    Global::InstanceLock.reset();
    Global::SystemLocaleOverride = kUs;
    RegStrSet(RegKeySystem, "Language", "81");
    QFile::remove(languageFolder() + QStringLiteral("Japanese.txt"));
    EXPECT_FALSE(runMain());
    EXPECT_EQ(reg("Language"), QStringLiteral("1"));
    EXPECT_EQ(Global::UiText[0], QStringLiteral("English"));
    EXPECT_EQ(mainShown, 7);
    EXPECT_TRUE(env.dialogs->log.isEmpty());
}

TEST_F(StartupTest, LanguageFilesWithoutNameAndCodeAndThoseBeyond101AreSkipped)
{
    clearLanguageFolder();
    languageFile(QStringLiteral("0-empty.txt"), {});
    languageFile(QStringLiteral("0-one-line.txt"), {QStringLiteral("Broken")});
    for (int i = 1; i <= 102; ++i)
        languageFile(QStringLiteral("L%1.txt").arg(i, 3, 10, QChar(u'0')),
                     {QStringLiteral("Lang %1").arg(i), QString::number(i)});
    languageFile(QStringLiteral("notes.doc"), {QStringLiteral("x"), QStringLiteral("1")});
    EXPECT_FALSE(runMain());
    EXPECT_EQ(Global::LanguageCount, 101);
    EXPECT_EQ(Global::LanguageFiles[0], QStringLiteral("L001.txt"));
    EXPECT_EQ(Global::LanguageFiles[100], QStringLiteral("L101.txt"));
    EXPECT_EQ(Global::LanguageList[4][0], QStringLiteral("Lang 5"));
    EXPECT_EQ(Global::LanguageList[4][1], QStringLiteral("5"));
    EXPECT_EQ(reg("Language"), QStringLiteral("1"));
    EXPECT_EQ(mainShown, 1);
    EXPECT_TRUE(env.dialogs->log.isEmpty());
}

TEST_F(StartupTest, NoLanguageFileEndsWithTheFixedMessage)
{
    struct Case {
        QLocale country;
        QString text;
    } cases[] = {{kUs, NoLanguageFileTextEnglish}, {kJapan, NoLanguageFileTextJapanese}};
    for (const Case& c : cases) {
        QDir(languageFolder()).removeRecursively();
        Global::InstanceLock.reset();
        Global::SystemLocaleOverride = c.country;
        env.dialogs->log.clear();
        EXPECT_TRUE(runMain());
        ASSERT_EQ(env.dialogs->log.size(), 1);
        const MessageRequest& m = env.dialogs->log[0].message;
        EXPECT_EQ(m.text, c.text);
        EXPECT_EQ(m.title, QStringLiteral("Heliodex"));
        EXPECT_EQ(m.icon, vbCritical);
        EXPECT_TRUE(QFileInfo(languageFolder()).isDir()); // created when missing
    }
    EXPECT_EQ(reg("Language"), QString());
    EXPECT_EQ(mainShown, 0);
}

TEST_F(StartupTest, SecondInstanceIsRefusedWithoutTouchingTheSettings)
{
    struct Case {
        QLocale country;
        QString text;
    } cases[] = {{kUs, SecondInstanceTextEnglish}, {kJapan, SecondInstanceTextJapanese}};
    QLockFile other(env.root() + QStringLiteral("/heliodex.lock"));
    ASSERT_TRUE(other.tryLock(0));
    for (const Case& c : cases) {
        Global::SystemLocaleOverride = c.country;
        env.dialogs->log.clear();
        EXPECT_TRUE(runMain());
        ASSERT_EQ(env.dialogs->log.size(), 1);
        const MessageRequest& m = env.dialogs->log[0].message;
        EXPECT_EQ(m.text, c.text);
        EXPECT_EQ(m.title, QStringLiteral("Heliodex"));
        EXPECT_EQ(m.icon, vbCritical);
    }
    EXPECT_EQ(reg("Language"), QString());
    EXPECT_EQ(reg("SaveFolder"), QString());
    EXPECT_EQ(mainShown, 0);
}

TEST_F(StartupTest, DataFolderStoredDefaultOrMissing)
{
    // Stored and there.
    RegStrSet(RegKeySystem, "SaveFolder", env.dataFolder());
    EXPECT_FALSE(runMain());
    EXPECT_EQ(Global::DataFolder, env.dataFolder());
    EXPECT_EQ(mainShown, 1);

    // Stored but gone: the message, then the password window in place of
    // the main window.
    Global::InstanceLock.reset();
    const QString gone = env.root() + QStringLiteral("/gone");
    RegStrSet(RegKeySystem, "SaveFolder", gone);
    bool open = false;
    EXPECT_FALSE(runMain(&open));
    EXPECT_TRUE(open);
    EXPECT_EQ(mainShown, 1);
    ASSERT_TRUE(Global::PassForm);
    EXPECT_TRUE(Global::PassForm->isVisible());
    for (QWidget* w : QApplication::topLevelWidgets()) // no splash either
        EXPECT_FALSE(w->objectName() == QLatin1String("frmSplash") && w->isVisible());
    delete Global::PassForm;
    ASSERT_EQ(env.dialogs->log.size(), 1);
    EXPECT_EQ(env.dialogs->log[0].message.text, Global::UiText[679]);
    EXPECT_EQ(env.dialogs->log[0].message.icon, vbExclamation);
    EXPECT_EQ(env.dialogs->log[0].message.title, QStringLiteral("Heliodex"));
    EXPECT_FALSE(QFileInfo::exists(gone));
    EXPECT_EQ(reg("SaveFolder"), gone);

    // None stored, the program folder holds user_data: it becomes the data folder.
    Global::InstanceLock.reset();
    RegStrSet(RegKeySystem, "SaveFolder", "");
    QDir().mkpath(env.programFolder() + QStringLiteral("/user_data"));
    EXPECT_FALSE(runMain());
    EXPECT_EQ(reg("SaveFolder"), env.programFolder());
    EXPECT_EQ(Global::DataFolder, env.programFolder());
    EXPECT_EQ(mainShown, 2);
}

TEST_F(StartupTest, AMissingDataFolderIsChosenAgainBehindThePassword)
{
    const QString gone = env.root() + QStringLiteral("/gone");
    const QString chosen = env.root() + QStringLiteral("/found/again");
    RegStrSet(RegKeySystem, "SaveFolder", gone);
    EXPECT_FALSE(runMain());
    ASSERT_TRUE(Global::PassForm);
    FrmPass* pass = Global::PassForm;
    EXPECT_EQ(pass->mode(), PassSetNew);
    pass->txtPassword[0]->setText(QStringLiteral("pw"));
    pass->txtPassword[1]->setText(QStringLiteral("pw"));
    pass->cmdOK_Click();
    EXPECT_EQ(reg("Password"), QStringLiteral("pw"));
    ASSERT_TRUE(Global::FolderListForm);
    FrmFolderList* folders = Global::FolderListForm;
    EXPECT_TRUE(folders->isVisible());
    EXPECT_FALSE(pass->isVisible());
    EXPECT_EQ(folders->TxtDefaultFolder->text(), gone);
    folders->TxtFolderIn->setText(chosen);
    EXPECT_THROW(folders->CmdOK_Click(), ProgramEnded);
    EXPECT_EQ(reg("SaveFolder"), chosen);
    EXPECT_TRUE(QFileInfo(chosen).isDir());
    EXPECT_EQ(env.dialogs->messages(), (QStringList{Global::UiText[679], Global::UiText[721], Global::UiText[595]}));
    EXPECT_EQ(mainShown, 0);
    EXPECT_FALSE(FrmMainIsLoaded());
}

TEST_F(StartupTest, GivingUpOnAMissingDataFolderEndsTheProgram)
{
    const QString gone = env.root() + QStringLiteral("/gone");
    RegStrSet(RegKeySystem, "SaveFolder", gone);
    RegStrSet(RegKeySystem, "Password", "pw");
    // Cancel in the password window, Cancel or the close box in the
    // data-folder window: no main window opens on the missing folder.
    const std::function<void()> giveUp[] = {
        [] { Global::PassForm->cmdCancel_Click(); },
        [] {
            bool cancel = false;
            Global::PassForm->Form_QueryUnload(cancel, vbFormControlMenu);
        },
        [] {
            Global::PassForm->txtPassword[0]->setText(QStringLiteral("pw"));
            Global::PassForm->cmdOK_Click();
            Global::FolderListForm->cmdCancel_Click();
        },
        [] {
            Global::PassForm->txtPassword[0]->setText(QStringLiteral("pw"));
            Global::PassForm->cmdOK_Click();
            bool cancel = false;
            Global::FolderListForm->Form_QueryUnload(cancel, vbFormControlMenu);
        },
    };
    for (const auto& step : giveUp) {
        Global::InstanceLock.reset();
        delete Global::PassForm;
        delete Global::FolderListForm;
        EXPECT_FALSE(runMain());
        ASSERT_TRUE(Global::PassForm);
        EXPECT_THROW(step(), ProgramEnded);
        EXPECT_FALSE(FrmMainIsLoaded());
        EXPECT_EQ(mainShown, 0);
        EXPECT_EQ(reg("SaveFolder"), gone);
    }
}

TEST_F(StartupTest, ADefaultDataFolderThatCannotBeMadeIsRefusedAndNotStored)
{
    const QString base = env.home() + QStringLiteral("/SOLAR_DATA");
    const QString folder = base + QStringLiteral("/Heliodex");
    auto putFile = [](const QString& path) {
        QDir().mkpath(QFileInfo(path).path());
        ASSERT_TRUE(WriteFileAtomic(path, "not a folder"));
    };
    // A file with the folder's name; a file in place of its parent; a home
    // so deep that the folder's path is too long to be created.
    const QString deepHome = env.root() + u'/' + QString(240, u'h');
    struct Case {
        const char* what;
        std::function<void()> arrange;
        QString home;
    } cases[] = {
        {"the folder is a file", [&] { putFile(folder); }, env.home()},
        {"its parent is a file", [&] { putFile(base); }, env.home()},
        {"its path is too long", [&] { QDir().mkpath(deepHome); }, deepHome},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(base).removeRecursively();
        QFile::remove(base);
        c.arrange();
        Global::HomeOverride = c.home;
        Global::InstanceLock.reset();
        env.dialogs->log.clear();
        bool open = false;
        EXPECT_FALSE(runMain(&open));
        // The user chooses a data folder behind the password window.
        EXPECT_TRUE(open);
        ASSERT_TRUE(Global::PassForm);
        delete Global::PassForm;
        ASSERT_EQ(env.dialogs->log.size(), 1);
        const MessageRequest& m = env.dialogs->log[0].message;
        EXPECT_EQ(m.text, Global::UiText[800] + QStringLiteral("\r\n\r\n") + c.home +
                              QStringLiteral("/SOLAR_DATA/Heliodex"));
        EXPECT_FALSE(Global::UiText[800].isEmpty());
        EXPECT_EQ(m.icon, vbExclamation);
        EXPECT_EQ(m.buttons, vbOKOnly);
        EXPECT_EQ(m.title, QStringLiteral("Heliodex"));
        EXPECT_EQ(reg("SaveFolder"), QString());
        EXPECT_EQ(mainShown, 0);
    }

    // Once the file has gone, the next start stores and creates the folder.
    Global::HomeOverride = env.home();
    QFile::remove(base);
    Global::InstanceLock.reset();
    env.dialogs->log.clear();
    EXPECT_FALSE(runMain());
    EXPECT_TRUE(env.dialogs->log.isEmpty());
    EXPECT_EQ(reg("SaveFolder"), folder);
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(mainShown, 1);
}

TEST_F(StartupTest, SettingsThatCannotBeStoredEndTheStartWithItsErrorReport)
{
    // A file where the settings' folder would be: nothing can be stored.
    const QString settingsFolder = env.root() + QStringLiteral("/config/Tolvane");
    ASSERT_TRUE(WriteFileAtomic(settingsFolder, "in the way"));
    bool open = true;
    EXPECT_FALSE(runMain(&open));
    EXPECT_FALSE(open);
    ASSERT_EQ(env.dialogs->log.size(), 1);
    const MessageRequest& m = env.dialogs->log[0].message;
    EXPECT_EQ(m.text, QStringLiteral("ERROR No:75 Path/File access error"));
    EXPECT_EQ(m.title, QStringLiteral("Main"));
    EXPECT_EQ(m.icon, 0);
    EXPECT_EQ(m.buttons, vbOKOnly);
    EXPECT_EQ(mainShown, 0);
}

TEST_F(StartupTest, TheLanguageFolderIsFoundWithoutLetterCase)
{
    struct Case {
        const char* what;
        QStringList folders;
        QStringList files;
        QString found;
    } cases[] = {
        {"lower case", {"language"}, {}, "language"},
        {"mixed case", {"Language"}, {}, "Language"},
        {"the exact name first", {"language", "LANGUAGE"}, {}, "LANGUAGE"},
        {"a file is no folder", {"language"}, {"LANGUAGE"}, "language"},
        {"none", {}, {"Language.txt"}, "LANGUAGE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir program;
        for (const QString& f : c.folders)
            QDir(program.path()).mkdir(f);
        for (const QString& f : c.files)
            ASSERT_TRUE(WriteFileAtomic(program.path() + u'/' + f, "x"));
        Global::ProgramFolderOverride = program.path();
        EXPECT_EQ(AppPaths::languageFolder(), program.path() + u'/' + c.found + u'/');
    }
    Global::ProgramFolderOverride = env.programFolder();

    // The shipped files in a folder named in lower case start the program.
    QDir(env.programFolder()).rename(QStringLiteral("LANGUAGE"), QStringLiteral("language"));
    bool open = false;
    EXPECT_FALSE(runMain(&open));
    EXPECT_TRUE(open);
    EXPECT_TRUE(env.dialogs->log.isEmpty());
    EXPECT_EQ(Global::LanguageFolder, env.programFolder() + QStringLiteral("/language/"));
    EXPECT_EQ(Global::LanguageCount, 2);
    EXPECT_EQ(Global::UiText[0], QStringLiteral("English"));
    EXPECT_FALSE(QFileInfo::exists(env.programFolder() + QStringLiteral("/LANGUAGE")));
}

TEST_F(StartupTest, QtsOwnTextsFollowTheLanguageFile)
{
    auto yesNo = [] {
        QMessageBox box;
        return box.addButton(QMessageBox::Yes)->text() + u'|' + box.addButton(QMessageBox::No)->text();
    };
    struct Case {
        const char* stored;
        QString buttons;
    } cases[] = {
        {"81", QStringLiteral("はい(&Y)|いいえ(&N)")},
        {"1", QStringLiteral("&Yes|&No")},
        {"81", QStringLiteral("はい(&Y)|いいえ(&N)")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        Global::InstanceLock.reset();
        RegStrSet(RegKeySystem, "Language", QString::fromUtf8(c.stored));
        EXPECT_FALSE(runMain());
        EXPECT_EQ(yesNo(), c.buttons) << "Qt's Japanese texts come with Debian's qt6-translations-l10n";
    }
    // A Japanese file under another code leaves Qt English.
    clearLanguageFolder();
    languageFile(QStringLiteral("J.txt"), {QStringLiteral("日本語"), QStringLiteral("2")});
    Global::InstanceLock.reset();
    RegStrSet(RegKeySystem, "Language", "2");
    EXPECT_FALSE(runMain());
    EXPECT_EQ(yesNo(), QStringLiteral("&Yes|&No"));
}

TEST_F(StartupTest, SortSettingsAreRead)
{
    RegNumSet(RegKeySystem, "SortCol", 4);
    RegNumSet(RegKeySystem, "SortContition", 5);
    EXPECT_FALSE(runMain());
    EXPECT_EQ(Global::SortColumn, 4);
    EXPECT_EQ(Global::SortDirection, 0);

    Global::InstanceLock.reset();
    RegNumSet(RegKeySystem, "SortContition", 1);
    EXPECT_FALSE(runMain());
    EXPECT_EQ(Global::SortDirection, 1);
}

TEST_F(StartupTest, ANewerFirmwareRunsTheWizardBeforeTheMainWindow)
{
    SimulatedInstrument& sim = *link.sim;
    sim.openFailures = 0;
    sim.dateAnswer = "2020/01/01 10:00:00,2";
    sim.informationAnswer = "7391_V2.0,KRX-260N";
    QFile::copy(QStringLiteral(HX_FIXTURES "/firmware/KRX260.MOT"), env.programFolder() + "/krx260.mot");

    int mainShownDuringWizard = -1;
    // The user declines the update in the wizard's second window: each click
    // once its window is shown, however slowly the machine gets there.
    auto shownWindow = [](const char* name) -> QWidget* {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->objectName() == QLatin1String(name))
                return w;
        return nullptr;
    };
    QTimer user;
    bool firstDone = false;
    QObject::connect(&user, &QTimer::timeout, [&] {
        if (!firstDone) {
            if (auto* s = static_cast<WMenuS*>(shownWindow("WMenuS"))) {
                mainShownDuringWizard = mainShown;
                firstDone = true;
                s->CmdBtn->click();
            }
        } else if (auto* w1 = static_cast<WMenu1*>(shownWindow("WMenu1"))) {
            user.stop();
            w1->OptSel[1]->setChecked(true);
            w1->Command1->click();
        }
    });
    user.start(20);
    EXPECT_FALSE(runMain());
    EXPECT_EQ(mainShownDuringWizard, 0);
    EXPECT_EQ(mainShown, 1);
    EXPECT_EQ(Global::FirmwareFilePath, env.programFolder() + "/krx260.mot");
    EXPECT_FALSE(Global::FirmwareWizardActive);
    EXPECT_FALSE(sim.isOpen());
    EXPECT_EQ(sim.writes(), (QList<QByteArray>{"#DATE", "#INFORMATION_READ"}));
}

TEST_F(StartupTest, AnInstrumentThatDoesNotAnswerIsOfferedNoUpdateAndTheStartGoesOn)
{
    link.sim->openFailures = 0;
    link.sim->silent = true;
    EXPECT_FALSE(runMain());
    EXPECT_TRUE(env.dialogs->log.isEmpty());
    EXPECT_EQ(mainShown, 1);
    EXPECT_FALSE(link.sim->isOpen());
}

TEST_F(StartupTest, AnUnreadableFirmwareDateOffersNoUpdate)
{
    link.sim->openFailures = 0;
    link.sim->dateAnswer = "??,7";
    QFile::copy(QStringLiteral(HX_FIXTURES "/firmware/KRX260.MOT"), env.programFolder() + "/QTM.MOT");
    EXPECT_FALSE(runMain());
    EXPECT_EQ(mainShown, 1);
    EXPECT_FALSE(link.sim->isOpen());
    EXPECT_TRUE(env.dialogs->log.isEmpty());
}

TEST_F(StartupTest, SplashShowsVersionTitleAndTexts)
{
    TestEnv::loadUiText(QStringLiteral("Japanese"));
    auto* splash = new frmSplash;
    EXPECT_EQ(splash->lblVersion->text(), QStringLiteral("[Version.8.8.3]"));
    EXPECT_EQ(splash->lblProductName->text(), QStringLiteral("Heliodex"));
    EXPECT_EQ(splash->lblCompanyProduct->text(), Global::UiText[510]);
    EXPECT_EQ(splash->LblLoadingMess->text(), Global::UiText[776]);
    splash->show();
    const QString dir = qEnvironmentVariable("HX_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        splash->grab().save(dir + QStringLiteral("/frmSplash-Japanese.png"));
    // A key closes it.
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QCoreApplication::sendEvent(splash, &key);
    EXPECT_FALSE(splash->isVisible());
}
