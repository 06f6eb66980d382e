// Ways a customer's files used to be lost or damaged, tried as a user
// would: a history read part-way and then saved over, long paths read as
// missing, older picture paths dropped, large camera pictures refused,
// picture names in another letter case dropped, and file-system failures
// reported with the wrong number and no name.
#include "customers/CustomerGlobals.h"
#include "customers/Pictures.h"
#include "customers/UserData.h"
#include "customers/support/CustomerFixture.h"
#include "support/ChildProcess.h"
#include "support/TestEnv.h"
#include "support/WriteFaults.h"

#include "platform/AnsiCodec.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

#include <functional>

using namespace CustomerFixture;

namespace {

// The CRC of PNG chunks.
quint32 Crc32(const QByteArray& bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char ch : bytes) {
        crc ^= quint8(ch);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

const QByteArray Contractors = Lines({"東建設", "03-1111", "田中", "西電気", "06-2222", "佐藤", "", "", "", "",
                                      "", "", "末尾工業", "", "鈴木"});

class CustomerFileLosses : public ::testing::Test {
  protected:
    void SetUp() override
    {
        TestEnv::loadUiText();
        ResetRecords();
    }
    void TearDown() override { FileIoFaults::Reset(); }

    // A picture file of w x h pixels.
    void Picture(const QString& path, int w, int h, const char* format = "PNG")
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(QColor(30, 90, 160));
        ASSERT_TRUE(image.save(path, format)) << path.toStdString();
    }
    QStringList Boxes() const
    {
        QStringList out;
        for (const RecordedDialog& d : env.dialogs->log)
            out << d.message.title + "|" + d.message.text;
        return out;
    }

    TestEnv env;
};

} // namespace

// ---- A history read part-way -------------------------------------------------

TEST_F(CustomerFileLosses, AHistoryReadPartWayRefusesTheCustomerAndLosesNothing)
{
    // History 4 is of an older version: reading it makes its picture folder,
    // copies its picture, creates PictureData.csv and rewrites MeasData.csv.
    // Before, a failure there kept its name and memo but not its
    // contractors, and the next save wrote fifteen empty lines over them.
    const QString outside = env.root() + "/outside/site.png";
    Picture(outside, 800, 600);
    const QString c = MakeCustomer(env, "K1_Kunde");
    const QString h = c + "/4_旧";
    const auto arrange = [&] {
        QDir(h).removeRecursively();
        Put(h + "/MeasData.csv", Lines({"旧", "2020/01/01", "SEL_OK,1", "SEL_OK,2", "SEL_OK,3", outside, "", "", "",
                                        "memo"}));
        Put(h + "/ConstructionContractor.csv", Contractors);
        // Another customer is loaded when the read starts.
        Global::UserDataRecord.CustomerCode = "PREV";
        Global::HistoryRecords[3].HistoryName = "previous";
        Global::ContractorRecords[3].ContractorNames[0] = "previous contractor";
    };
    const Saver read{"read", c, arrange, [] { return UserDataRead("K1_Kunde"); }};
    using FileIoFaults::Step;
    const struct {
        const char* what;
        Step step;
        const char* pathEnd;
        const char* box;
    } cases[] = {
        {"its picture folder cannot be made", Step::Folder, "/4_旧/Pictures", "ERROR No:57 Device I/O error: "},
        {"its PictureData.csv cannot be written", Step::Rename, "/4_旧/PictureData.csv",
         "ERROR No:57 Device I/O error: "},
        {"its MeasData.csv cannot be rewritten", Step::Flush, "/4_旧/MeasData.csv", "ERROR No:61 Disk full: "},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        const int n = StepNumberOf(read, k.step, QString::fromUtf8(k.pathEnd));
        ASSERT_GT(n, 0);
        arrange();
        env.dialogs->log.clear();
        FileIoFaults::FailAt(n);
        EXPECT_FALSE(UserDataRead("K1_Kunde"));
        FileIoFaults::Reset();
        const QStringList boxes = Boxes();
        ASSERT_EQ(boxes.size(), 1);
        EXPECT_EQ(boxes[0], "UserDataRead2|" + QString::fromUtf8(k.box) + c + QString::fromUtf8(k.pathEnd));
        // Nothing of the half-read history reached the records.
        EXPECT_EQ(Global::UserDataRecord.CustomerCode, "PREV");
        EXPECT_EQ(Global::HistoryRecords[3].HistoryName, "previous");
        EXPECT_EQ(Global::ContractorRecords[3].ContractorNames[0], "previous contractor");
        EXPECT_EQ(Bytes(h + "/ConstructionContractor.csv"), Contractors);

        // Once the disk is fine again the customer reads whole and saves
        // its contractors as they were.
        env.dialogs->log.clear();
        ASSERT_TRUE(UserDataRead("K1_Kunde"));
        EXPECT_EQ(Global::ContractorRecords[3].ContractorPersons[4], "鈴木");
        ASSERT_TRUE(UserDataSave("K1_Kunde", false));
        EXPECT_EQ(Bytes(h + "/ConstructionContractor.csv"), Contractors);
        EXPECT_EQ(Bytes(h + "/PictureData.csv"), Lines({"site.jpg", "", "", ""}));
        EXPECT_TRUE(Boxes().isEmpty()) << Boxes().join('\n').toStdString();
    }
}

