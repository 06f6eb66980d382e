// The printed pages as page models, from hand-made records: page labels,
// print date, totals, rows, model list, the P-V and judgement columns, the
// twenty-row limit, photos, the ten groups of the equipment page; and a PDF
// job per page through the PDF folder.
#include "ReportTestSupport.h"

#include "common/AppGlobals.h"
#include "customers/CustomerGlobals.h"
#include "platform/AppError.h"
#include "platform/PrintJob.h"
#include "report/CurveColors.h"
#include "report/PrintPages.h"
#include "report/ReportContents.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QBuffer>
#include <QFile>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>
#include <set>

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

using namespace ReportTest;

namespace {

QString Ui(int key)
{
    return Global::UiText.value(key);
}

QString Arr(const char* name, int index)
{
    return QString::fromLatin1(name) + u'_' + QString::number(index);
}

class PrintPages : public ::testing::Test {
  protected:
    void SetUp() override
    {
        EnsureApp();
        TestEnv::loadUiText();
        Global::UserDataRecord = {QStringLiteral("C001"),    QStringLiteral("Sample Farm"),
                                  QStringLiteral("SAMPLE"),  QStringLiteral("Barn"),
                                  QStringLiteral("100-0001"), QStringLiteral("1-2 Hill Road"),
                                  QStringLiteral("03-111"),  QStringLiteral("090-222"),
                                  QStringLiteral("farm@example.jp"), QStringLiteral("2024/01/15"),
                                  QStringLiteral("memo")};
        for (auto& h : Global::HistoryRecords)
            h = {};
        Global::HistoryRecords[1].HistoryName = QStringLiteral("South roof");
        Global::HistoryRecords[1].MeasDate = QStringLiteral("2024/06/02");
        Global::HistoryRecords[1].HistoryMemo = QStringLiteral("After the storm");
        Global::ArrayConfiguration = {};
        for (int q = 0; q < CurveColor::Rows; ++q) {
            Global::CurveColors[0][std::size_t(q)] = DefaultCurveColor(q);
            Global::CurveColors[1][std::size_t(q)] = DefaultCurveColor(q);
        }
    }

    static PrintInputs Inputs(const View& v)
    {
        PrintInputs in;
        in.view = v.records;
        in.measFileCount = v.count;
        in.ticks = v.ticks;
        in.historyIndex = 1;
        in.pvView = true;
        in.date = QDate(2026, 3, 7);
        in.locale = QLocale(QLocale::English, QLocale::UnitedStates);
        QImage logo(150, 30, QImage::Format_RGB32);
        logo.fill(Qt::darkBlue);
        in.logo = logo;
        const ReportTotals t = ReportTotalsOf(v.records, v.count, v.ticks);
        in.pmTotal = t.pmTotal;
        in.vocMean = t.vocMean;
        in.iscTotal = t.iscTotal;
        return in;
    }

    // The curves that the page's plot draws.
    static std::set<int> DrawnCurves(const PageModel& page)
    {
        std::set<int> drawn;
        if (page.plot)
            for (const PlotItem& it : page.plot->items)
                if (it.kind == PlotItem::IvSegment)
                    drawn.insert(it.curve);
        return drawn;
    }
};

} // namespace

TEST_F(PrintPages, PageLabelsAndPrintDate)
{
    EXPECT_EQ(ReportPageLabel(false), Ui(375) + QStringLiteral(":1/1"));
    EXPECT_EQ(ReportPageLabel(true), Ui(375) + QStringLiteral(":1/2"));
    EXPECT_EQ(EquipmentPageLabel(), Ui(412) + QStringLiteral(":2/2"));

    struct Case {
        QLocale locale;
        const char* date;
    } cases[] = {
        {QLocale(QLocale::English, QLocale::UnitedStates), "2026/03/07"},
        {QLocale(QLocale::German, QLocale::Germany), "2026.03.07"},
        {QLocale(QLocale::Dutch, QLocale::Netherlands), "2026-03-07"},
        {QLocale(QLocale::Japanese, QLocale::Japan), "2026/03/07"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale.name().toStdString());
        EXPECT_EQ(PrintDateText(340, QDate(2026, 3, 7), c.locale), Ui(340) + u':' + QString::fromLatin1(c.date));
    }

    PrintInputs in = Inputs(MakeView(3, 3));
    in.locale = QLocale(QLocale::German, QLocale::Germany);
    EXPECT_EQ(PrintReportPage(in, ReportPageLabel(true)).text(QStringLiteral("LblPage")), ReportPageLabel(true));
    EXPECT_EQ(PrintReportPage(in, ReportPageLabel(true)).text(QStringLiteral("LblPrintDate")),
              Ui(340) + QStringLiteral(":2026.03.07"));
    EXPECT_EQ(PrintEquipmentPage(in, EquipmentPageLabel()).text(QStringLiteral("LblPrintDate")),
              Ui(390) + QStringLiteral(":2026.03.07"));
    EXPECT_EQ(PrintEquipmentPage(in, EquipmentPageLabel()).text(QStringLiteral("LblPage")), EquipmentPageLabel());
    EXPECT_EQ(PrintWavePage(in).text(QStringLiteral("LblPrintDate")), Ui(340) + QStringLiteral(":2026.03.07"));
    EXPECT_EQ(PrintWavePage(in).item(QStringLiteral("LblPage")), nullptr);
}

