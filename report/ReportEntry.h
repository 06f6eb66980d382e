#pragma once
// What other parts call of the report windows: the report button opens the
// report window, the caption set-up unloads the windows so that they take
// their texts afresh when loaded next, and the printed pages take the logo
// the report window shows.
#include <QImage>

class FrmReport;

// Opens a new report window over the hand-over (ReportCount, the ticks and
// records of the shown view): a loaded one is unloaded first, then the
// window is made, loaded (filled) and shown without owner. False when the
// window could not be made; the caller then shows the main window again.
bool FrmReportShow();

bool FrmReportIsLoaded();
// The loaded report window, or nullptr.
FrmReport* FrmReportWindow();
// Unloads the report window (as code does: the main window is not shown).
void FrmReportUnload();
void FrmPrintReportUnload();
void FrmPrintReportPage2Unload();

// The picture the report window's logo shows; without a report window, the
// logo a new one would show.
QImage ReportLogoPicture();
