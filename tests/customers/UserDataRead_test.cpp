// Reading a customer folder into the records: the fixture customer, folders
// written by hand or by older versions, and failures that must leave the
// loaded customer whole.
#include "customers/CustomerGlobals.h"
#include "customers/UserData.h"
#include "customers/support/CustomerFixture.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

using namespace CustomerFixture;

namespace {

class UserDataReadTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        TestEnv::loadUiText();
        UserMemoryClear();
        Global::ArrayConfiguration = ArrayConfigurationType{};
    }
    TestEnv env;
};

} // namespace

TEST_F(UserDataReadTest, FixtureFillsTheRecords)
{
    const QString c = Install(env);
    Global::ArrayConfiguration.GroupRatedPm[0] = "kept";
    Global::ArrayConfiguration.GroupK[1] = "kept too";
    ASSERT_TRUE(UserDataRead(Key()));
    EXPECT_TRUE(env.dialogs->log.isEmpty()) << env.dialogs->messages().join('\n').toStdString();

    const UserDataRecordType& u = Global::UserDataRecord;
    EXPECT_EQ(u.CustomerCode, "A001");
    EXPECT_EQ(u.CustomerName, "山田商店");
    EXPECT_EQ(u.NameReading, "ヤマダショウテン");
    EXPECT_EQ(u.RegistrationDate, "2024/04/01");
    EXPECT_EQ(u.CustomerMemo, "屋上に2系統\r\n保守契約あり");

    const ArrayConfigurationType& a = Global::ArrayConfiguration;
    EXPECT_EQ(a.TotalPm, "12.5");
    EXPECT_EQ(a.GroupMaker[0], "Tolvane Solar");
    EXPECT_EQ(a.StringRows[0], (StringRow{"TS-250", "10", "2", "250", "37.5", "8.9"}));
    EXPECT_EQ(a.StringRows[1], (StringRow{"TS-250", "8", "", "250", "37.5", "8.9"}));
    EXPECT_EQ(a.StringRows[2], StringRow{}) << "a short row line reads as no row";
    EXPECT_EQ(a.StringRows[5], (StringRow{"HK-100", "12", "1", "100", "21.5", "6.1"}));
    EXPECT_EQ(a.GroupPowCon[0], (GroupPowConEntry{"1", "ソルベル", "SB55M"}));
    EXPECT_EQ(a.GroupPowCon[1].PowConModel, "SB40");
    EXPECT_EQ(a.ExtMemo, "接続箱2台\r\n監視装置あり");
    EXPECT_EQ(a.GroupRatedPm[0], "kept");
    EXPECT_EQ(a.GroupK[1], "kept too");

    // Files and the documents folder are not histories; a folder without a
    // number is counted but fills no record.
    EXPECT_EQ(Global::HistoryCount, 5);
    EXPECT_EQ(QStringList(Global::HistoryFolderNames.begin(), Global::HistoryFolderNames.begin() + 5),
              (QStringList{"10_倉庫", "1_東面屋根", "2_西面屋根", "3_旧形式", "backup_old"}));

    const HistoryRecord& h0 = Global::HistoryRecords[0];
    EXPECT_EQ(h0.HistoryName, "東面屋根");
    EXPECT_EQ(h0.MeasDate, "2024/05/10");
    EXPECT_EQ(h0.HistoryPmTotal, "5.123");
    EXPECT_EQ(h0.HistoryVocTotal, "412.5");
    EXPECT_EQ(h0.HistoryIscTotal, "17.8");
    EXPECT_EQ(h0.HistoryMemo, "晴天\r\n午前測定");
    EXPECT_EQ(h0.PicturePaths[0], c + "/1_東面屋根/Pictures/east.jpg");
    EXPECT_EQ(h0.FolderName, "1_東面屋根");
    EXPECT_EQ(Global::ContractorRecords[0].ContractorNames[1], "佐藤工務店");
    EXPECT_EQ(Global::ContractorRecords[0].ContractorPersons[0], "山田一郎");

    const HistoryRecord& h1 = Global::HistoryRecords[1];
    EXPECT_EQ(h1.HistoryPmTotal, "----") << "bare totals are not shown";
    EXPECT_EQ(h1.PicturePaths[0], "") << "a picture line pointing outside is ignored";
    EXPECT_EQ(h1.PicturePaths[1], c + "/2_西面屋根/Pictures/west.jpg");
    EXPECT_EQ(Global::ContractorRecords[1].ContractorPhones[1], "06-7777");
    EXPECT_EQ(Global::ContractorRecords[1].ContractorPersons[1], "");
    EXPECT_TRUE(QFileInfo(c + "/2_西面屋根/Pictures").isDir());

    const HistoryRecord& h2 = Global::HistoryRecords[2];
    EXPECT_EQ(h2.HistoryPmTotal, "1.5");
    EXPECT_EQ(h2.HistoryVocTotal, "40");
    EXPECT_EQ(h2.PicturePaths[0], c + "/3_旧形式/Pictures/old1.jpg") << "the copy's own name";
    EXPECT_EQ(h2.PicturePaths[1], "/nonexistent/old2.jpg");

    EXPECT_EQ(Global::HistoryRecords[9].HistoryName, "倉庫");
    EXPECT_EQ(Global::HistoryRecords[9].FolderName, "10_倉庫");
    for (int k = 3; k < 9; ++k)
        EXPECT_EQ(Global::HistoryRecords[k], HistoryRecord{}) << k;
}

