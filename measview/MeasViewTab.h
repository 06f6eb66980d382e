#pragma once
// What the main window calls of the measurement-data tab and of the curve
// buttons of both measurement tabs.

// Lays out the measurement list `MfgMeasList` (18 columns, header row from
// UI texts 93, 94, 95, 123, 124, 96, 97, 98, 99, 108, 101, 102, 103, 110,
// 111, 113, 117, 118).
void MeasListIni();
// Resets the measurement-data tab.
void DataViewDisplayInitial();
// Customer and construction-history choice of a measurement tab (0
// measurement data, 1 instrument data).
void CmbCodeName_Click(int index);
void CmbUserName_Click(int index);
void CmbHistorySel_Click(int index);
// The result-view switch (`SSTab3`).
void SSTab3_Click(int previousTab);
// Opens the in-place edit over the measurement list.
void MfgMeasList_DblClick();
// The curve buttons of both measurement tabs.
void CmdDataView_Click(int index);
// Total of the ticked measurements.
void DataViewTotalCalc();
// The report button.
void CmdReportMake_Click();
