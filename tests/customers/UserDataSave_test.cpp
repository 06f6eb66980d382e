// Writing the loaded customer: the fixture written back byte for byte, a
// new customer, renamed and new histories, the totals' marker, the
// PictureData.csv flag, and failures that must not pass for success.
#include "customers/CustomerGlobals.h"
#include "customers/UserData.h"
#include "customers/support/CustomerFixture.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <functional>

using namespace CustomerFixture;

namespace {

class UserDataSaveTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        TestEnv::loadUiText();
        ResetRecords();
    }
    // Installs the fixture and reads it, as selecting the customer does.
    QString Load()
    {
        const QString c = Install(env);
        EXPECT_TRUE(UserDataRead(Key()));
        return c;
    }
    TestEnv env;
};

QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
}

QByteArray EmptyMakerData()
{
    QStringList lines{""};
    for (int g = 0; g < 10; ++g)
        lines << ""
              << ",,,,,"
              << ",,,,,"
              << ",,,,,"
              << ",,,,,"
              << ",,,,,"
              << ""
              << ""
              << "";
    lines << "";
    return Lines(lines);
}

// The fixture customer in `env`, listed in row 1 and read as choosing it
// does; its folder, or an empty text when it could not be read.
QString InstallListedAndRead(const TestEnv& env)
{
    TestEnv::loadUiText();
    Global::CurUserRow = 1;
    Global::CurUserIndex = 0;
    const QString c = Install(env);
    return UserDataRead(Key()) ? c : QString();
}

} // namespace

TEST_F(UserDataSaveTest, FixtureIsWrittenBackByteForByte)
{
    const QString c = Load();
    ASSERT_TRUE(UserDataSave(Key(), false));
    EXPECT_TRUE(env.dialogs->log.isEmpty()) << env.dialogs->messages().join('\n').toStdString();

    auto actual = Snapshot(c);
    const QString copy = "3_旧形式/Pictures/old1.jpg";
    ASSERT_TRUE(actual.contains(copy));
    actual.remove(copy);
    const auto expected = ExpectedAfterSave(env);
    EXPECT_EQ(actual.keys(), expected.keys());
    for (auto it = expected.begin(); it != expected.end(); ++it)
        EXPECT_EQ(actual.value(it.key()), it.value()) << it.key().toStdString();

    // Saving again, or reading and saving again, writes the same bytes.
    const auto once = Snapshot(c);
    ASSERT_TRUE(UserDataSave(Key(), false));
    ASSERT_TRUE(UserDataRead(Key()));
    ASSERT_TRUE(UserDataSave(Key(), false));
    EXPECT_EQ(Snapshot(c), once);
}

TEST_F(UserDataSaveTest, NewCustomerWithoutHistories)
{
    Global::UserDataRecord.CustomerCode = "B002";
    Global::UserDataRecord.CustomerName = "新規";
    Global::UserDataRecord.CustomerMemo = "一行目\r\n二行目";
    Global::UserListCount = 3;
    Global::CurUserRow = 0;
    ASSERT_TRUE(UserDataSave("B002_新規", true));

    const QString c = env.dataFolder() + "/USER_DATA/B002_新規";
    EXPECT_EQ(Entries(c), (QStringList{"Documents", "MakerData.csv", "UserData.csv"}));
    EXPECT_EQ(Entries(c + "/Documents"), QStringList{"Customer documents.txt"});
    EXPECT_EQ(Bytes(c + "/Documents/Customer documents.txt"), QByteArray("\r\n"));
    EXPECT_EQ(Bytes(c + "/UserData.csv"),
              Lines({"B002", "新規", "", "", "", "", "", "", "", "", "一行目", "二行目"}));
    EXPECT_EQ(Bytes(c + "/MakerData.csv"), EmptyMakerData());

    // The customer takes the list entry after the listed ones.
    EXPECT_EQ(Global::CurUserIndex, 3);
    EXPECT_EQ(Global::CurUserRow, 4);
    EXPECT_EQ(Global::UserListItems[3].CustomerCode, "B002");
    EXPECT_EQ(Global::UserListItems[3].CustomerName, "新規");
}