TEST_F(UserDataReadTest, OlderHistoryMovesItsPicturesIntoThePictureFolder)
{
    const QString c = Install(env);
    const QString h = c + "/3_旧形式";
    ASSERT_TRUE(UserDataRead(Key()));

    QImage copy(h + "/Pictures/old1.jpg");
    ASSERT_FALSE(copy.isNull());
    EXPECT_EQ(copy.size(), QSize(640, 480));
    EXPECT_TRUE(QFile::exists(OlderPicturePath(env))) << "the user's own picture stays";
    EXPECT_EQ(Bytes(h + "/PictureData.csv"), Lines({"old1.jpg", "", "", ""}));
    // Only the line of the copied picture is emptied; the missing one stays
    // for a later read, and every other byte is kept.
    EXPECT_EQ(Bytes(h + "/MeasData.csv"),
              Lines({"旧形式", "2023/11/02", "sel_ok,1.5", "Sel_OK,40", "SEL_OK,5", "",
                     "/nonexistent/old2.jpg", "", "", "古い版で作成"}));
    // Histories with nothing to move are not rewritten.
    EXPECT_EQ(Bytes(c + "/1_東面屋根/MeasData.csv"),
              Bytes(HX_FIXTURES "/customer/input/USER_DATA/" + Key() + "/1_東面屋根/MeasData.csv"));
}

TEST_F(UserDataReadTest, MovedPictureIsEnteredInAnExistingPictureData)
{
    const QString c = MakeCustomer(env, "G_mixed");
    const QString outside = env.root() + "/outside/wide.png";
    QDir().mkpath(env.root() + "/outside");
    QImage(960, 320, QImage::Format_RGB32).save(outside, "PNG");
    Put(c + "/1_h/MeasData.csv", Lines({"h", "d", "", "", "", outside, outside, "", ""}));
    Put(c + "/1_h/PictureData.csv", Lines({"", "kept.jpg", "", ""}));

    ASSERT_TRUE(UserDataRead("G_mixed"));
    // Slot 1 had no picture: the moved one is entered; slot 2's own line wins.
    EXPECT_EQ(Bytes(c + "/1_h/PictureData.csv"), Lines({"wide.jpg", "kept.jpg", "", ""}));
    EXPECT_EQ(Global::HistoryRecords[0].PicturePaths[0], c + "/1_h/Pictures/wide.jpg");
    EXPECT_EQ(Global::HistoryRecords[0].PicturePaths[1], c + "/1_h/Pictures/kept.jpg");
    EXPECT_EQ(Bytes(c + "/1_h/MeasData.csv"), Lines({"h", "d", "", "", "", "", "", "", ""}));
    EXPECT_EQ(QImage(c + "/1_h/Pictures/wide.jpg").size(), QSize(640, 480));
}

TEST_F(UserDataReadTest, ReadingTwiceChangesNothing)
{
    const QString c = Install(env);
    ASSERT_TRUE(UserDataRead(Key()));
    const auto files = Snapshot(c);
    const auto histories = Global::HistoryRecords;
    const auto contractors = Global::ContractorRecords;
    const auto array = Global::ArrayConfiguration;
    ASSERT_TRUE(UserDataRead(Key()));
    EXPECT_EQ(Snapshot(c), files);
    EXPECT_EQ(Global::HistoryRecords, histories);
    EXPECT_EQ(Global::ContractorRecords, contractors);
    EXPECT_EQ(Global::ArrayConfiguration, array);
}

