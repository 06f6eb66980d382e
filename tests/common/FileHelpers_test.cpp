#include "common/FileHelpers.h"

#include "common/AppGlobals.h"
#include "platform/AppError.h"
#include "support/TestEnv.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimeZone>

#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    PutTestFile(path, bytes);
}

QByteArray readFile(const QString& path)
{
    return TestFileBytes(path);
}

// A path of exactly `length` characters: `folder` + "/" + padding name.
QString pathOfLength(const QString& folder, int length)
{
    const int nameLength = length - int(folder.size()) - 1;
    return folder + u'/' + QString(nameLength, u'n');
}

void setReadOnly(const QString& path)
{
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
}

} // namespace

void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

class FileHelpers : public ::testing::Test {
  protected:
    TestEnv env;
    QString base = env.root() + QStringLiteral("/w");
    void SetUp() override { QDir().mkpath(base); }
};

TEST_F(FileHelpers, ExistenceChecksAnswerTheListedName)
{
    writeFile(base + QStringLiteral("/Data/MeasData.csv"), "x");
    writeFile(base + QStringLiteral("/Data/.hidden.csv"), "x");
    QDir().mkpath(base + QStringLiteral("/Data/.hiddenfolder"));
    writeFile(base + QString::fromUtf8("/Data/日本語.csv"), "x");

    struct {
        QString path;
        const char* file;
        const char* folder;
    } cases[] = {
        {base + QStringLiteral("/Data/MeasData.csv"), "MeasData.csv", ""},
        {base + QStringLiteral("/Data/measdata.csv"), "", ""}, // names match exactly here
        {base + QStringLiteral("/Data/.hidden.csv"), "", ""},
        {base + QString::fromUtf8("/Data/日本語.csv"), "日本語.csv", ""},
        {base + QStringLiteral("/Data"), "", "Data"},
        {base + QStringLiteral("/Data/"), "", "Data"},
        {base + QStringLiteral("/Data/.hiddenfolder"), "", ".hiddenfolder"},
        {base + QStringLiteral("/Data/../Data"), "", "Data"},
        {base + QStringLiteral("/Missing"), "", ""},
        {base + QStringLiteral("/Missing/"), "", ""},
        {QString(), "", ""},
        {base + QStringLiteral("/Data/a") + QChar(0) + QStringLiteral("b"), "", ""}, // bad name: no report
    };
    for (auto& c : cases) {
        EXPECT_EQ(FileCheck(c.path), QString::fromUtf8(c.file)) << c.path.toStdString();
        EXPECT_EQ(FolderCheck(c.path), QString::fromUtf8(c.folder)) << c.path.toStdString();
    }
    EXPECT_FALSE(FolderCheck(QStringLiteral("/")).isEmpty());
    EXPECT_TRUE(env.dialogs->log.isEmpty());
}

TEST_F(FileHelpers, PathsOf256CharactersAreNeverLookedUp)
{
    const QString file255 = pathOfLength(base, 255);
    const QString file256 = pathOfLength(base, 256);
    writeFile(file255, "x");
    writeFile(file256, "x");
    EXPECT_EQ(FileCheck(file255), QFileInfo(file255).fileName());
    EXPECT_EQ(FileCheck(file256), QString());

    QString deep = base;
    while (deep.size() < 240)
        deep += QStringLiteral("/abcdefghij");
    const QString dir255 = pathOfLength(deep, 255);
    const QString dir256 = pathOfLength(deep, 256);
    ASSERT_TRUE(QDir().mkpath(dir255));
    ASSERT_TRUE(QDir().mkpath(dir256));
    EXPECT_FALSE(FolderCheck(dir255).isEmpty());
    EXPECT_EQ(FolderCheck(dir255 + u'/'), QString()); // 256 characters as given
    EXPECT_EQ(FolderCheck(dir256), QString());

    // MakeFolder of such a path answers False and creates nothing.
    const QString dir256b = pathOfLength(deep + QStringLiteral("/new"), 256);
    EXPECT_FALSE(MakeFolder(dir256b));
    EXPECT_FALSE(QFileInfo::exists(deep + QStringLiteral("/new")));
}

