#include "report/PrintPages.h"

#include "common/AppGlobals.h"
#include "customers/CustomerGlobals.h"
#include "instrument/MeasRecordGlobals.h"
#include "measview/MeasViewGlobals.h"
#include "report/CurveColors.h"
#include "report/ReportContents.h"
#include "report/ReportEntry.h"
#include "report/ReportGlobals.h"
#include "report/ReportLogo.h"

namespace {

QString Ui(int key)
{
    return Global::UiText.value(key);
}

QString Arr(const char* name, int index)
{
    return QString::fromLatin1(name) + u'_' + QString::number(index);
}

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kHeadingBack = 0xE0E0E0;

const PageFont kText{QStringLiteral("MS Gothic"), 9};
const PageFont kSmall{QStringLiteral("MS Gothic"), 6.75};
// The print date and the page label.
constexpr int kWideLabel = 3000;

const PageFont kTitle{QStringLiteral("MS Gothic"), 18, true, true};

// The designed pages: the report and installed-equipment pages' window,
// and the part of the curves page's window that is printed.
const QRect kPortraitFrame(0, 0, 11295, 15780);
const QRect kCurvesFrame(2160, 480, 11340, 10080);

// Builds a page at an origin: a frame's contents count from its corner.
struct PageBuilder {
    PageModel& page;
    QPoint origin;

