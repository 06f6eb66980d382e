#pragma once
// What the main window calls of the report windows: the caption set-up
// unloads them so that they take their texts afresh when loaded next.

bool FrmReportIsLoaded();
void FrmReportUnload();
void FrmPrintReportUnload();
void FrmPrintReportPage2Unload();
