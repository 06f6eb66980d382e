// The tools menu: backup sets, catalogue imports and the download page,
// driven through the main window with scripted dialogs.
#include "app/MainWindowEnv.h"

#include "app/ToolsMenu.h"
#include "catalog/CatalogTab.h"
#include "catalog/ModelFiles.h"
#include "common/FrmMessWindow.h"
#include "platform/Clock.h"
#include "platform/FlexGrid.h"
#include "platform/Shell.h"
#include "support/WriteFaults.h"

#include <QAction>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTabWidget>

#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace {

QString ui(int key)
{
    return Global::UiText.value(key);
}

void put(const QString& path, const QByteArray& bytes)
{
    PutTestFile(path, bytes);
}

QByteArray bytes(const QString& path)
{
    return TestFileBytes(path);
}

// Every file below `root`, relative, sorted.
QStringList files(const QString& root)
{
    QStringList out;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << it.next().mid(root.size() + 1);
    out.sort();
    return out;
}

const QDateTime kWhen(QDate(2017, 5, 12), QTime(9, 30, 15));
const QString kSet = QStringLiteral("Heliodex20170512_093015");

} // namespace

class ToolsMenu : public ::testing::Test {
  protected:
    void SetUp() override
    {
        form = &w.load();
        Global::ClockOverride = [] { return kWhen; };
        QDir().mkpath(place);
    }
    void TearDown() override { Global::ShellOpenOverride = nullptr; }

    void layOutData(const QString& data) const
    {
        put(data + QStringLiteral("/USER_DATA/A001_Kato/UserData.csv"), "customer\r\n");
        put(data + QStringLiteral("/USER_DATA/A001_Kato/Site/MeasData.csv"), "history\r\n");
        put(data + QStringLiteral("/MODULE_DATA/Alpha/AS-250.dat"), NewModelBytes(0));
        put(data + QStringLiteral("/POWER_CONDITIONER_DATA/Beta/PC-1.dat"), NewModelBytes(1));
        put(data + QStringLiteral("/FORWARD_DATA/20170511120000_0001-01-01.csv"), "read-out\r\n");
        put(data + QStringLiteral("/BACKUP_DATA/20170511/20170511120000_0001-01-01.csv"), "kept\r\n");
    }
    void trigger(const char* item) const { form->control<QAction>(QLatin1String(item))->trigger(); }
    QStringList shown() const { return w.env.dialogs->messages(); }
    ScriptedDialogs& dialogs() const { return *w.env.dialogs; }

    MainWindowEnv w;
    FrmMain* form = nullptr;
    QString data = w.env.dataFolder();
    QString place = w.env.root() + QStringLiteral("/backups");
};

// --- backup -------------------------------------------------------------------

TEST_F(ToolsMenu, ACancelledFolderChoiceDoesNothing)
{
    for (const char* item : {"MnuBackup", "MnuInport"}) {
        dialogs().log.clear();
        dialogs().answerCancel();
        trigger(item);
        ASSERT_EQ(dialogs().log.size(), 1) << item;
        EXPECT_EQ(dialogs().log[0].kind, RecordedDialog::Folder) << item;
    }
    EXPECT_TRUE(QDir(place).isEmpty());
}

TEST_F(ToolsMenu, ABackupCopiesTheFourWorkingFoldersIntoADatedSet)
{
    layOutData(data);
    dialogs().answerText(place);
    trigger("MnuBackup");
    ASSERT_EQ(dialogs().log.size(), 2);
    EXPECT_EQ(dialogs().log[0].title, ui(561));
    EXPECT_EQ(dialogs().log[0].defaultText, QString());
    EXPECT_EQ(shown(), QStringList{ui(680)});
    EXPECT_EQ(dialogs().log[1].message.icon, vbInformation);
    EXPECT_FALSE(FrmLoading::IsLoaded());
    const QString set = place + u'/' + kSet;
    EXPECT_EQ(files(set), (QStringList{
                              "FORWARD_DATA/20170511120000_0001-01-01.csv",
                              "MODULE_DATA/Alpha/AS-250.dat",
                              "POWER_CONDITIONER_DATA/Beta/PC-1.dat",
                              "USER_DATA/A001_Kato/Site/MeasData.csv",
                              "USER_DATA/A001_Kato/UserData.csv",
                          }));
    EXPECT_EQ(bytes(set + QStringLiteral("/USER_DATA/A001_Kato/Site/MeasData.csv")), "history\r\n");

    // A second backup within the same second gets a set of its own.
    dialogs().log.clear();
    dialogs().answerText(place + u'/');
    trigger("MnuBackup");
    EXPECT_EQ(shown(), QStringList{ui(680)});
    EXPECT_EQ(files(set + QStringLiteral("_2")), files(set));
}

