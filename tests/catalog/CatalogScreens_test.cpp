// Each catalogue sub-tab with a model and its picture shown, in both
// languages, fits a 1366 x 768 screen. With HX_SCREENS_DIR set, each is
// saved there as catalogue-<module|powcon>-model-<en|ja>.png (run under
// Xvfb: xvfb-run -a -s "-screen 0 1366x768x24" with QT_QPA_PLATFORM=xcb).
#include "catalog/CatalogGlobals.h"
#include "catalog/support/CatalogFixture.h"
#include "common/Captions.h"
#include "platform/FlexGrid.h"
#include "support/WindowShot.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QScreen>

#include <gtest/gtest.h>

using namespace CatalogFixture;

namespace {

void waitForPaint()
{
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents();
}

// A product photo stand-in: a dark module of 6 x 10 cells on a light
// background, 640 x 480 pixels as the stored copies are.
void MakeModulePicture(const QString& path, QColor cell)
{
    QImage image(640, 480, QImage::Format_RGB32);
    image.fill(QColor(235, 238, 242));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRect frame(170, 30, 300, 420);
    p.fillRect(frame, QColor(170, 175, 180));
    const int w = 46, h = 40;
    for (int r = 0; r < 10; ++r)
        for (int c = 0; c < 6; ++c)
            p.fillRect(frame.left() + 12 + c * (w + 1), frame.top() + 12 + r * (h + 0), w - 2, h - 3, cell);
    p.end();
    QDir().mkpath(QFileInfo(path).absolutePath());
    ASSERT_TRUE(image.save(path, "JPEG", 95));
}

void shoot(FrmMain& f, const QString& name)
{
    waitForPaint();
    const QSize need = f.minimumSizeHint();
    EXPECT_LE(need.width(), 1366) << name.toStdString();
    EXPECT_LE(need.height(), 768 - 80) << name.toStdString();
    const QString dir = qEnvironmentVariable("HX_SCREENS_DIR");
    if (dir.isEmpty())
        return;
    EXPECT_TRUE(SaveWindowShot(f, dir, name));
}

void showModels(const QString& code, const QString& suffix)
{
    MainWindowEnv w;
    Install(w.env.dataFolder());
    FrmMain& f = w.load(code);
    // The picture folders are named by the language in use.
    MakeModulePicture(ModuleFile(QStringLiteral("Alpha Solar"), Global::UiText.value(541) + QStringLiteral("/as250.jpg")),
                      QColor(25, 40, 90));
    MakeModulePicture(PowConFile(QStringLiteral("Delta Power"), Global::UiText.value(542) + QStringLiteral("/dp55.jpg")),
                      QColor(60, 60, 64));
    if (QScreen* s = f.screen())
        f.resize(s->availableGeometry().size().boundedTo(QSize(1366, 740)));
    f.show();
    f.SSTab->setCurrentIndex(3);

    auto click = [&](const char* grid, int row) {
        auto* g = f.control<FlexGrid>(QString::fromLatin1(grid));
        ASSERT_NE(g, nullptr);
        g->setRow(row);
        emit g->Click();
    };
    click("MfgMakerList_0", 1);
    click("MfgSerialNoList_0", 2); // AS-250
    EXPECT_FALSE(f.control<QLabel>(QStringLiteral("ImgModule_0"))->pixmap().isNull());
    EXPECT_EQ(TextOf(f.controlObject(QStringLiteral("TxtIn_17"))), "250");
    shoot(f, QStringLiteral("catalogue-module-model-") + suffix);

    f.SSTab2->setCurrentIndex(1);
    click("MfgMakerList_1", 1);
    click("MfgSerialNoList_1", 1); // DP-55
    EXPECT_FALSE(f.control<QLabel>(QStringLiteral("ImgModule_1"))->pixmap().isNull());
    EXPECT_EQ(TextOf(f.controlObject(QStringLiteral("TxtIn_34"))), "DC 250");
    shoot(f, QStringLiteral("catalogue-powcon-model-") + suffix);
    EXPECT_TRUE(w.env.dialogs->log.isEmpty());
}

} // namespace

TEST(CatalogScreens, EnglishSubTabsWithAModelShown)
{
    showModels(QStringLiteral("1"), QStringLiteral("en"));
}

TEST(CatalogScreens, JapaneseSubTabsWithAModelShown)
{
    showModels(QStringLiteral("81"), QStringLiteral("ja"));
}
