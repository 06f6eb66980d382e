// The plot engine as numbers: decades, axis ends, margins, the frame's lines
// and labels, the curves' segments and where they are cut, the empty and
// not-drawable plots, and the report's rows and colours.
#include "PlotTestCurves.h"
#include "common/AppGlobals.h"
#include "platform/NumText.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QRectF>
#include <QStringList>

#include <algorithm>
#include <set>

namespace {

std::vector<PlotItem> ItemsOf(const PlotModel& m, PlotItem::Kind kind)
{
    std::vector<PlotItem> out;
    for (const PlotItem& it : m.items)
        if (it.kind == kind)
            out.push_back(it);
    return out;
}

QStringList TextsOf(const PlotModel& m, PlotItem::Kind kind)
{
    QStringList out;
    for (const PlotItem& it : ItemsOf(m, kind))
        out << it.text;
    return out;
}

PlotModel Build(const std::vector<MeasRecord>& records, const PlotParams& p, bool clamp = false,
                PlotSurface surface = FixedSurface(1000, 1000))
{
    std::vector<PlotCurve> curves;
    for (const MeasRecord& r : records) {
        PlotCurve c;
        c.record = &r;
        c.clampCurrent = clamp;
        curves.push_back(c);
    }
    return BuildPlot(curves, p, surface);
}

QStringList Steps(double first, double step, int count, int decimals)
{
    QStringList out;
    for (int i = 0; i < count; ++i)
        out << QString::number(first + step * i, 'f', decimals);
    return out;
}

} // namespace

TEST(PlotDecade, FirstPowerOfTenThatReachesAHundred)
{
    struct Case {
        double max;
        int k;
        const char* format;
    } cases[] = {
        {650, 0, "0"},      {99.5, 0, "0"},  {99.4, 1, "0.0"},  {8.5, 2, "0.00"}, // 8.5 rounds to 8 at k = 0
        {45.3, 1, "0.0"},   {0.5, 3, "0.000"}, {-45.3, 1, "0.0"}, {1e-9, 11, "0.00000000000"},
        {0, 11, "0.00000000000"},
    };
    for (const Case& c : cases) {
        const PlotDecade d = DecadeFor(c.max);
        EXPECT_EQ(d.k, c.k) << c.max;
        EXPECT_EQ(d.factor, std::pow(10.0, c.k)) << c.max;
        EXPECT_EQ(d.format, QString::fromLatin1(c.format)) << c.max;
    }
    // Beyond a 32-bit whole number the rule overflows.
    EXPECT_THROW(DecadeFor(3e9), AppError);
}

// Axis ends, ranges, margins and the scale for whole curve sets, in the
// measurement tabs' variant (margins above and below 1 / 5.6 of the current
// length) and the report's (1 / 3.5).
TEST(PlotScaleTable, AxesMarginsAndScale)
{
    struct Case {
        const char* name;
        MeasRecord record;
        bool report;
        double axisI, axisV, axisP;
        int xMargin, yMargin, width, height;
    } cases[] = {
        // Largest voltage 45.3, current 8.53, power 300.2 (40 V x 7.505 A).
        {"report", PointsRecord({{"0", "8.53"}, {"40", "7.505"}, {"45.3", "0"}}), true, 900, 500, 400, 71, 257,
         642, 1414},
        {"tab", PointsRecord({{"0", "8.5"}, {"600", "1"}, {"650", "0"}}), false, 900, 700, 600, 100, 161, 900,
         1222},
        {"99.5 W", PointsRecord({{"0", "1"}, {"99.5", "1"}}), false, 100, 100, 100, 14, 18, 128, 136},
        {"99.4 W", PointsRecord({{"0", "1"}, {"99.4", "1"}}), true, 100, 1000, 1000, 143, 29, 1286, 158},
        {"2345 W", PointsRecord({{"0", "5"}, {"469", "5"}, {"480", "0"}}), true, 500, 500, 2400, 71, 143, 642,
         786},
    };
    for (const Case& c : cases) {
        const PlotModel m = Build({c.record}, c.report ? ReportParams() : TabParams());
        ASSERT_TRUE(m.framed) << c.name;
        EXPECT_FALSE(m.error) << c.name;
        EXPECT_EQ(m.scale.AxisIMax, c.axisI) << c.name;
        EXPECT_EQ(m.scale.AxisVMax, c.axisV) << c.name;
        EXPECT_EQ(m.scale.AxisPMax, c.axisP) << c.name;
        EXPECT_EQ(m.scale.AxisIMin + m.scale.AxisVMin + m.scale.AxisPMin, 0) << c.name;
        EXPECT_EQ(m.layout.PlotIRangeL, int(c.axisI)) << c.name;
        EXPECT_EQ(m.layout.PlotVRangeL, int(c.axisV)) << c.name;
        EXPECT_EQ(m.layout.PlotPRange, c.axisP) << c.name;
        EXPECT_EQ(m.layout.PlotXMargin, c.xMargin) << c.name;
        EXPECT_EQ(m.layout.PlotYMargin, c.yMargin) << c.name;
        EXPECT_EQ(m.scaleWidth, c.width) << c.name;
        EXPECT_EQ(m.scaleHeight, c.height) << c.name;
        EXPECT_EQ(m.scale.MarginDivisor, 7) << c.name;
        EXPECT_EQ(m.layout.LabelGapX, 1) << c.name;
        EXPECT_EQ(m.layout.LabelGapY, 2) << c.name;
    }
}

