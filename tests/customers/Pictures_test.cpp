// The shrunken picture copies and the fitting of stored pictures into their
// frames.
#include "customers/Pictures.h"
#include "customers/support/CustomerFixture.h"
#include "platform/AppError.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

const QColor Red(200, 30, 30);

void MakePicture(const QString& path, int w, int h, const char* format)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Red);
    ASSERT_TRUE(image.save(path, format)) << path.toStdString();
}

// JPEG is lossy: colours are compared with a margin.
bool Near(QColor a, QColor b)
{
    return std::abs(a.red() - b.red()) < 24 && std::abs(a.green() - b.green()) < 24 &&
           std::abs(a.blue() - b.blue()) < 24;
}

class PicturesTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        source = env.root() + "/source";
        target = env.root() + "/target";
        QDir().mkpath(source);
        QDir().mkpath(target);
    }
    TestEnv env;
    QString source, target;
};

} // namespace

TEST_F(PicturesTest, CopiesAreShrunkIntoTheBoxAndNeverEnlarged)
{
    const struct {
        int w, h;
        QSize copy;
        QPoint picture; // a point the picture covers
        QPoint band;    // a point of the white band, (-1, -1) for none
    } cases[] = {
        {1600, 1200, {640, 480}, {639, 479}, {-1, -1}},
        {960, 320, {640, 480}, {320, 200}, {320, 230}}, // 640 x 213 at the top
        {320, 960, {640, 480}, {150, 240}, {170, 240}}, // 160 x 480 at the left
        {500, 400, {500, 400}, {499, 399}, {-1, -1}},
        {640, 480, {640, 480}, {639, 479}, {-1, -1}},
        {2000, 10, {640, 480}, {320, 1}, {320, 20}},
    };
    for (const auto& k : cases) {
        const QString name = QString("p%1x%2.png").arg(k.w).arg(k.h);
        MakePicture(source + "/" + name, k.w, k.h, "PNG");
        QString copyName;
        ASSERT_TRUE(PicCopySizeDown(source + "/" + name, target, &copyName)) << name.toStdString();
        EXPECT_EQ(copyName, QString(name).replace(".png", ".jpg"));
        QImage copy(target + "/" + copyName, "JPEG");
        ASSERT_FALSE(copy.isNull()) << "not a JPEG: " << name.toStdString();
        EXPECT_EQ(copy.size(), k.copy) << name.toStdString();
        EXPECT_TRUE(Near(copy.pixelColor(k.picture), Red)) << name.toStdString();
        if (k.band.x() >= 0) {
            EXPECT_TRUE(Near(copy.pixelColor(k.band), Qt::white)) << name.toStdString();
        }
    }
    EXPECT_TRUE(env.dialogs->log.isEmpty());
}

TEST_F(PicturesTest, CopyNames)
{
    const struct {
        const char* name;
        const char* format;
        const char* copy; // nullptr: refused with the report
    } cases[] = {
        {"Photo.JPG", "JPEG", "Photo.jpg"},        {"plan.bmp", "BMP", "plan.jpg"},
        {"site.2024.png", "PNG", "site.2024.jpg"}, {"two..png", "PNG", "two..jpg"},
        {"屋根.jpeg", "JPEG", "屋根.jpg"},         {"nodot", "PNG", nullptr},
    };
    for (const auto& k : cases) {
        const QString path = source + "/" + QString::fromUtf8(k.name);
        MakePicture(path, 100, 50, k.format);
        env.dialogs->log.clear();
        QString copyName = "stale";
        const bool ok = PicCopySizeDown(path, target + "/", &copyName);
        if (!k.copy) {
            EXPECT_FALSE(ok);
            EXPECT_EQ(copyName, "");
            ASSERT_EQ(env.dialogs->log.size(), 1);
            EXPECT_EQ(env.dialogs->log[0].title, "PicCopySizeDown");
            EXPECT_EQ(env.dialogs->log[0].message.icon, vbExclamation);
            continue;
        }
        EXPECT_TRUE(ok) << k.name;
        EXPECT_EQ(copyName, QString::fromUtf8(k.copy));
        EXPECT_EQ(QImage(target + "/" + copyName).size(), QSize(100, 50)) << k.name;
        EXPECT_TRUE(QFile::exists(path)) << "the source stays where it was";
    }
    EXPECT_EQ(PicCopyName("a.b.c"), "a.b.jpg");
    EXPECT_EQ(PicCopyName("none"), "");
}

