// The read-out of the instrument's memory, end to end: the read button of
// the main window over a simulated instrument, the files it leaves in
// FORWARD_DATA and BACKUP_DATA, the list rows and the messages.
#include "ForwardTestSupport.h"

#include "common/FrmMessWindow.h"
#include "instrument/MeasFile.h"
#include "platform/AnsiCodec.h"
#include "platform/FileIo.h"

#include <QFile>
#include <QMap>

#include <functional>

#include <gtest/gtest.h>

namespace {

QString Ui(int key)
{
    return Global::UiText.value(key);
}

// A box without a title of its own.
QString Untitled(int key, const QString& extra = QString())
{
    return AppTitle + u'|' + Ui(key) + extra;
}

QByteArray Join(const QList<QByteArray>& records)
{
    QByteArray all;
    for (const QByteArray& r : records)
        all += r;
    return all;
}

QByteArray FileBytes(const QString& path)
{
    return ReadFileBytes(path).value_or(QByteArray("<missing>"));
}

// The memory as the instrument sends it: 64-byte packets, then "#END".
QList<QByteArray> Packets(const QByteArray& memory)
{
    QList<QByteArray> out;
    for (qsizetype at = 0; at < memory.size(); at += 64)
        out << memory.mid(at, 64);
    return out;
}

class RecordingProgress : public ReadOutProgress {
  public:
    void begin(int maximum, const QString& label) override
    {
        maxima << maximum;
        labels << label;
        ++open;
    }
    void advance(int value) override { values << value; }
    void end() override { --open; }
    QList<int> maxima;
    QStringList labels;
    QList<int> values;
    int open = 0;
};

} // namespace

// ---- An empty memory --------------------------------------------------------

TEST(ReadOut, AnEmptyMemoryWritesNothingAndSaysSo)
{
    ForwardWindow f;
    ReadOutOutcome outcome;
    EXPECT_TRUE(QtmForwordData(&outcome));
    EXPECT_FALSE(QDir(ForwardWindow::forwardFolder()).exists());
    EXPECT_FALSE(QDir(ForwardWindow::backupRoot()).exists());
    EXPECT_EQ(f.boxes(), QStringList{Untitled(820)});
    EXPECT_EQ(f.dialogs().log.at(0).message.icon, vbInformation);
    EXPECT_FALSE(FrmLoading::IsLoaded());
    EXPECT_FALSE(f.sim().isOpen());

    // Through the button: the list is loaded (its folder made), empty.
    f.dialogs().log.clear();
    f.pressRead();
    EXPECT_EQ(f.boxes(), QStringList{Untitled(820)});
    EXPECT_TRUE(ForwardWindow::files(ForwardWindow::forwardFolder()).isEmpty());
    EXPECT_FALSE(QDir(ForwardWindow::backupRoot()).exists());
    EXPECT_EQ(f.grid()->Rows(), 1);
    EXPECT_TRUE(f.control<QPushButton>("CmdDataForward")->isEnabled());
    EXPECT_TRUE(f.control<QPushButton>("CmdDataDelete")->isEnabled());
}

// ---- Memories of both record sizes, cut into packets -------------------------

