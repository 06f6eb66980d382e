// Backup sets and catalogue imports as plain code: names, refusals, and
// what a copy takes and leaves.
#include "common/BackupSet.h"

#include "common/FileHelpers.h"
#include "platform/FileIo.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

void put(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// Every file and folder below `root`, relative, sorted.
QStringList tree(const QString& root)
{
    QStringList out;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        out << it.next().mid(root.size() + 1);
    out.sort();
    return out;
}

const QDateTime kWhen(QDate(2017, 5, 12), QTime(9, 30, 15));

} // namespace

class BackupSetTest : public ::testing::Test {
  protected:
    TestEnv env;
    QString data = env.dataFolder();
    QString place = env.root() + QStringLiteral("/backups");
    void SetUp() override { QDir().mkpath(place); }
};

TEST_F(BackupSetTest, TheSetIsNamedByDateAndTimeAndNeverReused)
{
    EXPECT_EQ(BackupSetName(kWhen), QStringLiteral("Heliodex20170512_093015"));
    EXPECT_EQ(BackupSetName(QDateTime(QDate(2024, 12, 31), QTime(23, 5, 9))),
              QStringLiteral("Heliodex20241231_230509"));

    // A root gets no second separator; a trailing one is not doubled.
    EXPECT_EQ(BackupTarget(QStringLiteral("/"), kWhen), QStringLiteral("/Heliodex20170512_093015"));
    EXPECT_EQ(BackupTarget(place + u'/', kWhen), place + QStringLiteral("/Heliodex20170512_093015"));

    // Within the same second the next backup gets a name of its own.
    QDir().mkpath(place + QStringLiteral("/Heliodex20170512_093015"));
    EXPECT_EQ(BackupTarget(place, kWhen), place + QStringLiteral("/Heliodex20170512_093015_2"));
    put(place + QStringLiteral("/Heliodex20170512_093015_2"), "a file of that name");
    EXPECT_EQ(BackupTarget(place, kWhen), place + QStringLiteral("/Heliodex20170512_093015_3"));
}