TEST_F(UserDataSaveTest, ExistingDocumentsFolderIsNotTouched)
{
    const QString c = Load();
    QFile::remove(c + "/Documents/Customer documents.txt");
    ASSERT_TRUE(UserDataSave(Key(), false));
    EXPECT_TRUE(Entries(c + "/Documents").isEmpty());
}

TEST_F(UserDataSaveTest, RenamedHistoryKeepsItsPicturesAndFiles)
{
    const QString c = Load();
    Global::HistoryRecords[0].HistoryName = "東面屋根改";
    ASSERT_TRUE(UserDataSave(Key(), false));

    const QString h = c + "/1_東面屋根改";
    EXPECT_FALSE(QFileInfo::exists(c + "/1_東面屋根"));
    EXPECT_EQ(Entries(h),
              (QStringList{"240510_101010_0001-01-01.csv", "CheckMemory.csv", "ConstructionContractor.csv",
                           "MeasData.csv", "PictureData.csv", "Pictures"}));
    EXPECT_EQ(Bytes(h + "/PictureData.csv"), Lines({"east.jpg", "", "", ""}));
    EXPECT_EQ(Global::HistoryRecords[0].FolderName, "1_東面屋根改");
    EXPECT_EQ(Global::HistoryRecords[0].PicturePaths[0], h + "/Pictures/east.jpg");

    ASSERT_TRUE(UserDataRead(Key()));
    EXPECT_EQ(Global::HistoryRecords[0].HistoryName, "東面屋根改");
    EXPECT_EQ(Global::HistoryRecords[0].PicturePaths[0], h + "/Pictures/east.jpg");
}

TEST_F(UserDataSaveTest, NewHistoryOnTheEmptyPage)
{
    const QString c = Load();
    HistoryRecord& h = Global::HistoryRecords[3];
    h.HistoryName = "増設";
    h.HistoryPmTotal = h.HistoryVocTotal = h.HistoryIscTotal = "----";
    Global::ContractorRecords[3].ContractorNames[4] = "最後の業者";
    ASSERT_TRUE(UserDataSave(Key(), false));

    const QString f = c + "/4_増設";
    EXPECT_EQ(Entries(f), (QStringList{"ConstructionContractor.csv", "MeasData.csv", "PictureData.csv"}));
    EXPECT_EQ(Bytes(f + "/MeasData.csv"), Lines({"増設", "", "----", "----", "----", "", "", "", "", ""}));
    EXPECT_EQ(Bytes(f + "/PictureData.csv"), Lines({"", "", "", ""}));
    EXPECT_EQ(Bytes(f + "/ConstructionContractor.csv"),
              Lines({"", "", "", "", "", "", "", "", "", "", "", "", "最後の業者", "", ""}));
    // The folder without a number and the stray file are left alone.
    EXPECT_TRUE(QFileInfo(c + "/backup_old").isDir());
    EXPECT_TRUE(QFileInfo(c + "/notes_2020.txt").isFile());
}

TEST_F(UserDataSaveTest, TotalsKeepTheFormOfTheFile)
{
    const struct {
        const char* history;
        QByteArray before; // MeasData.csv as it lies before the save; empty: no file
        const char* line3;
    } cases[] = {
        {"1_東面屋根", Lines({"n", "d", "SEL_OK,9", "SEL_OK,9", "SEL_OK,9"}), "SEL_OK,5.123"},
        {"1_東面屋根", Lines({"n", "d", "9", "9", "9"}), "5.123"},
        {"1_東面屋根", Lines({"n", "sel_ok,9"}), "SEL_OK,5.123"},
        {"1_東面屋根", QByteArray(), "5.123"},
    };
    for (const auto& k : cases) {
        TestEnv local;
        TestEnv::loadUiText();
        const QString c = Install(local);
        ASSERT_TRUE(UserDataRead(Key()));
        const QString meas = c + "/" + k.history + "/MeasData.csv";
        QFile::remove(meas);
        if (!k.before.isEmpty()) {
            QFile f(meas);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(k.before);
        }
        ASSERT_TRUE(UserDataSave(Key(), false));
        const QStringList lines = QString::fromUtf8(Bytes(meas)).split("\r\n");
        ASSERT_GE(lines.size(), 5);
        EXPECT_EQ(lines[2], QString::fromUtf8(k.line3)) << k.before.toStdString();
        EXPECT_EQ(lines[4], QString(k.line3).replace("5.123", "17.8")) << k.before.toStdString();
    }
}

