#pragma once
// The one scheme of every I-V / P-V curve plot of the program: the graphs of
// both measurement tabs, the report window and the printed pages.
//
// BuildPlot is a pure function from the curves and the plot's parameters to
// a plot model: the scale (PlotScale, PlotLayout) and the items to draw, in
// drawing order, in the picture's user scale (width SW = PlotVRangeL + 2 x
// PlotXMargin, height SH = PlotIRangeL + 2 x PlotYMargin, origin top left, y
// down). PlotPainter.h paints a model onto any QPainter.
//
// The plots only read the records. Each point's power (voltage x current)
// and the current clamp exist only inside the model, so drawing never
// changes a total, a report or a file.
#include "instrument/MeasRecord.h"
#include "platform/AppError.h"

#include <QPointF>
#include <QSizeF>
#include <QString>

#include <climits>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// The scale state of one plot.
struct PlotScale {
    // Extremes of the plotted points (the minima are kept, nothing reads them).
    double PlotPMax = -9999;
    double PlotPMin = 9999;
    double PlotIMax = -9999;
    double PlotIMin = 9999;
    double PlotVMax = -9999;
    double PlotVMin = 9999;
    // Axis ends in scaled units; the starts are always 0.
    double AxisPMax = 0;
    double AxisPMin = 0;
    double AxisIMax = 0;
    double AxisIMin = 0;
    double AxisVMax = 0;
    double AxisVMin = 0;
    // Scaled units per ampere, watt and volt: 10 to the power k.
    double DecadeI = 0;
    double DecadeP = 0;
    double DecadeV = 0;
    // Divisions of the current and power axes, and of the voltage axis.
    double GridDivH = 0;
    double GridDivV = 0;
    double MarginDivisor = 0;
    // Tick-label patterns: "0", or "0." and k zeros.
    QString LabelFmtI;
    QString LabelFmtV;
    QString LabelFmtP;

    bool operator==(const PlotScale&) const = default;
};

// The layout values of a plot (the last plot drawn leaves them).
struct PlotLayout {
    double PlotVRange = 0;
    double PlotIRange = 0;
    double PlotPRange = 0;
    std::int32_t PlotVRangeL = 0;
    std::int32_t PlotIRangeL = 0;
    std::int32_t PlotXMargin = 0;
    std::int32_t PlotYMargin = 0;
    // Gaps between an axis and its labels: percent of the scale width and
    // height for the tick labels, plain picture units for the unit texts.
    std::int32_t LabelGapX = 0;
    std::int32_t LabelGapY = 0;

    bool operator==(const PlotLayout&) const = default;
};

namespace Global {
// The measurement-data graph's scale (the report plots use it too), the
// instrument-data graph's, and the layout of the last plot of any kind.
inline PlotScale MeasPlotScale;
inline PlotScale ForwardPlotScale;
inline PlotLayout SharedPlotLayout;
} // namespace Global

// What a picture tells about itself: its inner size in device units, and
// the size of a text in its font in the same units.
struct PlotSurface {
    QSizeF size;
    std::function<QSizeF(const QString&)> textSize;
};

// How the point texts are read for the scale: by their leading number (an
// empty or non-numeric text is 0), or strictly (anything but a number fails
// with error 13, Type mismatch).
enum class PointReading { Value, Strict };

// What an axis gets whose largest value is 0 or negative: one axis step, or
// the plot is not drawable (error 380, nothing drawn). A power axis of
// exactly 0 never stops a plot: its P-V curves are skipped.
enum class EmptyAxisRule { OneStep, NotDrawable };

struct PlotParams {
    double gridDivH = 10;
    double gridDivV = 10;
    double marginDivisor = 7;
    // PlotYMargin = PlotIRangeL / (marginDivisor x yMarginFactor): 0.8 on
    // the measurement tabs, 0.5 on the report plots.
    double yMarginFactor = 0.8;
    // Axis ends are whole multiples of this many scaled units.
    double axisStep = 100;
    PointReading extentReading = PointReading::Value;
    EmptyAxisRule emptyAxis = EmptyAxisRule::OneStep;
    // The P-V view: power labels, "(W)" and the P-V curves.
    bool pvView = false;
    // False: the frame alone.
    bool curves = true;
    // True: a point text that is no number ends the whole drawing (the
    // measurement tabs); false: it ends that curve only (the report).
    bool stopAtBadCurve = true;
    QString title;
};