TEST_F(PrintPages, ReportPageHeaderAndTotals)
{
    const View v = MakeView(4, 3);
    const PageModel page = PrintReportPage(Inputs(v), ReportPageLabel(false));
    EXPECT_EQ(page.orientation, QPageLayout::Portrait);
    const char* customer[10] = {"C001",   "Sample Farm", "SAMPLE",  "Barn",           "100-0001",
                                "1-2 Hill Road", "03-111", "090-222", "farm@example.jp", "2024/01/15"};
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(page.text(Arr("LblData", i)), QString::fromLatin1(customer[i])) << i;
        EXPECT_EQ(page.text(Arr("LblRepoMess", i)), Ui(342 + i)) << i;
    }
    EXPECT_EQ(page.text(QStringLiteral("LblData_10")), QStringLiteral("2024/06/02"));
    EXPECT_EQ(page.text(QStringLiteral("LblData_11")), QStringLiteral("South roof"));
    EXPECT_EQ(page.text(QStringLiteral("LblData_15")), QStringLiteral("After the storm"));
    EXPECT_EQ(page.text(QStringLiteral("FraData")), Ui(341));
    EXPECT_EQ(page.text(QStringLiteral("FraJob")), Ui(352));
    EXPECT_EQ(page.text(QStringLiteral("LblReportTitle")), Ui(504));
    EXPECT_EQ(page.text(QStringLiteral("LblStamp_0")), Ui(380));
    EXPECT_EQ(page.text(QStringLiteral("LblMemo")), Ui(382));

    // The totals the report window shows, from the same code (version 8.3:
    // one and three decimals): 201 + 202 + 203 W, Voc 40.1..40.3 rounded
    // to 40, Isc 8.0 each.
    EXPECT_EQ(page.text(QStringLiteral("LblData_12")), QStringLiteral("606"));
    EXPECT_EQ(page.text(QStringLiteral("LblData_13")), QStringLiteral("40.0"));
    EXPECT_EQ(page.text(QStringLiteral("LblData_14")), QStringLiteral("24.000"));

    // Totals the window left empty print empty, never 0.
    PrintInputs none = Inputs(v);
    none.pmTotal.clear();
    none.vocMean.clear();
    none.iscTotal.clear();
    const PageModel empty = PrintReportPage(none, ReportPageLabel(false));
    for (int i = 12; i <= 14; ++i)
        EXPECT_EQ(empty.text(Arr("LblData", i)), QString()) << i;

    // No history chosen: customer fields only.
    PrintInputs noHistory = Inputs(v);
    noHistory.historyIndex = -1;
    const PageModel bare = PrintReportPage(noHistory, ReportPageLabel(false));
    EXPECT_EQ(bare.text(QStringLiteral("LblData_0")), QStringLiteral("C001"));
    EXPECT_EQ(bare.text(QStringLiteral("LblData_11")), QString());
}

