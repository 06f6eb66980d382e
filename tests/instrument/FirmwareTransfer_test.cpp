// The firmware transfer against the simulated instrument: what it sends,
// which answers it takes and how each failure ends.
#include "UsbTestSupport.h"

#include "instrument/FirmwareCheck.h"
#include "instrument/FirmwareTransfer.h"
#include "platform/AnsiCodec.h"
#include "platform/FileIo.h"
#include "platform/Registry.h"

#include <QFile>
#include <QFileInfo>

#include <functional>

namespace {

QByteArray fixture()
{
    return ReadFileBytes(QStringLiteral(HX_FIXTURES "/firmware/KRX260.MOT")).value_or(QByteArray());
}

QList<QByteArray> fixtureLines()
{
    return AnsiCodec::splitLineBytes(fixture());
}

// What the instrument sees before the first line: flash mode, erase start,
// blocks 1 to E (up to `lastBlock`), the closing "0", "#WRITE".
QList<QByteArray> prelude(int lastBlock = 14, bool closing = true)
{
    QList<QByteArray> w{"#FLASH", "#ERASE"};
    for (int k = 1; k <= lastBlock; ++k)
        w.append(QByteArray(1, "0123456789ABCDEF"[k]));
    if (closing)
        w << "0"
          << "#WRITE";
    return w;
}

QList<QByteArray> sentLines(const QList<QByteArray>& lines, int count = -1)
{
    QList<QByteArray> w;
    for (const QByteArray& l : lines)
        if (!l.isEmpty() && !l.startsWith("S0"))
            w.append(l);
    return count < 0 ? w : w.mid(0, count);
}

enum class Outcome { Written, Rejected, NotAccepted, Ended };

struct TransferCase {
    const char* name;
    std::function<void(SimulatedInstrument&)> setup;
    Outcome outcome;
    int box; // UI text key of the box shown, 0 for none
    QList<QByteArray> writes;
    bool staleLeft = false; // the instrument still had answers queued when the program ended
};

// The box of a failure once "#FLASH" went out: it also says the firmware is
// incomplete.
QString AfterFlashBox(int key)
{
    return LinkBox(key, QStringLiteral("\r\n\r\n") + Global::UiText.value(824));
}

} // namespace

class FirmwareTransferTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        TestEnv::loadUiText();
        RegStrSet(RegKeySystem, RegFirmwareIncomplete, QString());
    }
    static QString leftIncomplete() { return RegStrGet(RegKeySystem, RegFirmwareIncomplete); }

    struct Result {
        Outcome outcome;
        QList<int> progress;
        int events = 0;
    };

    Result run(SimulatedLink& link, const QByteArray* file,
               const QString& name = QStringLiteral("KRX260.MOT"))
    {
        const QString path = env.programFolder() + u'/' + name;
        QFile::remove(path);
        if (file) {
            QFile f(path);
            f.open(QIODevice::WriteOnly);
            f.write(*file);
        }
        EXPECT_TRUE(IV_TRACER_DEVICE_OPEN(false));
        link.sim->log.clear();
        Result r;
        TransferHooks hooks;
        hooks.progress = [&r](int v) { r.progress.append(v); };
        hooks.processEvents = [&r] { ++r.events; };
        try {
            switch (WriteFirmware(path, hooks)) {
            case TransferResult::Written:
                r.outcome = Outcome::Written;
                break;
            case TransferResult::FileRejected:
                r.outcome = Outcome::Rejected;
                break;
            case TransferResult::NotAccepted:
                r.outcome = Outcome::NotAccepted;
                break;
            }
        } catch (const ProgramEnded&) {
            r.outcome = Outcome::Ended;
        }
        return r;
    }

    TestEnv env;
};

