#include "report/ReportEntry.h"

// The report windows do not exist yet: nothing is ever loaded to unload.

bool FrmReportIsLoaded()
{
    return false;
}

void FrmReportUnload() {}

void FrmPrintReportUnload() {}

void FrmPrintReportPage2Unload() {}
