// The simulated instrument speaks the instrument's protocol and shows the
// faults it is asked for.
#include "UsbTestSupport.h"

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
    TestEnv env;
    SimulatedLink link;
    SimulatedInstrument& sim = *link.sim;
};

TEST_F(SimulatorTest, MemoryReadOutComesInPacketsUpToEnd)
{
    sim.records = {QByteArray(100, 'a'), QByteArray(30, 'b')};
    sim.packetSize = 60;
    SolarSend(QStringLiteral("#E2P_READ"));
    EXPECT_EQ(readAll(), (QList<QByteArray>{QByteArray(60, 'a'), QByteArray(40, 'a') + QByteArray(20, 'b'),
                                            QByteArray(10, 'b'), "#END"}));

    sim.packetSize = 64;
    sim.idleAnswers = 1;
    sim.idleAnswer = "#BUSY";
    sim.idleBetweenPackets = true;
    sim.nulPadding = true;
    SolarSend(QStringLiteral("#E2P_READ"));
    const QList<QByteArray> got = readAll();
    ASSERT_EQ(got.size(), 7);
    EXPECT_EQ(got[0], QByteArray("#BUSY") + QByteArray(59, '\0'));
    EXPECT_EQ(got[1], QByteArray(64, 'a'));
    EXPECT_EQ(DropNul(got[2]), QByteArray("#BUSY"));
    EXPECT_EQ(got[3], QByteArray(36, 'a') + QByteArray(28, 'b'));
    EXPECT_EQ(DropNul(got[4]), QByteArray("#BUSY"));
    EXPECT_EQ(got[5], QByteArray(2, 'b') + QByteArray(62, '\0'));
    EXPECT_EQ(got[6], QByteArray("#END") + QByteArray(60, '\0'));
}

TEST_F(SimulatorTest, ClockSettingTakesTheTimeAfterTheCommandAndAcknowledges)
{
    SolarSend(QStringLiteral("#RTC_SET"));
    EXPECT_TRUE(readAll().isEmpty());
    SolarSend(QStringLiteral("240315134501"));
    EXPECT_EQ(readAll(), QList<QByteArray>{"#ACK"});
    EXPECT_EQ(sim.clockSetTo, QByteArray("240315134501"));
}

TEST_F(SimulatorTest, DeleteEmptiesTheMemoryWithoutAnswer)
{
    sim.records = {QByteArray(1184, 'x')};
    SolarSend(QStringLiteral("#DELETE"));
    EXPECT_TRUE(readAll().isEmpty());
    EXPECT_TRUE(sim.records.isEmpty());
    EXPECT_EQ(sim.deleteCount, 1);
}

TEST_F(SimulatorTest, FirmwareCommandsFollowTheUpdateOrder)
{
    SolarSend(QStringLiteral("#WRITE"));
    EXPECT_EQ(readAll(), QList<QByteArray>{"#ERROR"});
    SolarSend(QStringLiteral("#FLASH"));
    SolarSend(QStringLiteral("#ERASE"));
    SolarSend(QStringLiteral("1"));
    SolarSend(QStringLiteral("E"));
    SolarSend(QStringLiteral("0"));
    SolarSend(QStringLiteral("#WRITE"));
    SolarSend(QStringLiteral("S1130000"));
    SolarSend(QStringLiteral("S9030000FC"));
    EXPECT_EQ(readAll(), (QList<QByteArray>{"#READY", "INIT.SUCCESS", "ERASE SUCCESS", "ERASE SUCCESS",
                                            "INIT.SUCCESS", "READY", "WRITE SUCCESS"}));
    EXPECT_EQ(sim.erasedBlocks, (QList<int>{1, 14}));
    EXPECT_TRUE(sim.eraseFinished);
    EXPECT_EQ(sim.firmwareLines, (QList<QByteArray>{"S1130000", "S9030000FC"}));
}

TEST_F(SimulatorTest, FaultKnobsAndScriptedAnswers)
{
    sim.emptyReads = 1;
    sim.failWriteAt = 2;
    sim.failReadAfterWrite = 3;
    sim.answerOnce("#DATE", Bytes({"#FREE", "#FREE"}));
    SolarSend(QStringLiteral("#DATE")); // write 1: scripted
    SolarSend(QStringLiteral("#DATE")); // write 2: fails
    EXPECT_EQ(readAll(), (QList<QByteArray>{"#FREE", "#FREE"}));
    SolarSend(QStringLiteral("#DATE")); // write 3: its read fails
    EXPECT_EQ(UsbLink::readPipe(Global::hPipeIn).status, UsbReadStatus::Failed);
    EXPECT_EQ(readAll(), (QList<QByteArray>{"", sim.dateAnswer}));

    sim.silentAfterWrite = 4;
    SolarSend(QStringLiteral("#DATE"));
    EXPECT_EQ(UsbLink::readPipe(Global::hPipeIn).status, UsbReadStatus::TimedOut);
    EXPECT_TRUE(sim.transcript().contains(QStringLiteral("write \"#DATE\": failed")));
}
