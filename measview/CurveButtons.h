#pragma once
// The curve buttons of both measurement tabs: the graph `Pic_2` of the
// measurement-data tab (the ticked rows of the shown view) and `Pic_3` of
// the instrument-data tab (the ticked read-out records).
#include "measview/PlotEngine.h"

#include <optional>

// The plot of the measurement-data graph: the ticked entries 0 to
// MeasFileCount of MeasViewRecords (the total unclamped), nullopt when no
// measurement row is ticked (a ticked total alone draws nothing).
std::optional<PlotModel> MeasGraphModel(bool pvView, const PlotSurface& surface);
// The plot of the instrument-data graph: the ticked ForwardRecords; nullopt
// when none is ticked.
std::optional<PlotModel> ForwardGraphModel(bool pvView, const PlotSurface& surface);
// The empty frame of the instrument-data graph scaled to the current row's
// record, read strictly, the power labels always shown; nullopt when no row
// is current.
std::optional<PlotModel> ForwardFrameModel(const PlotSurface& surface);

// 0 draws and 1 clears the measurement-data graph; 3 draws the
// instrument-data graph, 5 clears it and draws the frame of the current
// row. Any failure shows the error report titled "CmdDataView_Click" with
// UI text 780 appended.
void CmdDataView_Click(int index);