TEST_F(FirmwareTransferTest, CleanRunSendsEveryLineButTheHeaderInFileOrder)
{
    SimulatedLink link;
    const QByteArray file = fixture();
    ASSERT_FALSE(file.isEmpty());
    Result r = run(link, &file);
    ASSERT_EQ(r.outcome, Outcome::Written);
    EXPECT_EQ(link.sim->writes(), prelude() + sentLines(fixtureLines()));
    EXPECT_EQ(link.sim->firmwareLines, sentLines(fixtureLines()));
    EXPECT_EQ(link.sim->erasedBlocks.size(), 14);
    EXPECT_TRUE(env.dialogs->log.isEmpty());
    // One progress step per line (the header included), then 100.
    ASSERT_EQ(r.progress.size(), fixtureLines().size() + 1);
    EXPECT_EQ(r.progress.last(), 100);
    EXPECT_TRUE(std::is_sorted(r.progress.begin(), r.progress.end()));
    EXPECT_LT(r.progress[r.progress.size() - 2], 100); // line ends are not counted
    EXPECT_GE(r.events, fixtureLines().size() + 1);
    // The link stays open: the wizard closes it.
    EXPECT_TRUE(Global::UsbOpenFlag);
    EXPECT_TRUE(leftIncomplete().isEmpty());
}

TEST_F(FirmwareTransferTest, Scenarios)
{
    const QList<QByteArray> lines = fixtureLines();
    const QByteArray first = sentLines(lines)[0];
    const QByteArray second = sentLines(lines)[1];
    const QList<QByteArray> all = prelude() + sentLines(lines);
    auto once = [](const char* command, std::initializer_list<const char*> answers) {
        return
            [command, packets = Bytes(answers)](SimulatedInstrument& s) { s.answerOnce(command, packets); };
    };
    auto onceBytes = [](QByteArray command, QList<QByteArray> answers) {
        return [command, answers](SimulatedInstrument& s) { s.answerOnce(command, answers); };
    };
    const QByteArray readyNul = QByteArray("#READY") + QByteArray(58, '\0');
    const QByteArray initNul = QByteArray("INIT.SUCCESS") + QByteArray(52, '\0');

    const TransferCase cases[] = {
        {"#FLASH answered otherwise", once("#FLASH", {"#BUSY"}), Outcome::Ended, 572, {"#FLASH"}},
        {"#FLASH answered with NUL padding",
         onceBytes("#FLASH", {readyNul}),
         Outcome::Ended,
         572,
         {"#FLASH"}},
        {"#FLASH answered by an empty read", once("#FLASH", {""}), Outcome::Ended, 572, {"#FLASH"}},
        {"#ERASE: empty reads are read again", once("#ERASE", {"", "", "INIT.SUCCESS"}), Outcome::Written, 0,
         all},
        {"#ERASE answered otherwise", once("#ERASE", {"ERROR"}), Outcome::Ended, 573, {"#FLASH", "#ERASE"}},
        {"#ERASE answered with NUL padding",
         onceBytes("#ERASE", {initNul}),
         Outcome::Ended,
         573,
         {"#FLASH", "#ERASE"}},
        {"block: INIT.SUCCESS passed over", once("3", {"INIT.SUCCESS", "INIT.SUCCESS", "ERASE SUCCESS"}),
         Outcome::Written, 0, all},
        {"block answered by an empty read", once("5", {""}), Outcome::Ended, 574, prelude(5, false)},
        {"block answered otherwise", once("E", {"ERASE FAILED"}), Outcome::Ended, 574, prelude(14, false)},
        {"#WRITE accepted at the second answer", once("#WRITE", {"BUSY", "INIT.SUCCESS"}), Outcome::Written,
         0, all},
        {"#WRITE accepted with NUL padding", onceBytes("#WRITE", {initNul}), Outcome::Written, 0, all},
        {"#WRITE accepted on its first 12 characters", once("#WRITE", {"INIT.SUCCESS, 512K"}),
         Outcome::Written, 0, all},
        {"#WRITE never acknowledged", once("#WRITE", {"BUSY", "BUSY"}), Outcome::NotAccepted, 570, prelude()},
        {"line answered in lower case", onceBytes(first, {"ready"}), Outcome::Ended, 570,
         prelude() + QList<QByteArray>{first}},
        {"line: empty reads and INIT.SUCCESS passed over",
         onceBytes(second, {"", "INIT.SUCCESS", "", "READY"}), Outcome::Written, 0, all},
        {"line answered WRITE SUCCESS", onceBytes(first, {"WRITE SUCCESS"}), Outcome::Written, 0, all},
        {"write of #ERASE fails",
         [](SimulatedInstrument& s) { s.failWriteAt = 2; },
         Outcome::Ended,
         567,
         {"#FLASH"}},
        {"write of the second line fails", [](SimulatedInstrument& s) { s.failWriteAt = 20; }, Outcome::Ended,
         567, prelude() + QList<QByteArray>{first}},
        {"read after #FLASH fails",
         [](SimulatedInstrument& s) { s.failReadAfterWrite = 1; },
         Outcome::Ended,
         568,
         {"#FLASH"}},
        {"instrument falls silent after block 7", [](SimulatedInstrument& s) { s.silentAfterWrite = 9; },
         Outcome::Ended, 568, prelude(7, false)},
        {"line answered only by empty reads",
         [first](SimulatedInstrument& s) {
             Global::UsbIdleLimitMs = 5;
             s.answerOnce(first, QList<QByteArray>(200000, QByteArray()));
         },
         Outcome::Ended, 568, prelude() + QList<QByteArray>{first}, true},
    };
    for (const TransferCase& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedLink link;
        env.dialogs->log.clear();
        RegStrSet(RegKeySystem, RegFirmwareIncomplete, QString());
        link.allowStale = c.staleLeft;
        link.allowRefused = true; // the instrument is left mid-update
        c.setup(*link.sim);
        const QByteArray file = fixture();
        Result r = run(link, &file);
        EXPECT_EQ(r.outcome, c.outcome);
        EXPECT_EQ(link.sim->writes(), c.writes);
        // Every failure came after "#FLASH": each box says the firmware is
        // now incomplete, and the next start offers the update again.
        EXPECT_EQ(Boxes(*env.dialogs), c.box ? QStringList{AfterFlashBox(c.box)} : QStringList());
        EXPECT_EQ(leftIncomplete(), c.outcome == Outcome::Written ? QString() : QStringLiteral("KRX260.MOT"));
        if (c.outcome != Outcome::Written) {
            // Nothing said the update was done.
            EXPECT_FALSE(r.progress.contains(100));
        }
        if (c.outcome == Outcome::Ended)
            EXPECT_FALSE(link.sim->isOpen()); // the end closed the link
    }
}

