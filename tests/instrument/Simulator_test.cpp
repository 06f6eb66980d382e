// The simulated instrument speaks the instrument's protocol as strictly as
// the instrument does, shows the faults it is asked for, and holds a sample
// memory that decodes into plausible measurements.
#include "UsbTestSupport.h"

#include "instrument/RecordDecode.h"
#include "instrument/ReadOut.h"
#include "platform/NumText.h"

#include <QElapsedTimer>
#include <QSet>

class SimulatorTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        TestEnv::loadUiText();
        ASSERT_TRUE(IV_TRACER_DEVICE_OPEN(false));
    }
    // Every answer until the read times out.
    QList<QByteArray> readAll()
    {
        QList<QByteArray> out;
        for (;;) {
            auto r = UsbLink::readPipe(Global::hPipeIn);
            if (!r.ok())
                return out;
            out.append(r.bytes);
        }
    }
    void send(const char* command) { ASSERT_TRUE(SolarSend(QString::fromLatin1(command))); }
    TestEnv env;
    SimulatedLink link;
    SimulatedInstrument& sim = *link.sim;
};

TEST_F(SimulatorTest, MemoryReadOutComesInPacketsUpToEnd)
{
    sim.records = {QByteArray(100, 'a'), QByteArray(30, 'b')};
    sim.packetSize = 60;
    send("#E2P_READ");
    EXPECT_EQ(readAll(), (QList<QByteArray>{QByteArray(60, 'a'), QByteArray(40, 'a') + QByteArray(20, 'b'),
                                            QByteArray(10, 'b'), "#END"}));

    // Idle answers come between the data packets only, never before an answer.
    sim.packetSize = 64;
    sim.idleAnswer = "#BUSY";
    sim.idleBetweenPackets = true;
    sim.nulPadding = true;
    send("#E2P_READ");
    const QList<QByteArray> got = readAll();
    ASSERT_EQ(got.size(), 6);
    EXPECT_EQ(got[0], QByteArray(64, 'a'));
    EXPECT_EQ(got[1], QByteArray("#BUSY") + QByteArray(59, '\0'));
    EXPECT_EQ(got[2], QByteArray(36, 'a') + QByteArray(28, 'b'));
    EXPECT_EQ(DropNul(got[3]), QByteArray("#BUSY"));
    EXPECT_EQ(got[4], QByteArray(2, 'b') + QByteArray(62, '\0'));
    EXPECT_EQ(got[5], QByteArray("#END") + QByteArray(60, '\0'));
}

TEST_F(SimulatorTest, BusyAnswersComeOnlyWhereTheComputerAsksAgain)
{
    sim.busyAnswers = 2;
    send("#E2P_READ"); // not busy: the memory's answer
    EXPECT_EQ(readAll(), QList<QByteArray>{"#END"});
    send("#DATE");
    send("#INFORMATION_READ");
    send("#DATE");
    EXPECT_EQ(readAll(), (QList<QByteArray>{"#FREE", "#FREE", sim.dateAnswer}));
}

TEST_F(SimulatorTest, ClockSettingTakesOnlyTwelveDigitsAfterTheCommand)
{
    struct Case {
        const char* time;
        bool taken;
    } cases[] = {{"240315134501", true}, {"24031513450", false}, {"2403151345012", false}, {"24-03-151345", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.time);
        sim.refused.clear();
        sim.clockSetTo.clear();
        send("#RTC_SET");
        EXPECT_TRUE(readAll().isEmpty());
        send(c.time);
        EXPECT_EQ(readAll(), c.taken ? QList<QByteArray>{"#ACK"} : QList<QByteArray>{});
        EXPECT_EQ(sim.clockSetTo, c.taken ? QByteArray(c.time) : QByteArray());
        EXPECT_EQ(sim.refused.size(), c.taken ? 0 : 1);
    }
    // A clock text without "#RTC_SET" before it is no command.
    sim.refused.clear();
    send("240315134501");
    EXPECT_TRUE(readAll().isEmpty());
    EXPECT_EQ(sim.refused.size(), 1);
    link.allowRefused = true;
}

TEST_F(SimulatorTest, DeleteEmptiesTheMemoryWithoutAnswer)
{
    sim.records = {QByteArray(1184, 'x')};
    send("#DELETE");
    EXPECT_TRUE(readAll().isEmpty());
    EXPECT_TRUE(sim.records.isEmpty());
    EXPECT_EQ(sim.deleteCount, 1);
}

