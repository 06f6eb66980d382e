#pragma once
// What the main window calls of the measurement-data tab and of the curve
// buttons of both measurement tabs. The loading, correcting and totalling
// are plain code (measview/HistoryLoad.h, Corrections.h, Totals.h,
// MeasList.h); these procedures read the tab's controls, run it and show
// the result.

// Lays out the measurement list `MfgMeasList`: 18 centred columns with their
// header texts, no data row, no tick; hides `CmdDspAll` and clears the curve
// graph `Pic_2`.
void MeasListIni();
// Resets the measurement-data tab.
void DataViewDisplayInitial();
// Customer and construction-history choice of a measurement tab (0
// measurement data, 1 instrument data).
void CmbCodeName_Click(int index);
void CmbUserName_Click(int index);
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
// The result-view switch (`SSTab3`).
void SSTab3_Click(int previousTab);
// Opens the in-place edit over the measurement list.
void MfgMeasList_DblClick();
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
// The report button.
void CmdReportMake_Click();

// Connects the tab's own controls (the judgement switch) to the handlers
// above; the main window calls it once it has built them.
void ConnectMeasViewTab();
