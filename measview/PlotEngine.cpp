#include "measview/PlotEngine.h"

#include "common/AppGlobals.h"
#include "common/TextHelpers.h"
#include "measview/Parallel.h"
#include "platform/NumText.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>

namespace {

constexpr int kPoints = MeasRecord::CurvePoints;
constexpr quint32 kGridColor = 0xE0E0E0;
constexpr quint32 kAxisColor = 0x000000;
constexpr quint32 kTextColor = 0x000000;
constexpr int kFramePen = 1;
constexpr int kCurvePen = 2;

// A picture scale of zero or negative width or height cannot be set.
AppError InvalidScale()
{
    return AppError(380, QStringLiteral("Invalid property value"));
}

// Coordinates are handed to the drawing in single precision.
QPointF At(double x, double y)
{
    return QPointF(static_cast<float>(x), static_cast<float>(y));
}

// One curve as the plot sees it: its points up to the first empty one, the
// values the tests of the segments compare (the clamp applied), and which
// texts are numbers as a whole (the drawn end points must be).
// Made as CurvePoints{} (zeroed) by the thread that reads the curve.
struct CurvePoints {
    int count;
    std::array<double, kPoints> v;
    std::array<double, kPoints> i;
    std::array<double, kPoints> p;
    std::array<bool, kPoints> vNumeric;
    std::array<bool, kPoints> iNumeric;
};
// The points of every curve: 3 kB each, for up to 800 curves, left to the
// threads to zero.
using PointTables = std::unique_ptr<CurvePoints[]>;

// A point text read as the scale reads it (see StrictValue). The curves'
// points are read as numbers: a corrected curve's texts are never made.
double ReadPoint(const IvPointTable::Reading& point, PointReading reading)
{
    if (reading == PointReading::Strict && !point.numeric)
        throw AppError(13);
    return point.value;
}

double PowerOf(double volt, double amp)
{
    const double product = volt * amp;
    if (!std::isfinite(product))
        throw AppError(6);
    return product;
}

// A power as a record would hold it: written as plain text (15 significant
// digits) and read back. The rounding is monotonic, so the extremes of the
// rounded powers are the rounded extremes; only they are rounded (the scale
// depends on them to the last digit, the drawing does not).
double AsStoredPower(double power)
{
    return NumText::Val(NumText::Str(power));
}

void Extremes(double value, double& max, double& min)
{
    if (value > max)
        max = value;
    if (value < min)
        min = value;
}

// Curves per thread below which one thread reads the points of them all.
constexpr int CurvesPerSlice = 16;

// The extremes of one curve's points, as far as they could be read.
struct CurveExtent {
    static constexpr double Inf = std::numeric_limits<double>::infinity();
    double vMax = -Inf, vMin = Inf;
    double iMax = -Inf, iMin = Inf;
    double pMax = -Inf, pMin = Inf;
    // What stopped the curve at a point that is no number.
    std::optional<AppError> failure;
};

// The extremes `max` and `min` of the points so far, with those of the
// points that follow them.
void JoinExtremes(double laterMax, double laterMin, double& max, double& min)
{
    if (laterMax > max)
        max = laterMax;
    if (laterMin < min)
        min = laterMin;
}

// Every plotted point's power, and the extremes of power, voltage and
// current over them.
void ExtentPass(const std::vector<PlotCurve>& curves, PointReading reading, PointTables& pts,
                PlotScale& s)
{
    pts = std::make_unique_for_overwrite<CurvePoints[]>(curves.size());
    std::vector<CurveExtent> extents(curves.size());
    // The curves are independent of one another: each is read, and its
    // extremes taken, side by side with the others; only joining the
    // extremes follows the curves' order.
    ParallelSlices(int(curves.size()), CurvesPerSlice, [&](int begin, int end) {
        for (int c = begin; c < end; ++c) {
            // The points up to the first with a blank voltage or current.
            const IvPointTable& points = curves[std::size_t(c)].record->IvPoints;
            CurvePoints& cp = pts[std::size_t(c)];
            cp = CurvePoints{};
            int n = 0;
            for (; n < kPoints; ++n) {
                const IvPointTable::Reading v = points.reading(std::size_t(n), MeasRecord::Volt);
                if (v.blank)
                    break;
                const IvPointTable::Reading i = points.reading(std::size_t(n), MeasRecord::Amp);
                if (i.blank)
                    break;
                cp.v[std::size_t(n)] = v.value;
                cp.vNumeric[std::size_t(n)] = v.numeric;
                cp.i[std::size_t(n)] = i.value;
                cp.iNumeric[std::size_t(n)] = i.numeric;
            }
            cp.count = n;

            // The first point that is no number stops the curve, its
            // extremes those of the points before it.
            CurveExtent& e = extents[std::size_t(c)];
            try {
                for (std::size_t k = 0; k < std::size_t(cp.count); ++k) {
                    double amp = ReadPoint({false, cp.iNumeric[k], cp.i[k]}, reading);
                    bool clamped = false;
                    if (curves[std::size_t(c)].clampCurrent && !(amp >= 0 && amp < 60)) {
                        amp = 0;
                        clamped = true;
                    }
                    const double volt = ReadPoint({false, cp.vNumeric[k], cp.v[k]}, reading);
                    const double power = PowerOf(volt, amp);
                    cp.v[k] = volt;
                    cp.i[k] = amp;
                    cp.p[k] = power;
                    cp.iNumeric[k] = clamped || cp.iNumeric[k];
                    Extremes(power, e.pMax, e.pMin);
                    Extremes(volt, e.vMax, e.vMin);
                    Extremes(amp, e.iMax, e.iMin);
                }
            } catch (const AppError& error) {
                e.failure = error;
            }
        }
    });

    // In the curves' order, up to the first that stopped: as though each
    // point had been read in turn.
    double pMax = s.PlotPMax, pMin = s.PlotPMin;
    for (const CurveExtent& e : extents) {
        JoinExtremes(e.pMax, e.pMin, pMax, pMin);
        JoinExtremes(e.vMax, e.vMin, s.PlotVMax, s.PlotVMin);
        JoinExtremes(e.iMax, e.iMin, s.PlotIMax, s.PlotIMin);
        if (e.failure)
            throw *e.failure;
    }
    s.PlotPMax = std::max(s.PlotPMax, AsStoredPower(pMax));
    s.PlotPMin = std::min(s.PlotPMin, AsStoredPower(pMin));
}

// The axis end: the scaled maximum rounded up to whole steps.
double AxisEnd(double max, double factor, double step)
{
    return NumText::CLng(RoundUp(max * factor / step) * step);
}

std::int32_t CheckedSum(std::int32_t range, std::int32_t margin)
{
    const std::int64_t sum = std::int64_t(range) + 2 * std::int64_t(margin);
    if (sum < INT32_MIN || sum > INT32_MAX)
        throw AppError(6);
    return std::int32_t(sum);
}

// Decades, axes, ranges and margins, into `m`'s scale and layout as they
// are computed. Leaves whether the power axis is empty.
bool ScalePass(const PlotParams& params, PlotModel& m)
{
    PlotScale& s = m.scale;
    PlotLayout& L = m.layout;
    const PlotDecade dI = DecadeFor(s.PlotIMax);
    s.DecadeI = dI.factor;
    s.LabelFmtI = dI.format;
    const PlotDecade dV = DecadeFor(s.PlotVMax);
    s.DecadeV = dV.factor;
    s.LabelFmtV = dV.format;
    const PlotDecade dP = DecadeFor(s.PlotPMax);
    s.DecadeP = dP.factor;
    s.LabelFmtP = dP.format;

    const double step = params.axisStep;
    const bool oneStep = params.emptyAxis == EmptyAxisRule::OneStep;
    double endI = AxisEnd(s.PlotIMax, s.DecadeI, step);
    double endP = AxisEnd(s.PlotPMax, s.DecadeP, step);
    double endV = AxisEnd(s.PlotVMax, s.DecadeV, step);
    const bool emptyI = endI <= 0;
    const bool emptyP = endP <= 0;
    const bool emptyV = endV <= 0;
    if (oneStep) {
        if (emptyI)
            endI = step;
        if (emptyP)
            endP = step;
        if (emptyV)
            endV = step;
    }

    s.AxisIMax = endI;
    s.AxisIMin = 0;
    L.PlotIRange = s.AxisIMax - s.AxisIMin;
    L.PlotIRangeL = NumText::CLng(L.PlotIRange);
    s.AxisPMax = endP;
    s.AxisPMin = 0;
    L.PlotPRange = s.AxisPMax - s.AxisPMin;
    s.AxisVMax = endV;
    s.AxisVMin = 0;
    L.PlotVRange = s.AxisVMax - s.AxisVMin;
    L.PlotVRangeL = NumText::CLng(L.PlotVRange);

    L.PlotXMargin = NumText::CLng(L.PlotVRangeL / s.MarginDivisor);
    L.PlotYMargin = NumText::CLng(L.PlotIRangeL / (s.MarginDivisor * params.yMarginFactor));
    m.scaleWidth = CheckedSum(L.PlotVRangeL, L.PlotXMargin);
    m.scaleHeight = CheckedSum(L.PlotIRangeL, L.PlotYMargin);

    if (!oneStep && (emptyI || emptyV || endP < 0))
        throw InvalidScale();
    return emptyP;
}

class FrameBuilder {
public:
    FrameBuilder(PlotModel& m, const PlotParams& params, const PlotSurface& surface)
        : m(m), s(m.scale), L(m.layout), params(params), surface(surface), SW(m.scaleWidth),
          SH(m.scaleHeight)
    {
    }

