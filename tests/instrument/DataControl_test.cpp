// The plain side of the data-control buttons: the history file a moved
// read-out measurement becomes, MeasData.csv after a move, and the move and
// deletion of single files.
#include "instrument/DataControl.h"

#include "common/AppGlobals.h"
#include "instrument/MeasFile.h"
#include "platform/AnsiCodec.h"
#include "platform/AppError.h"
#include "platform/FileIo.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

QByteArray Bytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void Put(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QList<QByteArray> Lines(const QByteArray& bytes)
{
    return AnsiCodec::splitLineBytes(bytes);
}

// A read-out measurement as the instrument-data list loads it.
MeasRecord ReadOutRecord(const QString& number = QStringLiteral("0012-03-01"))
{
    MeasRecord r;
    r.F[0] = number;
    r.F[1] = QStringLiteral("24/05/03");
    r.F[2] = QStringLiteral("10:15:00");
    r.F[8] = QStringLiteral("45.5");
    r.F[15] = QStringLiteral("250");
    r.F[16] = QStringLiteral("40");
    r.F[17] = QStringLiteral("8.5");
    r.F[40] = QStringLiteral("3");
    r.F[42] = QStringLiteral("8.3");
    r.F[43] = QStringLiteral("0.74");
    for (int k = 0; k < 120; ++k) {
        r.IvPoints[std::size_t(k)][0] = QString::number(k * 0.25);
        r.IvPoints[std::size_t(k)][1] = QString::number(8.5 - k * 0.05);
    }
    return r;
}

struct Folders {
    TestEnv env;
    QString forward = env.dataFolder() + QStringLiteral("/FORWARD_DATA");
    QString history = env.dataFolder() + QStringLiteral("/USER_DATA/A001_x/1_roof");
    Folders()
    {
        TestEnv::loadUiText();
        QDir().mkpath(forward);
        QDir().mkpath(history);
    }
    // Writes `rec` as a read-out file and gives it back as the list loads it.
    QString writeReadOut(MeasRecord& rec) const { return WriteReadOutMeasFile(forward, rec, 1184); }
};

} // namespace

TEST(MovedMeasFile, IsTheLabelledHistoryLayoutWithTheTemperatureAloneAndKey616)
{
    TestEnv::loadUiText();
    MeasRecord rec = ReadOutRecord();
    rec.F[3] = QStringLiteral("East roof");
    rec.F[9] = QStringLiteral("46.0");
    rec.F[40] = QStringLiteral("3"); // a model the read-out labels with key 649
    const QByteArray bytes = MovedMeasFileBytes(rec);
    const QList<QByteArray> lines = Lines(bytes);
    ASSERT_EQ(lines.size(), 168);
    EXPECT_EQ(lines[0], "VER,8.3");
    EXPECT_EQ(lines[4], AnsiCodec::encode(Global::UiText.value(603) + QStringLiteral(",East roof")));
    EXPECT_EQ(lines[8], AnsiCodec::encode(Global::UiText.value(607) + QStringLiteral(",45.5")));
    EXPECT_TRUE(lines[18].startsWith(AnsiCodec::encode(Global::UiText.value(616) + u',')));
    EXPECT_TRUE(bytes.endsWith("119,29.75,2.55\r\n"));

    // Read back as the history loads it.
    const MeasRecord back = ReadMeasFileBytes(bytes, MeasFileVariant::History);
    EXPECT_EQ(back.F[3], QStringLiteral("East roof"));
    EXPECT_EQ(back.F[8], QStringLiteral("45.5"));
    EXPECT_EQ(back.F[9], QStringLiteral("45.5"));
}

TEST(MovedMeasFile, VersionLineAndFillFactorByTheRecordsVersion)
{
    TestEnv::loadUiText();
    struct Case {
        const char* version;
        const char* voc;
        const char* verLine;
        const char* ff;
    } cases[] = {
        {"8.4", "40", "VER,8.4", "0.74"}, // kept as read
        {"8.3", "40", "VER,8.3", "0.74"},
        {"8.2", "40", "VER,8.3", "0.74"}, // below 8.3: the fixed version, F43 as read
        {"8.1", "40", "VER,8.3", "0.74"}, // below 8.2: computed, 250 / (40 x 8.5)
        {"8.1", "0", "VER,8.3", ""},      // no Voc: no fill factor
        {"", "50", "VER,8.3", "0.59"},    // a bare read-out file has no version
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        MeasRecord rec = ReadOutRecord();
        rec.F[42] = QString::fromLatin1(c.version);
        rec.F[16] = QString::fromLatin1(c.voc);
        rec.F[43] = QStringLiteral("0.74");
        const QList<QByteArray> lines = Lines(MovedMeasFileBytes(rec));
        EXPECT_EQ(lines[0], c.verLine);
        EXPECT_EQ(lines[17], AnsiCodec::encode(Global::UiText.value(644) + u',' + QString::fromLatin1(c.ff)));
        EXPECT_EQ(rec.F[43], QString::fromLatin1(c.ff)); // stored into the record
    }
}