TEST_F(BackupSetTest, ATargetInsideAWorkingFolderIsRefused)
{
    QDir().mkpath(data + QStringLiteral("/USER_DATA/A001"));
    QDir().mkpath(data + QStringLiteral("/BACKUP_DATA"));
    ASSERT_TRUE(QFile::link(data + QStringLiteral("/USER_DATA"), env.root() + QStringLiteral("/alias")));
    const struct {
        const char* chosen;
        bool refused;
    } cases[] = {
        {"/data/USER_DATA", true},
        {"/data/USER_DATA/A001", true},
        {"/data/MODULE_DATA/new/deeper", true}, // not there yet
        {"/data/POWER_CONDITIONER_DATA", true},
        {"/data/FORWARD_DATA/x", true},
        {"/alias/A001", true}, // through a link into USER_DATA
        {"/data/USER_DATA/../BACKUP_DATA", false},
        {"/data", false},
        {"/data/BACKUP_DATA", false},
        {"/data/USER_DATA_OLD", false},
        {"/backups", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BackupTargetRefused(env.root() + QLatin1String(c.chosen), data), c.refused) << c.chosen;
}

TEST_F(BackupSetTest, CopiesTheFourWorkingFoldersWholeAndNothingElse)
{
    put(data + QStringLiteral("/USER_DATA/A001_Kato/UserData.csv"), "customer");
    put(data + QStringLiteral("/USER_DATA/A001_Kato/Site 1/MeasData.csv"), "history");
    put(data + QStringLiteral("/MODULE_DATA/Alpha/AS-250.dat"), "module");
    put(data + QStringLiteral("/POWER_CONDITIONER_DATA/Beta/PC-1.dat"), "powcon");
    put(data + QStringLiteral("/FORWARD_DATA/20170512093015_0001-01-01.csv"), "read-out");
    put(data + QStringLiteral("/BACKUP_DATA/20170512/x.csv"), "not copied");
    put(data + QStringLiteral("/loose.txt"), "not copied");
    // Links inside the tree are passed over, never followed.
    put(env.root() + QStringLiteral("/elsewhere/secret.txt"), "outside");
    ASSERT_TRUE(QFile::link(env.root() + QStringLiteral("/elsewhere"),
                            data + QStringLiteral("/USER_DATA/linked folder")));
    ASSERT_TRUE(QFile::link(env.root() + QStringLiteral("/elsewhere/secret.txt"),
                            data + QStringLiteral("/MODULE_DATA/linked.dat")));

    const QString target = place + QStringLiteral("/set");
    QList<int> steps;
    const BackupOutcome out = CopyBackupSet(data, target, [&](int k) { steps << k; });
    EXPECT_TRUE(out.complete());
    EXPECT_EQ(out.copied, 4);
    EXPECT_EQ(out.missing, 0);
    EXPECT_EQ(steps, (QList<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(tree(target), (QStringList{
                                "FORWARD_DATA",
                                "FORWARD_DATA/20170512093015_0001-01-01.csv",
                                "MODULE_DATA",
                                "MODULE_DATA/Alpha",
                                "MODULE_DATA/Alpha/AS-250.dat",
                                "POWER_CONDITIONER_DATA",
                                "POWER_CONDITIONER_DATA/Beta",
                                "POWER_CONDITIONER_DATA/Beta/PC-1.dat",
                                "USER_DATA",
                                "USER_DATA/A001_Kato",
                                "USER_DATA/A001_Kato/Site 1",
                                "USER_DATA/A001_Kato/Site 1/MeasData.csv",
                                "USER_DATA/A001_Kato/UserData.csv",
                            }));
    QFile f(target + QStringLiteral("/USER_DATA/A001_Kato/Site 1/MeasData.csv"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "history");
    EXPECT_TRUE(env.dialogs->log.isEmpty());
}

TEST_F(BackupSetTest, AMissingFolderIsPassedOverAndAFailedCopyCounted)
{
    put(data + QStringLiteral("/USER_DATA/A001/UserData.csv"), "customer");
    put(data + QStringLiteral("/MODULE_DATA/Alpha/AS-250.dat"), "module");
    put(data + QStringLiteral("/POWER_CONDITIONER_DATA/Beta/PC-1.dat"), "powcon");
    // No FORWARD_DATA yet: nothing to save, nothing to report.
    BackupOutcome out = CopyBackupSet(data, place + QStringLiteral("/one"));
    EXPECT_TRUE(out.complete());
    EXPECT_EQ(out.copied, 3);
    EXPECT_EQ(out.missing, 1);
    EXPECT_TRUE(env.dialogs->log.isEmpty());

    // The module file's copy fails: that copy reports, the others go on.
    FileIoFaults::FailAt(0);
    CopyBackupSet(data, place + QStringLiteral("/probe"));
    int moduleWrite = 0;
    for (int i = 0; i < FileIoFaults::Steps().size(); ++i)
        if (FileIoFaults::Steps()[i].path.endsWith(QStringLiteral("AS-250.dat"))) {
            moduleWrite = i + 1;
            break;
        }
    ASSERT_GT(moduleWrite, 0);
    FileIoFaults::FailAt(moduleWrite);
    out = CopyBackupSet(data, place + QStringLiteral("/two"));
    FileIoFaults::Reset();
    EXPECT_FALSE(out.complete());
    EXPECT_EQ(out.failed, 1);
    EXPECT_EQ(out.copied, 2);
    ASSERT_EQ(env.dialogs->log.size(), 1);
    EXPECT_EQ(env.dialogs->log[0].message.title, QStringLiteral("FolCopy"));
    EXPECT_TRUE(QFileInfo::exists(place + QStringLiteral("/two/POWER_CONDITIONER_DATA/Beta/PC-1.dat")));
    EXPECT_FALSE(QFileInfo::exists(place + QStringLiteral("/two/MODULE_DATA/Alpha/AS-250.dat")));

    // A target that cannot be made stops before anything is copied.
    put(place + QStringLiteral("/blocked"), "a file");
    EXPECT_ANY_THROW(CopyBackupSet(data, place + QStringLiteral("/blocked/set")));
}

TEST_F(BackupSetTest, ImportNamesAndSelfImports)
{
    const struct {
        const char* chosen;
        const char* name;
        bool accepted;
    } names[] = {
        {"/x/MODULE_DATA", "MODULE_DATA", true},
        {"/x/module_data", "MODULE_DATA", true},
        {"/x/Module_Data/", "MODULE_DATA", true},
        {"/x/MODULE_DATA_OLD", "MODULE_DATA", false},
        {"/x/MODULE_DATA", "POWER_CONDITIONER_DATA", false},
        {"/x/power_conditioner_data", "POWER_CONDITIONER_DATA", true},
        {"/x/MODULE_DATA/Alpha", "MODULE_DATA", false},
        {"/", "MODULE_DATA", false},
    };
    for (const auto& c : names)
        EXPECT_EQ(ImportNameAccepted(QLatin1String(c.chosen), QLatin1String(c.name)), c.accepted)
            << c.chosen << " as " << c.name;

    const QString target = data + QStringLiteral("/MODULE_DATA");
    QDir().mkpath(target + QStringLiteral("/Alpha/MODULE_DATA"));
    QDir().mkpath(env.root() + QStringLiteral("/disk/MODULE_DATA"));
    ASSERT_TRUE(QFile::link(target, env.root() + QStringLiteral("/MODULE_DATA")));
    const struct {
        QString source;
        bool refused;
    } selves[] = {
        {target, true},                                          // onto itself
        {env.root() + QStringLiteral("/MODULE_DATA"), true},     // the same, through a link
        {target + QStringLiteral("/Alpha/MODULE_DATA"), true},   // from inside itself
        {env.root() + QStringLiteral("/disk/MODULE_DATA"), false},
    };
    for (const auto& c : selves)
        EXPECT_EQ(ImportOntoItself(c.source, target), c.refused) << c.source.toStdString();
    // A data folder inside the chosen folder: the copy would go into itself.
    EXPECT_TRUE(ImportOntoItself(env.root() + QStringLiteral("/disk/MODULE_DATA"),
                                 env.root() + QStringLiteral("/disk/MODULE_DATA/data/MODULE_DATA")));
}

TEST_F(BackupSetTest, ClashesAreTheFilesTheCatalogueHasAlready)
{
    const QString source = env.root() + QStringLiteral("/import/MODULE_DATA");
    const QString target = data + QStringLiteral("/MODULE_DATA");
    put(source + QStringLiteral("/Alpha/AS-250.dat"), "new");
    put(source + QStringLiteral("/Alpha/AS-300.dat"), "new");
    put(source + QStringLiteral("/beta/B-1.dat"), "new");
    put(target + QStringLiteral("/Alpha/AS-250.dat"), "old");
    put(target + QStringLiteral("/Alpha/Other.dat"), "old");
    put(target + QStringLiteral("/beta/B-1.dat"), "old");
    EXPECT_EQ(ImportClashes(source, target), (QStringList{"Alpha/AS-250.dat", "beta/B-1.dat"}));
    EXPECT_TRUE(ImportClashes(source, env.root() + QStringLiteral("/none")).isEmpty());

    // Keep: the catalogue's own files stay, the new ones come in.
    EXPECT_TRUE(CopyFolderTree(source, target, ExistingFiles::Keep));
    QFile kept(target + QStringLiteral("/Alpha/AS-250.dat"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "old");
    EXPECT_TRUE(QFileInfo::exists(target + QStringLiteral("/Alpha/AS-300.dat")));
}