// ---- Long paths ----------------------------------------------------------------

TEST_F(CustomerFileLosses, FilesWithLongPathsAreReadAndWrittenBack)
{
    // A 256-character path used to read as missing; the save then wrote
    // empty contractors and an empty picture list over the real ones.
    const QString key = "L1_" + QString(40, u'名');
    for (int length : {255, 256, 259, 300}) {
        SCOPED_TRACE(length);
        const QString c = env.dataFolder() + "/USER_DATA/" + key;
        QDir(c).removeRecursively();
        MakeCustomer(env, key);
        const int fixed = int((c + "/1_/ConstructionContractor.csv").size());
        const QString name(length - fixed, u'h');
        const QString h = c + "/1_" + name;
        ASSERT_EQ((h + "/ConstructionContractor.csv").size(), length);
        const QByteArray meas = Lines({name, "2024/01/01", "SEL_OK,1", "SEL_OK,2", "SEL_OK,3", "", "", "", "", "m"});
        Put(h + "/MeasData.csv", meas);
        Put(h + "/ConstructionContractor.csv", Contractors);
        Put(h + "/PictureData.csv", Lines({"p.jpg", "", "", ""}));
        Picture(h + "/Pictures/p.jpg", 10, 10, "JPEG");

        ASSERT_TRUE(UserDataRead(key));
        EXPECT_EQ(Global::ContractorRecords[0].ContractorNames[1], "西電気");
        ASSERT_TRUE(UserDataSave(key, false));
        EXPECT_EQ(Bytes(h + "/ConstructionContractor.csv"), Contractors);
        EXPECT_EQ(Bytes(h + "/PictureData.csv"), Lines({"p.jpg", "", "", ""}));
        EXPECT_EQ(Bytes(h + "/MeasData.csv"), meas);
        EXPECT_TRUE(env.dialogs->log.isEmpty()) << Boxes().join('\n').toStdString();
    }
}

// ---- Older picture paths ---------------------------------------------------------

