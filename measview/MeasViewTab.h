#pragma once
#include "instrument/MeasRecord.h"

#include <Qt>
#include <QPoint>

#include <cstdint>
#include <future>
#include <vector>

// What the main window calls of the measurement-data tab and of the curve
// buttons of both measurement tabs. The loading, correcting and totalling
// are plain code (measview/HistoryLoad.h, Corrections.h, Totals.h,
// MeasList.h); these procedures read the tab's controls, run it and show
// the result.

// Lays out the measurement list `MfgMeasList`: 18 centred columns with their
// header texts, no data row, no tick; hides `CmdDspAll` and clears the curve
// graph `Pic_2`.
void MeasListIni();
// Resets the measurement-data tab: both customer lists refilled from the
// customer list with nothing chosen, the array summary and site name
// emptied, the history list emptied, the measurement list laid out afresh.
void DataViewDisplayInitial();
// The customer choice of a measurement tab (0 measurement data, 1
// instrument data; any other index does nothing): both lists of the tab on
// the same customer, who is read (UserDataRead) and shown with the history
// list. Page 0 also derives the groups' rated Pm and coefficients (through
// the array configuration window) and shows the array summary; its history
// list selects nothing. Page 1 selects the first history, the destination
// of moved read-out files. A customer that cannot be read empties the page
// (the list and loaded history of page 0 too); a missing UserData.csv says
// so (UI text 890).
void CmbCodeName_Click(int index);
void CmbUserName_Click(int index);
// The folder of the history chosen on the instrument-data tab, as its
// customer was read when the list was filled; empty when none is chosen.
QString ChosenHistoryFolder();
// Index 0 loads the history chosen in `CmbHistorySel_0` of the customer in
// `CmbCodeName_0` / `CmbUserName_0`: its measurement files (the first 800 in
// name order) into the four views, the list with its total row, the ticks
// from the history's CheckMemory.csv, the totals (DataViewTotalCalc), an
// empty graph, and the as-measured view. A history whose folder is not found
// empties the list, the paths, the count and the ticks. Index 1 (the
// instrument-data tab's destination history) does nothing.
void CmbHistorySel_Click(int index);
// The judgement switch `ChkJudgeOff` (the user's click): hides or shows the
// judgement columns, reloads the history and shows the view shown before.
void ChkJudgeOff_Click();
// The result-view switch (`SSTab3`): the shown view becomes a copy of the
// as-measured, Pm-corrected or STC-corrected view; the ticks are put back
// from DisplayTickMemory, the totals computed and stored, the rows rewritten
// and the curves of the new view drawn. The STC view is refused (UI text
// 779, 791 or 792, then the as-measured tab) when the corrections flagged
// it.
void SSTab3_Click(int previousTab);
// Empties the four views, the paths, the count and the ticks, forgets the
// folder the totals write to, and lays the list out afresh.
void UnloadMeasHistory();

// The tick cell of list row `row` changed to `ticked` (row 1 the total):
// the flags of record row - 1, the row's colour (the total row keeps its
// own), the totals. Does nothing while the all button or the view switch
// sets the cells.
void ChkDspSel_Click(int row, bool ticked);
// "All": ticks every row, the total row included, or unticks all when all
// are ticked; the totals run once.
void CmdDspAll_Click();
// The list scrolled: the tick cells show the flags; the list takes the focus.
void MfgMeasList_Scroll();
// The pointer moved over the list (`pos` in the list's pixels): kept in
// twips; the list takes the focus while the main window is in front.
void MfgMeasList_MouseMove(Qt::MouseButtons buttons, QPoint pos);
// A press on the list: CurMeasRow becomes the record of the current row (a
// press on a tick cell leaves it).
void MfgMeasList_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
// Opens the in-place edit box TxtPoinrIn_0 over the cell of columns 0 to 5
// under the pointer, for the measurement row last pressed (never the total
// row); the list takes no input until the box closes.
void MfgMeasList_DblClick();
// Enter in the edit box TxtPoinrIn_0 (already hidden, the list usable
// again) with `typed` in it, over column EditColMeas of measurement
// CurMeasRow (never the total row): the as-measured record with the value
// is written to the file the measurement was loaded from, under the name it
// now gives, and the file of the old name removed; only then do the four
// views (and the corrected ones anew after a change of group), the path and
// the cell take the value, and the view shown is chosen again. A refused
// value changes nothing. Throws AppError when a file cannot be written or
// removed, with every file, view and cell as it was.
void MeasListEditCommit(const QString& typed);
// The curve buttons of both measurement tabs (1: clears the measurement
// graph and the name of the view drawn).
void CmdDataView_Click(int index);
// Total of the ticked measurements (DisplayTick) in the shown and the
// Pm-corrected view, written into entry 0 of both, into lines 3 to 5 of the
// loaded history's MeasData.csv, into its CheckMemory.csv and into list row
// 1. Does nothing while TickRestoring is set. Files are written whole
// through the atomic writer, into the folder the history was loaded from;
// a failure shows the report titled "DataViewTotalCalc" and leaves the
// files not yet written as they were.
void DataViewTotalCalc();
// DataViewTotalCalc in two halves, for a caller with other work to do
// meanwhile: the first works the totals of `ticks` out on other threads,
// the second waits for them and stores and shows them as DataViewTotalCalc
// does (its failures reported under that name). In between nothing may
// read or change entry 0 of the shown or the Pm-corrected view.
std::future<void> BeginTotalsOfTicked(std::vector<std::uint8_t> ticks);
void FinishTotalsOfTicked(std::future<void>& totals);
// FinishTotalsOfTicked in two halves again, for a caller with more to do
// while the files are written and flushed: the first waits for the totals
// (their failure reported) and starts writing their files on another
// thread; the second waits for the files and shows the total row, or
// reports the failure, and returns whether the row was shown. In between
// the caller touches no file of the history.
struct TotalsSave {
    std::future<void> files; // none: nothing to save
    MeasRecord total;
};
TotalsSave SaveTotalsOfTickedBehind(std::future<void>& totals);
bool EndTotalsSave(TotalsSave& save);
// The report button: with 1 to 20 ticked measurement rows, hands them to
// the report window (ReportCount, the report totals emptied) with the main
// window hidden meanwhile; more than 20 are refused with UI text 577; none,
// or no history loaded, does nothing. The main window shows again whenever
// the report window does not come up.
void CmdReportMake_Click();

// Connects the tab's own controls (the judgement switch, the list's ticks,
// scrolling and mouse, the all button, the edit box) to the handlers above;
// the main window calls it once it has built them.
void ConnectMeasViewTab();
