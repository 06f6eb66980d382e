#pragma once
// The measurement list MfgMeasList of the measurement-data tab: 18 columns,
// header row 0, the total in row 1 (entry 0 of the shown view), measurement
// r in row r + 1. The cell texts of a row are a plain function of the record
// (MeasListCells); the functions below it put them into the grid.
#include "instrument/MeasRecord.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

class FlexGrid;

// Who writes a row: the history load, the result view switch or the totals.
// They differ in how Voc and Isc (columns 7 and 8) are shown:
//   Load       as stored on the total row, formatted on every other row;
//   ViewSwitch as stored on any row whose Voc and Isc both read "--";
//   Totals     as stored (it writes the total row only).
// The view switch also leaves column 12 (irradiance) as the load wrote it.
enum class MeasRowWriter { Load, ViewSwitch, Totals };

// Row colours (0x00BBGGRR): the total row, a ticked and an unticked row.
inline constexpr quint32 MeasTotalRowColor = 0xC0FFC0;
inline constexpr quint32 MeasTickedColor = 0xFFFFC0;
inline constexpr quint32 MeasUntickedColor = 0xFFFFFF;
// The judgement switch while the judgement is shown, and while it is hidden.
inline constexpr quint32 JudgeShownColor = 0x80FF80;
inline constexpr quint32 JudgeHiddenColor = 0xE0E0E0;

// UI text keys: the 18 column headers, the total row's label.
QList<int> MeasListHeaderKeys();
inline constexpr int UiTotalRowLabel = 547;

// The 18 cell texts of the list row of `rec`. `totalRow` is the total (entry
// 0); `judgementHidden` empties the judgement columns 15 to 17.
QStringList MeasListCells(const MeasRecord& rec, bool totalRow, MeasRowWriter writer, bool judgementHidden);
// MeasListCells of the measurements 1 to `count` of `records` (entry r - 1
// holds measurement r's), made side by side on the worker threads.
std::vector<QStringList> MeasListRowsCells(const std::vector<MeasRecord>& records, int count, MeasRowWriter writer,
                                           bool judgementHidden);

// List rows 2 to count + 1 written with the measurements 1 to `count` of
// `records`, column 12 left as it is: as WriteMeasListRow(..., false) with
// their MeasListCells, the texts made and, where the cells hold them in
// place, written side by side. Within a batch of the grid.
void WriteMeasListRows(FlexGrid* grid, const std::vector<MeasRecord>& records, int count, MeasRowWriter writer,
                       bool judgementHidden);
// Writes `cells` into list row `row`; without `irradiance` column 12 is left
// as it is.
void WriteMeasListRow(FlexGrid* grid, int row, const QStringList& cells, bool irradiance = true,
                      const quint32* color = nullptr);
// Gives every cell of list row `row` the back colour `color` and black text.
void PaintMeasListRow(FlexGrid* grid, int row, quint32 color);
// List rows 2 to count + 1 painted so (PaintMeasListRow) in the ticked
// colour where entry r of `ticks` (measurement r) is set, else unticked:
// side by side where the cells hold their colours in place. Within a batch
// of the grid.
void PaintMeasListRows(FlexGrid* grid, int count, const std::vector<std::uint8_t>& ticks);
// Whether the judgement switch ChkJudgeOff hides the judgement columns.
bool JudgementHidden();
