#pragma once
// The measurement record arrays shared by the instrument-data tab, the
// read-out and the measurement-data tab, in namespace Global (see app/Global.h).
//
// They start empty; each load re-creates its array with DimRecords() before
// it fills it (the sizes below), so nothing of an earlier load survives.
#include "instrument/MeasRecord.h"

#include <vector>

namespace Global {

// Upper index of the read-out's table of decoded records (801 records).
inline constexpr int ReadOutRecordsUpper = 800;
// Upper index of the loaded construction history's views (0 total, 1..800 files).
inline constexpr int MeasRecordsUpper = 800;
// Smallest upper index of ForwardRecords (the larger of this and the file count).
inline constexpr int ForwardRecordsMinUpper = 1200;

// Decoded records of the read-out in progress.
inline std::vector<MeasRecord> ReadOutRecords;
// Records of the instrument-data list: element k is row k + 1.
inline std::vector<MeasRecord> ForwardRecords;
// The loaded construction history: as shown, as measured, Pm-corrected and
// STC-corrected; element 0 is the total of the ticked measurements.
inline std::vector<MeasRecord> MeasViewRecords;
inline std::vector<MeasRecord> MeasRawRecords;
inline std::vector<MeasRecord> MeasPmCorrRecords;
inline std::vector<MeasRecord> MeasStcRecords;

} // namespace Global