TEST(MovedMeasFile, ABareReadOutFileBecomesALabelledFileWithEmptyNewerFields)
{
    TestEnv::loadUiText();
    const QByteArray bare = Bytes(QStringLiteral(HX_FIXTURES "/forward/170101_090000_0001-01-01.csv"));
    ASSERT_FALSE(bare.isEmpty());
    MeasRecord rec = ReadMeasFileBytes(bare, MeasFileVariant::ReadOut);
    const QByteArray bytes = MovedMeasFileBytes(rec);
    EXPECT_TRUE(bytes.startsWith("VER,8.3\r\n"));
    const MeasRecord back = ReadMeasFileBytes(bytes, MeasFileVariant::History);
    for (int n = 44; n <= 47; ++n)
        EXPECT_TRUE(back.F[std::size_t(n)].isEmpty()) << n;
    EXPECT_EQ(back.F[0], rec.F[0]);
    EXPECT_EQ(back.F[15], rec.F[15]);
    EXPECT_EQ(back.IvPoints[119], rec.IvPoints[119]);
}

TEST(MeasDataAfterMove, DateOnLineTwoTotalsClearedOtherLinesKeepTheirBytes)
{
    const QByteArray sjisMemo = AnsiCodec::encode(QStringLiteral("屋根の memo, 2 lines"));
    struct Case {
        const char* name;
        QByteArray before;
        QByteArray after;
    } cases[] = {
        {"five lines", "Roof\r\n24/01/01\r\nSEL_OK,1\r\nSEL_OK,2\r\nSEL_OK,3\r\n",
         "Roof\r\n24/05/03\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n"},
        {"memo kept", "Roof\r\n24/01/01\r\nSEL_OK,1\r\nSEL_OK,2\r\nSEL_OK,3\r\nold\r\n\r\n\r\nx\r\n" + sjisMemo +
                          "\r\nsecond\r\n",
         "Roof\r\n24/05/03\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n" + sjisMemo + "\r\nsecond\r\n"},
        {"lone CR and no last line end", "Roof\r24/01/01\r\r\r\r\r\r\r\rmemo",
         "Roof\r\n24/05/03\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\nmemo\r\n"},
        {"empty file", "", "\r\n24/05/03\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(MeasDataAfterMove(c.before, QStringLiteral("24/05/03")), c.after);
    }
}

TEST(MeasDataAfterMove, MoreThan65536LinesAreRefusedBeforeAnythingMoves)
{
    QByteArray most;
    for (int i = 0; i < MaxMeasDataLines; ++i)
        most += "x\r\n";
    EXPECT_NO_THROW(CheckMeasDataLines(most));
    try {
        CheckMeasDataLines(most + "y\r\n");
        FAIL() << "no error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number, 9);
    }
}

TEST(MoveReadOutFile, WritesTheHistoryFileThenDeletesTheReadOutFile)
{
    Folders f;
    MeasRecord rec = ReadOutRecord();
    const QString source = f.writeReadOut(rec);
    MeasRecord listed = ReadMeasFile(source, MeasFileVariant::ReadOut);
    listed.F[3] = QStringLiteral("West"); // typed into the list
    // Drawing clips the curve in memory; the move still takes the record.
    listed.IvPoints[0][1] = QStringLiteral("0");

    EXPECT_EQ(MoveReadOutFile(listed, source, f.history), ReadOutMoveResult::Moved);
    EXPECT_FALSE(QFileInfo::exists(source));
    const QString target = f.history + QStringLiteral("/240503_101500_0012-03-01.csv");
    const MeasRecord back = ReadMeasFile(target, MeasFileVariant::History);
    EXPECT_EQ(back.F[3], QStringLiteral("West"));
    EXPECT_EQ(back.IvPoints[0][1], QStringLiteral("0"));
    EXPECT_EQ(Bytes(target), MovedMeasFileBytes(listed));

    // A file that went meanwhile is passed over.
    EXPECT_EQ(MoveReadOutFile(listed, source, f.history), ReadOutMoveResult::Missing);
    EXPECT_EQ(MoveReadOutFile(listed, QString(), f.history), ReadOutMoveResult::Missing);
}

TEST(MoveReadOutFile, ADifferentMeasurementOfTheSameNameInTheHistoryIsNeverReplaced)
{
    Folders f;
    MeasRecord rec = ReadOutRecord();
    const QString source = f.writeReadOut(rec);
    const QString target = f.history + QStringLiteral("/240503_101500_0012-03-01.csv");

    // Another measurement that happens to have the same date, time and number.
    MeasRecord other = ReadOutRecord();
    other.F[15] = QStringLiteral("199");
    const QByteArray otherBytes = MovedMeasFileBytes(other);
    Put(target, otherBytes);
    MeasRecord listed = ReadMeasFile(source, MeasFileVariant::ReadOut);
    EXPECT_EQ(MoveReadOutFile(listed, source, f.history), ReadOutMoveResult::Kept);
    EXPECT_EQ(Bytes(target), otherBytes);
    EXPECT_TRUE(QFileInfo::exists(source));

    // The same measurement moved before (its labels in another language):
    // the read-out file goes, the history file stays as it is.
    TestEnv::loadUiText(QStringLiteral("Japanese"));
    MeasRecord same = ReadMeasFile(source, MeasFileVariant::ReadOut);
    const QByteArray sameBytes = MovedMeasFileBytes(same);
    Put(target, sameBytes);
    TestEnv::loadUiText();
    EXPECT_EQ(MoveReadOutFile(listed, source, f.history), ReadOutMoveResult::Moved);
    EXPECT_EQ(Bytes(target), sameBytes);
    EXPECT_FALSE(QFileInfo::exists(source));

    // A folder of that name.
    MeasRecord again = ReadOutRecord();
    const QString source2 = f.writeReadOut(again);
    QFile::remove(target);
    QDir().mkpath(target);
    MeasRecord listed2 = ReadMeasFile(source2, MeasFileVariant::ReadOut);
    EXPECT_EQ(MoveReadOutFile(listed2, source2, f.history), ReadOutMoveResult::Kept);
    EXPECT_TRUE(QFileInfo::exists(source2));
}

TEST(MoveReadOutFile, AReadOutFileThatNoLongerHoldsItsRecordStays)
{
    Folders f;
    struct Case {
        const char* name;
        QByteArray content;
    } cases[] = {
        {"empty", QByteArray()},
        {"changed since the list was loaded", QByteArray()},
    };
    MeasRecord rec = ReadOutRecord();
    const QString source = f.writeReadOut(rec);
    MeasRecord listed = ReadMeasFile(source, MeasFileVariant::ReadOut);
    MeasRecord changed = ReadOutRecord();
    changed.F[15] = QStringLiteral("300");
    cases[1].content = MeasFileReadOutBytes(changed, 1184);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Put(source, c.content);
        MeasRecord r = listed;
        EXPECT_EQ(MoveReadOutFile(r, source, f.history), ReadOutMoveResult::Kept);
        EXPECT_EQ(Bytes(source), c.content);
        EXPECT_TRUE(QDir(f.history).entryList(QDir::Files).isEmpty());
    }
}

TEST(DeleteMeasFile, DeletesAFilePassesOverAMissingOneAndReportsAFailure)
{
    Folders f;
    MeasRecord rec = ReadOutRecord();
    const QString path = f.writeReadOut(rec);
    EXPECT_TRUE(DeleteMeasFile(path));
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_FALSE(DeleteMeasFile(path));
    EXPECT_FALSE(DeleteMeasFile(QString()));

    // A file in a folder that may not be written cannot be deleted.
    const QString locked = f.env.dataFolder() + QStringLiteral("/locked");
    Put(locked + QStringLiteral("/a.csv"), "x");
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    try {
        DeleteMeasFile(locked + QStringLiteral("/a.csv"));
        if (::geteuid() != 0)
            ADD_FAILURE() << "no error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number, 70);
        EXPECT_TRUE(e.description.contains(QStringLiteral("a.csv")));
    }
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}