TEST_F(PrintPages, RowsModelsAndColumnsOnBothPages)
{
    View v = MakeView(5, 3);
    v.records[2].F[MeasRecord::Model] = QStringLiteral("A");
    v.records[3].F[MeasRecord::Model] = QStringLiteral("2");
    v.ticks[5] = 1; // rows: 1, 2, 3, 5
    v.records[5].F[MeasRecord::Model] = QStringLiteral("Z");
    const PrintInputs in = Inputs(v);
    for (const PageModel& page : {PrintReportPage(in, ReportPageLabel(false)), PrintWavePage(in)}) {
        SCOPED_TRACE(page.jobName.toStdString());
        const int records[4] = {1, 2, 3, 5};
        for (int r = 0; r < 4; ++r) {
            const ReportRowTexts want = ReportRowTextsOf(v.records[std::size_t(records[r])], true);
            EXPECT_EQ(page.text(Arr("LblCode", r)), want[Report::Code]);
            EXPECT_EQ(page.text(Arr("LblPm", r)), want[Report::Pm]);
            EXPECT_EQ(page.text(Arr("LblDataJudge", r)), want[Report::DataJudge]);
            EXPECT_EQ(page.item(Arr("PicIV", r))->backColor, CurveColorOf(CurveColor::IV, r));
        }
        // The rows after the last stay empty, their swatches white.
        for (int r = 4; r < 20; ++r) {
            EXPECT_EQ(page.text(Arr("LblDate", r)), QString()) << r;
            EXPECT_EQ(page.item(Arr("PicIV", r))->backColor, 0xFFFFFFu) << r;
        }
        EXPECT_EQ(page.text(QStringLiteral("LblMeasMachine")),
                  ModelListHead() + QStringLiteral("QTM-310 QTM-520 KRX-210 --"));
        EXPECT_EQ(page.text(QStringLiteral("LblTitle_0")), Ui(405));
        EXPECT_EQ(page.text(QStringLiteral("LblTitle_3")), Ui(363));
        EXPECT_EQ(page.text(QStringLiteral("LblTitle_7")), Ui(368));
        EXPECT_EQ(page.text(QStringLiteral("LblTitle_10")), Ui(373));
        EXPECT_EQ(page.text(QStringLiteral("LblTitle_13")), Ui(377));
        EXPECT_EQ(page.text(QStringLiteral("LblTitle_16")), Ui(507));
        EXPECT_EQ(page.item(QStringLiteral("LblTitle_12")), nullptr);
        EXPECT_EQ(page.text(QStringLiteral("LblLineTitle_0")), QStringLiteral("IV"));
        EXPECT_TRUE(page.shown(QStringLiteral("LblLineTitle_1")));
        EXPECT_TRUE(page.shown(QStringLiteral("PicPV_0")));
        EXPECT_TRUE(page.shown(QStringLiteral("LblJudgeView")));
        EXPECT_EQ(page.text(QStringLiteral("LblMeasType")), Ui(505));
        EXPECT_EQ(DrawnCurves(page), (std::set<int>{0, 1, 2, 3}));
    }

    // P-V column off, judgement display off, Pm-corrected view.
    PrintInputs off = in;
    off.pvView = false;
    off.judgementOn = false;
    off.resultView = 1;
    for (const PageModel& page : {PrintReportPage(off, ReportPageLabel(false)), PrintWavePage(off)}) {
        SCOPED_TRACE(page.jobName.toStdString());
        EXPECT_FALSE(page.shown(QStringLiteral("LblLineTitle_1")));
        for (int r = 0; r < 20; ++r)
            EXPECT_FALSE(page.shown(Arr("PicPV", r))) << r;
        EXPECT_TRUE(page.shown(QStringLiteral("PicIV_0")));
        EXPECT_FALSE(page.shown(QStringLiteral("LblJudgeView")));
        for (int t : {13, 14, 15})
            EXPECT_EQ(page.text(Arr("LblTitle", t)), QString()) << t;
        EXPECT_EQ(page.text(QStringLiteral("LblCapa_0")), QString());
        EXPECT_EQ(page.text(QStringLiteral("LblMeasType")), Ui(506));
    }
}

TEST_F(PrintPages, TwentyFirstRowIsLeftOffWithoutError)
{
    // The total element and 20 measurements: 21 report rows.
    const View v = MakeView(22, 20, true);
    const PrintInputs in = Inputs(v);
    for (const PageModel& page : {PrintReportPage(in, ReportPageLabel(true)), PrintWavePage(in)}) {
        SCOPED_TRACE(page.jobName.toStdString());
        EXPECT_EQ(page.text(QStringLiteral("LblCode_0")), QStringLiteral("TOTAL"));
        EXPECT_EQ(page.text(QStringLiteral("LblCode_19")), QStringLiteral("0019-01-01"));
        EXPECT_EQ(page.item(QStringLiteral("LblCode_20")), nullptr);
        ASSERT_TRUE(page.plot.has_value());
        EXPECT_FALSE(page.plot->error.has_value());
        EXPECT_FALSE(page.plot->curveError.has_value());
        const std::set<int> drawn = DrawnCurves(page);
        EXPECT_EQ(drawn.size(), 20u);
        EXPECT_EQ(*drawn.rbegin(), 19);
    }
}

