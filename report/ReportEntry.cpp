#include "report/ReportEntry.h"

#include "report/FrmReport.h"
#include "report/ReportGlobals.h"
#include "report/ReportLogo.h"

#include <memory>

bool FrmReportShow()
{
    FrmReportUnload();
    bool shown = false;
    Guarded(QStringLiteral("FrmReportShow"), [&] {
        auto form = std::make_unique<FrmReport>();
        Global::ReportForm = form.get();
        form.release()->show();
        shown = true;
    });
    return shown;
}

bool FrmReportIsLoaded()
{
    return !Global::ReportForm.isNull();
}

FrmReport* FrmReportWindow()
{
    return Global::ReportForm.data();
}

void FrmReportUnload()
{
    FrmReport* form = Global::ReportForm.data();
    Global::ReportForm = nullptr;
    if (form)
        form->close();
}

// A printed page lives only for its print job (report/PrintPages.h): none is
// ever left loaded, so there is nothing to unload.
void FrmPrintReportUnload() {}

void FrmPrintReportPage2Unload() {}

QImage ReportLogoPicture()
{
    if (FrmReport* form = FrmReportWindow())
        return form->logoPicture();
    return ReportLogo();
}