TEST_F(FileHelpers, MakeFolderCreatesEveryMissingParent)
{
    const QString p = base + QStringLiteral("/a/b/c");
    EXPECT_TRUE(MakeFolder(p));
    EXPECT_TRUE(QFileInfo(p).isDir());
    EXPECT_TRUE(MakeFolder(p)); // exists already
    EXPECT_TRUE(MakeFolder(base + QStringLiteral("/a/")));
    writeFile(base + QStringLiteral("/file"), "x");
    EXPECT_FALSE(MakeFolder(base + QStringLiteral("/file")));
    EXPECT_FALSE(MakeFolder(QString()));
    EXPECT_TRUE(env.dialogs->log.isEmpty());
}

TEST_F(FileHelpers, DlFolDeletesTheTree)
{
    writeFile(base + QStringLiteral("/t/a.csv"), "x");
    writeFile(base + QStringLiteral("/t/.hidden"), "x");
    writeFile(base + QStringLiteral("/t/sub/deeper/b.jpg"), "x");
    // A link inside the tree goes, what it points to stays.
    writeFile(base + QStringLiteral("/outside/keep.txt"), "x");
    QFile::link(base + QStringLiteral("/outside"), base + QStringLiteral("/t/link"));

    EXPECT_EQ(DlFol(base + QStringLiteral("/t/")), 0);
    EXPECT_FALSE(QFileInfo::exists(base + QStringLiteral("/t")));
    EXPECT_TRUE(QFileInfo::exists(base + QStringLiteral("/outside/keep.txt")));
    EXPECT_TRUE(env.dialogs->log.isEmpty());
}

TEST_F(FileHelpers, DlFolFailuresReportOnceAndReturnTheNumber)
{
    writeFile(base + QStringLiteral("/ro/a/first.csv"), "x");
    writeFile(base + QStringLiteral("/ro/b/locked.csv"), "x");
    setReadOnly(base + QStringLiteral("/ro/b/locked.csv"));
    writeFile(base + QStringLiteral("/plain.txt"), "x");

    // The report names the file or folder after the classic text.
    struct {
        QString path;
        int result;
        QString report;
    } cases[] = {
        {base + QStringLiteral("/ro"), 70,
         QStringLiteral("ERROR No:70 Permission denied: ") + base + QStringLiteral("/ro/b/locked.csv")},
        {base + QStringLiteral("/missing"), 76, QStringLiteral("ERROR No:76 Path not found: ") + base + QStringLiteral("/missing")},
        {base + QStringLiteral("/plain.txt"), 76,
         QStringLiteral("ERROR No:76 Path not found: ") + base + QStringLiteral("/plain.txt")},
        {QString(), 76, QStringLiteral("ERROR No:76 Path not found")},
    };
    for (auto& c : cases) {
        env.dialogs->log.clear();
        EXPECT_EQ(DlFol(c.path), c.result) << c.path.toStdString();
        ASSERT_EQ(env.dialogs->log.size(), 1) << c.path.toStdString();
        EXPECT_EQ(env.dialogs->log[0].message.text, c.report);
        EXPECT_EQ(env.dialogs->log[0].message.title, QStringLiteral("DlFol"));
        EXPECT_EQ(env.dialogs->log[0].message.icon, 0);
    }
    // What went before the read-only file stays deleted; it stays.
    EXPECT_FALSE(QFileInfo::exists(base + QStringLiteral("/ro/a")));
    EXPECT_TRUE(QFileInfo::exists(base + QStringLiteral("/ro/b/locked.csv")));
    EXPECT_TRUE(QFileInfo::exists(base + QStringLiteral("/plain.txt")));
}

TEST_F(FileHelpers, DlFolNeverDeletesTheRootHoweverItIsWritten)
{
    // Run in a child shut into a folder of its own (chroot), so that a
    // broken guard can only empty that folder.
    const QString jail = base + QStringLiteral("/jail");
    writeFile(jail + QStringLiteral("/canary.txt"), "x");
    QDir().mkpath(jail + QStringLiteral("/sub"));
    for (const char* path : {"//", "/.", "/sub/..", "/sub/../"}) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            if (chroot(jail.toLocal8Bit().constData()) != 0 || chdir("/") != 0)
                _exit(200);
            _exit(DlFol(QString::fromLatin1(path)));
        }
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status));
        if (WEXITSTATUS(status) == 200)
            GTEST_SKIP() << "chroot needs root";
        EXPECT_EQ(WEXITSTATUS(status), 76) << path;
        EXPECT_TRUE(QFileInfo::exists(jail + QStringLiteral("/canary.txt"))) << path;
    }
}