// The largest power is taken as a record holds it, to 15 digits: 0.1 V x
// 3 A is 0.3 W, whose axis ends at 300 milliwatts, not at 400.
TEST(PlotScaleTable, PowerCountsAsItsStoredText)
{
    const PlotModel m = Build({PointsRecord({{"0.1", "3"}, {"0.2", "0"}})}, ReportParams());
    EXPECT_EQ(m.scale.PlotPMax, 0.3);
    EXPECT_EQ(m.scale.DecadeP, 1000);
    EXPECT_EQ(m.scale.AxisPMax, 300);
}

TEST(PlotFrame, ReportExampleLinesAndLabels)
{
    const MeasRecord r = PointsRecord({{"0", "8.53"}, {"40", "7.505"}, {"45.3", "0"}});
    // A surface as large as the scale: picture units are surface units.
    PlotParams p = ReportParams();
    p.title = QStringLiteral("I-V");
    const PlotModel m = Build({r}, p, false, FixedSurface(642, 1414));
    EXPECT_EQ(m.scale.PlotVMax, 45.3);
    EXPECT_EQ(m.scale.PlotIMax, 8.53);
    EXPECT_EQ(m.scale.PlotPMax, 300.2);
    EXPECT_EQ(m.scale.DecadeV, 10);
    EXPECT_EQ(m.scale.DecadeI, 100);
    EXPECT_EQ(m.scale.DecadeP, 1);
    EXPECT_EQ(m.scale.LabelFmtV, QStringLiteral("0.0"));
    EXPECT_EQ(m.scale.LabelFmtI, QStringLiteral("0.00"));
    EXPECT_EQ(m.scale.LabelFmtP, QStringLiteral("0"));

    const auto grid = ItemsOf(m, PlotItem::GridLine);
    ASSERT_EQ(grid.size(), 22u);
    for (int i = 0; i <= 10; ++i) {
        EXPECT_EQ(grid[std::size_t(i)].from, QPointF(71, 1157 - 90 * i)) << i;
        EXPECT_EQ(grid[std::size_t(i)].to, QPointF(571, 1157 - 90 * i)) << i;
        EXPECT_EQ(grid[std::size_t(11 + i)].from, QPointF(71 + 50 * i, 1157)) << i;
        EXPECT_EQ(grid[std::size_t(11 + i)].to, QPointF(71 + 50 * i, 257)) << i;
        EXPECT_EQ(grid[std::size_t(i)].color, 0xE0E0E0u);
    }
    EXPECT_EQ(TextsOf(m, PlotItem::LabelI), Steps(0, 0.9, 11, 2));
    EXPECT_EQ(TextsOf(m, PlotItem::LabelP), Steps(0, 40, 11, 0));
    EXPECT_EQ(TextsOf(m, PlotItem::LabelV), Steps(0, 5, 11, 1));

    // Current labels right-aligned 1 % of the width left of the axis,
    // centred on their line; voltage labels centred 2 % of the height below.
    const auto labelI = ItemsOf(m, PlotItem::LabelI);
    EXPECT_FLOAT_EQ(labelI[0].from.x(), float(71 - 28 - 6.42));
    EXPECT_FLOAT_EQ(labelI[0].from.y(), 1157 - 6);
    const auto labelP = ItemsOf(m, PlotItem::LabelP);
    EXPECT_FLOAT_EQ(labelP[10].from.x(), float(571 + 6.42));
    const auto labelV = ItemsOf(m, PlotItem::LabelV);
    EXPECT_FLOAT_EQ(labelV[2].from.x(), float(171 - 14));
    EXPECT_FLOAT_EQ(labelV[2].from.y(), float(1157 + 28.28));

    const auto axes = ItemsOf(m, PlotItem::Axis);
    ASSERT_EQ(axes.size(), 3u);
    EXPECT_EQ(axes[0].from, QPointF(71, 1157));
    EXPECT_EQ(axes[0].to, QPointF(571, 1157));
    EXPECT_EQ(axes[1].to, QPointF(71, 257));
    EXPECT_EQ(axes[2].from, QPointF(571, 1157));
    EXPECT_EQ(axes[2].to, QPointF(571, 257));
    EXPECT_EQ(axes[0].color, 0u);

    const auto units = ItemsOf(m, PlotItem::Unit);
    ASSERT_EQ(units.size(), 3u);
    EXPECT_EQ(units[0].text, QStringLiteral("(A)"));
    EXPECT_FLOAT_EQ(units[0].from.x(), float((71 - 28 - 1) / 2.0 - 10.5));
    EXPECT_FLOAT_EQ(units[0].from.y(), 707 - 6);
    EXPECT_EQ(units[1].text, QStringLiteral("(W)"));
    EXPECT_FLOAT_EQ(units[1].from.x(), float(642 - (71 - 7 - 1) / 3.0 - 10.5));
    EXPECT_EQ(units[2].text, QStringLiteral("(V)"));
    EXPECT_FLOAT_EQ(units[2].from.x(), float(321 - 10.5));
    EXPECT_FLOAT_EQ(units[2].from.y(), float(1414 - (257 - 12 - 2) / 2.0 - 6));
    const auto title = ItemsOf(m, PlotItem::Title);
    ASSERT_EQ(title.size(), 1u);
    EXPECT_EQ(title[0].text, QStringLiteral("I-V"));
    EXPECT_EQ(title[0].from, QPointF(321 - 10.5, 12));
}

