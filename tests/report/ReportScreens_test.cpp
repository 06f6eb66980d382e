// The report window with a customer, a history with four site photos, an
// array of two groups and twelve measurements, on each of its three tabs,
// in English and in Japanese. The window must fit a 1366 x 768 screen.
// With HX_SCREENS_DIR set, each tab is saved there as
// report-<construction|measurements|equipment>-<en|ja>.png (run under Xvfb:
// xvfb-run -a -s "-screen 0 1366x768x24" with QT_QPA_PLATFORM=xcb), and
// the window with a logo of 1500 pixels as report-wide-logo-en.png.
#include "ReportWindowEnv.h"

#include "platform/FlexGrid.h"
#include "report/CurveColors.h"
#include "report/ReportLogo.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>

namespace {

using namespace ReportTest;

// The window as the screen shows it, its frame included where there is one.
QPixmap Shot(FrmReport* f)
{
    QPixmap shot;
    if (QScreen* s = f->screen(); s && QGuiApplication::platformName() == QLatin1String("xcb")) {
        QApplication::processEvents();
        shot = s->grabWindow(0, f->frameGeometry().x(), f->frameGeometry().y(), f->frameGeometry().width(),
                             f->frameGeometry().height());
    }
    return shot.isNull() ? f->grab() : shot;
}

// A site photo: sky, a roof and its modules, in a colour of its own.
bool WriteSitePhoto(const QString& path, int w, int h, QColor roof)
{
    QImage image(w, h, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient sky(0, 0, 0, h);
    sky.setColorAt(0, QColor(120, 170, 230));
    sky.setColorAt(1, QColor(220, 235, 250));
    p.fillRect(image.rect(), sky);
    p.setBrush(roof);
    p.setPen(Qt::NoPen);
    p.drawPolygon(QPolygon({QPoint(0, h), QPoint(w / 6, h / 3), QPoint(w * 5 / 6, h / 3), QPoint(w, h)}));
    p.setBrush(QColor(25, 40, 90));
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 6; ++c)
            p.drawRect(w / 5 + c * w / 10, h / 2 + r * h / 10, w / 11, h / 12);
    p.end();
    return image.save(path, "JPEG");
}

void Fill(ReportWindowEnv& env, bool japanese)
{
    if (japanese) {
        Global::UserDataRecord = {QStringLiteral("C001"), QStringLiteral("見本 太郎"), QStringLiteral("ミホン タロウ"),
                                  QStringLiteral("見本邸 屋根"), QStringLiteral("100-0001"),
                                  QStringLiteral("東京都千代田区千代田1-1"), QStringLiteral("03-1234-5678"),
                                  QStringLiteral("090-1111-2222"), QStringLiteral("mihon@example.jp"),
                                  QStringLiteral("2024/01/15"), QString()};
        Global::HistoryRecords[1].HistoryName = QStringLiteral("南面屋根 定期点検");
        Global::HistoryRecords[1].HistoryMemo = QStringLiteral("台風通過後の点検。\r\n系統3の接続箱を交換。");
        Global::ContractorRecords[1].ContractorNames = {QStringLiteral("株式会社 太陽工務店"),
                                                        QStringLiteral("見本電設"), QStringLiteral("屋根工房")};
        Global::ContractorRecords[1].ContractorPersons = {QStringLiteral("佐藤"), QStringLiteral("鈴木"),
                                                          QStringLiteral("高橋")};
    } else {
        Global::HistoryRecords[1].HistoryName = QStringLiteral("South roof yearly check");
        Global::HistoryRecords[1].HistoryMemo =
            QStringLiteral("Checked after the storm.\r\nJunction box of group 3 replaced.");
        Global::ContractorRecords[1].ContractorNames = {QStringLiteral("Sunrise Builders Ltd"),
                                                        QStringLiteral("Sample Electric"), QStringLiteral("Roof Works")};
        Global::ContractorRecords[1].ContractorPersons = {QStringLiteral("Sato"), QStringLiteral("Suzuki"),
                                                          QStringLiteral("Takahashi")};
    }
    Global::ContractorRecords[1].ContractorPhones = {QStringLiteral("03-555-0101"), QStringLiteral("03-555-0102"),
                                                     QStringLiteral("03-555-0103")};
    const QColor roofs[4] = {QColor(150, 60, 50), QColor(90, 90, 95), QColor(160, 110, 60), QColor(70, 100, 70)};
    const QSize sizes[4] = {QSize(640, 480), QSize(640, 480), QSize(480, 360), QSize(640, 320)};
    for (int k = 0; k < 4; ++k) {
        const QString path = env.w.env.root() + QStringLiteral("/photo%1.jpg").arg(k);
        ASSERT_TRUE(WriteSitePhoto(path, sizes[k].width(), sizes[k].height(), roofs[k]));
        Global::HistoryRecords[1].PicturePaths[std::size_t(k)] = path;
    }

    ArrayConfigurationType& a = Global::ArrayConfiguration;
    a.TotalPm = QStringLiteral("6880");
    a.ExtMemo = japanese ? QStringLiteral("売電メーター\r\n接続箱 2台") : QStringLiteral("Export meter\r\nTwo junction boxes");
    for (int g = 0; g < 2; ++g) {
        a.GroupMaker[std::size_t(g)] = QStringLiteral("Tolvane Solar");
        for (int r = 0; r < 2; ++r)
            a.StringRows[std::size_t(5 * g + r)] = {QStringLiteral("TS-215A"), QStringLiteral("8"), QStringLiteral("1"),
                                                    QStringLiteral("215"), QStringLiteral("36.1"), QStringLiteral("8.01")};
        a.GroupRatedPm[std::size_t(g)] = QStringLiteral("3440");
        a.GroupPmTempCoef[std::size_t(g)] = QStringLiteral("-0.45");
        a.GroupAlpha[std::size_t(g)] = QStringLiteral("0.0048");
        a.GroupBeta[std::size_t(g)] = QStringLiteral("-0.125");
        a.GroupRs[std::size_t(g)] = QStringLiteral("0.35");
        a.GroupK[std::size_t(g)] = QStringLiteral("0.0012");
        a.GroupPowCon[std::size_t(g)] = {QString::number(g + 1), QStringLiteral("Inverta"), QStringLiteral("PCS-40")};
    }
}

View Measurements()
{
    View v = MakeView(14, 12);
    const char* models[] = {"0", "2", "8", "A", "D"};
    for (int i = 1; i <= 14; ++i) {
        const double isc = 8.6 - 0.25 * (i % 5);
        const double voc = 290 + 3.0 * (i % 4);
        MeasRecord r = Measurement(i, isc * voc * 0.74, voc, isc, models[i % 5], i % 3 ? "8.3" : "8.5");
        r.F[MeasRecord::Number] = QStringLiteral("%1-%2-01").arg(i, 4, 10, QLatin1Char('0')).arg(1 + i / 7, 2, 10,
                                                                                             QLatin1Char('0'));
        v.records[std::size_t(i)] = r;
    }
    return v;
}

} // namespace

