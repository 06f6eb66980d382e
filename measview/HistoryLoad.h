#pragma once
// Loading a construction history: its folder, its measurement files, the
// tick memory, and the four views of its measurements (as shown, as
// measured, Pm-corrected, STC-corrected). Plain code over files and records;
// CmbHistorySel_Click (measview/MeasViewTab.h) lays the result out.
//
// In every view entry 0 is the total of the ticked measurements and entry i
// (1 to count) the i-th measurement file in name order; entries after count
// stay empty.
#include "customers/CustomerRecords.h"
#include "instrument/MeasRecord.h"
#include "measview/Corrections.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <vector>

// The folder of the history named `historyName` in `customerFolder`: of its
// folders, sorted by name without regard to case, the first whose name after
// its first "_" is `historyName` exactly (case counts). Empty when there is
// none (also when the customer folder is missing or the name is empty).
QString FindHistoryFolder(const QString& customerFolder, const QString& historyName);

// The measurement files of a history folder (names YYMMDD_HHNNSS_NNNN-AA-SS.csv,
// one character per "?"), sorted by character codes: the first 800 of them,
// as full paths.
QStringList HistoryMeasFiles(const QString& historyFolder);

// One measurement file of a history, as the history load reads it: the
// history variant of the measurement file with the load's rules (currents
// outside 0 to below 60 become "0", the powers V x I, the fill factor of an
// older labelled file). A labelled file without its version line gives an
// empty record. An empty file, or one that cannot be read, keeps its row:
// its record holds "--" in the fields the list shows.
MeasRecord ReadHistoryMeasFile(const QString& path);

// Empties every field and point text of `rec`.
void ClearRecord(MeasRecord& rec);

// The tick flags that the tick memory file's bytes give a history of `count`
// measurements: count + 1 entries, 1 for a line whose text before its first
// "," reads "TRUE" in any letter case, else 0. A file of any other number of
// lines than count + 1 ticks nothing.
std::vector<std::uint8_t> TickMemoryFlags(const QByteArray& bytes, int count);

struct HistoryViews {
    std::vector<MeasRecord> shown;  // what the list shows after the load
    std::vector<MeasRecord> raw;    // as measured
    std::vector<MeasRecord> pmCorr; // Pm-corrected
    std::vector<MeasRecord> stc;    // STC-corrected
};

// Reads the files `paths` (at most 800; entry i - 1 is measurement i) into
// `views`, with the correction data of `array`, and returns the flags the
// corrections raise. Every view gets entries 0 to 800: entry 0 the total's
// empty state ("--" fields, no points), entries after the last file empty.
// The vectors' storage is used again when they already have that size, so
// that a load does not first hand 32 MB back and take it anew. The files are
// read and corrected on several threads; the result does not depend on how
// many. `progress`, when given, is told (files done, files) now and then,
// always on the calling thread.
using LoadProgress = std::function<void(int done, int total)>;
CorrectionFlags LoadHistoryViews(const QStringList& paths, const ArrayConfigurationType& array,
                                 HistoryViews& views, const LoadProgress& progress = {});

// A whole history as its load takes it from its folder: the measurement
// files into `views` (LoadHistoryViews), and the ticks of its
// CheckMemory.csv.
struct LoadedHistory {
    QStringList paths;
    std::vector<std::uint8_t> ticks; // entries 0 to paths.size()
    CorrectionFlags flags;
};
// `progress` hears (0, files) once the files are listed, then as
// LoadHistoryViews tells it.
LoadedHistory LoadHistory(const QString& historyFolder, const ArrayConfigurationType& array,
                          HistoryViews& views, const LoadProgress& progress = {});
