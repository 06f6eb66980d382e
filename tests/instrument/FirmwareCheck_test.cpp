// The start-up firmware check: what it asks the instrument, which file it
// picks and when it offers the update.
#include "UsbTestSupport.h"

#include "instrument/FirmwareCheck.h"
#include "instrument/FirmwareTransfer.h"
#include "platform/Registry.h"

#include <QFile>

#include <functional>

namespace {

// 03:00 UTC: the file stamp reads "2023/05/10 12:00:00".
const QDateTime kFileTime(QDate(2023, 5, 10), QTime(3, 0), Qt::UTC);

struct CheckCase {
    const char* name;
    std::function<void(SimulatedInstrument&)> setup;
    QString fileName; // written into the firmware folder; empty: none
    QDateTime fileTime;
    FirmwareCheckResult result;
    QList<QByteArray> writes;
    int family;
    QString chosen; // file name in FirmwareFilePath; empty: none
};

void answersToDate(SimulatedInstrument& s, std::initializer_list<const char*> a)
{
    s.answerOnce("#DATE", Bytes(a));
}

} // namespace

class FirmwareCheckTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        TestEnv::loadUiText();
        Global::FirmwareFilePath.clear();
        Global::FirmwareWizardActive = false;
        Global::InstrumentFamily = 7;
    }
    TestEnv env;
    SimulatedLink link;
    SimulatedInstrument& sim = *link.sim;
};