struct PlotCurve {
    const MeasRecord* record = nullptr;
    // Currents outside 0 to below 60 A are drawn as 0.
    bool clampCurrent = false;
    // Windows colour values, 0x00BBGGRR.
    quint32 ivColor = 0xFF0000;
    quint32 pvColor = 0x0000FF;
    // The caller's name for the curve (the report: its record index).
    int tag = -1;
    // False: the curve counts for the scale but is not drawn (a printed
    // page draws the rows it prints).
    bool draw = true;
};

struct PlotItem {
    enum Kind : std::uint8_t {
        GridLine,
        Axis,
        LabelI,
        LabelP,
        LabelV,
        Unit,
        Title,
        IvSegment,
        PvSegment,
    };
    // A line from `from` to `to`; a text with its top left corner at `from`.
    QPointF from;
    QPointF to;
    QString text;
    quint32 color = 0;
    int penWidth = 1;
    // The curve a segment belongs to (index into the curves), else -1.
    int curve = -1;
    // Last: a plot holds a hundred thousand items, and the kind packed
    // beside the numbers above keeps each item smaller.
    Kind kind = GridLine;

    bool isText() const { return kind >= LabelI && kind <= Title; }
};

struct PlotModel {
    PlotScale scale;
    PlotLayout layout;
    // The user scale is set and the frame built; false: the picture stays
    // empty (`error` says why).
    bool framed = false;
    double scaleWidth = 0;
    double scaleHeight = 0;
    std::vector<PlotItem> items;
    // Why the plot could not be drawn, or (stopAtBadCurve) why it ended.
    std::optional<AppError> error;
    // The first curve that could not be drawn to its end, and why.
    int badCurve = -1;
    int badTag = -1;
    std::optional<AppError> curveError;
    // No power to show: the P-V curves were left out.
    bool pvSkipped = false;
};

// The decade rule: k is the first of 0 to 10 for which |max| x 10^k rounds
// to 100 or more (11 when none does); the label pattern is "0", or "0." and
// k zeros. A maximum beyond a 32-bit whole number fails with error 6.
struct PlotDecade {
    int k = 0;
    double factor = 1;
    QString format;
};
PlotDecade DecadeFor(double max);

// The model of one plot. A failure of the scale (error 6 Overflow, 13 Type
// mismatch of a strict reading, 380 for an empty axis under NotDrawable)
// gives a model with no frame and no items, whose scale holds what this
// plot computed (never an earlier plot's).
PlotModel BuildPlot(const std::vector<PlotCurve>& curves, const PlotParams& params,
                    const PlotSurface& surface);

// The number a point text stands for, strictly: a failure is error 13.
double StrictValue(const QString& text);

// ---- The report's plots (the report window and the printed pages).

// The report rows: the elements 0 to measFileCount whose tick is 1, in
// index order; entry q of the result is the record of report row q.
std::vector<int> ReportCurveRecords(int measFileCount, const std::vector<std::uint8_t>& ticks);

struct ReportPlotOptions {
    // ChkPV_VIEW is 1.
    bool pvView = false;
    // The report window reads the point texts by their leading number, the
    // printed pages strictly.
    PointReading frameReading = PointReading::Value;
    // The report rows whose curves are drawn (a printed page's rows); the
    // scale always covers every report row.
    int firstRow = 0;
    int lastRow = INT_MAX;
};

// The report's plot: the scale and frame of every report row (margins a
// seventh of the voltage length beside the grid, two sevenths of the
// current length above and below it), then each row's curves in its colours
// from Global::CurveColors (a row past the table draws black). nullopt when
// nothing is loaded (measFileCount 0 or less): the picture keeps what it
// shows. No report row gives an empty, unframed model without an error.
std::optional<PlotModel> ReportPlotModel(const std::vector<MeasRecord>& view, int measFileCount,
                                         const std::vector<std::uint8_t>& ticks,
                                         const ReportPlotOptions& options, const PlotSurface& surface);

// Shows the report plot's failures: a plot that is not drawable as the
// error report titled "WaveClear" with UI text 780 appended; then, once per
// fill, the first curve that could not be drawn, named by its measurement
// number, titled `curveTitle` (empty: the program's title).
void ReportPlotErrors(const PlotModel& model, const std::vector<MeasRecord>& view, const QString& curveTitle);

// Leaves the plot state of a drawing: its scale in `instance`
// (Global::MeasPlotScale or Global::ForwardPlotScale) and its layout in
// Global::SharedPlotLayout.
void KeepPlotState(const PlotModel& model, PlotScale& instance);