// A fault at every step of the update: once "#FLASH" went out, the box says
// the firmware is incomplete and asks for the update again, and at the next
// start (the instrument switched off and on) the update is offered again,
// although the instrument now claims a firmware newer than the file.
TEST_F(FirmwareTransferTest, AFailureAtAnyStepAfterFlashSaysTheFirmwareIsIncomplete)
{
    const int steps = int(prelude().size() + sentLines(fixtureLines()).size());
    struct Fault {
        const char* name;
        int key;
        std::function<void(SimulatedInstrument&, int)> set;
    } faults[] = {
        {"write fails", 567, [](SimulatedInstrument& s, int k) { s.failWriteAt = k; }},
        {"read fails", 568, [](SimulatedInstrument& s, int k) { s.failReadAfterWrite = k; }},
        {"instrument falls silent", 568, [](SimulatedInstrument& s, int k) { s.silentAfterWrite = k; }},
    };
    const QByteArray file = fixture();
    int runs = 0;
    for (const Fault& fault : faults) {
        for (int k = 1; k <= steps; ++k) {
            SCOPED_TRACE(testing::Message() << fault.name << " at write " << k);
            SimulatedLink link;
            link.allowRefused = true;
            link.allowStale = true;
            env.dialogs->log.clear();
            RegStrSet(RegKeySystem, RegFirmwareIncomplete, QString());
            fault.set(*link.sim, k);
            const Result r = run(link, &file);
            if (r.outcome == Outcome::Written)
                continue; // a read fault after the last answer was read: nothing failed
            ++runs;
            ASSERT_EQ(r.outcome, Outcome::Ended);
            const bool touched = !(fault.key == 567 && k == 1); // "#FLASH" itself not written
            EXPECT_EQ(Boxes(*env.dialogs), QStringList{touched ? AfterFlashBox(fault.key) : LinkBox(567)});
            EXPECT_EQ(leftIncomplete(), touched ? QStringLiteral("KRX260.MOT") : QString());
            if (!touched)
                continue;

            // The next start.
            SimulatedInstrument& sim = *link.sim;
            sim.failWriteAt = sim.failReadAfterWrite = sim.silentAfterWrite = 0;
            sim.powerCycle();
            sim.dateAnswer = "2099/01/01 00:00:00,3";
            Global::FirmwareWizardActive = false;
            EXPECT_EQ(StartupFirmwareCheck(), FirmwareCheckResult::UpdateOffered);
            EXPECT_EQ(QFileInfo(Global::FirmwareFilePath).fileName(), QStringLiteral("KRX260.MOT"));
            Global::FirmwareWizardActive = false;
            IV_TRACER_DEVICE_CLOSE();
        }
    }
    EXPECT_GE(runs, 3 * (steps - 1) - 2);
}