    void build()
    {
        const double XM = L.PlotXMargin;
        const double YM = L.PlotYMargin;
        const int divH = int(s.GridDivH);
        const int divV = int(s.GridDivV);
        for (int i = 0; i <= divH; ++i) {
            const double y = SH - L.PlotIRange / s.GridDivH * i - YM;
            line(PlotItem::GridLine, XM, y, SW - XM, y, kGridColor);
            QString t = NumText::Format(s.AxisIMin / s.DecadeI + L.PlotIRange / s.DecadeI / s.GridDivH * i,
                                        s.LabelFmtI);
            text(PlotItem::LabelI, t, XM - tw(t) - SW * L.LabelGapX / 100, y - th(t) / 2);
            if (params.pvView) {
                t = NumText::Format(s.AxisPMin / s.DecadeP + L.PlotPRange / s.DecadeP / s.GridDivH * i,
                                    s.LabelFmtP);
                text(PlotItem::LabelP, t, SW - XM + SW * L.LabelGapX / 100, y - th(t) / 2);
            }
        }
        for (int i = 0; i <= divV; ++i) {
            const double x = L.PlotVRange / s.GridDivV * i + XM;
            line(PlotItem::GridLine, x, SH - YM, x, YM, kGridColor);
            const QString t = NumText::Format(
                s.AxisVMin / s.DecadeV + L.PlotVRange / s.DecadeV / s.GridDivV * i, s.LabelFmtV);
            text(PlotItem::LabelV, t, x - tw(t) / 2, SH - YM + SH * L.LabelGapY / 100);
        }
        line(PlotItem::Axis, XM, SH - YM, SW - XM, SH - YM, kAxisColor);
        line(PlotItem::Axis, XM, SH - YM, XM, YM, kAxisColor);
        line(PlotItem::Axis, SW - XM, SH - YM, SW - XM, YM, kAxisColor);

        // The unit texts sit in the bands beyond the labels; here the gaps
        // count as plain picture units. Long labels, a small picture or a
        // large font would put a unit into the labels of the middle grid
        // line: a unit that comes nearer than half a blank to the widest
        // label moves aside to a whole blank off it, and where the band
        // cannot hold it, it stands above the top label of its column.
        const QString zeroI = NumText::Format(0, s.LabelFmtI);
        const QString zeroP = NumText::Format(0, s.LabelFmtP);
        const double pad = tw(QStringLiteral(" "));
        const QString amp = QStringLiteral("(A)");
        const double labelsLeft = XM - widestLabel(PlotItem::LabelI) - SW * L.LabelGapX / 100;
        const double ampX = (XM - tw(zeroI) - L.LabelGapX) / 2 - tw(amp) / 2;
        if (ampX + tw(amp) + pad / 2 <= labelsLeft)
            text(PlotItem::Unit, amp, ampX, SH / 2 - th(amp) / 2);
        else if (tw(amp) + pad <= labelsLeft)
            text(PlotItem::Unit, amp, labelsLeft - pad - tw(amp), SH / 2 - th(amp) / 2);
        else
            unitAboveLabels(amp, labelsLeft + widestLabel(PlotItem::LabelI) / 2);
        if (params.pvView) {
            const QString watt = QStringLiteral("(W)");
            const double labelsRight = SW - XM + SW * L.LabelGapX / 100 + widestLabel(PlotItem::LabelP);
            const double wattX = SW - (XM - tw(zeroP) - L.LabelGapX) / 3 - tw(watt) / 2;
            if (wattX >= labelsRight + pad / 2 && wattX + tw(watt) <= SW)
                text(PlotItem::Unit, watt, wattX, SH / 2 - th(watt) / 2);
            else if (labelsRight + pad + tw(watt) <= SW)
                text(PlotItem::Unit, watt, labelsRight + pad, SH / 2 - th(watt) / 2);
            else
                unitAboveLabels(watt, labelsRight - widestLabel(PlotItem::LabelP) / 2);
        }
        const QString volt = QStringLiteral("(V)");
        text(PlotItem::Unit, volt, SW / 2 - tw(volt) / 2,
             SH - (YM - th(zeroP) - L.LabelGapY) / 2 - th(volt) / 2);
        text(PlotItem::Title, params.title, SW / 2 - tw(params.title) / 2, th(params.title));
    }

private:
    // The widest tick label of `kind` built so far, in picture units.
    double widestLabel(PlotItem::Kind kind) const
    {
        double w = 0;
        for (const PlotItem& it : m.items)
            if (it.kind == kind)
                w = std::max(w, tw(it.text));
        return w;
    }
    // A unit text centred over `centreX` (kept inside the picture), its
    // bottom a little above the top grid line's labels.
    void unitAboveLabels(const QString& unit, double centreX)
    {
        const double x = std::clamp(centreX - tw(unit) / 2, 0.0, std::max(0.0, SW - tw(unit)));
        const double labelTop = L.PlotYMargin - th(QStringLiteral("0")) / 2;
        text(PlotItem::Unit, unit, x, std::max(0.0, labelTop - th(unit) * 1.1));
    }
    // A text's size in picture units.
    double tw(const QString& t) const
    {
        if (!surface.textSize || surface.size.width() <= 0)
            return 0;
        return surface.textSize(t).width() * SW / surface.size.width();
    }
    double th(const QString& t) const
    {
        if (!surface.textSize || surface.size.height() <= 0)
            return 0;
        return surface.textSize(t).height() * SH / surface.size.height();
    }
    void line(PlotItem::Kind kind, double x1, double y1, double x2, double y2, quint32 color)
    {
        PlotItem it;
        it.kind = kind;
        it.from = At(x1, y1);
        it.to = At(x2, y2);
        it.color = color;
        it.penWidth = kFramePen;
        m.items.push_back(std::move(it));
    }
    void text(PlotItem::Kind kind, const QString& t, double x, double y)
    {
        PlotItem it;
        it.kind = kind;
        it.from = At(x, y);
        it.to = it.from;
        it.color = kTextColor;
        it.text = t;
        m.items.push_back(std::move(it));
    }