    PageItem& text(const QString& name, int l, int t, int w, int h, const QString& s = QString(),
                   Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter, const PageFont& font = kText)
    {
        PageItem it;
        it.kind = PageItem::Text;
        it.name = name;
        it.twips = QRect(origin.x() + l, origin.y() + t, w, h);
        it.text = s;
        it.align = align;
        it.font = font;
        return page.add(std::move(it));
    }
    PageItem& cell(const QString& name, int l, int t, int w, int h, const QString& s, std::uint32_t back)
    {
        PageItem& it = text(name, l, t, w, h, s, Qt::AlignCenter, kSmall);
        it.border = true;
        it.backColor = back;
        return it;
    }
    PageItem& box(const QString& name, int l, int t, int w, int h)
    {
        PageItem it;
        it.kind = PageItem::Box;
        it.name = name;
        it.twips = QRect(origin.x() + l, origin.y() + t, w, h);
        it.border = true;
        return page.add(std::move(it));
    }
    PageBuilder frame(const QString& name, int l, int t, int w, int h, const QString& title,
                      const PageFont& font = kText)
    {
        PageItem it;
        it.kind = PageItem::Frame;
        it.name = name;
        it.twips = QRect(origin.x() + l, origin.y() + t, w, h);
        it.text = title;
        it.font = font;
        page.add(std::move(it));
        return {page, origin + QPoint(l, t)};
    }
    void image(const QString& name, int l, int t, QSizeF size, const QImage& picture)
    {
        PageItem it;
        it.kind = PageItem::Image;
        it.name = name;
        it.twips = QRect(origin.x() + l, origin.y() + t, std::max(1, int(size.width() + 0.5)),
                         std::max(1, int(size.height() + 0.5)));
        it.image = picture;
        it.visible = !picture.isNull();
        page.add(std::move(it));
    }
};

// The title, the logo at the right edge and the print date.
void AddTop(PageBuilder& b, const PrintInputs& in, int pageWidth, int titleTop, int dateLeft, int dateTop,
            int dateKey)
{
    // The logo fills its box at most and stands 150 twips in from the
    // page's right edge.
    const QSizeF logo = LogoSizeTwips(in.logo);
    b.image(QStringLiteral("Image1_0"), int(pageWidth - logo.width() - 150), 30, logo, in.logo);
    b.text(QStringLiteral("LblReportTitle"), 0, titleTop, 11265, 360, Ui(504), Qt::AlignCenter, kTitle);
    // Right-aligned at its designed right edge, with room to the left for
    // a long caption.
    b.text(QStringLiteral("LblPrintDate"), dateLeft + 1620 - kWideLabel, dateTop, kWideLabel, 180,
           PrintDateText(dateKey, in.date, in.locale), Qt::AlignRight | Qt::AlignVCenter);
}

// The columns of the row table, in the order of Report::Column: control
// name, left and width on the report page, index of the heading in LblTitle.
struct RowColumn {
    const char* name;
    int left;
    int width;
    int title;
};
constexpr RowColumn kColumns[Report::ColumnCount] = {
    {"LblDate", 510, 705, 0},         {"LblTime", 1215, 705, 1},  {"LblCode", 1920, 840, 2},
    {"LblPoint", 2760, 1125, 3},      {"LblPm", 3885, 630, 4},    {"LblVoc", 4515, 630, 5},
    {"LblIsc", 5145, 630, 6},         {"LblFF", 5775, 510, 16},   {"LblCellT", 6285, 630, 7},
    {"LblOutT", 6915, 630, 8},        {"LblE", 7545, 630, 9},     {"LblDust", 8175, 330, 10},
    {"LblDeg", 8505, 645, 11},        {"LblCapa", 9150, 645, 13}, {"LblDataMeas", 9795, 600, 14},
    {"LblDataJudge", 10395, 825, 15},
};

// The print pages' column headings (LblTitle 0 to 16, no 12).
QString PrintHeading(int title)
{
    switch (title) {
    case 0:
    case 1:
    case 2:
        return Ui(405 + title);
    case 3:
    case 4:
    case 5:
    case 6:
        return Ui(360 + title);
    case 7:
    case 8:
    case 9:
        return Ui(361 + title);
    case 10:
    case 11:
        return Ui(363 + title);
    case 13:
    case 14:
    case 15:
        return Ui(364 + title);
    case 16:
        return Ui(507);
    default:
        return QString();
    }
}

// The row table, the model list and the plot, shared by the report page and
// the curves page: `dx` and `dy` move the table from its place on the report
// page.
void AddRowsAndPlot(PageBuilder& b, const PrintInputs& in, int dx, int dy, QRect plotRect, QRect modelsRect)
{
    const std::vector<ReportRow> rows =
        ReportRowsShown(in.view, in.measFileCount, in.ticks, 0, Report::PageRows, in.judgementOn);

    b.text(QStringLiteral("LblMeasMachine"), modelsRect.left(), modelsRect.top(), modelsRect.width(),
           modelsRect.height(), ModelListOf(rows, in.view));

    // The plot, with the name of the view inside it.
    PageItem plot;
    plot.kind = PageItem::Plot;
    plot.name = QStringLiteral("PicWave");
    plot.twips = plotRect;
    plot.font = kSmall;
    plot.border = true;
    plot.backColor = kWhite;
    b.page.add(plot);
    ReportPlotOptions options;
    options.pvView = in.pvView;
    options.frameReading = PointReading::Value;
    options.firstRow = 0;
    options.lastRow = Report::PageRows - 1;
    b.page.plot = ReportPlotModel(in.view, in.measFileCount, in.ticks, options,
                                  TwipsSurface(plot.font, QSizeF(plotRect.size())));
    b.text(QStringLiteral("LblMeasType"), plotRect.left() + 60, plotRect.top() + 60, 1980, 180,
           ReportViewName(in.resultView));

    // Headings.
    b.cell(QStringLiteral("LblJudgeView"), 9150 + dx, 11250 + dy, 2055, 195, Ui(127), kWhite);
    b.cell(QStringLiteral("LblLineTitle_1"), 120 + dx, 11460 + dy, 195, 195, QStringLiteral("PV"),
           kHeadingBack)
        .visible = in.pvView;
    b.cell(QStringLiteral("LblLineTitle_0"), 315 + dx, 11460 + dy, 195, 195, QStringLiteral("IV"),
           kHeadingBack);
    for (const RowColumn& c : kColumns)
        b.cell(Arr("LblTitle", c.title), c.left + dx, 11460 + dy, c.width, 195, PrintHeading(c.title),
               kHeadingBack);

    // Twenty rows; the swatches of a printed row take its curve colours.
    for (int r = 0; r < Report::PageRows; ++r) {
        const int top = 11655 + 195 * r + dy;
        const ReportRow* row = std::size_t(r) < rows.size() ? &rows[std::size_t(r)] : nullptr;
        PageItem& pv = b.box(Arr("PicPV", r), 120 + dx, top, 195, 195);
        pv.visible = in.pvView;
        pv.backColor = row ? CurveColorOf(CurveColor::PV, row->row) : kWhite;
        b.box(Arr("PicIV", r), 315 + dx, top, 195, 195).backColor =
            row ? CurveColorOf(CurveColor::IV, row->row) : kWhite;
        for (int k = 0; k < Report::ColumnCount; ++k) {
            const RowColumn& c = kColumns[k];
            b.cell(Arr(c.name, r), c.left + dx, top, c.width, 195,
                   row ? row->cells[std::size_t(k)] : QString(), kWhite);
        }
    }
    // Without the judgement display the judgement heading goes and its
    // column headings stay empty.
    if (!rows.empty() && !in.judgementOn) {
        b.page.item(QStringLiteral("LblJudgeView"))->visible = false;
        for (int t : {13, 14, 15})
            b.page.item(Arr("LblTitle", t))->text.clear();
    }
}

} // namespace