TEST(PlotFrame, StepTenAgainstStepHundredInSixDivisions)
{
    const MeasRecord r = PointsRecord({{"0", "5"}, {"47", "0"}});
    PlotParams p = TabParams();
    p.gridDivV = 6;
    p.axisStep = 10;
    p.curves = false;
    const PlotModel frame = Build({r}, p);
    EXPECT_EQ(frame.scale.AxisVMax, 470);
    EXPECT_EQ(TextsOf(frame, PlotItem::LabelV),
              (QStringList{"0.0", "7.8", "15.7", "23.5", "31.3", "39.2", "47.0"}));
    p.axisStep = 100;
    const PlotModel hundred = Build({r}, p);
    EXPECT_EQ(hundred.scale.AxisVMax, 500);
    EXPECT_EQ(TextsOf(hundred, PlotItem::LabelV), Steps(0, 50.0 / 6, 7, 1));
    EXPECT_TRUE(ItemsOf(frame, PlotItem::IvSegment).empty());
}

TEST(PlotFrame, PvViewOffKeepsThePowerAxisOnly)
{
    const MeasRecord r = PointsRecord({{"0", "8.53"}, {"40", "7.505"}, {"45.3", "0"}});
    const PlotModel m = Build({r}, ReportParams(false));
    EXPECT_TRUE(ItemsOf(m, PlotItem::LabelP).empty());
    EXPECT_EQ(TextsOf(m, PlotItem::Unit), (QStringList{"(A)", "(V)"}));
    EXPECT_EQ(ItemsOf(m, PlotItem::Axis).size(), 3u);
    EXPECT_TRUE(ItemsOf(m, PlotItem::PvSegment).empty());
    EXPECT_EQ(ItemsOf(m, PlotItem::IvSegment).size(), 3u);
}