TEST_F(FileHelpers, FolCopyCreatesOrMergesTheTree)
{
    writeFile(base + QStringLiteral("/src/a.csv"), "new a");
    writeFile(base + QStringLiteral("/src/.hidden"), "h");
    writeFile(base + QStringLiteral("/src/sub/b.jpg"), "b");
    QDir().mkpath(base + QStringLiteral("/src/empty"));
    const QDateTime old = QDateTime(QDate(2017, 4, 25), QTime(3, 7, 9), QTimeZone::utc());
    {
        QFile f(base + QStringLiteral("/src/a.csv"));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.setFileTime(old, QFileDevice::FileModificationTime);
    }

    FolCopy(base + QStringLiteral("/src/"), base + QStringLiteral("/dst/"), false);
    EXPECT_EQ(readFile(base + QStringLiteral("/dst/a.csv")), "new a");
    EXPECT_EQ(readFile(base + QStringLiteral("/dst/.hidden")), "h");
    EXPECT_EQ(readFile(base + QStringLiteral("/dst/sub/b.jpg")), "b");
    EXPECT_TRUE(QFileInfo(base + QStringLiteral("/dst/empty")).isDir());
    EXPECT_EQ(QFileInfo(base + QStringLiteral("/dst/a.csv")).lastModified().toUTC(), old);

    // Merging into an existing folder keeps what only the destination has.
    writeFile(base + QStringLiteral("/dst2/own.txt"), "own");
    writeFile(base + QStringLiteral("/dst2/a.csv"), "old a");
    FolCopy(base + QStringLiteral("/src"), base + QStringLiteral("/dst2"), true);
    EXPECT_EQ(readFile(base + QStringLiteral("/dst2/a.csv")), "new a");
    EXPECT_EQ(readFile(base + QStringLiteral("/dst2/own.txt")), "own");
    EXPECT_EQ(readFile(base + QStringLiteral("/dst2/sub/b.jpg")), "b");
    EXPECT_TRUE(env.dialogs->log.isEmpty());
}

TEST_F(FileHelpers, FolCopyErrors)
{
    writeFile(base + QStringLiteral("/src/a.csv"), "new a");
    writeFile(base + QStringLiteral("/src/z.csv"), "z");
    writeFile(base + QStringLiteral("/exists/a.csv"), "old a");
    writeFile(base + QStringLiteral("/afile"), "f");
    ASSERT_TRUE(QFile::link(base + QStringLiteral("/src"), base + QStringLiteral("/alias")));

    const QString exists = QStringLiteral("ERROR No:58 File already exists: ");
    const QString notFound = QStringLiteral("ERROR No:76 Path not found: ");
    struct {
        QString from, to;
        bool overwrite;
        QString report;
    } cases[] = {
        {base + QStringLiteral("/src"), base + QStringLiteral("/exists"), false,
         exists + base + QStringLiteral("/exists/a.csv")},
        {base + QStringLiteral("/src"), base + QStringLiteral("/afile"), true, exists + base + QStringLiteral("/afile")},
        {base + QStringLiteral("/missing"), base + QStringLiteral("/x"), false, notFound + base + QStringLiteral("/missing")},
        {base + QStringLiteral("/src"), base + QStringLiteral("/no/parent"), false, notFound + base + QStringLiteral("/no")},
        {base + QStringLiteral("/src"), base + QStringLiteral("/src/inner"), false,
         QStringLiteral("ERROR No:5 Invalid procedure call or argument")},
        // The same folder reached through a link on the destination's way.
        {base + QStringLiteral("/src"), base + QStringLiteral("/alias/inner/deeper"), false,
         QStringLiteral("ERROR No:5 Invalid procedure call or argument")},
        {base + QStringLiteral("/src"), base + QStringLiteral("/alias"), true,
         QStringLiteral("ERROR No:5 Invalid procedure call or argument")},
    };
    for (auto& c : cases) {
        env.dialogs->log.clear();
        FolCopy(c.from, c.to, c.overwrite);
        ASSERT_EQ(env.dialogs->log.size(), 1) << c.to.toStdString();
        EXPECT_EQ(env.dialogs->log[0].message.text, c.report) << c.to.toStdString();
        EXPECT_EQ(env.dialogs->log[0].message.title, QStringLiteral("FolCopy"));
    }
    // The refused copy replaced nothing, and stopped at the clash.
    EXPECT_EQ(readFile(base + QStringLiteral("/exists/a.csv")), "old a");
    EXPECT_FALSE(QFileInfo::exists(base + QStringLiteral("/exists/z.csv")));
    EXPECT_EQ(readFile(base + QStringLiteral("/afile")), "f");
    EXPECT_FALSE(QFileInfo::exists(base + QStringLiteral("/src/inner")));
}

