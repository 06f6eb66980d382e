// The measurement-data tab as a user sees it with a customer, a history and
// its ticked measurements drawn (P-V curves on) in each result view: the
// graph's pixels are checked; with HX_SCREENS_DIR set the window is saved
// there as meastab-<measured|pm|stc>-en.png and meastab-stc-ja.png (run under Xvfb:
// xvfb-run -a -s "-screen 0 1366x768x24" with QT_QPA_PLATFORM=xcb).
#include "MeasTabWindow.h"

#include "instrument/MeasFile.h"
#include "platform/AnsiCodec.h"
#include "platform/NumText.h"

#include <QCheckBox>
#include <QImage>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace {

// A string of modules measured at `irradiance` W/m2: a single-diode curve
// from short circuit to just past open circuit, its figures from its points.
MeasRecord StringCurve(const char* number, const char* time, double isc, double voc, int irradiance)
{
    MeasRecord r;
    auto& F = r.F;
    F[0] = QString::fromLatin1(number);
    F[1] = QStringLiteral("24/06/03");
    F[2] = QString::fromLatin1(time);
    F[3] = QStringLiteral("南面");
    F[8] = QStringLiteral("48.5");
    F[10] = QStringLiteral("26.0");
    F[12] = QString::number(irradiance);
    F[20] = QStringLiteral("16.3");
    F[25] = QStringLiteral("1");
    F[26] = QStringLiteral("30");
    F[31] = QStringLiteral("0");
    F[32] = QStringLiteral("95");
    F[33] = QStringLiteral("98");
    F[34] = QStringLiteral("102");
    F[37] = QStringLiteral("1");
    F[40] = QStringLiteral("3");
    F[42] = QStringLiteral("8.3");
    const double a = voc * 0.06;
    double pm = 0;
    for (int k = 0; k < MeasRecord::CurvePoints; ++k) {
        const double v = voc * 1.01 * k / (MeasRecord::CurvePoints - 1);
        const double i = std::max(0.0, isc * (1 - std::exp((v - voc) / a)) / (1 - std::exp(-voc / a)));
        r.IvPoints[std::size_t(k)][MeasRecord::Volt] = NumText::Format(v, QStringLiteral("0.0"));
        r.IvPoints[std::size_t(k)][MeasRecord::Amp] = NumText::Format(i, QStringLiteral("0.000"));
        pm = std::max(pm, v * i);
    }
    F[15] = NumText::Format(pm, QStringLiteral("0.00"));
    F[16] = NumText::Format(voc, QStringLiteral("0.0"));
    F[17] = NumText::Format(isc, QStringLiteral("0.000"));
    F[43] = NumText::Format(pm / (voc * isc), QStringLiteral("0.00"));
    F[13] = NumText::Format(pm / (irradiance * 16.3) * 100, QStringLiteral("0.00"));
    return r;
}

// The history "南面" of customer 0: four strings of groups 01 to 03.
void WriteSouthHistory()
{
    const QString folder = MeasTab::CustomerFolder(0) + QStringLiteral("/3_南面");
    QDir().mkpath(folder);
    ASSERT_TRUE(WriteFileAtomic(folder + QStringLiteral("/MeasData.csv"),
                                AnsiCodec::joinLines({"南面", "2024/06/03", "", "", "", "", "", "", ""})));
    MeasRecord strings[] = {StringCurve("0011-01-01", "10:00:00", 8.05, 402.0, 860),
                            StringCurve("0012-01-02", "10:05:00", 7.62, 398.5, 840),
                            StringCurve("0013-02-01", "10:10:00", 6.90, 388.0, 810),
                            StringCurve("0014-03-01", "10:15:00", 5.40, 371.0, 780)};
    MeasFileWriteOptions options;
    options.variant = MeasFileVariant::History;
    for (MeasRecord& r : strings)
        WriteMeasFile(folder, r, options);
}

} // namespace

TEST(MeasTabScreens, CurvesInEachView)
{
    struct Language {
        const char *code, *suffix;
    } languages[] = {{"1", "en"}, {"81", "ja"}};
    const char* views[3] = {"measured", "pm", "stc"};
    for (const Language& lang : languages) {
        SCOPED_TRACE(lang.suffix);
        MeasTabWindow t{QString::fromLatin1(lang.code)};
        t.form->move(0, 0);
        WriteSouthHistory();
        t.open(0, QStringLiteral("南面"));
        ASSERT_EQ(Global::MeasFileCount, 4);
        // Every string ticked, the P-V curves on.
        for (int row = 2; row <= 5; ++row)
            t.grid()->setTick(row, true);
        t.control<QCheckBox>(QStringLiteral("ChkPV_VIEW"))->setChecked(true);
        t.form->SSTab1->setCurrentIndex(0);
        for (int tab : {2, 1, 0}) {
            t.form->SSTab3->setCurrentIndex(tab);
            WaitForPaint();
            ASSERT_TRUE(t.boxes().isEmpty()) << t.boxes().join(u'\n').toStdString();
            auto* pic = t.control<QLabel>(QStringLiteral("Pic_2"));
            ASSERT_FALSE(pic->pixmap().isNull());
            const QImage graph = pic->pixmap().toImage();
            EXPECT_GT(CountPixels(graph, qRgb(0, 0, 255)), 200) << tab;   // I-V curves
            EXPECT_GT(CountPixels(graph, qRgb(255, 0, 0)), 200) << tab;   // P-V curves
            // Every view in English, the STC view in Japanese.
            if (QLatin1String(lang.suffix) == QLatin1String("en") || tab == 2)
                SaveScreen(*t.form, QStringLiteral("meastab-%1-%2.png")
                                  .arg(QLatin1String(views[tab]), QLatin1String(lang.suffix)));
        }
    }
}