// Axes whose largest value is 0 or negative: the tabs give them one step
// and leave the P-V curves out when there is no power; the report calls
// the plot not drawable, except a power axis of exactly 0, which only drops
// the P-V curves.
TEST(PlotEmptyAxes, OneStepOnTheTabsNotDrawableOnTheReport)
{
    const MeasRecord noCurrent = PointsRecord({{"0", "0"}, {"40", "0"}}, "0");
    const MeasRecord noPower = PointsRecord({{"0", "5"}, {"40", "0"}}, "5");
    const MeasRecord negativePower = PointsRecord({{"-1", "5"}, {"40", "-1"}}, "5");
    const MeasRecord noVoltage = PointsRecord({{"0", "5"}, {"0", "4"}}, "5");

    for (const MeasRecord* r : {&noCurrent, &noPower, &negativePower, &noVoltage}) {
        const PlotModel tab = Build({*r}, TabParams());
        ASSERT_TRUE(tab.framed);
        EXPECT_FALSE(tab.error);
        EXPECT_FALSE(tab.curveError);
        EXPECT_TRUE(tab.pvSkipped);
        EXPECT_GT(tab.layout.PlotIRange, 0);
        EXPECT_GT(tab.layout.PlotVRange, 0);
        EXPECT_EQ(tab.layout.PlotPRange, 100);
        EXPECT_TRUE(ItemsOf(tab, PlotItem::PvSegment).empty());
    }
    const PlotModel tab = Build({noCurrent}, TabParams());
    EXPECT_EQ(tab.scale.AxisIMax, 100);
    EXPECT_EQ(tab.scale.LabelFmtI, QStringLiteral("0.00000000000"));

    for (const MeasRecord* r : {&noCurrent, &negativePower, &noVoltage}) {
        const PlotModel rep = Build({*r}, ReportParams());
        EXPECT_FALSE(rep.framed);
        EXPECT_TRUE(rep.items.empty());
        ASSERT_TRUE(rep.error);
        EXPECT_EQ(rep.error->number, 380);
    }
    // Never a stale scale: what this plot computed.
    const PlotModel rep = Build({noCurrent}, ReportParams());
    EXPECT_EQ(rep.scale.PlotIMax, 0);
    EXPECT_EQ(rep.scale.DecadeI, 1e11);
    EXPECT_EQ(rep.scale.AxisVMax, 400);

    const PlotModel flat = Build({noPower}, ReportParams());
    ASSERT_TRUE(flat.framed);
    EXPECT_FALSE(flat.error);
    EXPECT_TRUE(flat.pvSkipped);
    EXPECT_EQ(flat.layout.PlotPRange, 0);
    EXPECT_EQ(TextsOf(flat, PlotItem::LabelP), QStringList(11, QStringLiteral("0.00000000000")));
    EXPECT_TRUE(ItemsOf(flat, PlotItem::PvSegment).empty());
    EXPECT_EQ(ItemsOf(flat, PlotItem::IvSegment).size(), 2u);
}

TEST(PlotFailures, OverflowAndStrictReadingsGiveNoFrame)
{
    const MeasRecord huge = PointsRecord({{"3e9", "1"}, {"0", "2"}});
    const MeasRecord hugePower = PointsRecord({{"1e200", "1e200"}});
    for (const MeasRecord* r : {&huge, &hugePower}) {
        for (const PlotParams& p : {TabParams(), ReportParams()}) {
            const PlotModel m = Build({*r}, p);
            EXPECT_FALSE(m.framed);
            ASSERT_TRUE(m.error);
            EXPECT_EQ(m.error->number, 6);
        }
    }
    // Read strictly, a text that is no number stops the scale; read by its
    // leading number it counts as that number.
    const MeasRecord word = PointsRecord({{"0", "5"}, {"12abc", "1"}, {"20", "0"}});
    PlotParams strict = ReportParams();
    strict.extentReading = PointReading::Strict;
    const PlotModel s = Build({word}, strict);
    ASSERT_TRUE(s.error);
    EXPECT_EQ(s.error->number, 13);
    EXPECT_FALSE(s.framed);
    const PlotModel v = Build({word}, ReportParams());
    EXPECT_TRUE(v.framed);
    EXPECT_EQ(v.scale.PlotVMax, 20);
    EXPECT_EQ(v.scale.PlotPMax, 12);
}