TEST_F(FileHelpers, GetFileLineCountsLineFeeds)
{
    struct {
        QByteArray bytes;
        int lines;
    } cases[] = {
        {"", 1},
        {"a\r\nb\r\nc\r\n", 4},
        {"a\r\nb\r\nc", 3},
        {"a\rb\rc\r", 1}, // lone CRs are no line feeds
        {"a\nb\n", 3},
        {QByteArray(100000, '\n'), 100001},
    };
    int i = 0;
    for (auto& c : cases) {
        const QString p = base + QStringLiteral("/f%1.txt").arg(i++);
        writeFile(p, c.bytes);
        EXPECT_EQ(GetFileLine(p), c.lines) << c.bytes.left(20).toStdString();
    }
    EXPECT_TRUE(env.dialogs->log.isEmpty());
}

TEST_F(FileHelpers, GetFileLineOnlyReadsTheFile)
{
    // A read-only file is counted without any question and is not changed.
    const QString p = base + QStringLiteral("/ro.txt");
    writeFile(p, "1\r\n2\r\n");
    setReadOnly(p);
    const QDateTime before = QFileInfo(p).lastModified();
    EXPECT_EQ(GetFileLine(p), 3);
    EXPECT_EQ(readFile(p), "1\r\n2\r\n");
    EXPECT_EQ(QFileInfo(p).lastModified(), before);
    // A file that no one may write to, root included.
    if (QFileInfo::exists(QStringLiteral("/proc/version"))) {
        EXPECT_EQ(GetFileLine(QStringLiteral("/proc/version")), 2);
    }
    EXPECT_TRUE(env.dialogs->log.isEmpty());
}

TEST_F(FileHelpers, GetFileLineReportsOtherErrorsWithZero)
{
    writeFile(base + QStringLiteral("/x.txt"), "x");
    struct {
        QString path;
        const char* report;
    } cases[] = {
        {base + QStringLiteral("/missing.txt"), "ERROR No:53 File not found"},
        {base + QStringLiteral("/nofolder/missing.txt"), "ERROR No:76 Path not found"},
        {base, "ERROR No:75 Path/File access error"},
        {QString(), "ERROR No:52 Bad file name or number"},
    };
    for (auto& c : cases) {
        env.dialogs->log.clear();
        EXPECT_EQ(GetFileLine(c.path), 0) << c.path.toStdString();
        ASSERT_EQ(env.dialogs->log.size(), 1);
        EXPECT_EQ(env.dialogs->log[0].message.text, QString::fromLatin1(c.report));
        EXPECT_EQ(env.dialogs->log[0].message.title, QStringLiteral("GetFileLine"));
        EXPECT_EQ(env.dialogs->log[0].message.buttons, vbOKOnly);
    }
}

TEST_F(FileHelpers, GetFileLineAsksRetryOrCancelForAnUnreadableFile)
{
    // The process's own memory file opens but cannot be read at its start:
    // the same answer as a file another program holds, for root as well.
    const QString unreadable = QStringLiteral("/proc/self/mem");
    if (!QFileInfo::exists(unreadable))
        GTEST_SKIP() << "no /proc";
    Global::UiText[775] = QStringLiteral("File in use.");
    env.dialogs->answer(vbRetry);
    env.dialogs->answer(vbRetry);
    env.dialogs->answer(vbCancel);
    EXPECT_THROW(GetFileLine(unreadable), ProgramEnded);
    ASSERT_EQ(env.dialogs->log.size(), 3);
    for (const RecordedDialog& d : env.dialogs->log) {
        EXPECT_EQ(d.message.text, QStringLiteral("File in use."));
        EXPECT_EQ(d.message.title, QStringLiteral("GetFileLine"));
        EXPECT_EQ(d.message.buttons, vbRetryCancel);
        EXPECT_EQ(d.message.icon, vbQuestion);
    }
}

