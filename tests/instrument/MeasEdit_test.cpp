// The in-place edit without a window: what a typed value does to a record
// in each column, and the files of an accepted edit (the new file before
// the old one goes, another measurement's file never replaced, everything
// undone when a step fails).
#include "instrument/MeasEdit.h"
#include "instrument/MeasFile.h"
#include "platform/AppError.h"
#include "platform/FileIo.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

MeasRecord Sample()
{
    MeasRecord r;
    r.F[MeasRecord::Number] = QStringLiteral("0012-03-05");
    r.F[MeasRecord::Date] = QStringLiteral("24/05/03");
    r.F[MeasRecord::Time] = QStringLiteral("10:15:00");
    r.F[MeasRecord::Position] = QStringLiteral("roof");
    return r;
}

struct EditCase {
    int column;
    const char* typed;
    const char* cell; // what the list cell shows
    MeasEditVerdict verdict;
    const char* f0;
    const char* f1;
    const char* f2;
    const char* f3;
};

constexpr auto A = MeasEditVerdict::Accepted;
constexpr auto R = MeasEditVerdict::Refused;
constexpr auto C = MeasEditVerdict::RefusedChar;

} // namespace

TEST(MeasEditRules, EachColumnTakesRefusesOrKeepsTheTypedValue)
{
    const EditCase cases[] = {
        // date: year-month-day, two-digit years, the form checked before and after
        {0, "24/5/3", "", A, "0012-03-05", "24/05/03", "10:15:00", "roof"},
        {0, "2024/5/3", "", A, "0012-03-05", "24/05/03", "10:15:00", "roof"},
        {0, "25/12/31", "", A, "0012-03-05", "25/12/31", "10:15:00", "roof"},
        {0, "99/1/2", "", A, "0012-03-05", "99/01/02", "10:15:00", "roof"},
        {0, "99/99/99", "", A, "0012-03-05", "24/05/03", "10:15:00", "roof"}, // no date: kept
        {0, "2024/05/03", "", R, "", "", "", ""},
        {0, "24-05-03", "", R, "", "", "", ""},
        {0, "240503", "", R, "", "", "", ""},
        {0, "24/5", "", R, "", "", "", ""},
        {0, "ab/c/d", "", R, "", "", "", ""}, // no date and not 8 characters
        {0, "24/2/30", "", R, "", "", "", ""},
        // time
        {1, "9:5:7", "", A, "0012-03-05", "24/05/03", "09:05:07", "roof"},
        {1, "23:59:59", "", A, "0012-03-05", "24/05/03", "23:59:59", "roof"},
        {1, "25:00:00", "", A, "0012-03-05", "24/05/03", "10:15:00", "roof"}, // no time: kept
        {1, "10:15", "", R, "", "", "", ""},
        {1, "10:15:00:0", "", R, "", "", "", ""},
        // serial: padded or cut to four characters
        {2, "7", "", A, "0007-03-05", "24/05/03", "10:15:00", "roof"},
        {2, "12345", "", A, "2345-03-05", "24/05/03", "10:15:00", "roof"},
        {2, "", "", A, "0000-03-05", "24/05/03", "10:15:00", "roof"},
        {2, "ab", "", A, "00ab-03-05", "24/05/03", "10:15:00", "roof"},
        {2, "a/b", "", C, "", "", "", ""},
        {2, "a:b", "", C, "", "", "", ""},
        {2, "1,2", "", C, "", "", "", ""},
        {2, "a*", "", C, "", "", "", ""},
        {2, "\xe2\x91\xa0", "", C, "", "", "", ""},  // circled digit one: machine-dependent
        {2, "\xf0\x9f\x98\x80", "", C, "", "", "", ""}, // not in code page 932
        {2, "/1234", "", A, "1234-03-05", "24/05/03", "10:15:00", "roof"}, // the "/" is cut off
        // group 1 to 10
        {3, "3", "", A, "0012-03-05", "24/05/03", "10:15:00", "roof"},
        {3, "10", "", A, "0012-10-05", "24/05/03", "10:15:00", "roof"},
        {3, "7x", "", A, "0012-07-05", "24/05/03", "10:15:00", "roof"},
        {3, "0", "", R, "", "", "", ""},
        {3, "11", "", R, "", "", "", ""},
        {3, "x", "", R, "", "", "", ""},
        // sub-number 1 to 99; 0 only over a present 0
        {4, "5", "05", A, "0012-03-05", "24/05/03", "10:15:00", "roof"},
        {4, "99", "05", A, "0012-03-99", "24/05/03", "10:15:00", "roof"},
        {4, "0", "00", A, "0012-03-00", "24/05/03", "10:15:00", "roof"},
        {4, "0", "05", A, "0012-03-05", "24/05/03", "10:15:00", "roof"}, // kept, file still written
        {4, "100", "05", R, "", "", "", ""},
        {4, "-1", "05", R, "", "", "", ""},
        {4, "0.5", "05", R, "", "", "", ""},
        // measuring position: anything but a comma or a character the file cannot hold
        {5, "south east", "", A, "0012-03-05", "24/05/03", "10:15:00", "south east"},
        {5, "", "", A, "0012-03-05", "24/05/03", "10:15:00", ""},
        {5, "a,b", "", C, "", "", "", ""},
        {5, "up\r\nW\rE", "", A, "0012-03-05", "24/05/03", "10:15:00", "up  W E"}, // one line
        {5, "M\xc3\xbcllerstra\xc3\x9f" "e", "", C, "", "", "", ""}, // not in code page 932
    };
    for (const EditCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "column " << c.column << " typed \"" << c.typed << "\"");
        const MeasEditResult r = ApplyMeasEdit(Sample(), c.column, QString::fromUtf8(c.typed), QString::fromUtf8(c.cell));
        EXPECT_EQ(int(r.verdict), int(c.verdict));
        if (c.verdict != A)
            continue;
        EXPECT_EQ(r.rec.F[0], QString::fromUtf8(c.f0));
        EXPECT_EQ(r.rec.F[1], QString::fromUtf8(c.f1));
        EXPECT_EQ(r.rec.F[2], QString::fromUtf8(c.f2));
        EXPECT_EQ(r.rec.F[3], QString::fromUtf8(c.f3));
        EXPECT_FALSE(r.longPosition);
    }
}