TEST(PlotCurves, FullCurveHasAStartLineAndOneSegmentPerPointPair)
{
    // Past Voc the currents turn negative; clamped they are drawn as 0.
    const MeasRecord r = ModuleCurve(8.5, 45);
    const PlotModel m = Build({r}, TabParams(), true);
    const auto iv = ItemsOf(m, PlotItem::IvSegment);
    const auto pv = ItemsOf(m, PlotItem::PvSegment);
    ASSERT_EQ(iv.size(), 120u);
    ASSERT_EQ(pv.size(), 120u);
    const double YM = m.layout.PlotYMargin, XM = m.layout.PlotXMargin, IL = m.layout.PlotIRangeL;
    EXPECT_EQ(iv[0].from, QPointF(XM, float(IL + YM - 8.5 * m.scale.DecadeI)));
    EXPECT_EQ(iv[0].to, iv[1].from);
    EXPECT_EQ(pv[0].from, QPointF(XM, IL + YM));
    EXPECT_EQ(iv[0].color, 0xFF0000u);
    EXPECT_EQ(pv[0].color, 0x0000FFu);
    EXPECT_EQ(iv[0].penWidth, 2);
    // The start lines, then I-V segment i before P-V segment i.
    std::vector<PlotItem::Kind> order;
    for (const PlotItem& it : m.items)
        if (it.curve == 0 && order.size() < 6)
            order.push_back(it.kind);
    using K = PlotItem::Kind;
    EXPECT_EQ(order, (std::vector<K>{K::IvSegment, K::IvSegment, K::PvSegment, K::PvSegment, K::IvSegment,
                                     K::PvSegment}));

    // Unclamped (the total), the segment into the first negative point is
    // drawn in full and nothing after it.
    const PlotModel total = Build({r}, TabParams(), false);
    const auto totalIv = ItemsOf(total, PlotItem::IvSegment);
    int firstNegative = 0;
    while (!r.IvPoints[std::size_t(firstNegative)][MeasRecord::Amp].startsWith(u'-'))
        ++firstNegative;
    EXPECT_EQ(totalIv.size(), std::size_t(firstNegative + 1));
    EXPECT_GT(totalIv.back().to.y(), total.layout.PlotIRangeL + total.layout.PlotYMargin);
}

TEST(PlotCurves, ACurveEndsAtItsFirstEmptyPoint)
{
    MeasRecord r = ModuleCurve(8.5, 45);
    r.IvPoints[50][MeasRecord::Volt].clear();
    r.IvPoints[70][MeasRecord::Amp] = QStringLiteral("99"); // after the end: not in the scale
    const PlotModel m = Build({r}, TabParams(false));
    EXPECT_FALSE(m.curveError);
    EXPECT_EQ(ItemsOf(m, PlotItem::IvSegment).size(), 50u); // start line and 49 segments
    EXPECT_EQ(m.scale.PlotIMax, NumText::Val(r.IvPoints[0][MeasRecord::Amp]));
}

// Cuts, with DecadeV 10 and DecadeI 100: x = 10 v + XM, y = IL + YM - 100 i.
TEST(PlotCurves, CutsAtZeroCurrentAndZeroVoltage)
{
    struct Case {
        const char* name;
        MeasRecord record;
        std::vector<std::pair<QPointF, QPointF>> iv; // in volts and amperes
    } cases[] = {
        {"current returns from below",
         PointsRecord({{"10", "-2"}, {"20", "2"}, {"30", "4"}, {"40", "5"}}, "5"),
         {{{15, 0}, {20, 2}}, {{20, 2}, {30, 4}}, {{30, 4}, {40, 5}}}},
        {"current falls below and stays",
         PointsRecord({{"0", "5"}, {"10", "4"}, {"20", "-1"}, {"30", "-2"}, {"40", "2"}}, "5"),
         {{{0, 5}, {0, 5}}, {{0, 5}, {10, 4}}, {{10, 4}, {20, -1}}, {{35, 0}, {40, 2}}}},
        {"voltage falls below zero", PointsRecord({{"20", "4"}, {"-20", "6"}, {"30", "5"}}, "5"),
         {{{20, 4}, {0, 5}}}},
        {"starts left of the current axis",
         PointsRecord({{"-10", "5"}, {"10", "5"}, {"20", "6"}}, "6"),
         {{{0, 6}, {-10, 5}}, {{-10, 5}, {10, 5}}, {{10, 5}, {20, 6}}}},
    };
    for (const Case& c : cases) {
        // Unclamped, as the total record.
        const PlotModel m = Build({c.record}, ReportParams());
        ASSERT_TRUE(m.framed) << c.name;
        ASSERT_EQ(m.scale.DecadeV, 10) << c.name;
        ASSERT_EQ(m.scale.DecadeI, 100) << c.name;
        const double XM = m.layout.PlotXMargin, base = m.layout.PlotIRangeL + m.layout.PlotYMargin;
        auto at = [&](QPointF vi) { return QPointF(float(vi.x() * 10 + XM), float(base - vi.y() * 100)); };
        const auto iv = ItemsOf(m, PlotItem::IvSegment);
        ASSERT_EQ(iv.size(), c.iv.size()) << c.name;
        for (std::size_t k = 0; k < iv.size(); ++k) {
            EXPECT_EQ(iv[k].from, at(c.iv[k].first)) << c.name << " line " << k;
            EXPECT_EQ(iv[k].to, at(c.iv[k].second)) << c.name << " line " << k;
        }
    }
    // The P-V curve of a record that leaves through zero voltage ends with
    // the I-V curve, its segment of that step included.
    const PlotModel m = Build({cases[2].record}, ReportParams());
    EXPECT_TRUE(ItemsOf(m, PlotItem::PvSegment).empty());
}