TEST_F(PrintPages, UnreadablePhotoLeavesItsBoxEmpty)
{
    QTemporaryDir dir;
    const QString good = dir.filePath(QStringLiteral("good.png"));
    const QString bad = dir.filePath(QStringLiteral("bad.jpg"));
    ASSERT_TRUE(WritePicture(good, 640, 240));
    QFile f(bad);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a picture");
    f.close();
    Global::HistoryRecords[1].PicturePaths = {bad, good, QString(), dir.filePath(QStringLiteral("gone.jpg")),
                                              QString()};
    const PageModel page = PrintReportPage(Inputs(MakeView(2, 2)), ReportPageLabel(false));
    EXPECT_FALSE(page.shown(QStringLiteral("ImgPic_0")));
    EXPECT_TRUE(page.shown(QStringLiteral("ImgPicFrame_0")));
    // 640 by 240 pixels are 9600 by 3600 twips: fitted to the box's width.
    ASSERT_TRUE(page.shown(QStringLiteral("ImgPic_1")));
    EXPECT_EQ(page.item(QStringLiteral("ImgPic_1"))->twips.size(), QSize(2560, 960));
    EXPECT_FALSE(page.shown(QStringLiteral("ImgPic_2")));
    EXPECT_FALSE(page.shown(QStringLiteral("ImgPic_3")));
    // The rest of the page is filled.
    EXPECT_EQ(page.text(QStringLiteral("LblCode_1")), QStringLiteral("0002-01-01"));
    EXPECT_EQ(DrawnCurves(page).size(), 2u);
}