TEST_F(UserDataSaveTest, FlagDecidesWhetherPictureDataIsWritten)
{
    const struct {
        bool keepPictureData;
        QByteArray pictureData; // 2_西面屋根/PictureData.csv after the save
    } cases[] = {
        {true, Lines({"../../evil.jpg", "west.jpg", "", ""})},
        {false, Lines({"", "", "", ""})},
    };
    for (const auto& k : cases) {
        TestEnv local;
        TestEnv::loadUiText();
        const QString c = Install(local);
        ASSERT_TRUE(UserDataRead(Key()));
        ASSERT_TRUE(UserDataSave(Key(), k.keepPictureData));
        EXPECT_EQ(Bytes(c + "/2_西面屋根/PictureData.csv"), k.pictureData) << k.keepPictureData;
        EXPECT_EQ(Bytes(c + "/1_東面屋根/PictureData.csv"), Lines({"east.jpg", "", "", ""}));
    }
}

TEST_F(UserDataSaveTest, HistorySearchFindsFoldersOnly)
{
    const QString c = Load();
    // A file that looks like the folder of history 4 is no history folder.
    QFile stray(c + "/4_stray");
    ASSERT_TRUE(stray.open(QIODevice::WriteOnly));
    stray.close();
    Global::HistoryRecords[3].HistoryName = "new";
    ASSERT_TRUE(UserDataSave(Key(), false));
    EXPECT_TRUE(QFileInfo(c + "/4_stray").isFile());
    EXPECT_TRUE(QFileInfo(c + "/4_new").isDir());
}

TEST_F(UserDataSaveTest, TwoFoldersOfOneNumberSaveIntoTheOneRead)
{
    // Written by hand: history 3 has its data in one folder and only its
    // contractors in another of the same number, listed after it.
    const QString c = env.dataFolder() + "/USER_DATA/H_dup";
    QDir().mkpath(c + "/3_a");
    QDir().mkpath(c + "/3_b");
    QFile user(c + "/UserData.csv"), maker(c + "/MakerData.csv"), meas(c + "/3_a/MeasData.csv"),
        contractors(c + "/3_b/ConstructionContractor.csv");
    for (QFile* f : {&user, &maker, &meas, &contractors})
        ASSERT_TRUE(f->open(QIODevice::WriteOnly));
    user.write(Lines({"H", "dup"}));
    maker.write(Lines({"1"}));
    meas.write(Lines({"a", "2024/01/01"}));
    contractors.write(Lines({"B社"}));
    for (QFile* f : {&user, &maker, &meas, &contractors})
        f->close();

    ASSERT_TRUE(UserDataRead("H_dup"));
    EXPECT_EQ(Global::HistoryRecords[2].HistoryName, "a");
    EXPECT_EQ(Global::HistoryRecords[2].FolderName, "3_a");
    EXPECT_EQ(Global::ContractorRecords[2].ContractorNames[0], "B社");

    ASSERT_TRUE(UserDataSave("H_dup", false));
    EXPECT_TRUE(env.dialogs->log.isEmpty()) << env.dialogs->messages().join('\n').toStdString();
    EXPECT_EQ(Entries(c), (QStringList{"3_a", "3_b", "Documents", "MakerData.csv", "UserData.csv"}));
    EXPECT_EQ(Bytes(c + "/3_a/MeasData.csv"),
              Lines({"a", "2024/01/01", "----", "----", "----", "", "", "", "", ""}));
    EXPECT_TRUE(Bytes(c + "/3_a/ConstructionContractor.csv").startsWith(Lines({"B社"})));
    EXPECT_EQ(Entries(c + "/3_b"), QStringList{"ConstructionContractor.csv"});
}