TEST(PlotCurves, ClampIsForDrawingOnly)
{
    const MeasRecord measured = PointsRecord({{"0", "5"}, {"10", "70"}, {"20", "-3"}, {"30", "4"}}, "5");
    const MeasRecord before = measured;
    const PlotModel clamped = Build({measured}, TabParams(), true);
    EXPECT_EQ(clamped.scale.PlotIMax, 5);
    EXPECT_EQ(clamped.scale.PlotPMax, 120);
    const PlotModel total = Build({measured}, TabParams(), false);
    EXPECT_EQ(total.scale.PlotIMax, 70);
    EXPECT_EQ(total.scale.PlotIMin, -3);
    EXPECT_EQ(measured, before);
    // The clamped point is drawn on the voltage axis.
    const auto iv = ItemsOf(clamped, PlotItem::IvSegment);
    const double base = clamped.layout.PlotIRangeL + clamped.layout.PlotYMargin;
    ASSERT_GE(iv.size(), 3u);
    EXPECT_EQ(iv[1].to.y(), float(base));
    EXPECT_TRUE(measured.IvPoints[0][MeasRecord::Watt].isEmpty());
}

// A point text that is no number: the tabs end the whole drawing there, the
// report ends that curve only and names the first bad one.
TEST(PlotCurves, BadTextEndsTheDrawingOrOnlyItsCurve)
{
    const MeasRecord good1 = PointsRecord({{"0", "5"}, {"10", "4"}, {"20", "0"}}, "5", "0001-01-01");
    MeasRecord bad = PointsRecord({{"0", "5"}, {"10", "x"}, {"20", "0"}}, "5", "0002-01-01");
    const MeasRecord good2 = PointsRecord({{"0", "6"}, {"10", "5"}, {"20", "0"}}, "6", "0003-01-01");
    MeasRecord badIsc = good2;
    badIsc.F[MeasRecord::Isc] = QStringLiteral("--");

    const PlotModel tab = Build({good1, bad, good2}, TabParams(false));
    ASSERT_TRUE(tab.curveError);
    EXPECT_EQ(tab.curveError->number, 13);
    EXPECT_EQ(tab.badCurve, 1);
    EXPECT_TRUE(tab.framed);
    std::vector<int> drawn;
    for (const PlotItem& it : ItemsOf(tab, PlotItem::IvSegment))
        drawn.push_back(it.curve);
    EXPECT_EQ(drawn, (std::vector<int>{0, 0, 0}));

    const PlotModel rep = Build({good1, bad, badIsc, good2}, ReportParams(false));
    ASSERT_TRUE(rep.curveError);
    EXPECT_EQ(rep.badCurve, 1);
    drawn.clear();
    for (const PlotItem& it : ItemsOf(rep, PlotItem::IvSegment))
        drawn.push_back(it.curve);
    EXPECT_EQ(drawn, (std::vector<int>{0, 0, 0, 3, 3, 3}));
}

