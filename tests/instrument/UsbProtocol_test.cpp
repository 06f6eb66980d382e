// The device procedures of the instrument link over the simulated instrument.
#include "UsbTestSupport.h"

#include "platform/EndProgram.h"

class UsbProtocolTest : public ::testing::Test {
  protected:
    void SetUp() override { TestEnv::loadUiText(); }
    TestEnv env;
    SimulatedLink link;
    SimulatedInstrument& sim = *link.sim;
};

TEST_F(UsbProtocolTest, NoInstrumentTakesFiveTriesSilentlyEvenWithMessages)
{
    sim.openFailures = -1;
    EXPECT_FALSE(IV_TRACER_DEVICE_OPEN(true));
    EXPECT_FALSE(Global::UsbOpenFlag);
    EXPECT_EQ(sim.transcript(), QStringList(5, QStringLiteral("open device: failed")));
    EXPECT_TRUE(env.dialogs->log.isEmpty());
}

TEST_F(UsbProtocolTest, OpenRetriesUntilTheDeviceAnswersAndDrainsBeforeUse)
{
    sim.openFailures = 2;
    ASSERT_TRUE(IV_TRACER_DEVICE_OPEN(false));
    EXPECT_TRUE(Global::UsbOpenFlag);
    const QStringList opened = sim.transcript();
    EXPECT_EQ(opened.mid(0, 5), (QStringList{"open device: failed", "open device: failed", "open device",
                                             "open pipe 1", "open pipe 0"}));
    // The drain reads until the instrument has been quiet for a while.
    ASSERT_GT(opened.size(), 5);
    for (const QString& line : opened.mid(5))
        EXPECT_EQ(line, QStringLiteral("read: timed out"));
    IV_TRACER_DEVICE_CLOSE();
    EXPECT_FALSE(Global::UsbOpenFlag);
    EXPECT_EQ(sim.transcript().mid(opened.size()), (QStringList{"close pipe 0", "close pipe 1", "close device"}));
    // A second close only clears the flag.
    IV_TRACER_DEVICE_CLOSE();
    EXPECT_EQ(sim.transcript().size(), opened.size() + 3);
}

TEST_F(UsbProtocolTest, PipeFailuresAreReportedOnlyWhenAskedAndCloseWhatWasOpen)
{
    struct Case {
        bool inFails, outFails, showMsg;
        QStringList boxes;
        QStringList tail;
    } cases[] = {
        {true, false, true, {LinkBox(565)}, {"open pipe 1: failed", "close device"}},
        {true, false, false, {}, {"open pipe 1: failed", "close device"}},
        {false,
         true,
         true,
         {LinkBox(566)},
         {"open pipe 1", "open pipe 0: failed", "close pipe 1", "close device"}},
        {false, true, false, {}, {"open pipe 1", "open pipe 0: failed", "close pipe 1", "close device"}},
    };
    for (const Case& c : cases) {
        SimulatedLink fresh;
        fresh.sim->inPipeFails = c.inFails;
        fresh.sim->outPipeFails = c.outFails;
        env.dialogs->log.clear();
        EXPECT_FALSE(IV_TRACER_DEVICE_OPEN(c.showMsg));
        EXPECT_FALSE(Global::UsbOpenFlag);
        EXPECT_EQ(Boxes(*env.dialogs), c.boxes);
        EXPECT_EQ(fresh.sim->transcript().mid(1), c.tail);
        EXPECT_FALSE(fresh.sim->isOpen());
    }
}

TEST_F(UsbProtocolTest, SolarSendWritesSingleByteCodesInOneWrite)
{
    ASSERT_TRUE(IV_TRACER_DEVICE_OPEN(false));
    const QString longest(65, u'X');
    EXPECT_TRUE(SolarSend(QStringLiteral("#DATE")));
    EXPECT_TRUE(SolarSend(longest));
    EXPECT_TRUE(SolarSend(QString()));
    // Half-width katakana is a single byte in code page 932.
    EXPECT_TRUE(SolarSend(QStringLiteral("ｱ")));
    EXPECT_EQ(sim.writes(), (QList<QByteArray>{"#DATE", longest.toLatin1(), "", "\xB1"}));

    EXPECT_FALSE(SolarSend(QString(66, u'X')));
    EXPECT_FALSE(SolarSend(QStringLiteral("#あ")));
    EXPECT_EQ(sim.writes().size(), 4);
    EXPECT_EQ(Boxes(*env.dialogs),
              (QStringList{"SolarSend|ERROR No:9 Subscript out of range", "SolarSend|ERROR No:6 Overflow"}));
    link.allowStale = true;   // the answer to "#DATE"
    link.allowRefused = true; // no commands of the instrument's

}

TEST_F(UsbProtocolTest, AFailedWriteIsReportedAndTheLinkStaysOpen)
{
    sim.failWriteAt = 1;
    ASSERT_TRUE(IV_TRACER_DEVICE_OPEN(false));
    EXPECT_FALSE(SolarSend(QStringLiteral("#DELETE")));
    EXPECT_EQ(Boxes(*env.dialogs), QStringList{LinkBox(567)});
    EXPECT_TRUE(Global::UsbOpenFlag);
    EXPECT_TRUE(SolarSend(QStringLiteral("#DELETE")));
    EXPECT_EQ(sim.deleteCount, 1);
}