TEST_F(FileHelpers, GetFileLineRetrySucceedsOnceTheFileCanBeRead)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    const QString p = base + QStringLiteral("/locked.txt");
    writeFile(p, "a\r\nb\r\n");
    QFile::setPermissions(p, QFileDevice::WriteOwner);
    struct Unlocking : ScriptedDialogs {
        QString path;
        int message(const MessageRequest& r) override
        {
            ScriptedDialogs::message(r);
            QFile::setPermissions(path, QFileDevice::ReadOwner);
            return vbRetry;
        }
    };
    auto* d = static_cast<Unlocking*>(setDialogs(std::make_unique<Unlocking>()));
    d->path = p;
    EXPECT_EQ(GetFileLine(p), 3);
    EXPECT_EQ(d->log.size(), 1);
}

TEST_F(FileHelpers, GetFileStampIsUtcPlusNineWithoutCarry)
{
    struct {
        QDateTime utc;
        const char* stamp;
    } cases[] = {
        {QDateTime(QDate(2017, 4, 25), QTime(3, 7, 9), QTimeZone::utc()), "2017/04/25 12:07:09"},
        {QDateTime(QDate(2017, 4, 25), QTime(20, 15, 0), QTimeZone::utc()), "2017/04/25 29:15:00"},
        {QDateTime(QDate(2016, 12, 31), QTime(23, 59, 59, 999), QTimeZone::utc()), "2016/12/31 32:59:59"},
        {QDateTime(QDate(2020, 1, 1), QTime(0, 0, 0), QTimeZone::utc()), "2020/01/01 09:00:00"},
        {QDateTime(QDate(2019, 12, 31), QTime(15, 0, 0), QTimeZone::utc()), "2019/12/31 24:00:00"},
    };
    const QString p = base + QStringLiteral("/QTM.MOT");
    writeFile(p, "S0");
    for (auto& c : cases) {
        QFile f(p);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(c.utc, QFileDevice::FileModificationTime));
        f.close();
        EXPECT_EQ(GetFileStamp(p), QString::fromLatin1(c.stamp));
    }
    EXPECT_EQ(GetFileStamp(base + QStringLiteral("/missing.mot")), QString());
    EXPECT_EQ(GetFileStamp(QString()), QString());
    EXPECT_TRUE(env.dialogs->log.isEmpty());
}

TEST_F(FileHelpers, SubFolderExistsIgnoresCase)
{
    QDir().mkpath(base + QStringLiteral("/prog/USER_DATA"));
    writeFile(base + QStringLiteral("/prog/LANGUAGE"), "a file, not a folder");
    EXPECT_TRUE(SubFolderExists(base + QStringLiteral("/prog"), QStringLiteral("user_data")));
    EXPECT_TRUE(SubFolderExists(base + QStringLiteral("/prog/"), QStringLiteral("USER_DATA")));
    EXPECT_FALSE(SubFolderExists(base + QStringLiteral("/prog"), QStringLiteral("LANGUAGE")));
    EXPECT_FALSE(SubFolderExists(base + QStringLiteral("/prog"), QStringLiteral("USER")));
    try {
        SubFolderExists(base + QStringLiteral("/missing"), QStringLiteral("USER_DATA"));
        ADD_FAILURE() << "no error for a missing folder";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number, 76);
    }
    EXPECT_TRUE(env.dialogs->log.isEmpty());
}

TEST(WildcardMatch, AQuestionMarkIsExactlyOneCharacterAndCaseIsIgnored)
{
    const struct {
        const char* name;
        const char* pattern;
        bool match;
    } cases[] = {
        {"240504_080000_0005-02-02.csv", "??????_??????_????-??-??.csv", true},
        {"240504_08000陽_0005-02-02.csv", "??????_??????_????-??-??.csv", true}, // one character, two bytes on disk
        {"240504_08000_0005-02-02.csv", "??????_??????_????-??-??.csv", false},
        {"240504_080000_0005-02-02.CSV", "??????_??????_????-??-??.csv", true},
        {"240504_080000_0005-02-02.csv.bak", "??????_??????_????-??-??.csv", false},
        {"English.txt", "*.txt", true},
        {"a.b.TXT", "*.txt", true},
        {"txt", "*.txt", false},
        {"𠀋.dat", "?.dat", true}, // a character outside the basic plane is one as well
    };
    for (const auto& c : cases)
        EXPECT_EQ(WildcardMatch(QString::fromUtf8(c.name), QString::fromUtf8(c.pattern)), c.match) << c.name;
}