TEST(ReportPlot, RowsColoursAndPrintedRows)
{
    TestEnv env;
    Global::UiText[513] = QStringLiteral("Curves");
    for (std::size_t q = 0; q < 20; ++q) {
        Global::CurveColors[1][q] = quint32(0x100 + q);
        Global::CurveColors[0][q] = quint32(0x200 + q);
    }
    std::vector<MeasRecord> view(25);
    for (int r = 0; r < 25; ++r)
        view[std::size_t(r)] = ModuleCurve(5 + 0.1 * r, 40 + r);
    std::vector<std::uint8_t> ticks(25, 1);
    ticks[3] = 0;

    EXPECT_FALSE(ReportPlotModel(view, 0, ticks, {}, FixedSurface(500, 500)));
    const std::vector<int> rows = ReportCurveRecords(22, ticks);
    ASSERT_EQ(rows.size(), 22u);
    EXPECT_EQ(rows[2], 2);
    EXPECT_EQ(rows[3], 4);

    ReportPlotOptions o;
    o.pvView = true;
    const auto all = ReportPlotModel(view, 22, ticks, o, FixedSurface(500, 500));
    ASSERT_TRUE(all && all->framed);
    EXPECT_EQ(TextsOf(*all, PlotItem::Title), QStringList{"Curves"});
    EXPECT_EQ(all->layout.PlotYMargin, qRound(all->layout.PlotIRangeL / 3.5));
    std::vector<quint32> ivColors(23, 0xFFFFFFFF), pvColors(23, 0xFFFFFFFF);
    for (const PlotItem& it : all->items) {
        if (it.kind == PlotItem::IvSegment)
            ivColors[std::size_t(it.curve)] = it.color;
        if (it.kind == PlotItem::PvSegment)
            pvColors[std::size_t(it.curve)] = it.color;
    }
    EXPECT_EQ(ivColors[0], 0x100u);
    EXPECT_EQ(pvColors[3], 0x203u); // row 3 is record 4
    EXPECT_EQ(ivColors[19], 0x113u);
    EXPECT_EQ(ivColors[20], 0u); // past the table: black
    EXPECT_EQ(ivColors[21], 0u);

    o.firstRow = 10;
    o.lastRow = 19;
    const auto page = ReportPlotModel(view, 22, ticks, o, FixedSurface(500, 500));
    ASSERT_TRUE(page);
    EXPECT_EQ(page->scale, all->scale);
    std::set<int> curves;
    for (const PlotItem& it : ItemsOf(*page, PlotItem::IvSegment))
        curves.insert(it.curve);
    EXPECT_EQ(*curves.begin(), 10);
    EXPECT_EQ(*curves.rbegin(), 19);

    // Nothing ticked: no frame and nothing to report.
    const auto none = ReportPlotModel(view, 22, std::vector<std::uint8_t>(25, 0), o, FixedSurface(500, 500));
    ASSERT_TRUE(none);
    EXPECT_FALSE(none->framed);
    EXPECT_FALSE(none->error);
}

TEST(ReportPlot, OneReportForTheFrameAndOneForTheFirstBadCurve)
{
    TestEnv env;
    Global::UiText[780] = QStringLiteral("(no curves)");
    std::vector<MeasRecord> view = {PointsRecord({{"0", "0"}}), PointsRecord({{"0", "0"}, {"40", "0"}})};
    std::vector<std::uint8_t> ticks = {0, 1};
    const auto flat = ReportPlotModel(view, 1, ticks, {}, FixedSurface(500, 500));
    ASSERT_TRUE(flat);
    ReportPlotErrors(*flat, view, QStringLiteral("WaveDraw"));
    ASSERT_EQ(env.dialogs->log.size(), 1);
    EXPECT_EQ(env.dialogs->log[0].message.text, QStringLiteral("ERROR No:380 Invalid property value (no curves)"));
    EXPECT_EQ(env.dialogs->log[0].message.title, QStringLiteral("WaveClear"));

    view = {PointsRecord({}), PointsRecord({{"0", "5"}, {"10", "?"}, {"20", "0"}}, "5", "0007-02-01"),
            PointsRecord({{"0", "5"}, {"10", ""}, {"20", "0"}}, "5", "0008-02-01"),
            PointsRecord({{"0", "5"}, {"10", "4"}, {"20", "0"}}, "5", "0009-02-01")};
    ticks = {0, 1, 1, 1};
    const auto bad = ReportPlotModel(view, 3, ticks, {}, FixedSurface(500, 500));
    ASSERT_TRUE(bad);
    EXPECT_EQ(bad->badTag, 1);
    ReportPlotErrors(*bad, view, QStringLiteral("WaveDraw"));
    ASSERT_EQ(env.dialogs->log.size(), 2);
    EXPECT_EQ(env.dialogs->log[1].message.text, QStringLiteral("ERROR No:13 Type mismatch: 0007-02-01"));
    EXPECT_EQ(env.dialogs->log[1].message.title, QStringLiteral("WaveDraw"));
}