TEST(MeasEditRules, APositionOfMoreThanFourteenBytesIsNotedAndStoredWhole)
{
    // "東" takes two bytes in code page 932.
    const QString fourteen = QStringLiteral("東東東東東東東");
    const QString fifteen = fourteen + u'x';
    EXPECT_FALSE(ApplyMeasEdit(Sample(), 5, fourteen, QString()).longPosition);
    const MeasEditResult r = ApplyMeasEdit(Sample(), 5, fifteen, QString());
    EXPECT_TRUE(r.longPosition);
    EXPECT_EQ(r.rec.F[3], fifteen);
}

// ---- The files of an accepted edit ----------------------------------------------

namespace {

struct EditFolder {
    QTemporaryDir tmp;
    QString dir = tmp.path();
    QString oldPath = dir + QStringLiteral("/240503_101500_0012-03-05.csv");
    QString otherPath = dir + QStringLiteral("/240503_101500_0012-04-05.csv");
    QString backupPath = dir + QStringLiteral("/backup/240503_101500_0012-04-05.csv");

    EditFolder()
    {
        QDir().mkpath(dir + QStringLiteral("/backup"));
        write(oldPath, "old measurement");
    }
    ~EditFolder() { FileIoFaults::Reset(); }
    static void write(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    // Every file below the folder with its bytes.
    QMap<QString, QByteArray> files() const
    {
        QMap<QString, QByteArray> out;
        for (const QString& sub : {QString(), QStringLiteral("/backup")})
            for (const QString& name : QDir(dir + sub).entryList(QDir::Files | QDir::Hidden))
                out.insert(sub + u'/' + name, ReadFileBytes(dir + sub + u'/' + name).value_or("?"));
        return out;
    }
};

MeasRecord Renamed()
{
    MeasRecord r = Sample();
    r.F[0] = QStringLiteral("0012-04-05");
    return r;
}

} // namespace

TEST(MeasEditFiles, TheNewFileIsWrittenAndTheOldOneRemoved)
{
    EditFolder f;
    const QString target = MeasEditTarget(f.oldPath, Renamed());
    EXPECT_EQ(target, f.otherPath);
    CommitMeasEditFiles(f.oldPath, {{target, "new"}, {f.backupPath, "new"}});
    const QMap<QString, QByteArray> want{{QStringLiteral("/240503_101500_0012-04-05.csv"), "new"},
                                         {QStringLiteral("/backup/240503_101500_0012-04-05.csv"), "new"}};
    EXPECT_EQ(f.files(), want);

    // The same name: the file is written over and stays.
    EXPECT_EQ(MeasEditTarget(f.otherPath, Renamed()), f.otherPath);
    CommitMeasEditFiles(f.otherPath, {{f.otherPath, "again"}});
    EXPECT_EQ(ReadFileBytes(f.otherPath).value_or("?"), "again");
}

TEST(MeasEditFiles, AnotherMeasurementsFileIsNeverReplaced)
{
    EditFolder f;
    EditFolder::write(f.otherPath, "another measurement");
    const auto before = f.files();
    try {
        MeasEditTarget(f.oldPath, Renamed());
        ADD_FAILURE() << "no error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number, 58);
        EXPECT_TRUE(e.description.contains(f.otherPath));
    }
    EXPECT_EQ(f.files(), before);

    // A number that would lead the file out of its folder.
    MeasRecord bad = Sample();
    bad.F[0] = QStringLiteral("../x-01-01");
    EXPECT_THROW(MeasEditTarget(f.oldPath, bad), AppError);
    // Nor one its list would no longer show: the record of a file that
    // could not be read.
    bad.F[0] = bad.F[1] = bad.F[2] = QStringLiteral("--");
    try {
        MeasEditTarget(f.oldPath, bad);
        ADD_FAILURE() << "no error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number, 52);
    }
    EXPECT_EQ(f.files(), before);
}

TEST(MeasEditFiles, AMissingOldFileWritesNothing)
{
    EditFolder f;
    QFile::remove(f.oldPath);
    try {
        CommitMeasEditFiles(f.oldPath, {{f.otherPath, "new"}});
        ADD_FAILURE() << "no error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number, 53);
    }
    EXPECT_TRUE(f.files().isEmpty());
}

TEST(MeasEditFiles, AFailureAtAnyStepLeavesEveryFileAsItWas)
{
    // Renamed, and written over under the same name, each with a backup
    // copy that replaces an older one of the same second.
    for (const bool sameName : {false, true}) {
        SCOPED_TRACE(sameName);
        int steps = 0;
        {
            EditFolder f;
            FileIoFaults::FailAt(0);
            const QString target = sameName ? f.oldPath : f.otherPath;
            CommitMeasEditFiles(f.oldPath, {{target, "new"}, {f.backupPath, "new"}});
            steps = FileIoFaults::StepsTaken();
        }
        ASSERT_EQ(steps, sameName ? 6 : 7);
        for (int n = 1; n <= steps; ++n) {
            SCOPED_TRACE(n);
            EditFolder f;
            EditFolder::write(f.backupPath, "older backup");
            const auto before = f.files();
            FileIoFaults::FailAt(n);
            const QString target = sameName ? f.oldPath : f.otherPath;
            EXPECT_THROW(CommitMeasEditFiles(f.oldPath, {{target, "new"}, {f.backupPath, "new"}}), AppError);
            FileIoFaults::Reset();
            EXPECT_EQ(f.files(), before);
        }
    }
}
