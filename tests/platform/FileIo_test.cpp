// The one write path: whole files or nothing, on every failing step, on a
// disk that fills up and in folders that may not be written; and the
// classic numbers and names of the file-system errors.
#include "platform/AppError.h"
#include "platform/FileIo.h"
#include "support/ChildProcess.h"
#include "support/TestEnv.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>

namespace {

class FileIo : public ::testing::Test {
  protected:
    void SetUp() override
    {
        base = env.root() + QStringLiteral("/io");
        QDir().mkpath(base);
    }
    void TearDown() override { FileIoFaults::Reset(); }

    static void put(const QString& path, const QByteArray& bytes)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    static QByteArray get(const QString& path) { return ReadFileBytes(path).value_or("<missing>"); }
    QStringList entries() const { return QDir(base).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot); }

    // The text of the AppError `body` throws ("" when none).
    static QString thrown(const std::function<void()>& body)
    {
        try {
            body();
        } catch (const AppError& e) {
            return QStringLiteral("ERROR No:%1 %2").arg(e.number).arg(e.description);
        }
        return QString();
    }

    TestEnv env;
    QString base;
};

} // namespace

TEST_F(FileIo, EveryFailingStepLeavesTheOldFileAndNoTemporaryFile)
{
    const QString path = base + QStringLiteral("/data.csv");
    const QByteArray fresh(100000, 'n');
    for (int n = 1; n <= 3; ++n) {
        put(path, "old bytes\r\n");
        FileIoFaults::FailAt(n);
        EXPECT_FALSE(WriteFileAtomic(path, fresh)) << n;
        EXPECT_EQ(FileIoFaults::StepsTaken(), n) << "a failed step ends the write";
        EXPECT_EQ(get(path), "old bytes\r\n") << n;
        EXPECT_EQ(entries(), QStringList{QStringLiteral("data.csv")}) << n;
        ASSERT_EQ(FileIoFaults::Steps().size(), n);
        EXPECT_TRUE(FileIoFaults::Steps().last().failed);
    }
    FileIoFaults::FailAt(0);
    EXPECT_TRUE(WriteFileAtomic(path, fresh));
    EXPECT_EQ(get(path), fresh);
    ASSERT_EQ(FileIoFaults::Steps().size(), 3);
    EXPECT_EQ(FileIoFaults::Steps()[0].step, FileIoFaults::Step::Write);
    EXPECT_EQ(FileIoFaults::Steps()[1].step, FileIoFaults::Step::Flush);
    EXPECT_EQ(FileIoFaults::Steps()[2].step, FileIoFaults::Step::Rename);
    EXPECT_EQ(FileIoFaults::Steps()[2].bytes, fresh);

    // The seam counts the writes after the failing one too, and fails none.
    FileIoFaults::FailAt(2);
    EXPECT_FALSE(WriteFileAtomic(path, "a"));
    EXPECT_TRUE(WriteFileAtomic(path, "b"));
    EXPECT_EQ(FileIoFaults::StepsTaken(), 5);
    FileIoFaults::Reset();
    EXPECT_TRUE(FileIoFaults::Steps().isEmpty());
    EXPECT_EQ(get(path), "b");
}

TEST_F(FileIo, AFullDiskIsReportedAndKeepsTheOldFile)
{
    // A file-size limit makes every write beyond it fail, as a disk that is
    // full: before the flush was checked, such a save renamed an empty file
    // over the old one and said it had succeeded.
    const QString path = base + QStringLiteral("/UserData.csv");
    const struct {
        qint64 limit;
        qsizetype size;
        bool written;
    } cases[] = {{0, 10, false}, {4096, 4097, false}, {4096, 100000, false}, {4096, 4096, true}, {0, 0, true}};
    for (const auto& c : cases) {
        put(path, "old\r\n");
        const QByteArray fresh(c.size, 'x');
        const ChildResult r = RunInChild({c.limit, false}, [&](const auto& send) {
            send(thrown([&] { WriteFileOrThrow(path, fresh); }).toUtf8());
            return 0;
        });
        ASSERT_TRUE(r.exited && r.exitCode == 0) << r.signal;
        const QString report = QString::fromUtf8(r.output);
        if (c.written) {
            EXPECT_EQ(report, QString()) << c.limit << " " << c.size;
            EXPECT_EQ(get(path), fresh);
        } else {
            EXPECT_EQ(report, QStringLiteral("ERROR No:61 Disk full: ") + path) << c.limit << " " << c.size;
            EXPECT_EQ(get(path), "old\r\n");
        }
        EXPECT_EQ(entries(), QStringList{QStringLiteral("UserData.csv")});
    }
}

