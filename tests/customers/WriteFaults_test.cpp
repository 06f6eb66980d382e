// The customer savers under the write-fault harness: every step of their
// writes failed in turn, and a disk that fills up, must leave each file
// with its old or its new bytes and a report of the failure.
#include "customers/CustomerGlobals.h"
#include "customers/Pictures.h"
#include "customers/UserData.h"
#include "customers/support/CustomerFixture.h"
#include "support/TestEnv.h"
#include "support/WriteFaults.h"

#include <QDir>
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

using namespace CustomerFixture;

namespace {

class CustomerWriteFaults : public ::testing::Test {
  protected:
    void SetUp() override { TestEnv::loadUiText(); }

    // The fixture customer as found, the records as before any read, and a
    // second history of an older version whose PictureData.csv is there.
    void InstallCustomer()
    {
        QDir(env.dataFolder() + "/USER_DATA").removeRecursively();
        const QString c = Install(env);
        const QString outside = env.root() + "/outside/wide.png";
        if (!QFile::exists(outside))
            QImage(960, 320, QImage::Format_RGB32).save(outside, "PNG");
        Put(c + "/4_増設/MeasData.csv", Lines({"増設", "d", "", "", "", "", outside, "", "", "memo"}));
        Put(c + "/4_増設/PictureData.csv", Lines({"kept.jpg", "", "", ""}));
        Put(c + "/4_増設/ConstructionContractor.csv", Lines({"業者"}));
        ResetRecords();
    }

    TestEnv env;
};

} // namespace

TEST_F(CustomerWriteFaults, UserDataSave)
{
    // The customer as a first read leaves it (older pictures moved), kept
    // aside so that each run starts from it without moving them again.
    const QString users = env.dataFolder() + "/USER_DATA";
    const QString read = env.root() + "/read";
    InstallCustomer();
    ASSERT_TRUE(UserDataRead(Key()));
    CopyTree(users, read);
    CheckWriteFaults({"UserDataSave", env.dataFolder(),
                      [&] {
                          QDir(users).removeRecursively();
                          CopyTree(read, users);
                          ResetRecords();
                          ASSERT_TRUE(UserDataRead(Key()));
                          // Every kind of write: changed files, a renamed and a
                          // new history folder, a new documents folder.
                          QDir(UserDataFolder(Key()) + "/Documents").removeRecursively();
                          Global::UserDataRecord.CustomerMemo = "保存の試験";
                          Global::ArrayConfiguration.TotalPm = "13";
                          Global::HistoryRecords[0].HistoryName = "東面屋根改";
                          Global::HistoryRecords[1].HistoryMemo = "変更";
                          Global::HistoryRecords[4].HistoryName = "新設";
                          Global::ContractorRecords[2].ContractorNames[0] = "新業者";
                      },
                      [&] { return UserDataSave(Key(), false); }});
}

TEST_F(CustomerWriteFaults, UserDataReadMovingOlderPictures)
{
    CheckWriteFaults({"UserDataRead (older pictures moved)", env.dataFolder(), [&] { InstallCustomer(); },
                      [&] { return UserDataRead(Key()); }});
}

TEST_F(CustomerWriteFaults, PicCopySizeDown)
{
    const QString cache = env.root() + "/cache";
    QDir().mkpath(cache);
    QImage big(1600, 1200, QImage::Format_RGB32);
    big.fill(QColor(20, 120, 40));
    ASSERT_TRUE(big.save(cache + "/site.png", "PNG"));
    ASSERT_TRUE(big.save(cache + "/outside.bmp", "BMP"));
    const QString folder = env.root() + "/pictures";
    CheckWriteFaults({"PicCopySizeDown", folder,
                      [&] {
                          QDir(folder).removeRecursively();
                          QDir().mkpath(folder);
                          // A picture chosen from the picture folder itself, and
                          // one from outside that replaces an earlier copy.
                          QFile::copy(cache + "/site.png", folder + "/site.png");
                          Put(folder + "/outside.jpg", "an earlier copy");
                      },
                      [&] {
                          const bool outside = PicCopySizeDown(cache + "/outside.bmp", folder);
                          const bool inside = PicCopySizeDown(folder + "/site.png", folder);
                          return outside && inside;
                      }});
}
