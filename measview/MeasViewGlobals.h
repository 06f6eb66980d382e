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

// Number of measurements loaded, 0 to 800.
inline std::int32_t MeasFileCount = 0;

// Tick flags of the list rows below the header, entries 0 to MeasFileCount
// (entry 0 the total row): 1 ticked, 0 not.
inline std::vector<std::uint8_t> DisplayTick = std::vector<std::uint8_t>(1, 0);

} // namespace Global