TEST(ReadOut, MemoriesOfBothSizesBecomeFilesInBothFoldersAndRows)
{
    struct Case {
        int size;
        int records;
        int packet;
        bool idleBetween;
        bool nulPadding;
    };
    const Case cases[] = {
        {1184, 3, 64, true, false},
        {1184, 3, 37, true, true},
        {1120, 3, 64, true, false},
        {1120, 3, 50, false, true},
        // 41440 characters: a multiple of both sizes, taken as 37 records of 1120.
        {1120, 37, 64, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.size << " x " << c.records << ", packets of " << c.packet);
        ForwardWindow f;
        QStringList names;
        for (int i = 1; i <= c.records; ++i) {
            InstrumentRecord r;
            r.number = QStringLiteral("%1-02-03").arg(i, 4, 10, QLatin1Char('0')).toLatin1();
            r.time = QTime(10, 0).addSecs(i).toString(QStringLiteral("HH:mm:ss")).toLatin1();
            f.sim().records << (c.size == 1184 ? r.bytes1184() : r.bytes1120());
            names << QStringLiteral("240503_") + QString::fromLatin1(r.time).remove(u':') + u'_' +
                         QString::fromLatin1(r.number) + QStringLiteral(".csv");
        }
        f.sim().packetSize = c.packet;
        f.sim().idleBetweenPackets = c.idleBetween;
        f.sim().nulPadding = c.nulPadding;

        f.pressRead();

        EXPECT_EQ(f.boxes(), QStringList{Untitled(676)});
        EXPECT_EQ(Global::RecordSize, c.size);
        const QString forward = ForwardWindow::forwardFolder();
        const QString backup = ForwardWindow::backupFolder();
        ASSERT_EQ(ForwardWindow::files(forward), names);
        ASSERT_EQ(ForwardWindow::files(backup), names);
        for (const QString& n : names)
            EXPECT_EQ(FileBytes(forward + u'/' + n), FileBytes(backup + u'/' + n)) << n.toStdString();

        // The layout each size is written in, and the values read back.
        const QByteArray first = FileBytes(forward + u'/' + names[0]);
        const QStringList lines = AnsiCodec::splitLines(first);
        if (c.size == 1184) {
            EXPECT_EQ(lines.size(), 167);
            EXPECT_EQ(lines[0], QStringLiteral("VER,8.3"));
            EXPECT_EQ(lines[17], Ui(649) + QStringLiteral(",12")); // F18 of a numbered model
        } else {
            EXPECT_EQ(lines.size(), 280);
            EXPECT_EQ(lines[0], QStringLiteral("0001-02-03"));
        }
        const MeasRecord back = ReadMeasFile(forward + u'/' + names[0], MeasFileVariant::ReadOut);
        EXPECT_EQ(back.F[MeasRecord::Pm], QStringLiteral("250"));
        EXPECT_EQ(back.F[MeasRecord::Date], QStringLiteral("24/05/03"));

        // The list shows them, in name order, none ticked.
        ASSERT_EQ(f.grid()->Rows(), c.records + 1);
        EXPECT_EQ(f.grid()->TextMatrix(1, 2), QStringLiteral("0001"));
        EXPECT_EQ(f.grid()->TextMatrix(c.records, 2),
                  QStringLiteral("%1").arg(c.records, 4, 10, QLatin1Char('0')));
        EXPECT_EQ(Global::ForwardFileCount, c.records);
        EXPECT_EQ(Global::ForwardTick, std::vector<std::uint8_t>(std::size_t(c.records) + 1, 0));
        EXPECT_FALSE(f.sim().isOpen());
        EXPECT_FALSE(FrmLoading::IsLoaded());
    }
}

// ---- Refusals before anything is written --------------------------------------

TEST(ReadOut, ALengthOfNoWholeRecordsIsRefused)
{
    ForwardWindow f;
    f.sim().records << InstrumentRecord().bytes1184() + QByteArray("12345");
    f.pressRead();
    EXPECT_EQ(f.boxes(), QStringList{LinkBox(569)});
    EXPECT_EQ(f.dialogs().log.at(0).message.icon, vbExclamation);
    EXPECT_TRUE(ForwardWindow::files(ForwardWindow::forwardFolder()).isEmpty());
    EXPECT_FALSE(QDir(ForwardWindow::backupRoot()).exists());
    EXPECT_FALSE(f.sim().isOpen());
    EXPECT_EQ(Global::RecordSize, 1184);
}