TEST(FirmwareCheckScenarios, Table)
{
    const QList<QByteArray> krx{"#DATE", "#INFORMATION_READ"};
    const QList<QByteArray> qtm{"#DATE"};
    auto date = [](const char* d) { return [d](SimulatedInstrument& s) { s.dateAnswer = d; }; };
    auto krxModel = [](const char* d, const char* info) {
        return [d, info](SimulatedInstrument& s) {
            s.dateAnswer = d;
            s.informationAnswer = info;
        };
    };
    const CheckCase cases[] = {
        {"no instrument",
         [](SimulatedInstrument& s) { s.openFailures = -1; },
         "KRX260.MOT",
         kFileTime,
         FirmwareCheckResult::NoInstrument,
         {},
         7,
         ""},
        {"#FREE twice, then KRX date",
         [](SimulatedInstrument& s) {
             answersToDate(s, {"#FREE"});
             answersToDate(s, {"#FREE"});
             s.dateAnswer = "2023/05/10 11:00:00,3";
         },
         "KRX260.MOT",
         kFileTime,
         FirmwareCheckResult::UpdateOffered,
         {"#DATE", "#DATE", "#DATE", "#INFORMATION_READ"},
         1,
         "KRX260.MOT"},
        {"#FREE to #INFORMATION_READ repeats it",
         [](SimulatedInstrument& s) {
             s.dateAnswer = "2023/05/10 11:00:00,3";
             s.answerOnce("#INFORMATION_READ", Bytes({"#FREE"}));
         },
         "KRX260.MOT",
         kFileTime,
         FirmwareCheckResult::UpdateOffered,
         {"#DATE", "#INFORMATION_READ", "#INFORMATION_READ"},
         1,
         "KRX260.MOT"},
        {"family 5 is QTM", date("2023/05/10 11:00:00,5"), "QTM.MOT", kFileTime,
         FirmwareCheckResult::UpdateOffered, qtm, 0, "QTM.MOT"},
        {"no comma is QTM", date("2023/05/10 11:00:00"), "qtm.mot", kFileTime,
         FirmwareCheckResult::UpdateOffered, qtm, 0, "qtm.mot"},
        {"QTM without its file", date("2023/05/10 11:00:00,7"), "KRX260.MOT", kFileTime,
         FirmwareCheckResult::NoUpdate, qtm, 0, ""},
        {"KRX210 by model", krxModel("2023/05/10 11:00:00,0", "7391_V1.0xyz,KRX"), "KRX210.MOT", kFileTime,
         FirmwareCheckResult::UpdateOffered, krx, 1, "KRX210.MOT"},
        {"model code upper-cased", krxModel("2023/05/10 11:00:00,4", "7391_v2.0,a"), "KRX260.MOT", kFileTime,
         FirmwareCheckResult::UpdateOffered, krx, 1, "KRX260.MOT"},
        {"KRX530, file name in another case", krxModel("2023/05/10 11:00:00,1", "3917AB,x"), "Krx530.Mot",
         kFileTime, FirmwareCheckResult::UpdateOffered, krx, 1, "Krx530.Mot"},
        {"unknown model", krxModel("2023/05/10 11:00:00,1", "9999,x"), "KRX260.MOT", kFileTime,
         FirmwareCheckResult::NoUpdate, krx, 1, ""},
        {"KRX file missing", krxModel("2023/05/10 11:00:00,1", "7391_V1.0,x"), "KRX260.MOT", kFileTime,
         FirmwareCheckResult::NoUpdate, krx, 1, ""},
        {"file only one minute newer", date("2023/05/10 11:59:00,5"), "QTM.MOT", kFileTime,
         FirmwareCheckResult::NoUpdate, qtm, 0, ""},
        {"file one minute and a second newer", date("2023/05/10 11:58:59,5"), "QTM.MOT", kFileTime,
         FirmwareCheckResult::UpdateOffered, qtm, 0, "QTM.MOT"},
        {"file older", date("2023/06/01 09:00:00,5"), "QTM.MOT", kFileTime, FirmwareCheckResult::NoUpdate,
         qtm, 0, ""},
        // The stamp's hour 29 is 05:15 of the next day.
        {"file stamp past midnight", date("2023/05/11 01:00:00,5"), "QTM.MOT",
         QDateTime(QDate(2023, 5, 10), QTime(20, 15), Qt::UTC), FirmwareCheckResult::UpdateOffered, qtm, 0,
         "QTM.MOT"},
        {"hours without leading zero", date("2023/5/10 9:05:00,5"), "QTM.MOT", kFileTime,
         FirmwareCheckResult::UpdateOffered, qtm, 0, "QTM.MOT"},
        {"unreadable date with a file", date("V1.23,5"), "QTM.MOT", kFileTime, FirmwareCheckResult::NoUpdate,
         qtm, 0, ""},
        {"longer answer starting with #FREE is a stamp", date("#FREE1"), "QTM.MOT", kFileTime,
         FirmwareCheckResult::NoUpdate, qtm, 0, ""},
        // The update is optional: an instrument that does not answer in
        // time is offered none, and the start goes on.
        {"no answer to #DATE", [](SimulatedInstrument& s) { s.silent = true; }, "QTM.MOT", kFileTime,
         FirmwareCheckResult::NoUpdate, qtm, 7, ""},
        {"no answer to #INFORMATION_READ",
         [](SimulatedInstrument& s) {
             s.dateAnswer = "2023/05/10 11:00:00,3";
             s.silentAfterWrite = 2;
         },
         "KRX260.MOT", kFileTime, FirmwareCheckResult::NoUpdate, krx, 1, ""},
        {"NUL padding and a busy instrument",
         [](SimulatedInstrument& s) {
             s.nulPadding = true;
             s.busyAnswers = 1;
             s.dateAnswer = "2023/05/10 11:00:00,5";
         },
         "QTM.MOT",
         kFileTime,
         FirmwareCheckResult::UpdateOffered,
         {"#DATE", "#DATE"},
         0,
         "QTM.MOT"},
    };
    for (const CheckCase& c : cases) {
        SCOPED_TRACE(c.name);
        TestEnv caseEnv;
        TestEnv::loadUiText();
        SimulatedLink caseLink;
        Global::FirmwareFilePath.clear();
        Global::FirmwareWizardActive = false;
        Global::InstrumentFamily = 7;
        c.setup(*caseLink.sim);
        if (!c.fileName.isEmpty()) {
            QFile f(caseEnv.programFolder() + u'/' + c.fileName);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("S00600004844521B\r\nS9030000FC\r\n");
            f.flush();
            ASSERT_TRUE(f.setFileTime(c.fileTime, QFileDevice::FileModificationTime));
            f.close();
        }

        EXPECT_EQ(StartupFirmwareCheck(), c.result);
        EXPECT_EQ(caseLink.sim->writes(), c.writes);
        EXPECT_EQ(int(Global::InstrumentFamily), c.family);
        const bool offered = c.result == FirmwareCheckResult::UpdateOffered;
        EXPECT_EQ(Global::FirmwareWizardActive, offered);
        EXPECT_EQ(Global::UsbOpenFlag, offered);
        EXPECT_EQ(caseLink.sim->isOpen(), offered);
        EXPECT_EQ(Global::FirmwareFilePath,
                  c.chosen.isEmpty() ? QString() : caseEnv.programFolder() + u'/' + c.chosen);
        EXPECT_TRUE(caseEnv.dialogs->log.isEmpty());
    }
}

