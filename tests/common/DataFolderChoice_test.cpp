// The choice of a new data folder as plain code: refused and accepted
// folders, relative texts, and the store of the choice.
#include "common/DataFolderChoice.h"

#include "platform/AppPaths.h"
#include "platform/Registry.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

class DataFolderChoiceTest : public ::testing::Test {
  protected:
    TestEnv env;
    QString base = env.dataFolder();
};

TEST_F(DataFolderChoiceTest, SystemFoldersAreRefusedBeforeAnythingIsMade)
{
    const char* refused[] = {
        "/", "/usr", "/usr/local/heliodex-test-data", "/etc/heliodex-test-data", "/bin/x",
        "/lib/heliodex-test-data", "/proc/x", "/sys/x", "/dev/x", "/boot/x", "/sbin/x",
        "/tmp/../usr/heliodex-test-data", // named by a detour
        "//usr///heliodex-test-data/",
    };
    for (const char* text : refused) {
        const FolderChoice c = ChooseDataFolder(QString::fromLatin1(text), base);
        EXPECT_EQ(c.refusal, 594) << text;
        EXPECT_TRUE(c.folder.isEmpty()) << text;
    }
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/usr/local/heliodex-test-data")));
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/etc/heliodex-test-data")));

    // A link that leads into a system folder is refused as that folder.
    ASSERT_TRUE(QFile::link(QStringLiteral("/usr"), env.root() + QStringLiteral("/sys-link")));
    EXPECT_EQ(ChooseDataFolder(env.root() + QStringLiteral("/sys-link/heliodex-test-data"), base).refusal, 594);
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/usr/heliodex-test-data")));

    // Folders whose names only begin like a system folder are not refused.
    for (const char* name : {"/usrdata", "/etc-old", "/library"})
        EXPECT_FALSE(AppPaths::isRefusedSystemFolder(env.root() + QLatin1String(name))) << name;
}

TEST_F(DataFolderChoiceTest, AcceptedFoldersAreMadeAbsoluteCleanAndCreated)
{
    const struct {
        QString typed;
        QString folder;
    } cases[] = {
        {env.root() + QStringLiteral("/new/data"), env.root() + QStringLiteral("/new/data")},
        {env.root() + QStringLiteral("/trail/"), env.root() + QStringLiteral("/trail")},
        {env.root() + QStringLiteral("/a/./b/../c"), env.root() + QStringLiteral("/a/c")},
        // A relative text is taken from the base folder; "~" is the home.
        {QStringLiteral("sub/folder"), base + QStringLiteral("/sub/folder")},
        {QStringLiteral("../beside"), env.root() + QStringLiteral("/beside")},
        {QStringLiteral("~/SOLAR"), env.home() + QStringLiteral("/SOLAR")},
        {QStringLiteral("~"), env.home()},
        // The folder in use may be chosen again.
        {base, base},
    };
    for (const auto& c : cases) {
        const FolderChoice r = ChooseDataFolder(c.typed, base);
        EXPECT_EQ(r.refusal, 0) << c.typed.toStdString();
        EXPECT_EQ(r.folder, c.folder) << c.typed.toStdString();
        EXPECT_TRUE(QFileInfo(c.folder).isDir()) << c.typed.toStdString();
    }
}

TEST_F(DataFolderChoiceTest, NothingTypedOrAFolderThatCannotBeMade)
{
    EXPECT_EQ(ChooseDataFolder(QString(), base).refusal, 589);
    EXPECT_EQ(ChooseDataFolder(QStringLiteral("   "), base).refusal, 589);

    QFile f(env.root() + QStringLiteral("/afile"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_EQ(ChooseDataFolder(env.root() + QStringLiteral("/afile"), base).refusal, 735);
    EXPECT_EQ(ChooseDataFolder(env.root() + QStringLiteral("/afile/below"), base).refusal, 735);
    EXPECT_EQ(ChooseDataFolder(env.root() + u'/' + QString(300, u'x'), base).refusal, 735);
}

TEST_F(DataFolderChoiceTest, TheBaseIsTheDataFolderWhenItIsThere)
{
    EXPECT_EQ(FolderChoiceBase(base), base);
    EXPECT_EQ(FolderChoiceBase(env.root() + QStringLiteral("/gone")), env.programFolder());
    EXPECT_EQ(FolderChoiceBase(QString()), env.programFolder());
}

TEST_F(DataFolderChoiceTest, TheChoiceIsStoredOnlyWhenItComesBackWhole)
{
    const QString folder = env.root() + QStringLiteral("/データ");
    EXPECT_TRUE(StoreDataFolder(folder));
    EXPECT_EQ(RegStrGet(RegKeySystem, QStringLiteral("SaveFolder")), folder);
    // The settings keep code page 932: an "é" would come back as "?", and
    // the next start would look for another folder.
    EXPECT_FALSE(StoreDataFolder(env.root() + QStringLiteral("/caf\u00e9")));
    EXPECT_EQ(RegStrGet(RegKeySystem, QStringLiteral("SaveFolder")), folder); // the old one stays
}

TEST_F(DataFolderChoiceTest, TheFolderBrowserAsksTheDialogs)
{
    env.dialogs->answerText(QStringLiteral("/chosen"));
    EXPECT_EQ(ShowFolders(nullptr, QStringLiteral("Title"), base, true), QStringLiteral("/chosen"));
    env.dialogs->answerCancel();
    EXPECT_EQ(ShowFolders(nullptr, QStringLiteral("Title"), base, false), QString());
    ASSERT_EQ(env.dialogs->log.size(), 2);
    EXPECT_EQ(env.dialogs->log[0].title, QStringLiteral("Title"));
    EXPECT_EQ(env.dialogs->log[0].defaultText, base);
}