TEST(ReportScreens, EachTabInEnglishAndJapanese)
{
    for (const char* language : {"en", "ja"}) {
        SCOPED_TRACE(language);
        const bool japanese = QByteArray(language) == "ja";
        ReportWindowEnv env(japanese ? QStringLiteral("81") : QStringLiteral("1"));
        env.resultView(1);
        Fill(env, japanese);
        FrmReport* f = env.open(Measurements());
        ASSERT_NE(f, nullptr);
        EXPECT_TRUE(env.boxes().isEmpty()) << env.boxes().join(u'\n').toStdString();
        if (QScreen* s = f->screen(); s && QGuiApplication::platformName() == QLatin1String("xcb")) {
            EXPECT_LE(f->frameGeometry().width(), 1366);
            EXPECT_LE(f->frameGeometry().height(), 768);
        }
        f->VScroll1->setValue(1);

        const char* names[3] = {"construction", "measurements", "equipment"};
        for (int t = 0; t < 3; ++t) {
            f->SSTab1->setCurrentIndex(t);
            env.settle();
            const QString dir = qEnvironmentVariable("HX_SCREENS_DIR");
            if (dir.isEmpty())
                continue;
            EXPECT_TRUE(Shot(f).save(dir + QStringLiteral("/report-%1-%2.png").arg(QLatin1String(names[t]),
                                                                                QLatin1String(language))));
        }
    }
}

// A logo of 1500 by 300 pixels stays in the logo's box at the top right.
TEST(ReportScreens, AWideLogoInItsBox)
{
    ReportWindowEnv env;
    Fill(env, false);
    const QString logo = env.w.env.root() + QStringLiteral("/wide-logo.png");
    QImage picture(1500, 300, QImage::Format_RGB32);
    picture.fill(QColor(30, 90, 160));
    QPainter p(&picture);
    p.setPen(Qt::white);
    QFont font = p.font();
    font.setPixelSize(200);
    p.setFont(font);
    p.drawText(picture.rect(), Qt::AlignCenter, QStringLiteral("Wide Logo Ltd"));
    p.end();
    ASSERT_TRUE(picture.save(logo));
    ASSERT_EQ(ChooseLogoFile(logo).kind, LogoChoice::Chosen);
    FrmReport* f = env.open(Measurements());
    ASSERT_NE(f, nullptr);
    EXPECT_LE(f->Image1->width(), TwipsToPixelsX(2250, f) + 1);
    const QString dir = qEnvironmentVariable("HX_SCREENS_DIR");
    if (!dir.isEmpty()) {
        env.settle();
        EXPECT_TRUE(Shot(f).save(dir + QStringLiteral("/report-wide-logo-en.png")));
    }
    RemoveLogo();
}