    PlotModel& m;
    const PlotScale& s;
    const PlotLayout& L;
    const PlotParams& params;
    const PlotSurface& surface;
    const double SW;
    const double SH;
};

// The segments of one curve, each cut where it crosses zero current (or
// power) from below or leaves through zero voltage, where the curve ends.
// They are written from `out` on, or only counted (no `out`).
class CurveBuilder {
public:
    CurveBuilder(const PlotModel& m, double ratio, PlotItem* out) : s(m.scale), L(m.layout), ratio(ratio), out(out) {}

    // The segments made so far.
    std::size_t made = 0;

    // Throws AppError 13 at the first drawn segment with an end point text
    // that is no number; what was built before stays.
    void build(const PlotCurve& curve, const CurvePoints& cp, int index, bool pv)
    {
        this->curve = &curve;
        this->cp = &cp;
        this->index = index;
        for (int i = 0; i + 1 < cp.count; ++i) {
            if (segment(i, false))
                return;
            if (pv && segment(i, true))
                return;
        }
    }

private:
    QPointF at(double volt, double y, bool power) const
    {
        const double x = volt * s.DecadeV - s.AxisVMin + L.PlotXMargin;
        const double py = power ? L.PlotIRangeL + L.PlotYMargin - (y * s.DecadeP * ratio - s.AxisPMin * ratio)
                                : L.PlotIRangeL + L.PlotYMargin - (y * s.DecadeI - s.AxisIMin);
        return At(x, py);
    }
    void requireNumbers(int i, bool power) const
    {
        for (int k : {i, i + 1})
            if (!cp->vNumeric[std::size_t(k)] || (!power && !cp->iNumeric[std::size_t(k)]))
                throw AppError(13);
    }
    void line(QPointF a, QPointF b, bool power)
    {
        if (out) {
            PlotItem& it = out[made];
            it.kind = power ? PlotItem::PvSegment : PlotItem::IvSegment;
            it.from = a;
            it.to = b;
            it.color = power ? curve->pvColor : curve->ivColor;
            it.penWidth = kCurvePen;
            it.curve = index;
        }
        ++made;
    }
    // The segment from point i to point i + 1; true when the curve ends.
    bool segment(int i, bool power)
    {
        const auto& y = power ? cp->p : cp->i;
        const double yMin = power ? s.AxisPMin : s.AxisIMin;
        const std::size_t a = std::size_t(i), b = a + 1;
        const double V0 = cp->v[a], V1 = cp->v[b], Y0 = y[a], Y1 = y[b];
        if (Y0 < yMin) {
            if (Y1 >= yMin) {
                requireNumbers(i, power);
                const double vc = (Y1 * V0 - Y0 * V1) / (Y1 - Y0);
                line(at(vc, 0, power), at(V1, Y1, power), power);
            }
            return false;
        }
        if (V1 < s.AxisVMin) {
            if (V0 < s.AxisVMin)
                return false;
            requireNumbers(i, power);
            const double yc = (Y1 * V0 - Y0 * V1) / (V0 - V1);
            line(at(V0, Y0, power), at(0, yc, power), power);
            return true;
        }
        requireNumbers(i, power);
        if (i == 0) {
            const double start = power ? 0 : StrictValue(curve->record->F[MeasRecord::Isc]);
            line(at(0, start, power), at(V0, Y0, power), power);
        }
        line(at(V0, Y0, power), at(V1, Y1, power), power);
        return false;
    }