TEST_F(ToolsMenu, ABackupWithoutAReadOutFolderIsStillComplete)
{
    layOutData(data);
    QDir(data + QStringLiteral("/FORWARD_DATA")).removeRecursively();
    dialogs().answerText(place);
    trigger("MnuBackup");
    EXPECT_EQ(shown(), QStringList{ui(680)});
    EXPECT_FALSE(QFileInfo::exists(place + u'/' + kSet + QStringLiteral("/FORWARD_DATA")));
    EXPECT_TRUE(QFileInfo::exists(place + u'/' + kSet + QStringLiteral("/USER_DATA/A001_Kato/UserData.csv")));
}

TEST_F(ToolsMenu, ABackupIntoAWorkingFolderOrAnUnmakeableTargetIsRefused)
{
    layOutData(data);
    const QStringList before = files(data);
    dialogs().answerText(data + QStringLiteral("/USER_DATA/A001_Kato"));
    trigger("MnuBackup");
    EXPECT_EQ(shown(), QStringList{ui(926)});
    EXPECT_EQ(dialogs().log[1].message.icon, vbExclamation);
    EXPECT_EQ(files(data), before);

    // A file where the set's folder would go: the error report, no "done".
    put(place + QStringLiteral("/blocked"), "a file");
    dialogs().log.clear();
    dialogs().answerText(place + QStringLiteral("/blocked"));
    trigger("MnuBackup");
    ASSERT_EQ(shown().size(), 1);
    EXPECT_TRUE(shown()[0].startsWith(QStringLiteral("ERROR No:"))) << shown()[0].toStdString();
    EXPECT_EQ(dialogs().log[1].message.title, QStringLiteral("MnuBackup_Click"));
    EXPECT_FALSE(FrmLoading::IsLoaded());
}

TEST_F(ToolsMenu, ABackupWithAFailedCopyIsNotCalledDone)
{
    layOutData(data);
    // The first file of MODULE_DATA cannot be written in the set.
    const Saver probe{QStringLiteral("probe"), place, [] {},
                      [&] {
                          dialogs().answerText(place);
                          MnuBackup_Click();
                          return true;
                      }};
    const int step = StepNumberOf(probe, FileIoFaults::Step::Write, QStringLiteral("AS-250.dat"));
    ASSERT_GT(step, 0);
    QDir(place).removeRecursively();
    QDir().mkpath(place);
    dialogs().log.clear();
    FileIoFaults::FailAt(step);
    dialogs().answerText(place);
    trigger("MnuBackup");
    FileIoFaults::Reset();
    ASSERT_EQ(shown().size(), 2);
    EXPECT_TRUE(shown()[0].startsWith(QStringLiteral("ERROR No:")));
    // The set's place and how many files and folders are not in it.
    EXPECT_EQ(shown()[1], ui(925) + QStringLiteral("\r\n\r\n") + place + u'/' + kSet + QStringLiteral("\r\n\r\n") +
                              ui(948) + QStringLiteral(" 1"));
    EXPECT_FALSE(shown().contains(ui(680)));
    // The other folders were copied all the same.
    EXPECT_TRUE(QFileInfo::exists(place + u'/' + kSet + QStringLiteral("/POWER_CONDITIONER_DATA/Beta/PC-1.dat")));
}

TEST_F(ToolsMenu, ABackupLeavesEveryFileWholeWhateverWriteFails)
{
    const QString root = w.env.root() + QStringLiteral("/work");
    const QString workData = root + QStringLiteral("/data");
    const QString workPlace = root + QStringLiteral("/backups");
    Global::DataFolder = workData;
    CheckWriteFaults({QStringLiteral("MnuBackup_Click"), root,
                      [&] {
                          QDir(root).removeRecursively();
                          layOutData(workData);
                          QDir().mkpath(workPlace);
                      },
                      [&] {
                          dialogs().answerText(workPlace);
                          MnuBackup_Click();
                          return shown().contains(ui(680));
                      }});
}

// --- import -------------------------------------------------------------------

class Import : public ToolsMenu {
  protected:
    void SetUp() override
    {
        ToolsMenu::SetUp();
        put(data + QStringLiteral("/MODULE_DATA/Old/O-1.dat"), NewModelBytes(0));
        put(source + QStringLiteral("/New/N-1.dat"), NewModelBytes(0));
        put(source + QStringLiteral("/Old/O-1.dat"), "VER.8\r\nimported\r\n");
        ModuleDataRead();
        MakerListIni();
        form->SSTab->setCurrentIndex(3);
        dialogs().log.clear();
    }
    QStringList makers(int side) const
    {
        auto* g = form->control<FlexGrid>(QStringLiteral("MfgMakerList_%1").arg(side));
        QStringList out;
        for (int r = 1; r < g->Rows(); ++r)
            out << g->TextMatrix(r, 0);
        return out;
    }
    QString source = w.env.root() + QStringLiteral("/import/MODULE_DATA");
};