// ---------------------------------------------------------------------------

PrintInputs CurrentPrintInputs()
{
    PrintInputs in;
    in.view = Global::MeasViewRecords;
    in.measFileCount = Global::MeasFileCount;
    in.ticks = Global::DisplayTick;
    in.judgementOn = ReportJudgementOn();
    in.pvView = ReportPvView();
    in.resultView = ReportResultView();
    in.historyIndex = ReportHistoryIndex();
    in.pmTotal = Global::ReportPmTotal;
    in.vocMean = Global::ReportVocMean;
    in.iscTotal = Global::ReportIscTotal;
    in.logo = ReportLogoPicture();
    in.date = QDate::currentDate();
    in.locale = QLocale::system();
    return in;
}

QChar DateSeparator(const QLocale& locale)
{
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'') {
            quoted = !quoted;
            continue;
        }
        if (!quoted && !c.isLetter() && !c.isSpace())
            return c;
    }
    return u'/';
}

QString PrintDateText(int key, const QDate& date, const QLocale& locale)
{
    const QChar sep = DateSeparator(locale);
    return Ui(key) + u':' + QString::number(date.year()).rightJustified(4, u'0') + sep +
           QString::number(date.month()).rightJustified(2, u'0') + sep +
           QString::number(date.day()).rightJustified(2, u'0');
}

QString ReportPageLabel(bool detailed)
{
    return Ui(375) + (detailed ? QStringLiteral(":1/2") : QStringLiteral(":1/1"));
}

QString EquipmentPageLabel()
{
    return Ui(412) + QStringLiteral(":2/2");
}

PageModel PrintReportPage(const PrintInputs& in, const QString& pageLabel)
{
    PageModel page;
    page.jobName = QStringLiteral("Heliodex report ") + pageLabel;
    page.orientation = QPageLayout::Portrait;
    page.frame = kPortraitFrame;
    PageBuilder b{page, QPoint(0, 0)};
    AddTop(b, in, 11295, 540, 9510, 780, 340);

    const ReportHeader h = ReportHeaderOf(in.historyIndex);
    // The customer.
    PageBuilder data = b.frame(QStringLiteral("FraData"), 180, 1140, 5775, 2805, Ui(341));
    constexpr int tops[10] = {240, 495, 750, 1005, 1260, 1515, 1950, 1950, 2205, 2460};
    for (int i = 0; i < 10; ++i) {
        const bool second = i == 7;
        const int headLeft = second ? 3000 : 120;
        const int left = second ? 3930 : 1050;
        const int width = i == 6 ? 1920 : second ? 1755 : 4635;
        data.text(Arr("LblRepoMess", i), headLeft, tops[i], 900, 225, Ui(342 + i),
                  Qt::AlignLeft | Qt::AlignVCenter, kSmall);
        PageItem& v =
            data.text(Arr("LblData", i), left, tops[i], width, i == 5 ? 405 : 225, h.customer[std::size_t(i)],
                      i == 5 ? Qt::AlignLeft | Qt::AlignTop : Qt::AlignLeft | Qt::AlignVCenter);
        v.wrap = i == 5;
    }

    // The stamp boxes.
    for (int s = 0; s < 2; ++s) {
        const int left = s == 0 ? 6420 : 8610;
        b.text(Arr("LblStamp", s), left, 1020, 2145, 195, Ui(380 + s), Qt::AlignCenter);
        b.box(Arr("Label1", s), left, 1200, 2145, 855);
    }

    // The site photos, each fitted into its box (an unreadable one leaves
    // its box empty; the report window has said so).
    constexpr QPoint photoAt[4] = {{6000, 2100}, {8610, 2100}, {6000, 4020}, {8610, 4020}};
    const QSizeF photoBox(2560, 1920);
    for (int k = 0; k < 4; ++k) {
        b.box(Arr("ImgPicFrame", k), photoAt[k].x(), photoAt[k].y(), 2560, 1920);
        const ReportPhoto photo = LoadReportPhoto(h.photoPaths[std::size_t(k)], photoBox, 96, 96);
        b.image(Arr("ImgPic", k), photoAt[k].x(), photoAt[k].y(),
                photo.image.isNull() ? photoBox : photo.sizeTwips, photo.image);
    }

    // The construction history and the report's totals, as the report
    // window shows them.
    PageBuilder job = b.frame(QStringLiteral("FraJob"), 180, 3960, 5775, 2625, Ui(352));
    const ReportTotalTexts totals =
        ReportTotalLabels(in.pmTotal, in.vocMean, in.iscTotal, FirstMeasurementVersion(in.view));
    const struct {
        int index;
        int left;
        int top;
        int width;
        int height;
        QString text;
    } fields[6] = {{10, 1260, 240, 4425, 225, h.measDate},  {11, 1260, 510, 4425, 225, h.historyName},
                   {12, 1920, 840, 1575, 225, totals.pm},   {13, 1920, 1095, 1575, 225, totals.voc},
                   {14, 1920, 1350, 1575, 225, totals.isc}, {15, 1260, 1680, 4425, 855, h.memo}};
    for (const auto& f : fields) {
        const bool total = f.index >= 12 && f.index <= 14;
        job.text(Arr("LblRepoMess", f.index), 120, f.top, total ? 1770 : 1110, 225, Ui(343 + f.index),
                 Qt::AlignLeft | Qt::AlignVCenter, kSmall);
        PageItem& v = job.text(Arr("LblData", f.index), f.left, f.top, f.width, f.height, f.text,
                               f.index == 15 ? Qt::AlignLeft | Qt::AlignTop
                               : total       ? Qt::AlignRight | Qt::AlignVCenter
                                             : Qt::AlignLeft | Qt::AlignVCenter);
        v.wrap = f.index == 15;
    }

    // The memo box.
    b.box(QStringLiteral("MemoBox"), 6000, 6000, 5175, 555);
    b.text(QStringLiteral("LblMemo"), 6090, 6060, 2000, 180, Ui(382));

    AddRowsAndPlot(b, in, 0, 0, QRect(180, 6600, 10995, 4635), QRect(150, 840, 5835, 225));
    b.text(QStringLiteral("LblPage"), 10110 + 1080 - kWideLabel, 15570, kWideLabel, 180, pageLabel,
           Qt::AlignRight | Qt::AlignVCenter);
    return page;
}