TEST_F(FirmwareCheckTest, FailuresShowTheirBoxAndEndTheProgram)
{
    struct Case {
        const char* name;
        std::function<void(SimulatedInstrument&)> setup;
        QString box;
        QList<QByteArray> writes;
    } cases[] = {
        {"read fails", [](SimulatedInstrument& s) { s.failReadAfterWrite = 1; }, LinkBox(568), {"#DATE"}},
        {"information without comma",
         [](SimulatedInstrument& s) { s.informationAnswer = QByteArray("7391\0\0", 6); },
         LinkBox(568, QStringLiteral("\r\n\r\n[7391]")),
         {"#DATE", "#INFORMATION_READ"}},
        {"information read fails",
         [](SimulatedInstrument& s) { s.failReadAfterWrite = 2; },
         LinkBox(568),
         {"#DATE", "#INFORMATION_READ"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedLink caseLink;
        env.dialogs->log.clear();
        c.setup(*caseLink.sim);
        EXPECT_THROW(StartupFirmwareCheck(), ProgramEnded);
        EXPECT_EQ(Boxes(*env.dialogs), QStringList{c.box});
        EXPECT_EQ(caseLink.sim->writes(), c.writes);
        // Ending the program closed the link.
        EXPECT_FALSE(caseLink.sim->isOpen());
    }
}

TEST_F(FirmwareCheckTest, AnInstrumentThatOnlyAnswersFreeIsOfferedNoUpdate)
{
    sim.busyAnswers = 1000000;
    Global::UsbIdleLimitMs = 30;
    EXPECT_EQ(StartupFirmwareCheck(), FirmwareCheckResult::NoUpdate);
    EXPECT_TRUE(env.dialogs->log.isEmpty());
    EXPECT_GT(sim.writes().size(), 1);
    EXPECT_FALSE(sim.isOpen());
    EXPECT_TRUE(Global::UsbLastFailure.contains(QStringLiteral("only \"#FREE\"")));
}

// The file is checked before the update is offered, by the transfer's own
// rules: what the transfer would send is taken, what would leave the
// instrument erased is never offered.
TEST_F(FirmwareCheckTest, OnlyAFileTheTransferTakesIsOffered)
{
    const QByteArray data = "S1130000000102030405060708090A0B0C0D0E0F74";
    struct Case {
        const char* name;
        QByteArray file;
        bool offered;
    } cases[] = {
        {"plain", "S00600004844521B\r\n" + data + "\r\nS9030000FC\r\n", true},
        {"trailing blanks and CR", "S00600004844521B  \r\n" + data + " \r\r\nS9030000FC\t\r\n", true},
        {"lower case", "s00600004844521b\r\n" + data.toLower() + "\r\ns9030000fc\r\n", true},
        {"S7 end record", data + "\r\nS70500000000FA\r\n", true},
        {"S8 end record", data + "\r\nS804000000FB\r\n", true},
        {"empty", "", false},
        {"no end record", "S00600004844521B\r\n" + data + "\r\n", false},
        {"line of 66 characters", "S1" + QByteArray(64, '0') + "\r\nS9030000FC\r\n", false},
        {"not an S-record", "hello\r\nS9030000FC\r\n", false},
        {"end record not last", "S9030000FC\r\n" + data + "\r\n", false},
        {"lone CR line ends", data + "\rS9030000FC\r", true},
        {"a record followed by a lone LF", "S00600004844521B\r\n" + data + "\n\r\nS9030000FC\r\n", false},
        {"an end record followed by a lone LF", data + "\r\nS9030000FC\n", false},
        {"LF line ends", data + "\nS9030000FC\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedLink caseLink;
        caseLink.sim->dateAnswer = "2023/05/10 11:00:00,5";
        Global::FirmwareWizardActive = false;
        QFile f(env.programFolder() + QStringLiteral("/QTM.MOT"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(c.file);
        f.flush();
        ASSERT_TRUE(f.setFileTime(kFileTime, QFileDevice::FileModificationTime));
        f.close();
        EXPECT_EQ(StartupFirmwareCheck(),
                  c.offered ? FirmwareCheckResult::UpdateOffered : FirmwareCheckResult::NoUpdate);
        EXPECT_EQ(caseLink.sim->isOpen(), c.offered);
        EXPECT_TRUE(env.dialogs->log.isEmpty());
        UsbLink::closeAll();
    }
}

// An update that broke off after "#FLASH" is offered again at the next
// start, whatever firmware date the instrument now gives -- for the file it
// was made with.
TEST_F(FirmwareCheckTest, AnUpdateThatBrokeOffIsOfferedAgain)
{
    struct Case {
        const char* name;
        QString left; // the registry value
        bool offered;
    } cases[] = {
        {"none left", QString(), false},
        {"this file", QStringLiteral("QTM.MOT"), true},
        {"this file, other case", QStringLiteral("qtm.mot"), true},
        {"another file", QStringLiteral("KRX260.MOT"), false},
    };
    QFile::copy(QStringLiteral(HX_FIXTURES "/firmware/KRX260.MOT"), env.programFolder() + "/QTM.MOT");
    QFile f(env.programFolder() + "/QTM.MOT");
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(kFileTime, QFileDevice::FileModificationTime));
    f.close();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedLink caseLink;
        // The instrument claims firmware newer than the file.
        caseLink.sim->dateAnswer = "2024/01/01 00:00:00,5";
        Global::FirmwareWizardActive = false;
        RegStrSet(RegKeySystem, RegFirmwareIncomplete, c.left);
        EXPECT_EQ(StartupFirmwareCheck(),
                  c.offered ? FirmwareCheckResult::UpdateOffered : FirmwareCheckResult::NoUpdate);
        EXPECT_EQ(Global::FirmwareWizardActive, c.offered);
        UsbLink::closeAll();
    }
}

TEST(FirmwareStamps, ReadAsPointsInTime)
{
    auto at = [](int y, int mo, int d, int h, int mi, int s) {
        return QDateTime(QDate(y, mo, d), QTime(0, 0), Qt::UTC).addSecs(h * 3600 + mi * 60 + s);
    };
    EXPECT_EQ(InstrumentStampTime("2017/04/25 12:07:09"), at(2017, 4, 25, 12, 7, 9));
    EXPECT_EQ(InstrumentStampTime("2017-4-5 9:07"), at(2017, 4, 5, 9, 7, 0));
    EXPECT_EQ(InstrumentStampTime(" 2017/04/25 "), at(2017, 4, 25, 0, 0, 0));
    EXPECT_FALSE(InstrumentStampTime("2017/02/30 10:00:00"));
    EXPECT_FALSE(InstrumentStampTime("2017/04/25 24:00:00"));
    EXPECT_FALSE(InstrumentStampTime(""));
    EXPECT_FALSE(InstrumentStampTime("Ver 1.20"));

    EXPECT_EQ(FileStampTime("2017/04/25 12:07:09"), at(2017, 4, 25, 12, 7, 9));
    EXPECT_EQ(FileStampTime("2017/12/31 32:59:59"), at(2018, 1, 1, 8, 59, 59));
    EXPECT_FALSE(FileStampTime(""));
    EXPECT_FALSE(FileStampTime("2017/4/25 12:07:09"));

    EXPECT_TRUE(FirmwareFileIsNewer(at(2017, 4, 25, 23, 59, 0), at(2017, 4, 26, 0, 0, 1)));
    EXPECT_FALSE(FirmwareFileIsNewer(at(2017, 4, 25, 23, 59, 0), at(2017, 4, 26, 0, 0, 0)));
}

TEST(FirmwareFileChoice, ByFamilyAndModel)
{
    EXPECT_EQ(FirmwareFileName(0, "7391_V1.0"), "QTM.MOT");
    EXPECT_EQ(FirmwareFileName(1, "7391_V1.0"), "KRX210.MOT");
    EXPECT_EQ(FirmwareFileName(1, "7391_V2.0 "), "KRX260.MOT");
    EXPECT_EQ(FirmwareFileName(1, "3917"), "KRX530.MOT");
    EXPECT_EQ(FirmwareFileName(1, "7391_V3.0"), "");
    EXPECT_EQ(FirmwareFileName(1, "391"), "");
}