TEST_F(Import, TheFolderNameMustMatchTheCataloguePageShown)
{
    put(w.env.root() + QStringLiteral("/b/module_data/M/M-1.dat"), NewModelBytes(0));
    put(w.env.root() + QStringLiteral("/c/MODULE_DATA_OLD/M/M-1.dat"), NewModelBytes(0));
    put(w.env.root() + QStringLiteral("/d/POWER_CONDITIONER_DATA/P/P-1.dat"), NewModelBytes(1));
    const struct {
        int page;
        const char* folder;
        int message;
    } cases[] = {
        {0, "/b/module_data", 734},
        {0, "/c/MODULE_DATA_OLD", 731},
        {1, "/b/module_data", 732},
        {1, "/d/POWER_CONDITIONER_DATA", 734},
        {0, "/d/POWER_CONDITIONER_DATA", 731},
    };
    for (const auto& c : cases) {
        form->SSTab2->setCurrentIndex(c.page);
        dialogs().log.clear();
        dialogs().answerText(w.env.root() + QLatin1String(c.folder));
        trigger("MnuInport");
        SCOPED_TRACE(c.folder);
        ASSERT_EQ(dialogs().log.size(), 2);
        EXPECT_EQ(dialogs().log[0].title, ui(729 + c.page));
        EXPECT_EQ(dialogs().log[0].defaultText, data);
        EXPECT_EQ(shown(), QStringList{ui(c.message)});
        EXPECT_EQ(dialogs().log[1].message.icon, c.message == 734 ? vbInformation : vbExclamation);
    }
    // The accepted ones were merged into the data folder's catalogues.
    EXPECT_EQ(files(data + QStringLiteral("/MODULE_DATA")), (QStringList{"M/M-1.dat", "Old/O-1.dat"}));
    EXPECT_EQ(files(data + QStringLiteral("/POWER_CONDITIONER_DATA")), QStringList{"P/P-1.dat"});
    EXPECT_EQ(makers(1), QStringList{"P"});
}

TEST_F(Import, AFolderIsNeverImportedIntoItself)
{
    put(data + QStringLiteral("/MODULE_DATA/Old/MODULE_DATA/X/X-1.dat"), NewModelBytes(0));
    const QStringList before = files(data);
    for (const QString& chosen :
         {data + QStringLiteral("/MODULE_DATA"), data + QStringLiteral("/MODULE_DATA/Old/MODULE_DATA")}) {
        dialogs().log.clear();
        dialogs().answerText(chosen);
        trigger("MnuInport");
        EXPECT_EQ(shown(), QStringList{ui(927)}) << chosen.toStdString();
    }
    EXPECT_EQ(files(data), before);
}