// A transfer that completes clears what an earlier broken one left.
TEST_F(FirmwareTransferTest, ACompletedUpdateIsNoLongerOffered)
{
    SimulatedLink link;
    RegStrSet(RegKeySystem, RegFirmwareIncomplete, QStringLiteral("KRX260.MOT"));
    const QByteArray file = fixture();
    ASSERT_EQ(run(link, &file).outcome, Outcome::Written);
    EXPECT_TRUE(leftIncomplete().isEmpty());
    IV_TRACER_DEVICE_CLOSE();
    link.sim->powerCycle(); // as the after-update window asks
    link.sim->dateAnswer = "2099/01/01 00:00:00,3";
    EXPECT_EQ(StartupFirmwareCheck(), FirmwareCheckResult::NoUpdate);
}

// An erase may take the instrument far longer than any other answer: the
// answers of the erase wait up to their own, longer limit.
TEST_F(FirmwareTransferTest, TheEraseAnswersHaveTheirOwnLongerTimeOut)
{
    struct Case {
        const char* name;
        int eraseDelay, packetDelay, readLimit, eraseLimit;
        Outcome outcome;
        int box;
    } cases[] = {
        // Limits and delays lie seconds apart: a busy machine changes no outcome.
        {"slow erase within its limit", 40, 0, 10, 5000, Outcome::Written, 0},
        {"erase slower than its limit", 5000, 0, 10, 100, Outcome::Ended, 568},
        {"other answers keep the short limit", 0, 3000, 10, 5000, Outcome::Ended, 568},
    };
    const QByteArray file = fixture();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedLink link;
        link.allowRefused = link.allowStale = true;
        env.dialogs->log.clear();
        link.sim->eraseDelayMs = c.eraseDelay;
        link.sim->packetDelayMs = c.packetDelay;
        Global::UsbReadTimeoutMs = c.readLimit;
        Global::UsbEraseTimeoutMs = c.eraseLimit;
        const Result r = run(link, &file);
        EXPECT_EQ(r.outcome, c.outcome);
        EXPECT_EQ(Boxes(*env.dialogs), c.box ? QStringList{AfterFlashBox(c.box)} : QStringList());
        if (c.outcome == Outcome::Written)
            EXPECT_EQ(link.sim->erasedBlocks.size(), 14);
    }
}