TEST_F(FileIo, SystemErrorsGetTheirClassicNumbers)
{
    const struct {
        int error, number;
    } cases[] = {{EACCES, 70}, {EPERM, 70}, {EROFS, 70},  {ENOENT, 76}, {ENOTDIR, 76}, {ENOSPC, 61},
                 {EDQUOT, 61}, {EFBIG, 61}, {EEXIST, 58}, {EIO, 57},    {EISDIR, 75},  {0, 75}};
    for (const auto& c : cases)
        EXPECT_EQ(FileErrorNumber(c.error), c.number) << c.error;
    // The path comes after the classic text, in the system's own form.
    EXPECT_EQ(FileSystemError(EACCES, QStringLiteral("/d/a.csv")).description,
              QStringLiteral("Permission denied: /d/a.csv"));
    EXPECT_EQ(FileError(53, QStringLiteral("/d/b.csv")).number, 53);
}

TEST_F(FileIo, ErrorsNameTheFileOrFolder)
{
    put(base + QStringLiteral("/plain"), "p");
    put(base + QStringLiteral("/file.csv"), "f");
    QDir().mkpath(base + QStringLiteral("/folder.csv"));
    const QString missing = base + QStringLiteral("/missing");
    const struct {
        const char* what;
        std::function<void()> body;
        QString report;
    } cases[] = {
        {"write into a missing folder", [&] { WriteFileOrThrow(missing + QStringLiteral("/a.csv"), "x"); },
         QStringLiteral("ERROR No:76 Path not found: ") + missing},
        {"write over a folder", [&] { WriteFileOrThrow(base + QStringLiteral("/folder.csv"), "x"); },
         QStringLiteral("ERROR No:75 Path/File access error: ") + base + QStringLiteral("/folder.csv")},
        {"read a missing file", [&] { ReadFileOrThrow(base + QStringLiteral("/none.csv")); },
         QStringLiteral("ERROR No:53 File not found: ") + base + QStringLiteral("/none.csv")},
        {"read in a missing folder", [&] { ReadFileOrThrow(missing + QStringLiteral("/a.csv")); },
         QStringLiteral("ERROR No:76 Path not found: ") + missing + QStringLiteral("/a.csv")},
        {"read a folder", [&] { ReadFileOrThrow(base + QStringLiteral("/folder.csv")); },
         QStringLiteral("ERROR No:75 Path/File access error: ") + base + QStringLiteral("/folder.csv")},
        {"folder where a file is", [&] { MakeFolderOrThrow(base + QStringLiteral("/plain")); },
         QStringLiteral("ERROR No:58 File already exists: ") + base + QStringLiteral("/plain")},
        {"folder below a file", [&] { MakeFolderOrThrow(base + QStringLiteral("/plain/sub/deeper")); },
         QStringLiteral("ERROR No:76 Path not found: ") + base + QStringLiteral("/plain")},
        {"rename onto an existing entry",
         [&] { RenameOrThrow(base + QStringLiteral("/file.csv"), base + QStringLiteral("/plain")); },
         QStringLiteral("ERROR No:58 File already exists: ") + base + QStringLiteral("/plain")},
        {"rename a missing file", [&] { RenameOrThrow(base + QStringLiteral("/gone"), base + QStringLiteral("/x")); },
         QStringLiteral("ERROR No:53 File not found: ") + base + QStringLiteral("/gone")},
        {"rename into a missing folder",
         [&] { RenameOrThrow(base + QStringLiteral("/file.csv"), missing + QStringLiteral("/x")); },
         QStringLiteral("ERROR No:76 Path not found: ") + missing},
        {"copy a missing file", [&] { CopyFileOrThrow(base + QStringLiteral("/gone"), base + QStringLiteral("/c")); },
         QStringLiteral("ERROR No:53 File not found: ") + base + QStringLiteral("/gone")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(thrown(c.body), c.report) << c.what;
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_EQ(get(base + QStringLiteral("/file.csv")), "f");
}

TEST_F(FileIo, FoldersThatMayNotBeWrittenArePermissionDenied)
{
    // Run as an ordinary user: root may write anywhere. Before, a folder
    // that could not be made was reported as "76 Path not found".
    const QString ro = base + QStringLiteral("/readonly");
    put(ro + QStringLiteral("/kept.csv"), "kept");
    put(base + QStringLiteral("/rofile.csv"), "ro");
    QFile::setPermissions(base + QStringLiteral("/rofile.csv"), QFileDevice::ReadOwner | QFileDevice::ReadOther);
    QFile::setPermissions(ro, QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                  QFileDevice::ExeOther);
    QFile::setPermissions(base, QFile::permissions(base) | QFileDevice::WriteOther | QFileDevice::ReadOther |
                                    QFileDevice::ExeOther);
    OpenPathToEveryone(base);
    const QStringList expected{
        QStringLiteral("ERROR No:70 Permission denied: ") + ro + QStringLiteral("/new.csv"),
        QStringLiteral("ERROR No:70 Permission denied: ") + ro + QStringLiteral("/kept.csv"),
        QStringLiteral("ERROR No:70 Permission denied: ") + ro + QStringLiteral("/sub"),
        QStringLiteral("ERROR No:70 Permission denied: ") + base + QStringLiteral("/rofile.csv"),
    };
    const ChildResult r = RunInChild({std::nullopt, true}, [&](const auto& send) {
        const QStringList got{
            thrown([&] { WriteFileOrThrow(ro + QStringLiteral("/new.csv"), "x"); }),
            thrown([&] { WriteFileOrThrow(ro + QStringLiteral("/kept.csv"), "x"); }),
            thrown([&] { MakeFolderOrThrow(ro + QStringLiteral("/sub/deeper")); }),
            thrown([&] { WriteFileOrThrow(base + QStringLiteral("/rofile.csv"), "x"); }),
        };
        send(got.join(u'\n').toUtf8());
        return 0;
    });
    ASSERT_TRUE(r.exited) << r.signal;
    if (r.exitCode == 252)
        GTEST_SKIP() << "cannot run as an ordinary user";
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_EQ(QString::fromUtf8(r.output).split(u'\n'), expected);
    EXPECT_EQ(get(ro + QStringLiteral("/kept.csv")), "kept");
    EXPECT_EQ(get(base + QStringLiteral("/rofile.csv")), "ro");
    EXPECT_EQ(QDir(ro).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("kept.csv")});
}

TEST_F(FileIo, FoldersAndRenamesAreStepsOfTheSeam)
{
    const QString deep = base + QStringLiteral("/a/b/c");
    FileIoFaults::FailAt(2);
    EXPECT_EQ(thrown([&] { MakeFolderOrThrow(deep); }),
              QStringLiteral("ERROR No:57 Device I/O error: ") + base + QStringLiteral("/a/b"));
    EXPECT_TRUE(QFileInfo(base + QStringLiteral("/a")).isDir());
    EXPECT_FALSE(QFileInfo::exists(base + QStringLiteral("/a/b")));

    FileIoFaults::FailAt(0);
    MakeFolderOrThrow(deep + u'/');
    MakeFolderOrThrow(deep); // there already: no step
    EXPECT_TRUE(QFileInfo(deep).isDir());
    EXPECT_EQ(FileIoFaults::StepsTaken(), 2);

    put(base + QStringLiteral("/from.csv"), "f");
    FileIoFaults::FailAt(1);
    EXPECT_FALSE(thrown([&] { RenameOrThrow(base + QStringLiteral("/from.csv"), base + QStringLiteral("/to.csv")); })
                     .isEmpty());
    EXPECT_TRUE(QFileInfo::exists(base + QStringLiteral("/from.csv")));
    FileIoFaults::FailAt(0);
    RenameOrThrow(base + QStringLiteral("/from.csv"), base + QStringLiteral("/to.csv"));
    EXPECT_EQ(get(base + QStringLiteral("/to.csv")), "f");
    ASSERT_EQ(FileIoFaults::Steps().size(), 1);
    EXPECT_EQ(FileIoFaults::Steps()[0].step, FileIoFaults::Step::Move);
    EXPECT_EQ(FileIoFaults::Steps()[0].other, base + QStringLiteral("/to.csv"));
}

TEST_F(FileIo, ACopyIsWholeAndKeepsTimeAndMode)
{
    const QString src = base + QStringLiteral("/src.jpg");
    const QString dst = base + QStringLiteral("/dst.jpg");
    const QByteArray content(200000, 'c');
    put(src, content);
    const QDateTime then = QDateTime::fromSecsSinceEpoch(1500000000);
    QFile s(src);
    ASSERT_TRUE(s.open(QIODevice::ReadWrite));
    ASSERT_TRUE(s.setFileTime(then, QFileDevice::FileModificationTime));
    s.close();
    QFile::setPermissions(src, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther);

    for (int n = 1; n <= 3; ++n) {
        put(dst, "old");
        FileIoFaults::FailAt(n);
        EXPECT_FALSE(thrown([&] { CopyFileOrThrow(src, dst); }).isEmpty()) << n;
        EXPECT_EQ(get(dst), "old") << n;
    }
    FileIoFaults::FailAt(0);
    CopyFileOrThrow(src, dst);
    EXPECT_EQ(get(dst), content);
    EXPECT_EQ(QFileInfo(dst).lastModified(), then);
    EXPECT_EQ(QFile::permissions(dst) & 0x0fff, QFile::permissions(src) & 0x0fff);
    EXPECT_EQ(FileIoFaults::StepsTaken(), 3);
    EXPECT_EQ(entries(), (QStringList{QStringLiteral("dst.jpg"), QStringLiteral("src.jpg")}));
}

TEST_F(FileIo, ARemovalIsAStepOfTheSeamAndNamesAMissingFile)
{
    const QString file = base + QStringLiteral("/gone.csv");
    put(file, "x");
    FileIoFaults::FailAt(1);
    EXPECT_TRUE(thrown([&] { RemoveFileOrThrow(file); }).startsWith(QStringLiteral("ERROR No:")));
    EXPECT_EQ(get(file), "x");
    ASSERT_EQ(FileIoFaults::Steps().size(), 1);
    EXPECT_EQ(FileIoFaults::Steps()[0].step, FileIoFaults::Step::Remove);
    FileIoFaults::FailAt(0);
    RemoveFileOrThrow(file);
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_EQ(thrown([&] { RemoveFileOrThrow(file); }), QStringLiteral("ERROR No:53 File not found: ") + file);
    EXPECT_TRUE(thrown([&] { RemoveFileOrThrow(base); }).startsWith(QStringLiteral("ERROR No:75 ")));
    EXPECT_EQ(FileIoFaults::StepsTaken(), 1);
}

TEST_F(FileIo, SameFileFollowsTheFileNotTheSpelling)
{
    const QString a = base + QStringLiteral("/a.csv");
    const QString b = base + QStringLiteral("/b.csv");
    put(a, "a");
    put(b, "a");
    EXPECT_TRUE(SameFile(a, a));
    EXPECT_TRUE(SameFile(a, base + QStringLiteral("/../io/a.csv")));
    EXPECT_FALSE(SameFile(a, b));
    ASSERT_TRUE(QFile::link(a, base + QStringLiteral("/link.csv")));
    EXPECT_TRUE(SameFile(a, base + QStringLiteral("/link.csv")));
    EXPECT_FALSE(SameFile(a, base + QStringLiteral("/missing.csv")));
}