TEST_F(PicturesTest, SourceInsideTheTargetFolderIsNeverOverwritten)
{
    // A JPEG chosen from the picture folder: kept as "_" & its name, the copy
    // takes the name.
    MakePicture(target + "/a.jpg", 1600, 1200, "JPEG");
    QString copyName;
    ASSERT_TRUE(PicCopySizeDown(target + "/a.jpg", target, &copyName));
    EXPECT_EQ(copyName, "a.jpg");
    EXPECT_EQ(QImage(target + "/_a.jpg").size(), QSize(1600, 1200));
    EXPECT_EQ(QImage(target + "/a.jpg").size(), QSize(640, 480));

    // "_a.jpg" taken: the source moves one "_" further instead of being
    // replaced by its own copy.
    MakePicture(target + "/a.jpg", 800, 600, "JPEG");
    ASSERT_TRUE(PicCopySizeDown(target + "/a.jpg", target, &copyName));
    EXPECT_EQ(QImage(target + "/_a.jpg").size(), QSize(1600, 1200));
    EXPECT_EQ(QImage(target + "/__a.jpg").size(), QSize(800, 600));
    EXPECT_EQ(QImage(target + "/a.jpg").size(), QSize(640, 480));

    // A bitmap from the folder is renamed as well; its copy has another name.
    MakePicture(target + "/b.bmp", 50, 50, "BMP");
    ASSERT_TRUE(PicCopySizeDown(target + "/b.bmp", target + "/", &copyName));
    EXPECT_EQ(copyName, "b.jpg");
    EXPECT_TRUE(QFile::exists(target + "/_b.bmp"));
    EXPECT_FALSE(QFile::exists(target + "/b.bmp"));
    EXPECT_TRUE(env.dialogs->log.isEmpty());
}

TEST_F(PicturesTest, FailuresWriteAndRenameNothing)
{
    // Missing source: false without a message.
    EXPECT_FALSE(PicCopySizeDown(source + "/missing.jpg", target));
    EXPECT_TRUE(env.dialogs->log.isEmpty());

    // No picture at all, even inside the target folder: reported, and the
    // file keeps its name.
    QFile text(target + "/notes.jpg");
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a picture");
    text.close();
    QString copyName = "stale";
    EXPECT_FALSE(PicCopySizeDown(target + "/notes.jpg", target, &copyName));
    EXPECT_EQ(copyName, "");
    EXPECT_TRUE(QFile::exists(target + "/notes.jpg"));
    EXPECT_FALSE(QFile::exists(target + "/_notes.jpg"));
    ASSERT_EQ(env.dialogs->log.size(), 1);
    EXPECT_EQ(env.dialogs->log[0].message.text, "ERROR No:481 Invalid picture");

    // A target folder that does not exist: the copy cannot be written.
    MakePicture(source + "/c.png", 10, 10, "PNG");
    EXPECT_FALSE(PicCopySizeDown(source + "/c.png", env.root() + "/nowhere"));
    ASSERT_EQ(env.dialogs->log.size(), 2);
    EXPECT_EQ(env.dialogs->log[1].message.text, "ERROR No:76 Path not found: " + env.root() + "/nowhere");
    EXPECT_EQ(env.dialogs->log[1].message.icon, vbExclamation);
}

TEST(FitPicture, ShrinksInProportionAndNeverEnlarges)
{
    const struct {
        QSizeF natural, frame, shown;
    } cases[] = {
        {{9600, 7200}, {3200, 2400}, {3200, 2400}}, // ratio 3
        {{9600, 7200}, {4800, 3600}, {4800, 3600}}, // ratio 2
        {{7200, 9600}, {3200, 2400}, {1800, 2400}}, // portrait: ratio 4
        {{1500, 1000}, {3200, 2400}, {1500, 1000}}, // smaller: natural size
        {{6400, 1000}, {3200, 2400}, {3200, 500}},
    };
    for (const auto& k : cases)
        EXPECT_EQ(FitPictureSize(k.natural, k.frame), k.shown)
            << k.natural.width() << "x" << k.natural.height();
    EXPECT_EQ(TwipsToPixels(3200, 96), 213);
    EXPECT_EQ(TwipsToPixels(1440, 120), 120);
    EXPECT_DOUBLE_EQ(PixelsToTwips(640, 96), 9600);
}

TEST(FitPicture, ShowsTheFileInTheBox)
{
    TestEnv env;
    QLabel box;
    box.move(10, 74);
    const double dpi = box.logicalDpiX();
    const QSize frame(TwipsToPixels(3200, dpi), TwipsToPixels(2400, box.logicalDpiY()));

    FitPictureToFrame(&box, QString(), 3200, 2400);
    EXPECT_FALSE(box.isHidden());
    EXPECT_EQ(box.size(), frame);
    EXPECT_TRUE(box.pixmap().isNull());

    const QString path = env.root() + "/big.jpg";
    MakePicture(path, 640, 480, "JPEG");
    FitPictureToFrame(&box, path, 3200, 2400);
    EXPECT_FALSE(box.isHidden());
    EXPECT_FALSE(box.pixmap().isNull());
    EXPECT_TRUE(box.hasScaledContents());
    const QSizeF shown = FitPictureSize({PixelsToTwips(640, dpi), PixelsToTwips(480, dpi)}, {3200, 2400});
    EXPECT_EQ(box.size(), QSize(TwipsToPixels(shown.width(), dpi), TwipsToPixels(shown.height(), dpi)));
    EXPECT_EQ(box.pos(), QPoint(10, 74)) << "the box keeps its place";

    // A removed file: an empty box of frame size.
    QFile::remove(path);
    FitPictureToFrame(&box, path, 3200, 2400);
    EXPECT_EQ(box.size(), frame);
    EXPECT_TRUE(box.pixmap().isNull());

    // A file that is no picture: the error goes to the caller, the box stays hidden.
    QFile bad(env.root() + "/bad.jpg");
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("text");
    bad.close();
    try {
        FitPictureToFrame(&box, bad.fileName(), 4800, 3600);
        ADD_FAILURE() << "no error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number, 481);
    }
    EXPECT_TRUE(box.isHidden());
}