TEST_F(UserDataReadTest, FailedReadsLeaveTheLoadedCustomerWhole)
{
    Install(env);
    ASSERT_TRUE(UserDataRead(Key()));
    const auto user = Global::UserDataRecord;
    const auto array = Global::ArrayConfiguration;
    const auto histories = Global::HistoryRecords;
    const auto count = Global::HistoryCount;

    // No UserData.csv: nothing happens, no message.
    QDir().mkpath(env.dataFolder() + "/USER_DATA/B_empty");
    EXPECT_FALSE(UserDataRead("B_empty"));
    EXPECT_TRUE(env.dialogs->log.isEmpty());

    // No MakerData.csv: the report, and still the customer read before.
    const QString broken = MakeCustomer(env, "C_broken");
    QFile::remove(broken + "/MakerData.csv");
    Put(broken + "/1_x/MeasData.csv", Lines({"x"}));
    EXPECT_FALSE(UserDataRead("C_broken"));
    ASSERT_EQ(env.dialogs->log.size(), 1);
    EXPECT_EQ(env.dialogs->log[0].message.text, "ERROR No:53 File not found: " + broken + "/MakerData.csv");
    EXPECT_EQ(env.dialogs->log[0].title, "UserDataRead");

    // Keys that would lead out of USER_DATA are never read.
    for (const QString& key : QStringList{"..", ".", "../USER_DATA/" + Key(), ""})
        EXPECT_FALSE(UserDataRead(key)) << key.toStdString();

    EXPECT_EQ(Global::UserDataRecord, user);
    EXPECT_EQ(Global::ArrayConfiguration, array);
    EXPECT_EQ(Global::HistoryRecords, histories);
    EXPECT_EQ(Global::HistoryCount, count);
}

TEST_F(UserDataReadTest, ANewCustomerReadReplacesEveryRowAndHistory)
{
    Install(env);
    ASSERT_TRUE(UserDataRead(Key()));
    MakeCustomer(env, "D_next");
    ASSERT_TRUE(UserDataRead("D_next"));
    EXPECT_EQ(Global::UserDataRecord.CustomerCode, "D");
    EXPECT_EQ(Global::ArrayConfiguration.StringRows[0], StringRow{});
    EXPECT_EQ(Global::ArrayConfiguration.GroupMaker[0], "");
    EXPECT_EQ(Global::HistoryCount, 0);
    EXPECT_EQ(Global::HistoryRecords[0], HistoryRecord{});
}

TEST_F(UserDataReadTest, BadHistoryFoldersDoNotStopTheOthers)
{
    const QString c = MakeCustomer(env, "E_odd");
    Put(c + "/0_zero/MeasData.csv", Lines({"zero"}));
    Put(c + "/100_big/MeasData.csv", Lines({"big"}));
    Put(c + "/x_nonumber/ConstructionContractor.csv", Lines({"x"}));
    Put(c + "/2_short/MeasData.csv", Lines({"short"}));
    Put(c + "/2_short/ConstructionContractor.csv", Lines({"only a name"}));
    Put(c + "/3_empty/MeasData.csv", QByteArray());
    Put(c + "/4_sjis/MeasData.csv", QByteArray("\x93\x8c\r\n\xff\xfe\r\n"));
    Put(c + "/5_nofile/readme.txt", "x");
    Put(c + "/6_pics/MeasData.csv", Lines({"pics"}));
    Put(c + "/6_pics/PictureData.csv", Lines({"../../../../escape.jpg", "/etc/passwd", "ok.jpg"}));

    ASSERT_TRUE(UserDataRead("E_odd"));
    EXPECT_TRUE(env.dialogs->log.isEmpty()) << env.dialogs->messages().join('\n').toStdString();
    EXPECT_EQ(Global::HistoryCount, 8);
    EXPECT_EQ(Global::HistoryRecords[1].HistoryName, "short");
    EXPECT_EQ(Global::ContractorRecords[1].ContractorNames[0], "only a name");
    EXPECT_EQ(Global::HistoryRecords[2].HistoryName, "empty");
    EXPECT_EQ(Global::HistoryRecords[3].HistoryName, "東");
    HistoryRecord folderOnly;
    folderOnly.FolderName = "5_nofile";
    EXPECT_EQ(Global::HistoryRecords[4], folderOnly);
    EXPECT_EQ(Global::HistoryRecords[5].PicturePaths,
              (std::array<QString, 5>{"", "", c + "/6_pics/Pictures/ok.jpg", "", ""}));
    EXPECT_FALSE(QFileInfo::exists(c + "/5_nofile/Pictures")) << "no picture folder without MeasData.csv";
    for (int k : {0, 6, 7, 98, 99})
        EXPECT_EQ(Global::HistoryRecords[k].HistoryName, "") << k;
}

TEST_F(UserDataReadTest, FoldersPastTheNinetyNinthAreIgnored)
{
    const QString c = MakeCustomer(env, "F_many");
    for (int k = 1; k <= 120; ++k)
        QDir().mkpath(c + QString("/%1_h").arg(k, 3, 10, QChar('0')));
    Put(c + "/001_h/MeasData.csv", Lines({"first"}));
    ASSERT_TRUE(UserDataRead("F_many"));
    EXPECT_EQ(Global::HistoryCount, 99);
    EXPECT_EQ(Global::HistoryFolderNames[98], "099_h");
    EXPECT_EQ(Global::HistoryFolderNames[99], "");
    EXPECT_EQ(Global::HistoryRecords[0].HistoryName, "first");
}