TEST_F(PrintPages, EquipmentPageHasTenGroups)
{
    ArrayConfigurationType& a = Global::ArrayConfiguration;
    a.TotalPm = QStringLiteral("5400");
    a.ExtMemo = QStringLiteral("Monitor\r\nBreaker");
    a.GroupMaker[0] = QStringLiteral("SunMaker");
    a.StringRows[0] = {QStringLiteral("SM-215"), QStringLiteral("8"), QStringLiteral("2"),
                       QStringLiteral("215.00"), QStringLiteral("36.9"), QStringLiteral("7.95")};
    a.StringRows[49] = {QStringLiteral("LAST"), QStringLiteral("1"), QStringLiteral("1"),
                        QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")};
    a.GroupPowCon[9] = {QStringLiteral("10"), QStringLiteral("PcMaker"), QStringLiteral("PC-55")};
    a.GroupRatedPm = {QStringLiteral("3440"), QStringLiteral("0"), QStringLiteral("abc"), QStringLiteral("1234.5")};
    a.GroupPmTempCoef[0] = QStringLiteral("-0.45");
    a.GroupK[9] = QStringLiteral("0.0012");
    const PageModel page = PrintEquipmentPage(Inputs(MakeView(1, 1)), EquipmentPageLabel());
    EXPECT_EQ(page.orientation, QPageLayout::Portrait);
    EXPECT_EQ(page.text(QStringLiteral("FraArray")), Ui(391));
    EXPECT_EQ(page.text(QStringLiteral("LblRepoMess_0")), Ui(392));
    EXPECT_EQ(page.text(QStringLiteral("LblCalcPmMax")), QStringLiteral("5400"));
    EXPECT_EQ(page.text(QStringLiteral("LblExtData")), QStringLiteral("Monitor\r\nBreaker"));
    for (int g = 0; g < 10; ++g) {
        SCOPED_TRACE(g);
        EXPECT_EQ(page.text(Arr("FraGroup", g)), QStringLiteral("%1 ").arg(g + 1, 2, 10, QLatin1Char('0')) + Ui(394));
        EXPECT_EQ(page.text(Arr("FraPowCon", g)), Ui(401));
        EXPECT_EQ(page.text(Arr("FraPmCorrect", g)), Ui(421));
        const int heads[10] = {395, 396, 397, 300, 398, 399, 400, 402, 403, 404};
        for (int k = 0; k < 10; ++k)
            EXPECT_EQ(page.text(Arr("LblRepoMess", 10 * g + 1 + k)), Ui(heads[k])) << k;
        EXPECT_EQ(page.text(Arr("LblStringPm", g)), Ui(420));
        EXPECT_EQ(page.text(Arr("LblPmTempCorrectTitle", g)), Ui(422));
        EXPECT_EQ(page.text(Arr("LblKTitle", g)), Ui(686));
        for (int k = 5 * g; k < 5 * g + 5; ++k)
            EXPECT_NE(page.item(Arr("LblModuleIsc", k)), nullptr) << k;
    }
    EXPECT_EQ(page.text(QStringLiteral("LblModuleMaker_0")), QStringLiteral("SunMaker"));
    EXPECT_EQ(page.text(QStringLiteral("LblModuleCode_0")), QStringLiteral("SM-215"));
    EXPECT_EQ(page.text(QStringLiteral("LblModuleCntH_0")), QStringLiteral("2"));
    EXPECT_EQ(page.text(QStringLiteral("LblModulePm_0")), QStringLiteral("215.00"));
    EXPECT_EQ(page.text(QStringLiteral("LblModuleCode_49")), QStringLiteral("LAST"));
    EXPECT_EQ(page.text(QStringLiteral("LblModuleCode_1")), QString());
    EXPECT_EQ(page.text(QStringLiteral("LblPowConNo_9")), QStringLiteral("10"));
    EXPECT_EQ(page.text(QStringLiteral("LblPowConSerial_9")), QStringLiteral("PC-55"));
    EXPECT_EQ(page.text(QStringLiteral("LblStringTotalPm_0")), QStringLiteral("3440"));
    EXPECT_EQ(page.text(QStringLiteral("LblStringTotalPm_1")), QString());
    EXPECT_EQ(page.text(QStringLiteral("LblStringTotalPm_2")), QString());
    EXPECT_EQ(page.text(QStringLiteral("LblStringTotalPm_3")), QStringLiteral("1234.5"));
    EXPECT_EQ(page.text(QStringLiteral("LblPmTemp_0")), QStringLiteral("-0.45"));
    EXPECT_EQ(page.text(QStringLiteral("LblK_9")), QStringLiteral("0.0012"));
}

TEST_F(PrintPages, EachJobIsOnePdfFileInThePdfFolder)
{
    QTemporaryDir dir;
    qputenv(PrintJob::PdfDirVariable, dir.path().toLocal8Bit());
    const PrintInputs in = Inputs(MakeView(3, 3));
    PrintPage(PrintReportPage(in, ReportPageLabel(true)));
    PrintPage(PrintEquipmentPage(in, EquipmentPageLabel()));
    PrintPage(PrintWavePage(in));
    const QStringList files = QDir(dir.path()).entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name);
    ASSERT_EQ(files.size(), 3);
    for (const QString& name : files) {
        QFile f(QDir(dir.path()).filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray pdf = f.readAll();
        EXPECT_TRUE(pdf.startsWith("%PDF")) << name.toStdString();
        EXPECT_EQ(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page "), 1)
            << name.toStdString();
    }

    // A folder that is not there: the classic error, no file anywhere.
    qputenv(PrintJob::PdfDirVariable, dir.filePath(QStringLiteral("missing")).toLocal8Bit());
    try {
        PrintPage(PrintWavePage(in));
        ADD_FAILURE() << "printed into a missing folder";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number, 76);
    }
    qunsetenv(PrintJob::PdfDirVariable);
}

// Every text of the three pages fits its box in the font measured where it
// is printed (a PDF at 1200 dots per inch), in English and in Japanese,
// with names longer than their boxes: a box grows only into room nothing
// else is printed on, never off the page; what room cannot give, the font
// gives. A logo far wider than its box is scaled into the box.
TEST_F(PrintPages, EveryTextIsWholeInItsBoxInBothLanguages)
{
    ArrayConfigurationType& a = Global::ArrayConfiguration;
    for (int g : {0, 7}) {
        const auto at = std::size_t(g);
        a.GroupMaker[at] = QStringLiteral("Tolvane Solar Power Systems");
        a.StringRows[5 * at] = {QStringLiteral("TS-215-BLACK-HALF-CUT"), QStringLiteral("12"), QStringLiteral("2"),
                                QStringLiteral("215.00"), QStringLiteral("36.90"), QStringLiteral("7.950")};
        a.GroupPowCon[at] = {QStringLiteral("10"), QStringLiteral("Sanrise Power Electronics"),
                             QStringLiteral("SR-5500-HV-OUTDOOR")};
        a.GroupRatedPm[at] = QStringLiteral("12345.67");
        a.GroupAlpha[at] = QStringLiteral("0.0012");
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter device(&buffer);
    device.setResolution(1200);
    const double sx = 1200.0 / 1440;

    for (const char* language : {"English", "Japanese"}) {
        SCOPED_TRACE(language);
        TestEnv::loadUiText(QString::fromLatin1(language));
        PrintInputs in = Inputs(MakeView(4, 3));
        QImage wide(1500, 300, QImage::Format_RGB32);
        wide.fill(Qt::darkGreen);
        in.logo = wide;
        const PageModel pages[3] = {PrintReportPage(in, ReportPageLabel(true)),
                                    PrintEquipmentPage(in, EquipmentPageLabel()), PrintWavePage(in)};
        int fitted = 0;
        for (const PageModel& page : pages) {
            SCOPED_TRACE(page.jobName.toStdString());
            ASSERT_TRUE(page.frame.isValid());
            const PageItem* logo = page.item(QStringLiteral("Image1_0"));
            ASSERT_NE(logo, nullptr);
            EXPECT_LE(logo->twips.width(), 2250);
            EXPECT_LE(logo->twips.height(), 450);
            EXPECT_TRUE(page.frame.contains(logo->twips));

            // What each item prints on its line: a text its text's span in
            // its fitted box and font, anything else its box.
            std::vector<QRect> printed;
            for (const PageItem& it : page.items) {
                const bool text = it.kind == PageItem::Text && !it.wrap && !it.border && !it.backColor;
                if (!it.visible || (it.kind == PageItem::Text && it.text.isEmpty()) || !text) {
                    printed.push_back(it.twips);
                    continue;
                }
                const FittedText fit = FitPageText(page, it, &device, sx);
                const QFontMetricsF fm(fit.font, &device);
                double width = 0;
                for (const QString& line :
                     QString(it.text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).split(u'\n'))
                    width = std::max(width, fm.horizontalAdvance(line) / sx);
                const int w = int(std::ceil(width));
                const QRect& r = fit.twips;
                const int left = (it.align & Qt::AlignLeft)    ? r.left() + 30
                                 : (it.align & Qt::AlignRight) ? r.left() + r.width() - 30 - w
                                                               : r.left() + (r.width() - w) / 2;
                printed.push_back(QRect(left, r.top(), w, r.height()));
            }
            for (std::size_t k = 0; k < page.items.size(); ++k) {
                const PageItem& it = page.items[k];
                if (!it.visible || it.text.isEmpty() || it.wrap ||
                    (it.kind != PageItem::Text && it.kind != PageItem::Frame))
                    continue;
                SCOPED_TRACE(it.name.toStdString() + " " + it.text.toStdString());
                const FittedText fit = FitPageText(page, it, &device, sx);
                fitted += fit.twips != it.twips || fit.font.pointSizeF() < it.font.points;
                const QFontMetricsF fm(fit.font, &device);
                double width = 0;
                for (const QString& line :
                     QString(it.text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).split(u'\n'))
                    width = std::max(width, fm.horizontalAdvance(line) / sx);
                const int margins = it.kind == PageItem::Frame ? 240 : 60;
                EXPECT_LE(width + margins, fit.twips.width() + 1);
                EXPECT_GE(fit.font.pointSizeF(), 3.0);
                if (fit.twips == it.twips)
                    continue;
                EXPECT_FALSE(it.border);
                EXPECT_TRUE(page.frame.contains(fit.twips));
                // Nothing printed on its line runs into its text, unless
                // the two were designed one over the other.
                for (std::size_t o = 0; o < page.items.size(); ++o) {
                    const PageItem& other = page.items[o];
                    const bool drawn = other.visible && (other.kind != PageItem::Text || !other.text.isEmpty());
                    if (o == k || !drawn || other.twips.intersects(it.twips) || other.twips.contains(it.twips))
                        continue;
                    EXPECT_FALSE(printed[o].intersects(printed[k])) << other.name.toStdString();
                }
            }
        }
        // The narrow captions of the Parts are among those fitted.
        EXPECT_GT(fitted, 5);
    }
    TestEnv::loadUiText();
}