TEST_F(UsbProtocolTest, WhateverAnEarlierExchangeLeftIsDrainedAtTheNextOpen)
{
    // Far more than fits a fixed count of packets: a whole old read-out.
    QList<QByteArray> stale(2000, QByteArray(64, 'x'));
    stale << "#FREE"
          << "#END";
    sim.leaveStale(stale);
    sim.dateAnswer = "2023/01/02 03:04:05,3";

    ASSERT_TRUE(IV_TRACER_DEVICE_OPEN(false));
    EXPECT_EQ(sim.pendingAnswers(), 0);
    SolarSend(QStringLiteral("#DATE"));
    auto answer = ReadAnswerBytes();
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, QByteArray("2023/01/02 03:04:05,3"));
}

TEST_F(UsbProtocolTest, TheDrainWaitsForQuietAndKnowsWhatItDropped)
{
    ASSERT_TRUE(IV_TRACER_DEVICE_OPEN(false));
    // Packets that trickle in more slowly than a single read waits.
    sim.leaveStale({QByteArray(64, 'a'), "#BUSY", QByteArray(64, 'b'), QByteArray()});
    sim.packetDelayMs = 3;
    Global::UsbQuietMs = 1000; // far above the pace, however busy the machine
    const DrainResult r = DrainLink();
    EXPECT_TRUE(r.quiet);
    EXPECT_EQ(r.dataPackets, 2); // the idle answer and the empty read are no data
    EXPECT_EQ(sim.pendingAnswers(), 0);

    // An instrument that does not fall silent within the limit.
    sim.packetDelayMs = 0;
    sim.leaveStale(QList<QByteArray>(1000000, QByteArray("z")));
    Global::UsbDrainLimitMs = 20;
    const DrainResult endless = DrainLink();
    EXPECT_FALSE(endless.quiet);
    EXPECT_GT(endless.dataPackets, 0);
    EXPECT_TRUE(Global::UsbLastFailure.contains(QStringLiteral("still sending")));
    link.allowStale = true;
}

TEST_F(UsbProtocolTest, AFailedExchangeIsDrainedBeforeTheLinkCloses)
{
    ASSERT_TRUE(IV_TRACER_DEVICE_OPEN(false));
    sim.records = {QByteArray(64 * 10, 'm')};
    SolarSend(QStringLiteral("#E2P_READ"));
    ASSERT_TRUE(ReadAnswerBytes().has_value());
    CloseLinkAfterFailure();
    EXPECT_FALSE(Global::UsbOpenFlag);
    EXPECT_FALSE(sim.isOpen());
    EXPECT_EQ(sim.pendingAnswers(), 0);
}

TEST_F(UsbProtocolTest, ReadsFailOnTimeOutAndOnError)
{
    ASSERT_TRUE(IV_TRACER_DEVICE_OPEN(false));
    sim.silent = true;
    SolarSend(QStringLiteral("#DATE"));
    EXPECT_FALSE(ReadAnswerBytes().has_value());
    EXPECT_TRUE(Global::UsbLastFailure.contains(QStringLiteral("got none")));

    sim.silent = false;
    sim.failReadAfterWrite = 2;
    SolarSend(QStringLiteral("#DATE"));
    EXPECT_FALSE(ReadAnswerBytes().has_value());
    EXPECT_TRUE(Global::UsbLastFailure.contains(QStringLiteral("read failed")));
    link.allowStale = true; // the answer after the failed read
}

TEST_F(UsbProtocolTest, AnswersDropTheirNulBytes)
{
    EXPECT_EQ(AnswerText(QByteArray("#FR\0EE\0\0", 8)), QStringLiteral("#FREE"));
    EXPECT_EQ(AnswerText(QByteArray(64, '\0')), QString());
    EXPECT_TRUE(IsIdleAnswer(QByteArray("#BUSY\0\0", 7)));
    EXPECT_TRUE(IsIdleAnswer("#FREEDOM"));
    EXPECT_TRUE(IsIdleAnswer("#READY"));
    EXPECT_FALSE(IsIdleAnswer(" #FREE"));
    EXPECT_FALSE(IsIdleAnswer("#free"));
}

TEST_F(UsbProtocolTest, EndingTheProgramClosesTheLink)
{
    ASSERT_TRUE(IV_TRACER_DEVICE_OPEN(false));
    EXPECT_THROW(EndProgramNow(), ProgramEnded);
    EXPECT_FALSE(Global::UsbOpenFlag);
    EXPECT_FALSE(sim.isOpen());
}

TEST_F(UsbProtocolTest, DeviceCheckOpensAndClosesAndIsAlwaysTrue)
{
    EXPECT_TRUE(IV_TRACER_DEVICE_CHECK());
    EXPECT_FALSE(sim.isOpen());
    EXPECT_EQ(sim.transcript().last(), QStringLiteral("close device"));

    sim.openFailures = -1;
    EXPECT_TRUE(IV_TRACER_DEVICE_CHECK());
}
