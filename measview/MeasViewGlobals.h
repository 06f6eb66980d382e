#pragma once
// Shared state of this subsystem, in namespace Global (see app/Global.h).
// The four views of the loaded history (MeasViewRecords, MeasRawRecords,
// MeasPmCorrRecords, MeasStcRecords) live in instrument/MeasRecordGlobals.h.
// The plot state of the curve graphs (MeasPlotScale, ForwardPlotScale,
// SharedPlotLayout) lives with the plot engine in measview/PlotEngine.h.
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace Global {

// Most measurement files a history load takes (entries 1 to 800 of the views).
inline constexpr int MaxHistoryMeasFiles = 800;

// Full paths of the loaded history's measurement files in name order: entry
// i - 1 for measurement i; entries 0 to 800, those after the last path empty.
inline std::vector<QString> MeasFilePaths;
// Number of measurements loaded, 0 to 800.
inline std::int32_t MeasFileCount = 0;
// The folder the loaded history was read from; the totals write its
// MeasData.csv and CheckMemory.csv there. Empty when no history is loaded.
inline QString MeasHistoryFolder;

// Tick flags of the list rows below the header, entries 0 to MeasFileCount
// (entry 0 the total row): 1 ticked, 0 not, and the same as booleans.
inline std::vector<std::uint8_t> DisplayTick = std::vector<std::uint8_t>(1, 0);
inline std::vector<bool> DisplayTickMemory = std::vector<bool>(1, false);

// Record index of the list row last pressed (-1 for none), and the column
// (0 to 5) being edited in place.
inline std::int32_t CurMeasRow = -1;
inline std::int32_t EditColMeas = 0;
// The last pointer position over the measurement list, in twips of the
// list's own coordinates.
inline std::int32_t MeasListMouseX = 0;
inline std::int32_t MeasListMouseY = 0;

// Re-entry guards of the measurement list. While TickRestoring is set the
// totals do nothing; while either of the others is set a tick does nothing.
inline bool TickRestoring = false;
inline bool TickAllRunning = false;
inline bool ViewSwitchRunning = false;

// Raised by the corrections of a load, read by the view switch to refuse
// the STC-corrected view: a group coefficient (alpha, beta, Rs, K) is
// missing; (0) a group has no module or a series count below 1, (1) a group
// mixes module models.
inline bool StcCoefMissing = false;
inline std::array<bool, 2> ModuleCompFlags{};

} // namespace Global