TEST_F(SimulatorTest, FirmwareCommandsAreTakenOnlyInTheUpdateOrder)
{
    send("#WRITE"); // not in flash mode
    send("#ERASE");
    EXPECT_TRUE(readAll().isEmpty());
    EXPECT_EQ(sim.refused.size(), 2);

    send("#FLASH");
    send("#WRITE"); // before the erase
    send("#ERASE");
    send("1");
    send("3"); // block 2 skipped
    send("0"); // erase end before block 14
    EXPECT_EQ(readAll(), (QList<QByteArray>{"#READY", "INIT.SUCCESS", "ERASE SUCCESS"}));
    EXPECT_EQ(sim.refused.size(), 5);
    for (const char* block : {"2", "3", "4", "5", "6", "7", "8", "9", "A", "B", "C", "D", "E"})
        send(block);
    EXPECT_EQ(readAll(), QList<QByteArray>(13, "ERASE SUCCESS"));
    EXPECT_FALSE(sim.firmwareIntact);
    send("0");
    send("#WRDATE"); // not a command of the flash mode
    send("#WRITE");
    send("S1130000");
    send("s9030000fc");
    EXPECT_EQ(readAll(), (QList<QByteArray>{"INIT.SUCCESS", "READY", "WRITE SUCCESS"}));
    EXPECT_EQ(sim.erasedBlocks.size(), 14);
    EXPECT_TRUE(sim.eraseFinished);
    EXPECT_TRUE(sim.firmwareIntact);
    EXPECT_EQ(sim.firmwareLines, (QList<QByteArray>{"S1130000", "s9030000fc"}));
    EXPECT_EQ(sim.refused.size(), 6);
    EXPECT_TRUE(sim.refused.last().contains(QStringLiteral("#WRDATE")));

    // In flash mode the instrument does nothing else, until it is switched
    // off and on.
    send("#DATE");
    EXPECT_TRUE(readAll().isEmpty());
    sim.powerCycle();
    send("#DATE");
    EXPECT_EQ(readAll(), QList<QByteArray>{sim.dateAnswer});
    link.allowRefused = true;
}

TEST_F(SimulatorTest, AnInstrumentLeftWithoutFirmwareAnswersOnlyWhatItCan)
{
    send("#FLASH");
    send("#ERASE");
    EXPECT_EQ(readAll(), (QList<QByteArray>{"#READY", "INIT.SUCCESS"}));
    sim.powerCycle();
    send("#DATE"); // a boot monitor still tells its date
    EXPECT_EQ(readAll(), QList<QByteArray>{sim.dateAnswer});
    send("#E2P_READ"); // but it cannot read out
    EXPECT_TRUE(readAll().isEmpty());
    sim.answersWithoutFirmware = false;
    send("#DATE");
    EXPECT_TRUE(readAll().isEmpty());
    EXPECT_EQ(sim.refused.size(), 2);
    link.allowRefused = true;
}

TEST_F(SimulatorTest, FaultKnobsAndScriptedAnswers)
{
    sim.failWriteAt = 2;
    sim.failReadAfterWrite = 3;
    sim.answerOnce("#DATE", Bytes({"#FREE", "#FREE"}));
    send("#DATE");                                // write 1: scripted
    EXPECT_FALSE(SolarSend(QStringLiteral("#DATE"))); // write 2: fails
    EXPECT_EQ(readAll(), (QList<QByteArray>{"#FREE", "#FREE"}));
    send("#DATE"); // write 3: its read fails
    EXPECT_EQ(UsbLink::readPipe(Global::hPipeIn).status, UsbReadStatus::Failed);
    EXPECT_EQ(readAll(), QList<QByteArray>{sim.dateAnswer});

    sim.silentAfterWrite = 4;
    send("#DATE");
    EXPECT_EQ(UsbLink::readPipe(Global::hPipeIn).status, UsbReadStatus::TimedOut);
    EXPECT_TRUE(sim.transcript().contains(QStringLiteral("write \"#DATE\": failed")));
    env.dialogs->log.clear();
}

TEST_F(SimulatorTest, EmptyReadsComeBeforeTheAnswersOfTheUpdateOnly)
{
    sim.emptyReads = 1;
    send("#DATE");
    EXPECT_EQ(readAll(), QList<QByteArray>{sim.dateAnswer});
    send("#FLASH");
    send("#ERASE");
    EXPECT_EQ(readAll(), (QList<QByteArray>{"#READY", "", "INIT.SUCCESS"}));
    sim.powerCycle();
}

TEST_F(SimulatorTest, AnInstrumentThatHangsMidAnswerKeepsTheRestForLater)
{
    sim.records = {QByteArray(64 * 4, 'r')};
    sim.stallAtRead = 3;
    send("#E2P_READ");
    EXPECT_EQ(readAll(), QList<QByteArray>(2, QByteArray(64, 'r')));
    EXPECT_EQ(sim.pendingAnswers(), 3); // two packets and "#END"
    IV_TRACER_DEVICE_CLOSE();

    // At the next open the rest is there at once, and the open drains it.
    ASSERT_TRUE(IV_TRACER_DEVICE_OPEN(false));
    EXPECT_EQ(sim.pendingAnswers(), 0);
    IV_TRACER_DEVICE_CLOSE();

    // With lateStale the rest waits until the instrument is spoken to, and
    // comes before the new answer.
    sim.lateStale = true;
    sim.stallAtRead = sim.dataReadCount() + 2;
    ASSERT_TRUE(IV_TRACER_DEVICE_OPEN(false));
    send("#E2P_READ");
    EXPECT_EQ(readAll().size(), 1);
    IV_TRACER_DEVICE_CLOSE();
    ASSERT_TRUE(IV_TRACER_DEVICE_OPEN(false)); // the drain finds nothing yet
    EXPECT_EQ(sim.pendingAnswers(), 4);
    send("#DELETE");
    EXPECT_EQ(readAll(), (QList<QByteArray>{QByteArray(64, 'r'), QByteArray(64, 'r'), QByteArray(64, 'r'),
                                            "#END"}));
}