TEST_F(UserDataReadTest, UserMemoryClearEmptiesTheCustomerButKeepsTheCoefficients)
{
    Install(env);
    ASSERT_TRUE(UserDataRead(Key()));
    auto& a = Global::ArrayConfiguration;
    a.GroupRatedPm[0] = "2500";
    a.GroupAlpha[0] = "0.05";
    a.GroupPmTempCoef[9] = "-0.4";
    // Entries no page uses are not the clear's business.
    a.GroupMaker[10] = "unused";
    a.StringRows[50].ModelCode = "unused";
    Global::HistoryRecords[7].PicturePaths[4] = "unused";
    Global::ContractorRecords[7].ContractorNames[5] = "unused";
    Global::HistoryRecords[7].PicturePaths[3] = "/p/4.jpg";
    Global::ContractorRecords[7].ContractorPersons[4] = "last";
    const auto folderNames = Global::HistoryFolderNames;
    UserMemoryClear();

    EXPECT_EQ(Global::UserDataRecord, UserDataRecordType{});
    EXPECT_EQ(Global::UserDataRecord.CustomerCode + "_" + Global::UserDataRecord.CustomerName, "_");
    EXPECT_EQ(a.TotalPm, "");
    EXPECT_EQ(a.ExtMemo, "");
    for (int g = 0; g < 10; ++g) {
        EXPECT_EQ(a.GroupMaker[g], "");
        EXPECT_EQ(a.GroupPowCon[g], GroupPowConEntry{});
        EXPECT_EQ(a.GroupRatedPm[g], "");
    }
    EXPECT_EQ(a.StringRows[0], StringRow{});
    EXPECT_EQ(a.GroupAlpha[0], "0.05");
    EXPECT_EQ(a.GroupPmTempCoef[9], "-0.4");
    EXPECT_EQ(Global::HistoryRecords[0], HistoryRecord{}) << "the folder read from is cleared too";
    EXPECT_EQ(Global::ContractorRecords[0], ContractorRecord{});
    EXPECT_EQ(Global::HistoryRecords[7].PicturePaths[3], "");
    EXPECT_EQ(Global::ContractorRecords[7].ContractorPersons[4], "");
    EXPECT_EQ(Global::HistoryCount, 0) << "a new customer has no pages of the one read before";

    EXPECT_EQ(a.GroupMaker[10], "unused");
    EXPECT_EQ(a.StringRows[50].ModelCode, "unused");
    EXPECT_EQ(Global::HistoryRecords[7].PicturePaths[4], "unused");
    EXPECT_EQ(Global::ContractorRecords[7].ContractorNames[5], "unused");
    EXPECT_EQ(Global::HistoryFolderNames, folderNames);
}

TEST_F(UserDataReadTest, FuzzRegressionInputs)
{
    // As the fuzzer takes them: every parser on the whole input, and the
    // parts between "#@#" as the files of a customer folder, read and saved.
    const QDir dir(HX_SOURCE_DIR "/tests/fuzz/corpus/fuzz_customer_read");
    int seen = 0;
    for (const QString& name : dir.entryList(QDir::Files)) {
        const QByteArray bytes = Bytes(dir.filePath(name));
        ParseUserData(bytes);
        ArrayConfigurationType a;
        ParseMakerData(bytes, a);
        ParseMeasData(bytes, "1_x");
        ParsePictureData(bytes);
        ParseContractors(bytes);
        ++seen;
        if (!bytes.contains("#@#"))
            continue;
        QList<QByteArray> files;
        for (qsizetype from = 0;;) {
            const qsizetype at = bytes.indexOf("#@#", from);
            files << bytes.mid(from, at < 0 ? -1 : at - from);
            if (at < 0)
                break;
            from = at + 3;
        }
        TestEnv local;
        TestEnv::loadUiText();
        const QString c = local.dataFolder() + "/USER_DATA/F_" + name;
        const QString targets[] = {"/UserData.csv", "/MakerData.csv", "/1_h/MeasData.csv",
                                   "/1_h/PictureData.csv", "/1_h/ConstructionContractor.csv"};
        QDir().mkpath(c + "/1_h");
        for (int i = 0; i < 5 && i < files.size(); ++i)
            Put(c + targets[i], files[i]);
        if (UserDataRead("F_" + name))
            UserDataSave("F_" + name, false);
        EXPECT_EQ(QDir(local.dataFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                  QStringList{"USER_DATA"});
        EXPECT_EQ(QDir(local.dataFolder() + "/USER_DATA").entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                  QStringList{"F_" + name});
    }
    EXPECT_GT(seen, 10);
}
