#pragma once
// The total of the ticked measurements, and the two files that keep it with
// the history: lines 3 to 5 of MeasData.csv and the tick memory
// CheckMemory.csv. Plain code; DataViewTotalCalc (measview/MeasViewTab.h)
// runs it over the loaded views and writes the files and the total row.
//
// The ticked measurements are strings of one array connected in parallel:
// at every curve point the voltage is the mean and the current the sum of
// theirs; the maximum power, the short-circuit current and the area add up;
// the open-circuit voltage, the temperatures and the irradiance are
// averaged; the fill factor and the efficiency follow from the totals.
#include "instrument/MeasRecord.h"

#include <QByteArray>

#include <cstdint>
#include <vector>

// The state of a total without ticked measurements (and of the total entry
// after a load): "--" in F0 to F3, F8, F10, F12, F14 to F17, F20 to F26, F31
// to F37, F39 and F43, and no curve points (0 to 119 empty). Other fields
// keep what they hold.
void SetNoValueFields(MeasRecord& rec);

enum class TotalView {
    Shown,       // the view the list shows: the outside temperature only of
                 // instruments that measure it, and the last ticked version
    PmCorrected, // every ticked outside temperature, the version left alone
};

// Whether a measurement takes part in a total (of the list or of the
// report): its Pm is a number. One that cannot be corrected shows "--"
// there in the corrected views, an instrument's failed trace a word.
bool HasTotalValues(const MeasRecord& rec);

// Computes entry 0 of `records` from the entries j = 1 to `count` whose
// ticks[j] is 1 and that HasTotalValues, as every step storing its result as
// text and the next step reading that text. Each mean divides by the number
// of values its sum took (the outside temperature of the shown view leaves
// out the lettered models'). With none taken the total gets
// SetNoValueFields and an efficiency (F13) of "--". A value that is not a
// finite number is "--".
void TotalOfTicked(std::vector<MeasRecord>& records, int count, const std::vector<std::uint8_t>& ticks,
                   TotalView view);

// MeasData.csv with its lines 3 to 5 holding the total's Pm, Voc and Isc
// ("SEL_OK," and the text, or an empty line for "--"), grown to 9 lines when
// shorter; every other line keeps its bytes. Lines end in CR LF.
QByteArray MeasDataWithTotals(const QByteArray& measData, const MeasRecord& total);

// CheckMemory.csv: one line per list row below the header, "True" or "False".
QByteArray TickMemoryBytes(const std::vector<bool>& memory);