TEST_F(CustomerFileLosses, AnOlderPicturePathThatCouldNotBeCopiedIsWrittenBack)
{
    const QString outside = env.root() + "/outside";
    Picture(outside + "/good.png", 50, 40);
    Put(outside + "/broken.jpg", "not a picture");
    const struct {
        const char* what;
        QString older;
        std::function<void()> edit; // what the user does between read and save
        QString line6;              // MeasData.csv line 6 after read and save
        QString pictureData;        // PictureData.csv line 1 after the save
        QStringList boxes;          // shown by the read
    } cases[] = {
        {"a file that is no picture", outside + "/broken.jpg", nullptr, outside + "/broken.jpg", "",
         {"PicCopySizeDown|ERROR No:481 Invalid picture"}},
        {"a picture that is not there (yet)", "/media/disc/site.jpg", nullptr, "/media/disc/site.jpg", "", {}},
        {"a picture that is copied", outside + "/good.png", nullptr, "", "good.jpg", {}},
        {"a slot the user gave another picture", "/media/disc/site.jpg",
         [] { Global::HistoryRecords[0].PicturePaths[0] = "/elsewhere/new.jpg"; }, "", "", {}},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        const QString c = MakeCustomer(env, "P1_Bild");
        const QString h = c + "/1_h";
        QDir(h).removeRecursively();
        Put(h + "/MeasData.csv", Lines({"h", "d", "", "", "", k.older, "", "", "", "memo"}));
        env.dialogs->log.clear();
        ASSERT_TRUE(UserDataRead("P1_Bild"));
        EXPECT_EQ(Boxes(), k.boxes);
        if (k.edit)
            k.edit();
        ASSERT_TRUE(UserDataSave("P1_Bild", false));
        EXPECT_EQ(Bytes(h + "/MeasData.csv"),
                  Lines({"h", "d", "----", "----", "----", k.line6, "", "", "", "memo"}));
        EXPECT_EQ(AnsiCodec::splitLines(Bytes(h + "/PictureData.csv")).value(0), k.pictureData);
    }
}

// ---- Large camera pictures -------------------------------------------------------

TEST_F(CustomerFileLosses, PicturesOfCamerasAboveThirtyThreeMegapixelsAreCopied)
{
    // 8192 x 4200 pixels: 34.4 megapixels, 138 MB as an image, above Qt's
    // default limit of 128 MB.
    const QString folder = env.root() + "/pictures";
    QDir().mkpath(folder);
    Picture(env.root() + "/camera/IMG_0001.JPG", 8192, 4200, "JPEG");
    QString copy;
    ASSERT_TRUE(PicCopySizeDown(env.root() + "/camera/IMG_0001.JPG", folder, &copy));
    EXPECT_EQ(copy, "IMG_0001.jpg");
    EXPECT_EQ(QImage(folder + "/IMG_0001.jpg").size(), QSize(640, 480));
    EXPECT_TRUE(env.dialogs->log.isEmpty()) << Boxes().join('\n').toStdString();

    // A picture claiming 20000 x 20000 pixels (1.6 GB) is still refused,
    // before anything is allocated for it.
    QImage tiny(1, 1, QImage::Format_RGB32);
    tiny.fill(Qt::black);
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(tiny.save(&buffer, "PNG"));
    }
    // Width and height are the first 4 + 4 bytes of the IHDR chunk, whose
    // CRC follows its 13 bytes.
    const qsizetype ihdr = png.indexOf("IHDR");
    const char huge[8] = {0, 0, 0x4e, 0x20, 0, 0, 0x4e, 0x20};
    png.replace(ihdr + 4, 8, QByteArray(huge, 8));
    const quint32 crc = Crc32(png.mid(ihdr, 4 + 13));
    for (int i = 0; i < 4; ++i)
        png[ihdr + 17 + i] = char(crc >> (24 - 8 * i));
    Put(env.root() + "/camera/huge.png", png);
    EXPECT_FALSE(PicCopySizeDown(env.root() + "/camera/huge.png", folder));
    EXPECT_EQ(Boxes(), QStringList{"PicCopySizeDown|ERROR No:481 Invalid picture"});
    EXPECT_FALSE(QFile::exists(folder + "/huge.jpg"));
}

// ---- Letter case of picture names --------------------------------------------------