PageModel PrintWavePage(const PrintInputs& in)
{
    PageModel page;
    page.jobName = QStringLiteral("Heliodex curves");
    page.orientation = QPageLayout::Landscape;
    page.frame = kCurvesFrame;
    PageBuilder b{page, QPoint(0, 0)};
    // The logo stands at the right edge of the designed window (13500
    // twips wide), above the plot.
    const QSizeF logo = LogoSizeTwips(in.logo);
    b.image(QStringLiteral("Image1_0"), int(13500 - logo.width() - 150), 510, logo, in.logo);
    b.text(QStringLiteral("LblReportTitle"), 2190, 1020, 11265, 360, Ui(504), Qt::AlignCenter, kTitle);
    b.text(QStringLiteral("LblPrintDate"), 11700 + 1620 - kWideLabel, 1260, kWideLabel, 180,
           PrintDateText(340, in.date, in.locale), Qt::AlignRight | Qt::AlignVCenter);
    AddRowsAndPlot(b, in, 2220, -5040, QRect(2370, 1560, 11055, 4635), QRect(2340, 1320, 5835, 225));
    return page;
}

PageModel PrintEquipmentPage(const PrintInputs& in, const QString& pageLabel)
{
    PageModel page;
    page.jobName = QStringLiteral("Heliodex report ") + pageLabel;
    page.orientation = QPageLayout::Portrait;
    page.frame = kPortraitFrame;
    PageBuilder b{page, QPoint(0, 0)};
    AddTop(b, in, 11295, 510, 9510, 690, 390);

    const ReportEquipment e = ReportEquipmentOf(Global::ArrayConfiguration);
    PageBuilder array = b.frame(QStringLiteral("FraArray"), 60, 900, 11145, 14655, Ui(391));
    array.text(Arr("LblRepoMess", 0), 210, 600, 2490, 180, Ui(392));
    array.text(QStringLiteral("LblCalcPmMax"), 2760, 570, 1755, 255, e.totalPm);
    PageBuilder ext = array.frame(QStringLiteral("FraRepoExt"), 6090, 150, 4935, 1215, Ui(393));
    PageItem& memo = ext.text(QStringLiteral("LblExtData"), 270, 210, 4575, 945, e.extMemo,
                              Qt::AlignLeft | Qt::AlignTop, kSmall);
    memo.wrap = true;

    constexpr int powTops[5] = {3630, 6255, 8910, 11550, 14190};
    for (int g = 0; g < Customer::GroupCount; ++g) {
        const ReportGroupTexts& gr = e.groups[std::size_t(g)];
        const int left = g < 5 ? 60 : 5580;
        const int r = g % 5;
        auto head = [&](int k) { return Arr("LblRepoMess", 10 * g + k); };
        auto small = [](PageBuilder& f, const QString& name, int l, int t, int w, int h, const QString& s,
                        Qt::Alignment a = Qt::AlignLeft | Qt::AlignVCenter) -> PageItem& {
            return f.text(name, l, t, w, h, s, a, kSmall);
        };

        PageBuilder mod =
            array.frame(Arr("FraGroup", g), left, 1410 + 2640 * r, 5475, 1575,
                        QStringLiteral("%1 ").arg(g + 1, 2, 10, QLatin1Char('0')) + Ui(394), kSmall);
        small(mod, head(1), 90, 150, 1575, 180, Ui(395));
        small(mod, Arr("LblModuleMaker", g), 1680, 120, 1575, 195, gr.maker);
        small(mod, Arr("LblStringPm", g), 3300, 150, 1440, 180, Ui(420));
        small(mod, Arr("LblStringTotalPm", g), 4740, 120, 645, 195, gr.ratedPm,
              Qt::AlignRight | Qt::AlignVCenter);
        PageItem& line = mod.box(Arr("LineGroup", g), 150, 360, 5190, 0);
        line.border = true;
        const struct {
            int head;
            int headLeft;
            int left;
            int width;
            const char* name;
        } cols[6] = {{2, 990, 990, 1365, "LblModuleCode"},  {3, 2415, 2400, 435, "LblModuleCnt"},
                     {4, 2895, 2880, 435, "LblModuleCntH"}, {5, 3360, 3360, 585, "LblModulePm"},
                     {6, 3990, 3990, 585, "LblModuleVoc"},  {7, 4620, 4620, 585, "LblModuleIsc"}};
        const int headKeys[6] = {396, 397, 300, 398, 399, 400};
        for (int c = 0; c < 6; ++c)
            small(mod, head(cols[c].head), cols[c].headLeft, 390, cols[c].width, 180, Ui(headKeys[c]),
                  Qt::AlignCenter);
        for (int s = 0; s < Customer::RowsPerGroup; ++s) {
            const ReportStringRowTexts& row = gr.rows[std::size_t(s)];
            const QString values[6] = {row.model, row.series, row.parallel, row.pm, row.voc, row.isc};
            const int k = 5 * g + s;
            for (int c = 0; c < 6; ++c)
                small(mod, Arr(cols[c].name, k), cols[c].left, 570 + 180 * s, cols[c].width, 195, values[c],
                      c == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter);
        }

        PageBuilder cor =
            array.frame(Arr("FraPmCorrect", g), left, 2910 + 2640 * r, 5475, 855, Ui(421), kSmall);
        small(cor, Arr("LblPmTempCorrectTitle", g), 810, 150, 2040, 180, Ui(422));
        small(cor, Arr("LblPmTemp", g), 2940, 150, 1185, 195, gr.pmTempCoef);
        const struct {
            const char* title;
            const char* value;
            int key;
            int left;
            int top;
            int valueTop;
            QString text;
        } coef[4] = {{"LblAlphaTitle", "LblAlpha", 683, 390, 360, 330, gr.alpha},
                     {"LblBetaTitle", "LblBeta", 684, 390, 510, 510, gr.beta},
                     {"LblRsTitle", "LblRs", 685, 2910, 360, 330, gr.rs},
                     {"LblKTitle", "LblK", 686, 2910, 510, 510, gr.k}};
        for (const auto& c : coef) {
            small(cor, Arr(c.title, g), c.left, c.top, 1230, 180, Ui(c.key));
            small(cor, Arr(c.value, g), c.left + 1290, c.valueTop, 1185, 195, c.text);
        }

        PageBuilder pow = array.frame(Arr("FraPowCon", g), left, powTops[r], 5475, 435, Ui(401), kSmall);
        small(pow, head(8), 60, 180, 270, 195, Ui(402));
        small(pow, Arr("LblPowConNo", g), 330, 180, 375, 195, gr.powConNo, Qt::AlignCenter);
        small(pow, head(9), 750, 180, 720, 195, Ui(403));
        small(pow, Arr("LblPowConMaker", g), 1470, 180, 1575, 195, gr.powConMaker);
        small(pow, head(10), 3090, 180, 720, 195, Ui(404));
        small(pow, Arr("LblPowConSerial", g), 3810, 180, 1575, 195, gr.powConModel);
    }

    b.text(QStringLiteral("LblPage"), 10080 + 1080 - kWideLabel, 15570, kWideLabel, 180, pageLabel,
           Qt::AlignRight | Qt::AlignVCenter);
    return page;
}
