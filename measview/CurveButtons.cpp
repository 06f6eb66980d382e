#include "measview/CurveButtons.h"

#include "common/AppGlobals.h"
#include "common/Controls.h"
#include "instrument/InstrumentGlobals.h"
#include "instrument/MeasRecordGlobals.h"
#include "measview/MeasViewGlobals.h"
#include "measview/PlotPainter.h"

#include <QCheckBox>
#include <QLabel>
#include <QTabWidget>

namespace {

bool Ticked(const std::vector<std::uint8_t>& ticks, int r)
{
    return r >= 0 && std::size_t(r) < ticks.size() && ticks[std::size_t(r)] == 1;
}

// A measurement row is ticked (the total row alone does not count).
bool AnyMeasurementTicked()
{
    for (int r = 1; r <= Global::MeasFileCount; ++r)
        if (Ticked(Global::DisplayTick, r))
            return true;
    return false;
}

const MeasRecord& RecordAt(const std::vector<MeasRecord>& records, int r)
{
    if (r < 0 || std::size_t(r) >= records.size())
        throw AppError(9);
    return records[std::size_t(r)];
}

// The graphs of the measurement tabs: a grid of 10 by 10 (the instrument
// frame 10 by 6), margins a seventh of the voltage length beside the grid
// and 1 / 5.6 of the current length above and below it, an axis whose
// largest value is 0 or negative one step long.
PlotParams TabParams(bool pvView)
{
    PlotParams p;
    p.pvView = pvView;
    p.title = Global::UiText.value(513);
    return p;
}

bool PvTicked(const QString& name)
{
    auto* box = MainControl<QCheckBox>(name);
    return box && box->checkState() == Qt::Checked;
}

void ShowTabPlot(QLabel* picture, const PlotModel& m, PlotScale& instance)
{
    KeepPlotState(m, instance);
    ShowPlot(picture, m);
    if (m.error)
        throw *m.error;
    if (m.curveError)
        throw *m.curveError;
}

} // namespace

std::optional<PlotModel> MeasGraphModel(bool pvView, const PlotSurface& surface)
{
    if (!AnyMeasurementTicked())
        return std::nullopt;
    std::vector<PlotCurve> curves;
    for (int r = 0; r <= Global::MeasFileCount; ++r) {
        if (!Ticked(Global::DisplayTick, r))
            continue;
        PlotCurve c;
        c.record = &RecordAt(Global::MeasViewRecords, r);
        c.clampCurrent = r >= 1; // the total is never clamped
        c.tag = r;
        curves.push_back(c);
    }
    return BuildPlot(curves, TabParams(pvView), surface);
}

std::optional<PlotModel> ForwardGraphModel(bool pvView, const PlotSurface& surface)
{
    const int count = Global::ForwardFileCount;
    std::vector<PlotCurve> curves;
    for (int r = 0; r < count; ++r) {
        if (!Ticked(Global::ForwardTick, r))
            continue;
        PlotCurve c;
        c.record = &RecordAt(Global::ForwardRecords, r);
        c.clampCurrent = true;
        c.tag = r;
        curves.push_back(c);
    }
    if (curves.empty())
        return std::nullopt;
    return BuildPlot(curves, TabParams(pvView), surface);
}

std::optional<PlotModel> ForwardFrameModel(const PlotSurface& surface)
{
    if (Global::CurForwardRow < 0)
        return std::nullopt;
    PlotCurve c;
    c.record = &RecordAt(Global::ForwardRecords, Global::CurForwardRow);
    c.tag = Global::CurForwardRow;
    PlotParams p = TabParams(true);
    p.gridDivV = 6;
    p.axisStep = 10;
    p.extentReading = PointReading::Strict;
    p.curves = false;
    return BuildPlot({c}, p, surface);
}

void CmdDataView_Click(int index)
{
    Global::SharedPlotLayout.LabelGapX = 1;
    Global::SharedPlotLayout.LabelGapY = 2;
    try {
        switch (index) {
        case 0: {
            auto* picture = MainControl<QLabel>(QStringLiteral("Pic_2"));
            auto* measType = MainControl<QLabel>(QStringLiteral("LblMeasType"));
            ClearPicture(picture);
            if (measType)
                measType->clear();
            if (!AnyMeasurementTicked())
                return;
            if (auto* views = MainControl<QTabWidget>(QStringLiteral("SSTab3")); views && measType) {
                static const int viewKeys[3] = {505, 506, 508};
                const int tab = views->currentIndex();
                if (tab >= 0 && tab < 3) {
                    measType->setText(Global::UiText.value(viewKeys[tab]));
                    measType->adjustSize(); // it floats over the picture, in no layout
                }
            }
            if (auto m = MeasGraphModel(PvTicked(QStringLiteral("ChkPV_VIEW")), PictureSurface(picture)))
                ShowTabPlot(picture, *m, Global::MeasPlotScale);
            break;
        }
        case 1:
            if (auto* measType = MainControl<QLabel>(QStringLiteral("LblMeasType")))
                measType->clear();
            ClearPicture(MainControl<QLabel>(QStringLiteral("Pic_2")));
            break;
        case 3: {
            auto* picture = MainControl<QLabel>(QStringLiteral("Pic_3"));
            ClearPicture(picture);
            if (Global::ForwardFileCount <= 0)
                return;
            if (auto m = ForwardGraphModel(PvTicked(QStringLiteral("ChkPV_VIEW_FWD")), PictureSurface(picture)))
                ShowTabPlot(picture, *m, Global::ForwardPlotScale);
            break;
        }
        case 5: {
            auto* picture = MainControl<QLabel>(QStringLiteral("Pic_3"));
            ClearPicture(picture);
            if (auto m = ForwardFrameModel(PictureSurface(picture)))
                ShowTabPlot(picture, *m, Global::ForwardPlotScale);
            break;
        }
        default:
            break;
        }
    } catch (...) {
        AppError e = ToAppError(std::current_exception());
        e.description += u' ' + Global::UiText.value(780);
        ShowErrorReport(QStringLiteral("CmdDataView_Click"), e);
    }
}