TEST_F(FirmwareTransferTest, AFileThatIsNoFirmwareIsRefusedBeforeTheInstrumentIsTouched)
{
    const QByteArray s9 = "S9030000FC\r\n";
    struct Case {
        const char* name;
        std::optional<QByteArray> file; // nullopt: no file at all
    } cases[] = {
        {"missing", std::nullopt},
        {"empty", QByteArray()},
        {"line of 66 characters", "S0030000FC\r\nS1" + QByteArray(64, '0') + "\r\n" + s9},
        {"no closing S9", "S00600004844521B\r\nS1130000000102030405060708090A0B0C0D0E0F74\r\n"},
        {"S9 not the last record", "S9030000FC\r\nS1130000000102030405060708090A0B0C0D0E0F74\r\n"},
        {"not S-records", "hello world\r\n" + s9},
        {"binary", QByteArray("S1\x00\x01\r\n", 6) + s9},
        // Records end in CR LF (or a lone CR): a line feed alone would be
        // sent as part of the record.
        {"a record followed by a lone LF", "S1130000000102030405060708090A0B0C0D0E0F74\n\r\n" + s9},
        {"a lone LF inside a record", "S1130000000102030405060708\n090A0B0C0D0E0F74\r\n" + s9},
        {"LF line ends", "S1130000000102030405060708090A0B0C0D0E0F74\nS9030000FC\n"},
        {"LF CR line ends", "S1130000000102030405060708090A0B0C0D0E0F74\n\rS9030000FC\n\r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedLink link;
        env.dialogs->log.clear();
        Result r = run(link, c.file ? &*c.file : nullptr);
        EXPECT_EQ(r.outcome, Outcome::Rejected);
        EXPECT_TRUE(link.sim->writes().isEmpty());
        EXPECT_EQ(Boxes(*env.dialogs), QStringList{LinkBox(571)});
        EXPECT_TRUE(r.progress.isEmpty());
    }
}

TEST_F(FirmwareTransferTest, AcceptedFileShapes)
{
    const QByteArray data1 = "S1130000000102030405060708090A0B0C0D0E0F74";
    const QByteArray data2 = "S1130010101112131415161718191A1B1C1D1E1F64";
    const QByteArray longest = "S1" + QByteArray(63, 'A');
    struct Case {
        const char* name;
        QByteArray file;
        QList<QByteArray> sent;
    } cases[] = {
        // An S9 record inside the file does not stop the transfer.
        {"S9 in the middle",
         "S9030000FC\r\n" + data1 + "\r\nS9030000FC\r\n",
         {"S9030000FC", data1, "S9030000FC"}},
        {"blank lines and no final line end",
         data1 + "\r\n\r\n" + data2 + "\r\nS9030000FC\r\n\r\n",
         {data1, data2, "S9030000FC"}},
        {"lone CR line ends", data1 + "\r" + "S9030000FC\r", {data1, "S9030000FC"}},
        {"line of 65 characters", longest + "\r\nS9030000FC", {longest, "S9030000FC"}},
        // Sent as the lines read: without the blanks and CRs around them.
        {"trailing blanks and CRs", data1 + "  \r\r\n" + "\tS9030000FC \r\n", {data1, "S9030000FC"}},
        {"lower case", data1.toLower() + "\r\ns9030000fc\r\n", {data1.toLower(), "s9030000fc"}},
        {"S7 end record", data1 + "\r\nS70500000000FA\r\n", {data1, "S70500000000FA"}},
        {"S8 end record", data1 + "\r\nS804000000FB\r\n", {data1, "S804000000FB"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedLink link;
        Result r = run(link, &c.file);
        EXPECT_EQ(r.outcome, Outcome::Written);
        EXPECT_EQ(link.sim->writes(), prelude() + c.sent);
        EXPECT_EQ(r.progress.last(), 100);
    }
}

TEST_F(FirmwareTransferTest, ProgressCountsEveryLineReadWithoutItsLineEnd)
{
    // 200 bytes: lines of 11 (the header, not sent), 65, 65 and 51 characters
    // and four CR LF. Remaining 189, 124, 59, 8: quotients 94.5, 62, 29.5, 4.
    const QByteArray file = "S0" + QByteArray(9, '0') + "\r\n" + "S1" + QByteArray(63, '1') + "\r\n" + "S2" +
                            QByteArray(63, '2') + "\r\n" + "S9" + QByteArray(49, '9') + "\r\n";
    ASSERT_EQ(file.size(), 200);
    SimulatedLink link;
    Result r = run(link, &file);
    ASSERT_EQ(r.outcome, Outcome::Written);
    EXPECT_EQ(r.progress, (QList<int>{6, 38, 70, 96, 100}));
    EXPECT_EQ(link.sim->firmwareLines.size(), 3);
}

TEST(FirmwareProgress, RoundsHalvesToEven)
{
    EXPECT_EQ(TransferProgress(765, 1000), 24); // 76.5 -> 76
    EXPECT_EQ(TransferProgress(775, 1000), 22); // 77.5 -> 78
    EXPECT_EQ(TransferProgress(1000, 1000), 0);
    EXPECT_EQ(TransferProgress(0, 1000), 100);
    // No overflow for large files.
    EXPECT_EQ(TransferProgress(50'000'000, 100'000'000), 50);
}