    const PlotScale& s;
    const PlotLayout& L;
    const double ratio;
    PlotItem* const out;
    const PlotCurve* curve = nullptr;
    const CurvePoints* cp = nullptr;
    int index = -1;
};

} // namespace

double StrictValue(const QString& text)
{
    if (!NumText::IsNumeric(text))
        throw AppError(13);
    return NumText::Val(text);
}

PlotDecade DecadeFor(double max)
{
    PlotDecade d;
    d.k = 11;
    for (int k = 0; k <= 10; ++k) {
        const std::int32_t n = NumText::CLng(std::fabs(max) * std::pow(10.0, k));
        if (n / 100 > 0) {
            d.k = k;
            break;
        }
    }
    d.factor = std::pow(10.0, d.k);
    d.format = d.k == 0 ? QStringLiteral("0") : QStringLiteral("0.") + QString(d.k, u'0');
    return d;
}

PlotModel BuildPlot(const std::vector<PlotCurve>& curves, const PlotParams& params, const PlotSurface& surface)
{
    PlotModel m;
    m.layout.LabelGapX = 1;
    m.layout.LabelGapY = 2;
    m.scale.MarginDivisor = params.marginDivisor;
    m.scale.GridDivH = params.gridDivH;
    m.scale.GridDivV = params.gridDivV;

    PointTables pts;
    bool emptyPower = false;
    try {
        ExtentPass(curves, params.extentReading, pts, m.scale);
        emptyPower = ScalePass(params, m);
    } catch (const AppError& e) {
        m.error = e;
        return m;
    }
    m.framed = true;
    m.pvSkipped = emptyPower;
    FrameBuilder(m, params, surface).build();
    if (!params.curves)
        return m;

    const bool pv = params.pvView && !emptyPower;
    const double ratio = emptyPower ? 0.0 : m.layout.PlotIRange / m.layout.PlotPRange;
    // The curves are built side by side, in two passes: each curve's
    // segments are counted, then written in their places, in the curves'
    // order, up to the first bad curve when that stops the drawing.
    struct Built {
        std::size_t segments = 0;
        std::optional<AppError> error; // the curve stopped there
    };
    std::vector<Built> built(curves.size());
    const auto build = [&](std::size_t c, PlotItem* out) {
        CurveBuilder builder(m, ratio, out);
        try {
            builder.build(curves[c], pts[c], int(c), pv);
        } catch (const AppError& e) {
            built[c].error = e;
        }
        return builder.made;
    };
    ParallelSlices(int(curves.size()), CurvesPerSlice, [&](int begin, int end) {
        for (int c = begin; c < end; ++c)
            if (curves[std::size_t(c)].draw)
                built[std::size_t(c)].segments = build(std::size_t(c), nullptr);
    });
    std::vector<std::size_t> at(curves.size(), 0);
    std::size_t count = m.items.size();
    std::size_t drawn = 0; // curves [0, drawn) are drawn
    for (std::size_t c = 0; c < curves.size(); ++c) {
        drawn = c + 1;
        if (!curves[c].draw)
            continue;
        at[c] = count;
        count += built[c].segments;
        if (built[c].error) {
            if (!m.curveError) {
                m.curveError = built[c].error;
                m.badCurve = int(c);
                m.badTag = curves[c].tag;
            }
            if (params.stopAtBadCurve)
                break;
        }
    }
    m.items.resize(count);
    ParallelSlices(int(drawn), CurvesPerSlice, [&](int begin, int end) {
        for (int c = begin; c < end; ++c)
            if (curves[std::size_t(c)].draw && built[std::size_t(c)].segments > 0)
                build(std::size_t(c), &m.items[at[std::size_t(c)]]);
    });
    return m;
}