TEST_F(UserDataSaveTest, FailureHalfWayReturnsFalseAndKeepsTheOldFiles)
{
    const struct {
        const char* what;
        std::function<void(const QString& c)> arrange;
        const char* report;
        const char* named; // the entry of the customer folder the report names
    } cases[] = {
        {"history renamed onto an existing folder",
         [](const QString& c) {
             QDir().mkpath(c + "/1_taken");
             Global::HistoryRecords[0].HistoryName = "taken";
         },
         "ERROR No:58 File already exists", "/1_taken"},
        {"MakerData.csv cannot be written",
         [](const QString& c) {
             QFile::remove(c + "/MakerData.csv");
             QDir().mkpath(c + "/MakerData.csv/blocked");
         },
         "ERROR No:75 Path/File access error", "/MakerData.csv"},
        {"history name naming another place",
         [](const QString&) { Global::HistoryRecords[1].HistoryName = "../../../escape"; },
         "ERROR No:52 Bad file name or number", nullptr},
        {"a 1025th customer",
         [](const QString&) {
             Global::CurUserRow = 0;
             Global::UserListCount = 1024;
         },
         "ERROR No:9 Subscript out of range", nullptr},
    };
    for (const auto& k : cases) {
        TestEnv local;
        const QString c = InstallListedAndRead(local);
        ASSERT_FALSE(c.isEmpty());
        const QByteArray userBefore = Bytes(c + "/UserData.csv");
        const QByteArray measBefore = Bytes(c + "/1_東面屋根/MeasData.csv");
        Global::UserDataRecord.CustomerMemo = "changed";
        Global::HistoryRecords[0].HistoryMemo = "changed";
        k.arrange(c);

        EXPECT_FALSE(UserDataSave(Key(), false)) << k.what;
        ASSERT_EQ(local.dialogs->log.size(), 1) << k.what;
        EXPECT_EQ(local.dialogs->log[0].message.text,
                  QString(k.report) + (k.named ? ": " + c + k.named : QString()))
            << k.what;
        EXPECT_EQ(local.dialogs->log[0].title, "UserDataSave");
        EXPECT_EQ(Bytes(c + "/UserData.csv"), userBefore) << k.what;
        EXPECT_EQ(Bytes(c + "/1_東面屋根/MeasData.csv"), measBefore) << k.what;
        EXPECT_FALSE(QFileInfo::exists(local.dataFolder() + "/escape")) << k.what;
    }
}

TEST_F(UserDataSaveTest, ATextTheFilesCannotHoldFailsTheSaveBeforeAnythingIsWritten)
{
    const struct {
        const char* what;
        std::function<void()> arrange;
        const char* character;
    } cases[] = {
        {"the customer's address", [] { Global::UserDataRecord.Address = "Müllerstraße 5"; }, "ü"},
        {"the other equipment", [] { Global::ArrayConfiguration.ExtMemo = "line\r\nStraße"; }, "ß"},
        {"a history memo", [] { Global::HistoryRecords[0].HistoryMemo = "Café"; }, "é"},
        {"a contractor", [] { Global::ContractorRecords[0].ContractorPersons[4] = "😀"; }, "😀"},
    };
    for (const auto& k : cases) {
        TestEnv local;
        const QString c = InstallListedAndRead(local);
        ASSERT_FALSE(c.isEmpty());
        const auto before = Snapshot(c);
        Global::UserDataRecord.CustomerMemo = "changed";
        Global::HistoryRecords[0].HistoryName = "renamed";
        k.arrange();

        EXPECT_FALSE(UserDataSave(Key(), false)) << k.what;
        ASSERT_EQ(local.dialogs->log.size(), 1) << k.what;
        EXPECT_EQ(local.dialogs->log[0].message.text,
                  QStringLiteral("ERROR No:5 Invalid procedure call or argument: \"") + QString::fromUtf8(k.character) +
                      QStringLiteral("\" cannot be held in code page 932"))
            << k.what;
        EXPECT_EQ(Snapshot(c), before) << k.what;
    }
}