// The current and power units keep clear of the tick labels on every
// surface, whatever the labels' widths: in the band beside them where it
// holds the unit, else above the top label of their column; always inside
// the picture.
TEST(PlotFrame, UnitTextsKeepClearOfTheTickLabels)
{
    const MeasRecord wide = PointsRecord({{"0", "5.00"}, {"380", "4.2"}, {"412.5", "0"}});
    const MeasRecord narrow = PointsRecord({{"0", "8.53"}, {"40", "7.505"}, {"45.3", "0"}});
    struct Case {
        const char* name;
        const MeasRecord* record;
        bool report;
        QSizeF size;
        double charWidth;
    } cases[] = {
        {"report, ample room", &narrow, true, {642, 1414}, 7},
        {"measurement tab, small graph", &wide, false, {380, 260}, 7},
        {"measurement tab, large font", &wide, false, {520, 300}, 11},
        {"report, large font", &wide, true, {600, 400}, 12},
        {"printed page", &narrow, true, {11055, 4635}, 90},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlotParams p = c.report ? ReportParams() : PlotParams{};
        p.pvView = true;
        PlotSurface surface;
        surface.size = c.size;
        const double charWidth = c.charWidth;
        const double lineHeight = charWidth * 12 / 7;
        surface.textSize = [=](const QString& t) { return QSizeF(charWidth * t.size(), lineHeight); };
        const PlotModel m = Build({*c.record}, p, false, surface);
        ASSERT_TRUE(m.framed);
        const double ux = m.scaleWidth / c.size.width();
        const double uy = m.scaleHeight / c.size.height();
        auto rectOf = [&](const PlotItem& it) {
            return QRectF(it.from, QSizeF(charWidth * it.text.size() * ux, lineHeight * uy));
        };
        const auto units = ItemsOf(m, PlotItem::Unit);
        ASSERT_EQ(units.size(), 3u);
        for (const PlotItem& unit : {units[0], units[1]}) {
            SCOPED_TRACE(unit.text.toStdString());
            const QRectF u = rectOf(unit);
            EXPECT_GE(u.left(), -1e-6);
            EXPECT_GE(u.top(), -1e-6);
            EXPECT_LE(u.right(), m.scaleWidth + 1e-6);
            EXPECT_LE(u.bottom(), m.scaleHeight + 1e-6);
            for (const PlotItem& label : m.items)
                if (label.kind == PlotItem::LabelI || label.kind == PlotItem::LabelP || label.kind == PlotItem::LabelV)
                    EXPECT_FALSE(u.intersects(rectOf(label))) << label.text.toStdString();
        }
    }
}

// Many curves are read side by side: the scale, the segments in curve order
// and the first bad text are the ones of reading them one after another.
TEST(PlotCurves, ManyCurvesGiveTheScaleSegmentsAndFirstErrorInCurveOrder)
{
    std::vector<MeasRecord> records;
    for (int c = 0; c < 60; ++c)
        records.push_back(ModuleCurve(4 + c * 0.1, 300 + c));
    const PlotModel m = Build(records, TabParams(false));
    ASSERT_TRUE(m.framed);
    EXPECT_FALSE(m.curveError);
    EXPECT_NEAR(m.scale.PlotVMax, 359 * 1.01 * (MeasRecord::CurvePoints - 0.5) / MeasRecord::CurvePoints, 0.01);
    EXPECT_NEAR(m.scale.PlotIMax, 9.9, 0.01);
    std::vector<int> curves;
    for (const PlotItem& it : ItemsOf(m, PlotItem::IvSegment))
        curves.push_back(it.curve);
    EXPECT_TRUE(std::is_sorted(curves.begin(), curves.end()));
    EXPECT_EQ(std::set<int>(curves.begin(), curves.end()).size(), records.size());

    // Two bad texts far apart: read strictly, the scale fails on the first;
    // read by their leading numbers, the first bad curve is the one named.
    records[45].IvPoints[3][MeasRecord::Amp] = QStringLiteral("x");
    records[20].IvPoints[7][MeasRecord::Amp] = QStringLiteral("y");
    PlotParams strict = ReportParams(false);
    strict.extentReading = PointReading::Strict;
    const PlotModel s = Build(records, strict);
    ASSERT_TRUE(s.error);
    EXPECT_EQ(s.error->number, 13);
    // The scale it stopped on holds every point before the bad one and
    // none after it (curve 21 has the larger current).
    double iMax = 0;
    for (int c = 0; c <= 20; ++c)
        for (int k = 0; k < (c < 20 ? MeasRecord::CurvePoints : 7); ++k)
            iMax = std::max(iMax, records[std::size_t(c)].IvPoints.value(std::size_t(k), MeasRecord::Amp));
    EXPECT_EQ(s.scale.PlotIMax, iMax);
    EXPECT_LT(iMax, records[21].IvPoints.value(0, MeasRecord::Amp));
    const PlotModel lenient = Build(records, ReportParams(false));
    ASSERT_TRUE(lenient.curveError);
    EXPECT_EQ(lenient.badCurve, 20);
}