TEST_F(Import, FilesTheCatalogueHasAlreadyAreReplacedKeptOrLeftAlone)
{
    const QString old = data + QStringLiteral("/MODULE_DATA/Old/O-1.dat");
    const struct {
        int answer;
        QByteArray oldFile;
        bool newMaker;
        QStringList messages;
    } cases[] = {
        {vbCancel, NewModelBytes(0), false, {ui(928)}},
        {vbNo, NewModelBytes(0), true, {ui(928), ui(734)}},
        {vbYes, "VER.8\r\nimported\r\n", true, {ui(928), ui(734)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        put(old, NewModelBytes(0));
        QDir(data + QStringLiteral("/MODULE_DATA/New")).removeRecursively();
        CatalogReload(0);
        dialogs().log.clear();
        dialogs().answerText(source);
        dialogs().answer(c.answer);
        trigger("MnuInport");
        EXPECT_EQ(shown(), c.messages);
        EXPECT_EQ(dialogs().log[1].message.buttons, vbYesNoCancel);
        EXPECT_EQ(dialogs().log[1].message.defaultButton, 1); // No
        EXPECT_EQ(bytes(old), c.oldFile);
        EXPECT_EQ(makers(0).contains(QStringLiteral("New")), c.newMaker);
    }
}

TEST_F(Import, UnsavedModelEditsAreAskedAboutBeforeTheCatalogueIsReadAgain)
{
    QDir(source + QStringLiteral("/Old")).removeRecursively();
    auto* makerGrid = form->control<FlexGrid>(QStringLiteral("MfgMakerList_0"));
    auto* modelGrid = form->control<FlexGrid>(QStringLiteral("MfgSerialNoList_0"));
    makerGrid->setRow(1);
    emit makerGrid->Click();
    modelGrid->setRow(1);
    emit modelGrid->Click();
    ASSERT_GE(Global::CurModuleModel, 0);
    Global::TabModified[3] = true;
    dialogs().log.clear();
    dialogs().answerText(source);
    dialogs().answer(vbNo);
    trigger("MnuInport");
    EXPECT_EQ(shown(), (QStringList{ui(578), ui(734)}));
    EXPECT_FALSE(Global::TabModified[3]);
    EXPECT_EQ(makers(0), (QStringList{"New", "Old"}));
}

TEST_F(Import, AnIncompleteImportIsNotCalledDone)
{
    QDir(source + QStringLiteral("/Old")).removeRecursively();
    put(source + QStringLiteral("/New/N-2.dat"), NewModelBytes(0));
    // A folder where the second model file would go.
    QDir().mkpath(data + QStringLiteral("/MODULE_DATA/New/N-2.dat"));
    dialogs().answerText(source);
    dialogs().answer(vbYes);
    trigger("MnuInport");
    ASSERT_EQ(shown().size(), 2);
    EXPECT_EQ(shown()[0], ui(928));
    EXPECT_TRUE(shown()[1].startsWith(QStringLiteral("ERROR No:58"))) << shown()[1].toStdString();
    // The catalogue is read again all the same.
    EXPECT_EQ(makers(0), (QStringList{"New", "Old"}));
}

// Makers and models whose names the customer files cannot hold are not
// imported; one report names them with those the catalogue held already.
TEST_F(Import, NamesTheCustomerFilesCannotHoldAreLeftOutAndNamedOnce)
{
    QDir(source + QStringLiteral("/Old")).removeRecursively();
    put(source + QStringLiteral("/Müller Solar/MS-1.dat"), NewModelBytes(0));
    put(source + QStringLiteral("/New/X,Y.dat"), NewModelBytes(0));
    put(source + QStringLiteral("/New/N-2.dat"), NewModelBytes(0));
    put(source + QStringLiteral("/New/Pictures/X,Y.jpg"), "picture");
    // In both: no question about replacing it, named once.
    put(source + QStringLiteral("/Old/A,B.dat"), "VER.8\r\nimported\r\n");
    put(data + QStringLiteral("/MODULE_DATA/Old/A,B.dat"), NewModelBytes(0));
    dialogs().answerText(source);
    trigger("MnuInport");
    EXPECT_EQ(shown(), QStringList{ui(UiNamesPassedOver) +
                                   QStringLiteral("\r\nMüller Solar\r\nNew/X,Y.dat\r\nOld/A,B.dat")});
    EXPECT_EQ(files(data + QStringLiteral("/MODULE_DATA")),
              (QStringList{"New/N-1.dat", "New/N-2.dat", "New/Pictures/X,Y.jpg", "Old/A,B.dat", "Old/O-1.dat"}));
    EXPECT_EQ(bytes(data + QStringLiteral("/MODULE_DATA/Old/A,B.dat")), NewModelBytes(0));
    EXPECT_EQ(makers(0), (QStringList{"New", "Old"}));
    EXPECT_EQ(Global::ModuleCatalog[0].ModelCount, 2);
    EXPECT_EQ(Global::ModuleCatalog[1].ModelCount, 1);
}

TEST_F(Import, AnImportLeavesEveryFileWholeWhateverWriteFails)
{
    const QString root = w.env.root() + QStringLiteral("/work");
    const QString workData = root + QStringLiteral("/data");
    const QString workSource = root + QStringLiteral("/import/MODULE_DATA");
    Global::DataFolder = workData;
    CheckWriteFaults({QStringLiteral("MnuInport_Click"), root,
                      [&] {
                          QDir(root).removeRecursively();
                          put(workData + QStringLiteral("/MODULE_DATA/Old/O-1.dat"), NewModelBytes(0));
                          put(workSource + QStringLiteral("/Old/O-1.dat"), "VER.8\r\nimported\r\n");
                          put(workSource + QStringLiteral("/New/N-1.dat"), NewModelBytes(0));
                          put(workSource + QStringLiteral("/New/Pictures/N-1.jpg"), QByteArray(3000, 'j'));
                      },
                      [&] {
                          dialogs().answerText(workSource);
                          dialogs().answer(vbYes);
                          MnuInport_Click();
                          return shown().contains(ui(734));
                      }});
}

// --- download page ------------------------------------------------------------

TEST_F(ToolsMenu, TheDownloadPageOpensInTheBrowser)
{
    QStringList opened;
    Global::ShellOpenOverride = [&](const QString& target) { opened << target; };
    trigger("MnuUpdateInternet");
    EXPECT_EQ(opened, QStringList{DownloadPageAddress});
    EXPECT_TRUE(DownloadPageAddress.endsWith(QStringLiteral("/maintenance/downloads")));
    EXPECT_TRUE(dialogs().log.isEmpty());
}