// The text is never judged by its record numbers or dates: a memory of an
// instrument whose clock failed is read as the decoding reads it, the
// computer's date and time standing in from the fifth failing date on.
TEST(ReadOut, MemoriesWithBadDatesOrOddNumbersAreSaved)
{
    struct Case {
        const char* name;
        QList<QByteArray> memory;
        int recordSize;      // the size the decoding ends with
        QStringList names;   // the files in both folders
        const char* date;    // of every file
        const char* time;
    };
    InstrumentRecord badYear;
    badYear.date = "2024-5-3";
    InstrumentRecord dashes1, dashes2;
    dashes1.date = dashes2.date = "24-05-03";
    dashes1.number = "0001-02-03";
    dashes2.number = "0002-02-03";
    dashes2.time = "10:16:00";
    InstrumentRecord underscores;
    underscores.number = "0002_03_01";
    const Case cases[] = {
        {"one 1184-character record dated 2024-5-3",
         {badYear.bytes1184()},
         1184,
         {QStringLiteral("240601_123456_0012-03-01.csv")},
         "24/06/01",
         "12:34:56"},
        // Decoded again as two records of 1184 characters, the second one
        // shorter: its number is what stands at its place.
        {"two 1120-character records dated 24-05-03",
         {dashes1.bytes1120(), dashes2.bytes1120()},
         1184,
         {QStringLiteral("240601_123456_0001-02-03.csv"), QStringLiteral("240601_123456_0250000370.csv")},
         "24/06/01",
         "12:34:56"},
        {"number 0002_03_01 with a good date",
         {underscores.bytes1184()},
         1184,
         {QStringLiteral("240503_101500_0002_03_01.csv")},
         "24/05/03",
         "10:15:00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ForwardWindow f;
        f.sim().records = c.memory;
        f.pressRead();

        EXPECT_EQ(f.boxes(), QStringList{Untitled(676)});
        EXPECT_EQ(Global::RecordSize, c.recordSize);
        const QString forward = ForwardWindow::forwardFolder();
        const QString backup = ForwardWindow::backupFolder();
        ASSERT_EQ(ForwardWindow::files(forward), c.names);
        ASSERT_EQ(ForwardWindow::files(backup), c.names);
        for (const QString& n : c.names) {
            EXPECT_EQ(FileBytes(forward + u'/' + n), FileBytes(backup + u'/' + n)) << n.toStdString();
            const MeasRecord r = ReadMeasFile(forward + u'/' + n, MeasFileVariant::ReadOut);
            EXPECT_EQ(r.F[MeasRecord::Date], QString::fromLatin1(c.date)) << n.toStdString();
            EXPECT_EQ(r.F[MeasRecord::Time], QString::fromLatin1(c.time)) << n.toStdString();
        }
        EXPECT_FALSE(f.sim().isOpen());
    }
}

TEST(ReadOut, TheInstrumentDataFolderNeverReaches1200Files)
{
    ForwardWindow f;
    const QString forward = ForwardWindow::forwardFolder();
    QDir().mkpath(forward);
    for (int i = 0; i < 1190; ++i) {
        QFile other(forward + QStringLiteral("/other%1.txt").arg(i));
        ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    }

    f.sim().records = Records1184(10);
    f.pressRead();
    EXPECT_EQ(f.boxes(), QStringList{Untitled(705)});
    EXPECT_EQ(f.dialogs().log.at(0).message.icon, vbExclamation);
    EXPECT_EQ(ForwardWindow::files(forward).size(), 1190);
    EXPECT_FALSE(QDir(ForwardWindow::backupRoot()).exists());

    f.dialogs().log.clear();
    f.sim().records = Records1184(9);
    f.pressRead();
    EXPECT_EQ(f.boxes(), QStringList{Untitled(676)});
    EXPECT_EQ(ForwardWindow::files(forward).size(), 1199);
    EXPECT_EQ(f.grid()->Rows(), 10);
}

TEST(ReadOut, MoreRecordsThanTheTableHoldsEndWithTheErrorReport)
{
    ForwardWindow f;
    f.sim().records = Records1184(802);
    f.pressRead();
    EXPECT_EQ(f.boxes(), QStringList{QStringLiteral("QtmForwordData|ERROR No:9 Subscript out of range")});
    EXPECT_TRUE(ForwardWindow::files(ForwardWindow::forwardFolder()).isEmpty());
    EXPECT_FALSE(QDir(ForwardWindow::backupRoot()).exists());
    EXPECT_FALSE(f.sim().isOpen());
    EXPECT_FALSE(FrmLoading::IsLoaded());
}

// ---- The instrument missing, or the link failing ---------------------------

TEST(ReadOut, AMissingInstrumentIsReportedAndTheListIsNotReloaded)
{
    struct Case {
        const char* name;
        bool unplugged;
        bool inPipeFails;
        QStringList boxes;
    };
    TestEnv::loadUiText();
    const Case cases[] = {
        {"unplugged", true, false, {Untitled(564)}},
        // The device check and the read-out each report the pipe.
        {"in pipe", false, true, {LinkBox(565), LinkBox(565), Untitled(564)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ForwardWindow f;
        QDir().mkpath(ForwardWindow::forwardFolder());
        MeasRecord rec;
        rec.F[0] = QStringLiteral("0001-01-01");
        rec.F[1] = QStringLiteral("24/01/01");
        rec.F[2] = QStringLiteral("01:00:00");
        WriteReadOutMeasFile(ForwardWindow::forwardFolder(), rec, 1184);
        f.sim().records = Records1184(2);
        if (c.unplugged)
            f.sim().openFailures = -1;
        f.sim().inPipeFails = c.inPipeFails;

        f.pressRead();
        EXPECT_EQ(f.boxes(), c.boxes);
        EXPECT_TRUE(Global::UsbNotFoundFlag);
        EXPECT_EQ(f.grid()->Rows(), 1); // not reloaded
        EXPECT_EQ(ForwardWindow::files(ForwardWindow::forwardFolder()).size(), 1);
        EXPECT_TRUE(f.sim().writes().isEmpty());
        EXPECT_TRUE(f.control<QPushButton>("CmdDataForward")->isEnabled());
        EXPECT_TRUE(f.control<QPushButton>("CmdDataDelete")->isEnabled());
    }
}

TEST(ReadOut, AReadFailingHalfWayWritesNothingAndTheListStaysConsistent)
{
    struct Case {
        const char* name;
        bool timesOut; // else the read itself fails
    };
    for (const Case& c : {Case{"silent half-way", true}, Case{"read fails", false}}) {
        SCOPED_TRACE(c.name);
        ForwardWindow f;
        MeasRecord rec;
        rec.F[0] = QStringLiteral("0001-01-01");
        rec.F[1] = QStringLiteral("24/01/01");
        rec.F[2] = QStringLiteral("01:00:00");
        QDir().mkpath(ForwardWindow::forwardFolder());
        WriteReadOutMeasFile(ForwardWindow::forwardFolder(), rec, 1184);
        ForwardDataView();
        f.grid()->setTick(1, true);
        ASSERT_EQ(Global::ForwardTick[0], 1);

        const QList<QByteArray> packets = Packets(Join(Records1184(4)));
        if (c.timesOut)
            f.sim().answerOverride = [&](const QByteArray& written, int) -> std::optional<QList<QByteArray>> {
                if (written == "#E2P_READ")
                    return packets.mid(0, packets.size() / 2);
                return std::nullopt;
            };
        else
            f.sim().failReadAfterWrite = 1;
        f.sim().records = Records1184(4);

        f.pressRead();
        EXPECT_EQ(f.boxes(), QStringList{LinkBox(568)});
        EXPECT_EQ(ForwardWindow::files(ForwardWindow::forwardFolder()),
                  QStringList{QStringLiteral("240101_010000_0001-01-01.csv")});
        EXPECT_FALSE(QDir(ForwardWindow::backupRoot()).exists());
        EXPECT_FALSE(f.sim().isOpen());
        EXPECT_FALSE(FrmLoading::IsLoaded());
        // Reloaded: one row, its tick gone with the old load.
        EXPECT_EQ(f.grid()->Rows(), 2);
        EXPECT_EQ(Global::ForwardFileCount, 1);
        EXPECT_EQ(Global::ForwardTick, std::vector<std::uint8_t>(2, 0));
        EXPECT_EQ(f.grid()->Tick(1), 0);
    }
}

// ---- The clock -------------------------------------------------------------------

TEST(ReadOut, ARecordOfAClockModelSetsTheInstrumentsClockAfterTheFiles)
{
    ForwardWindow f;
    InstrumentRecord r;
    r.model = 'G';
    f.sim().records << r.bytes1184();
    f.sim().busyBeforeAck = 2; // "#FREE" twice before "#ACK"
    f.pressRead();

    EXPECT_EQ(f.boxes(), QStringList{Untitled(676)});
    EXPECT_EQ(f.sim().clockSetTo, QByteArray("240601123456"));
    const QList<QByteArray> w = f.sim().writes();
    ASSERT_EQ(w.size(), 3);
    EXPECT_EQ(w[0], QByteArray("#E2P_READ"));
    EXPECT_EQ(w[1], QByteArray("#RTC_SET"));
    EXPECT_EQ(w[2], QByteArray("240601123456"));
    EXPECT_EQ(f.sim().transcript().last(), QStringLiteral("close device"));
    EXPECT_EQ(ForwardWindow::files(ForwardWindow::forwardFolder()).size(), 1);
    EXPECT_EQ(f.grid()->Rows(), 2);
}

TEST(ReadOut, AClockSettingThatFailsStillListsTheWrittenFiles)
{
    struct Case {
        const char* name;
        bool reopenFails; // else the instrument never acknowledges
    };
    for (const Case& c : {Case{"link lost", true}, Case{"no #ACK", false}}) {
        SCOPED_TRACE(c.name);
        ForwardWindow f;
        InstrumentRecord r;
        r.model = 'H';
        f.sim().records << r.bytes1184();
        SimulatedInstrument* sim = &f.sim();
        sim->answerOverride = [sim, c](const QByteArray& written, int) -> std::optional<QList<QByteArray>> {
            if (written == "#E2P_READ" && c.reopenFails)
                sim->openFailures = -1; // unplugged while the files are written
            if (written == "240601123456" && !c.reopenFails)
                return QList<QByteArray>{"#BUSY"};
            return std::nullopt;
        };

        f.pressRead();
        // The failure, then what was saved before it.
        const QString saved = AppTitle + u'|' + Ui(823) + QStringLiteral(" 1");
        EXPECT_EQ(f.boxes(), (QStringList{c.reopenFails ? Untitled(564) : LinkBox(568), saved}));
        EXPECT_EQ(Global::UsbNotFoundFlag, c.reopenFails);
        EXPECT_EQ(ForwardWindow::files(ForwardWindow::forwardFolder()).size(), 1);
        EXPECT_EQ(ForwardWindow::files(ForwardWindow::backupFolder()).size(), 1);
        EXPECT_EQ(f.grid()->Rows(), 2); // listed although the read-out failed
        EXPECT_FALSE(f.sim().isOpen());
    }
}

TEST(ReadOut, AFailureAfterFilesWereWrittenIsReportedAndTheFilesAreListed)
{
    ForwardWindow f;
    // A file where the backup folders should go: no backup folder can be made.
    QFile blocker(ForwardWindow::backupRoot());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    f.sim().records = Records1184(2);
    f.pressRead();
    EXPECT_EQ(f.boxes(), (QStringList{QStringLiteral("QtmForwordData|ERROR No:76 Path not found"),
                                      AppTitle + u'|' + Ui(823) + QStringLiteral(" 2")}));
    EXPECT_EQ(ForwardWindow::files(ForwardWindow::forwardFolder()).size(), 2);
    EXPECT_EQ(f.grid()->Rows(), 3);
    EXPECT_FALSE(FrmLoading::IsLoaded());
    EXPECT_TRUE(f.control<QPushButton>("CmdDataForward")->isEnabled());
}

// ---- Records that cannot share or make a file name --------------------------------

TEST(ReadOut, RecordsOfTheSameNameAreAllKeptWithTheirMeasuredTime)
{
    ForwardWindow f;
    // Lettered models take the computer's date and time and lose their
    // group: these three records would all be 240601_123456_0012----01.
    InstrumentRecord a;
    a.model = 'D';
    a.number = "0012-03-01";
    InstrumentRecord b = a;
    b.number = "0012-05-01";
    b.pm = "00300";
    f.sim().records << a.bytes1184() << a.bytes1184() << b.bytes1184();

    f.pressRead();
    const QString note = QStringLiteral("\r\n\r\n") + Ui(821) + QStringLiteral(" 2");
    EXPECT_EQ(f.boxes(), QStringList{Untitled(676, note)});
    const QStringList names = {QStringLiteral("240601_123456_0012----01.csv"),
                               QStringLiteral("240601_123457_0012----01.csv"),
                               QStringLiteral("240601_123458_0012----01.csv")};
    const char* pms[] = {"250", "250", "300"};
    for (const QString& folder : {ForwardWindow::forwardFolder(), ForwardWindow::backupFolder()}) {
        ASSERT_EQ(ForwardWindow::files(folder), names);
        for (int i = 0; i < 3; ++i) {
            const MeasRecord r = ReadMeasFile(folder + u'/' + names[i], MeasFileVariant::ReadOut);
            EXPECT_EQ(r.F[MeasRecord::Pm], QString::fromLatin1(pms[i]));
            // Only the name moved on: the file keeps the measured time.
            EXPECT_EQ(r.F[MeasRecord::Date], QStringLiteral("24/06/01"));
            EXPECT_EQ(r.F[MeasRecord::Time], QStringLiteral("12:34:56"));
        }
    }
    EXPECT_EQ(f.grid()->Rows(), 4);
}

TEST(ReadOut, RecordsWhoseNumberCannotNameAFileAreCountedInTheCompletion)
{
    ForwardWindow f;
    InstrumentRecord good;
    InstrumentRecord katakana; // a half-width katakana byte: machine-dependent
    katakana.number = "0012-03-0\xB1";
    katakana.time = "11:00:00";
    InstrumentRecord slash;
    slash.number = "0012/03-01";
    slash.time = "12:00:00";
    f.sim().records << good.bytes1184() << katakana.bytes1184() << slash.bytes1184();

    f.pressRead();
    const QString note = QStringLiteral("\r\n\r\n") + Ui(822) + QStringLiteral(" 2");
    EXPECT_EQ(f.boxes(), QStringList{Untitled(676, note)});
    const QStringList names = {QStringLiteral("240503_101500_0012-03-01.csv")};
    EXPECT_EQ(ForwardWindow::files(ForwardWindow::forwardFolder()), names);
    EXPECT_EQ(ForwardWindow::files(ForwardWindow::backupFolder()), names);
    EXPECT_EQ(f.grid()->Rows(), 2);
}

// ---- Pieces --------------------------------------------------------------------------

TEST(ReadOutProgressBar, StopsOneBelowItsMaximumWhichFollowsTheLastRecordSize)
{
    TestEnv env;
    TestEnv::loadUiText();
    SimulatedLink link;
    Global::RecordSize = 1184;
    // 7 records sent a byte at a time: 8288 answers against a maximum of 7802.
    link.sim->records = Records1184(7);
    link.sim->packetSize = 1;
    RecordingProgress p;
    ReadOutOutcome o = ReadInstrumentMemory(&p);
    EXPECT_TRUE(o.ok);
    ASSERT_EQ(p.maxima, QList<int>{7802});
    EXPECT_EQ(p.labels, QStringList{Ui(171)});
    EXPECT_EQ(p.values.size(), 8288);
    EXPECT_EQ(p.values.first(), 1);
    EXPECT_EQ(p.values.last(), 7801);
    EXPECT_EQ(p.open, 0);

    // After a read-out of 1120-character records the next bar is shorter.
    link.sim->records = {InstrumentRecord().bytes1120()};
    link.sim->packetSize = 64;
    EXPECT_TRUE(ReadInstrumentMemory(&p).ok);
    EXPECT_TRUE(ReadInstrumentMemory(&p).ok);
    EXPECT_EQ(p.maxima, (QList<int>{7802, 7802, 7402}));
    EXPECT_EQ(ReadOutBarMaximum(1184), 7802);
    EXPECT_EQ(ReadOutBarMaximum(1120), 7402);
}

TEST(ReadOutPieces, EveryByteOfAnAnswerIsOneCharacterAndNulBytesAreDropped)
{
    const QString t = ReadOutAnswerText(QByteArray("AB\0\xB1\x82 9", 7));
    ASSERT_EQ(t.size(), 6);
    EXPECT_EQ(t.left(2), QStringLiteral("AB"));
    EXPECT_EQ(t[2], QChar(0xFF71)); // half-width katakana A
    EXPECT_EQ(t[3], QChar(0xF782)); // a lead byte alone: a character that writes back as the byte
    EXPECT_EQ(t.mid(4), QStringLiteral(" 9"));

    // Every byte value but NUL is one character and encodes back to itself.
    QByteArray all;
    for (int b = 1; b < 256; ++b)
        all.append(char(b));
    const QString every = ReadOutAnswerText(all);
    ASSERT_EQ(every.size(), 255);
    EXPECT_FALSE(every.contains(QChar(QChar::ReplacementCharacter)));
    EXPECT_EQ(AnsiCodec::encode(every), all);
}

TEST(ReadOutPieces, ARecordMovedToTheNextSecond)
{
    struct Case {
        const char* date;
        const char* time;
        const char* newDate;
        const char* newTime;
    };
    const Case cases[] = {
        {"24/05/03", "10:15:00", "24/05/03", "10:15:01"}, {"24/05/03", "10:59:59", "24/05/03", "11:00:00"},
        {"24/02/28", "23:59:59", "24/02/29", "00:00:00"}, {"24/12/31", "23:59:59", "25/01/01", "00:00:00"},
        {"xx/yy/zz", "23:59:59", "xx/yy/zz", "00:00:00"}, // a date that is no date stays
        {"24/05/03", "25:61:00", "24/05/03", "00:00:01"}, // a time that is no time counts as midnight
    };
    for (const Case& c : cases) {
        MeasRecord r;
        r.F[MeasRecord::Date] = QString::fromLatin1(c.date);
        r.F[MeasRecord::Time] = QString::fromLatin1(c.time);
        StepRecordTime(r);
        EXPECT_EQ(r.F[MeasRecord::Date], QString::fromLatin1(c.newDate)) << c.date << " " << c.time;
        EXPECT_EQ(r.F[MeasRecord::Time], QString::fromLatin1(c.newTime)) << c.date << " " << c.time;
    }
}

// ---- Only the read-out's own answer is taken -------------------------------------------

namespace {

// The files of a folder with their bytes.
QMap<QString, QByteArray> Snapshot(const QString& folder)
{
    QMap<QString, QByteArray> out;
    for (const QString& name : ForwardWindow::files(folder))
        out.insert(name, FileBytes(folder + u'/' + name));
    return out;
}

} // namespace

TEST(ReadOut, AnAnswerThatIsNotTheReadOutsOwnWritesNothing)
{
    const QList<QByteArray> memory = Records1184(6); // 111 packets
    // The reference: what a clean read-out of this memory writes.
    QMap<QString, QByteArray> reference;
    {
        ForwardWindow clean;
        clean.sim().records = memory;
        clean.pressRead();
        reference = Snapshot(ForwardWindow::forwardFolder());
        ASSERT_EQ(reference.size(), 6);
    }
    struct Case {
        const char* name;
        std::function<void(SimulatedInstrument&)> firstFault; // the first read-out fails by it
        QStringList secondBoxes;                               // empty: the second read-out is complete
    };
    const Case cases[] = {
        // The instrument hangs mid-answer; the rest is there at the next
        // open, which drains it.
        {"rest drained at the next open",
         [](SimulatedInstrument& s) { s.stallAtRead = 10; },
         {}},
        // The rest comes only once the instrument is spoken to again,
        // before the new answer: its "#END" is not the new read-out's own.
        {"rest after the next command, mid-record",
         [](SimulatedInstrument& s) {
             s.stallAtRead = 10;
             s.lateStale = true;
         },
         {LinkBox(568)}},
        // The same from a record boundary: whole records with an "#END";
        // only the instrument going on after it shows they are not this
        // read-out's own.
        {"rest after the next command, at a record boundary",
         [](SimulatedInstrument& s) {
             s.stallAtRead = 38; // 37 packets are exactly two records
             s.lateStale = true;
         },
         {LinkBox(568)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ForwardWindow f;
        f.sim().records = memory;
        c.firstFault(f.sim());
        f.pressRead();
        EXPECT_EQ(f.boxes(), QStringList{LinkBox(568)});
        EXPECT_TRUE(Snapshot(ForwardWindow::forwardFolder()).isEmpty());

        f.dialogs().log.clear();
        f.pressRead();
        if (c.secondBoxes.isEmpty()) {
            EXPECT_EQ(f.boxes(), QStringList{Untitled(676)});
            EXPECT_EQ(Snapshot(ForwardWindow::forwardFolder()), reference);
            continue;
        }
        EXPECT_EQ(f.boxes(), c.secondBoxes);
        EXPECT_TRUE(Snapshot(ForwardWindow::forwardFolder()).isEmpty());
        EXPECT_FALSE(QDir(ForwardWindow::backupRoot()).exists());

        // The failure drained the link: the instrument is in step again.
        f.dialogs().log.clear();
        f.pressRead();
        EXPECT_EQ(f.boxes(), QStringList{Untitled(676)});
        EXPECT_EQ(Snapshot(ForwardWindow::forwardFolder()), reference);
    }
}

// ---- Leftovers of an interrupted write ---------------------------------------------------

TEST(ReadOut, TemporaryFilesOfAnInterruptedWriteAreRemovedAtTheNextLoadOrReadOut)
{
    ForwardWindow f;
    const QString forward = ForwardWindow::forwardFolder();
    const QString oldBackup = ForwardWindow::backupRoot() + QStringLiteral("/20240101_080000");
    QDir().mkpath(forward);
    QDir().mkpath(oldBackup);
    auto touch = [](const QString& path) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4000, 'x'));
    };
    const QStringList leftovers = {QStringLiteral("240101_080000_0001-01-01.csv.Ab3xQ9"),
                                   QStringLiteral("240101_080000_0002----01.csv.zzzzzz")};
    // Not the writer's: kept.
    const QStringList others = {QStringLiteral("240101_080000_0003-01-01.csv"), QStringLiteral("notes.csv.Ab3xQ9"),
                                QStringLiteral("240101_080000_0004-01-01.csv.tmp"),
                                QStringLiteral("240101_080000_0005-01-01.csv.Ab3xQ")};
    for (const QString& n : leftovers + others) {
        touch(forward + u'/' + n);
        touch(oldBackup + u'/' + n);
    }

    // The list load cleans the instrument-data folder.
    ForwardDataView();
    QStringList kept = others;
    kept.sort();
    EXPECT_EQ(ForwardWindow::files(forward), kept);
    EXPECT_EQ(ForwardWindow::files(oldBackup).size(), 6);
    EXPECT_EQ(f.grid()->Rows(), 2); // the readable-named file, without values

    // A read-out cleans every backup folder too.
    for (const QString& n : leftovers)
        touch(forward + u'/' + n);
    f.sim().records = Records1184(1);
    f.pressRead();
    EXPECT_EQ(f.boxes(), QStringList{Untitled(676)});
    EXPECT_EQ(ForwardWindow::files(oldBackup), kept);
    EXPECT_EQ(ForwardWindow::files(forward).size(), kept.size() + 1);
}

// ---- Every byte into the file --------------------------------------------------------------

TEST(ReadOut, EveryByteOfTheInstrumentReachesTheFileUnchanged)
{
    ForwardWindow f;
    InstrumentRecord text;
    // Lead bytes alone and with a trail, katakana, the single bytes only
    // Windows maps, control bytes: twelve bytes of the instrument's text.
    const QByteArray f48("\x81\x82\xA0\xE0\xFC\xB1\xFD\x80\x01\x7F\x82\xA0", 12);
    QByteArray bytes = text.bytes1184();
    bytes.replace(212, 12, f48);
    InstrumentRecord lead; // a number ending in a lead byte that is no machine-dependent code
    lead.number = "0012-03-0\x85";
    lead.time = "11:00:00";
    InstrumentRecord dependent; // ... and one that is (0xE0 to 0xFC are single bytes from 0xA0 on)
    dependent.number = "0012-03-0\xE5";
    dependent.time = "12:00:00";
    f.sim().records << bytes << lead.bytes1184() << dependent.bytes1184();

    f.pressRead();
    EXPECT_EQ(f.boxes(), QStringList{Untitled(676, QStringLiteral("\r\n\r\n") + Ui(822) + QStringLiteral(" 1"))});
    const QStringList names = ForwardWindow::files(ForwardWindow::forwardFolder());
    ASSERT_EQ(names.size(), 2);
    const QByteArray file = FileBytes(ForwardWindow::forwardFolder() + u'/' + names[0]);
    EXPECT_TRUE(file.contains(AnsiCodec::encode(Ui(640)) + ',' + f48 + "\r\n"));
    // The number with its lead byte names its file and is listed under it.
    EXPECT_EQ(AnsiCodec::encode(names[1]), QByteArray("240503_110000_0012-03-0\x85.csv"));
    ASSERT_EQ(f.grid()->Rows(), 3);
    EXPECT_EQ(AnsiCodec::encode(Global::ForwardRecords[1].F[MeasRecord::Number]), QByteArray("0012-03-0\x85"));
    EXPECT_EQ(MeasFileName(Global::ForwardRecords[1]), names[1]);
}