TEST_F(SimulatorTest, PacketsCanTakeTheirTime)
{
    sim.records = {QByteArray(64 * 3, 'p')};
    sim.packetDelayMs = 20;
    send("#E2P_READ");
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(readAll().size(), 4);
    EXPECT_GE(t.elapsed(), 60);
    // A packet slower than the read's time-out is not lost: it comes later.
    sim.packetDelayMs = 50;
    send("#E2P_READ");
    EXPECT_EQ(UsbLink::readPipe(Global::hPipeIn, 64, 10).status, UsbReadStatus::TimedOut);
    EXPECT_EQ(readAll().size(), 4);
}

// The memory of --simulate: records the read-out and the lists take as real.
TEST(SampleMemory, HoldsPlausibleMeasurementsOfThreeGroups)
{
    TestEnv env;
    const QList<QByteArray> memory = SampleInstrumentMemory();
    ASSERT_GE(memory.size(), 25);
    ASSERT_LE(memory.size(), 35);
    QString text;
    for (const QByteArray& r : memory) {
        ASSERT_EQ(r.size(), 1184);
        text += ReadOutAnswerText(r);
    }
    std::vector<MeasRecord> records;
    const RecordDecodeResult d = InstrumentRecordDecode(text, 1184, records);
    ASSERT_EQ(d.count, memory.size());
    EXPECT_EQ(d.recordSize, 1184);
    EXPECT_TRUE(d.clockFlag); // one group's model asks for the clock

    QSet<QString> groups, models, versions, names;
    for (int k = 0; k < d.count; ++k) {
        const MeasRecord& r = records[std::size_t(k)];
        SCOPED_TRACE(r.F[0].toStdString());
        // Every date is the instrument's own: none failed the decoding's check.
        EXPECT_EQ(r.F[1], text.mid(qsizetype(k) * 1184 + 10, 8));
        groups << r.F[0].mid(5, 2);
        models << r.F[40];
        versions << r.F[42];
        names << r.F[1] + r.F[2] + r.F[0];
        const double pm = NumText::Val(r.F[15]);
        const double voc = NumText::Val(r.F[16]);
        const double isc = NumText::Val(r.F[17]);
        const double g = NumText::Val(r.F[12]);
        EXPECT_GT(voc, 200);
        EXPECT_LT(voc, 600);
        EXPECT_GT(isc, 6);
        EXPECT_LT(isc, 10);
        EXPECT_GT(g, 700);
        EXPECT_LT(g, 1000);
        const double ff = pm / (voc * isc);
        EXPECT_GT(ff, 0.6);
        EXPECT_LT(ff, 0.85);
        // The curve falls from Isc at 0 V to about nothing at Voc, and its
        // largest power is Pm.
        double maxPower = 0;
        double lastV = -1;
        for (int p = 0; p < 120; ++p) {
            const double v = NumText::Val(r.IvPoints[std::size_t(p)][MeasRecord::Volt]);
            const double i = NumText::Val(r.IvPoints[std::size_t(p)][MeasRecord::Amp]);
            EXPECT_GE(v, lastV);
            lastV = v;
            maxPower = std::max(maxPower, v * i);
        }
        EXPECT_NEAR(NumText::Val(r.IvPoints[0][MeasRecord::Amp]), isc, isc * 0.02);
        EXPECT_LT(NumText::Val(r.IvPoints[119][MeasRecord::Amp]), isc * 0.05);
        EXPECT_NEAR(lastV, voc, voc * 0.02);
        EXPECT_NEAR(maxPower, pm, pm * 0.03);
        // One string of 10 modules of 255 W: the instrument keeps its rated
        // power in kW and its two criteria in percent, and judges it Good.
        EXPECT_EQ(r.F[32], QStringLiteral("2.55"));
        EXPECT_EQ(r.F[33], QStringLiteral("90"));
        EXPECT_EQ(r.F[34], QStringLiteral("80"));
        EXPECT_EQ(r.F[37], QStringLiteral("1"));
        // Pm at 1000 W/m2 and 25 C is near the rated power.
        const double atStc = pm / (g / 1000) / (1 - 0.0045 * (NumText::Val(r.F[8]) - 25));
        EXPECT_GT(atStc, 0.9 * 2550);
        EXPECT_LT(atStc, 1.05 * 2550);
    }
    EXPECT_EQ(groups.size(), 3);
    EXPECT_GE(models.size(), 3);
    EXPECT_GE(versions.size(), 2);
    EXPECT_EQ(names.size(), d.count); // every record its own file
    EXPECT_TRUE(MakeDemoInstrument(true)->records.isEmpty());
    EXPECT_EQ(MakeDemoInstrument(false)->records, memory);
}