// ---- The report's plots.

std::vector<int> ReportCurveRecords(int measFileCount, const std::vector<std::uint8_t>& ticks)
{
    std::vector<int> rows;
    for (int r = 0; r <= measFileCount && std::size_t(r) < ticks.size(); ++r)
        if (ticks[std::size_t(r)] == 1)
            rows.push_back(r);
    return rows;
}

std::optional<PlotModel> ReportPlotModel(const std::vector<MeasRecord>& view, int measFileCount,
                                         const std::vector<std::uint8_t>& ticks,
                                         const ReportPlotOptions& options, const PlotSurface& surface)
{
    if (measFileCount <= 0)
        return std::nullopt;
    const std::vector<int> records = ReportCurveRecords(measFileCount, ticks);
    PlotModel empty;
    empty.layout.LabelGapX = 1;
    empty.layout.LabelGapY = 2;
    if (records.empty())
        return empty;

    std::vector<PlotCurve> curves;
    curves.reserve(records.size());
    for (std::size_t q = 0; q < records.size(); ++q) {
        const int r = records[q];
        if (std::size_t(r) >= view.size()) {
            empty.error = AppError(9);
            return empty;
        }
        PlotCurve c;
        c.record = &view[std::size_t(r)];
        c.clampCurrent = false;
        c.ivColor = q < Global::CurveColors[1].size() ? Global::CurveColors[1][q] : 0;
        c.pvColor = q < Global::CurveColors[0].size() ? Global::CurveColors[0][q] : 0;
        c.tag = r;
        c.draw = int(q) >= options.firstRow && int(q) <= options.lastRow;
        curves.push_back(c);
    }
    PlotParams p;
    p.yMarginFactor = 0.5;
    p.extentReading = options.frameReading;
    p.emptyAxis = EmptyAxisRule::NotDrawable;
    p.pvView = options.pvView;
    p.stopAtBadCurve = false;
    p.title = Global::UiText.value(513);
    return BuildPlot(curves, p, surface);
}

void ReportPlotErrors(const PlotModel& model, const std::vector<MeasRecord>& view, const QString& curveTitle)
{
    if (model.error) {
        AppError e = *model.error;
        e.description += u' ' + Global::UiText.value(780);
        ShowErrorReport(QStringLiteral("WaveClear"), e);
    }
    if (model.curveError) {
        AppError e = *model.curveError;
        if (model.badTag >= 0 && std::size_t(model.badTag) < view.size()) {
            const QString name = view[std::size_t(model.badTag)].F[MeasRecord::Number];
            e.description += QStringLiteral(": ") + (name.isEmpty() ? QString::number(model.badTag) : name);
        }
        ShowErrorReport(curveTitle, e);
    }
}

void KeepPlotState(const PlotModel& model, PlotScale& instance)
{
    instance = model.scale;
    Global::SharedPlotLayout = model.layout;
}