TEST_F(CustomerFileLosses, PictureNamesMatchWithoutRegardToLetterCase)
{
    const struct {
        const char* line;         // PictureData.csv line 1 as found
        QStringList files;        // in the picture folder
        const char* shown;        // the file the record names ("" none)
        const char* savedLine;    // PictureData.csv line 1 after a save
    } cases[] = {
        {"EAST.JPG", {"east.jpg"}, "east.jpg", "east.jpg"},
        {"East.Jpg", {"east.jpg"}, "east.jpg", "east.jpg"},
        {"east.jpg", {"EAST.JPG", "east.jpg"}, "east.jpg", "east.jpg"},
        {"EAST.JPG", {"EAST.JPG", "east.jpg"}, "EAST.JPG", "EAST.JPG"},
        {"missing.jpg", {"east.jpg"}, "missing.jpg", ""},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.line);
        const QString c = MakeCustomer(env, "C1_Case");
        const QString h = c + "/1_h";
        QDir(h).removeRecursively();
        Put(h + "/MeasData.csv", Lines({"h"}));
        Put(h + "/PictureData.csv", Lines({k.line, "", "", ""}));
        for (const QString& f : k.files)
            Picture(h + "/Pictures/" + f, 8, 8, "JPEG");
        ASSERT_TRUE(UserDataRead("C1_Case"));
        EXPECT_EQ(Global::HistoryRecords[0].PicturePaths[0], h + "/Pictures/" + k.shown);
        ASSERT_TRUE(UserDataSave("C1_Case", false));
        EXPECT_EQ(Bytes(h + "/PictureData.csv"), Lines({k.savedLine, "", "", ""}));
    }
}

// ---- File-system errors ------------------------------------------------------------

TEST_F(CustomerFileLosses, FileSystemErrorsGiveTheirClassicNumberAndName)
{
    // Run in a child: as an ordinary user (root may write anywhere), or with
    // a file-size limit that makes the disk full. The child sends back the
    // boxes it showed.
    const QString users = env.dataFolder() + "/USER_DATA";
    const QString c = MakeCustomer(env, "E1_Fehler");
    Put(c + "/1_h/MeasData.csv", Lines({"h"}));
    Put(c + "/1_h/PictureData.csv", Lines({"", "", "", ""}));
    Put(c + "/1_h/ConstructionContractor.csv", Contractors);
    QDir().mkpath(c + "/1_h/Pictures");
    const QString pictures = env.root() + "/ro_pictures";
    Picture(env.root() + "/src/a.png", 20, 20);
    QDir().mkpath(pictures);
    const auto readOnly = [](const QString& path) {
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                        QFileDevice::ExeOther);
    };
    const struct {
        const char* what;
        ChildLimits limits;
        std::function<void()> arrange;
        std::function<void()> act;
        QString box;
    } cases[] = {
        {"a new customer in a data folder that may not be written", {std::nullopt, true},
         [&] { readOnly(users); },
         [] {
             Global::UserDataRecord.CustomerCode = "B002";
             Global::UserDataRecord.CustomerName = "新規";
             Global::CurUserRow = 0;
             UserDataSave("B002_新規", true);
         },
         "UserDataSave|ERROR No:70 Permission denied: " + users + "/B002_新規"},
        {"a save on a full disk", {qint64(10), false}, [] {},
         [] {
             UserDataRead("E1_Fehler");
             UserDataSave("E1_Fehler", false);
         },
         "UserDataSave|ERROR No:61 Disk full: " + c + "/MakerData.csv"},
        {"contractors that may not be read", {std::nullopt, true},
         [&] { QFile::setPermissions(c + "/1_h/ConstructionContractor.csv", QFileDevice::WriteOwner); },
         [] { UserDataRead("E1_Fehler"); },
         "UserDataRead2|ERROR No:70 Permission denied: " + c + "/1_h/ConstructionContractor.csv"},
        {"a picture folder that may not be written", {std::nullopt, true}, [&] { readOnly(pictures); },
         [&] { PicCopySizeDown(env.root() + "/src/a.png", pictures); },
         "PicCopySizeDown|ERROR No:70 Permission denied: " + pictures + "/a.jpg"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        k.arrange();
        OpenPathToEveryone(c + "/1_h");
        OpenPathToEveryone(pictures);
        OpenPathToEveryone(env.root() + "/src");
        env.dialogs->log.clear();
        const ChildResult r = RunInChild(k.limits, [&](const auto& send) {
            k.act();
            send(Boxes().join('\n').toUtf8());
            return 0;
        });
        ASSERT_TRUE(r.exited) << r.signal;
        if (r.exitCode == 252)
            GTEST_SKIP() << "cannot run as an ordinary user";
        ASSERT_EQ(r.exitCode, 0);
        EXPECT_EQ(QString::fromUtf8(r.output), k.box);
    }
}
