// The report button of the measurement-data tab.
#include "common/Controls.h"
#include "common/Global.h"
#include "measview/MeasViewGlobals.h"
#include "measview/MeasViewTab.h"
#include "measview/TabRules.h"
#include "platform/AppError.h"
#include "platform/Dialogs.h"
#include "report/ReportEntry.h"
#include "report/ReportGlobals.h"

#include <QWidget>

namespace {

// The one place the report window is opened: a window loaded anew, filled
// from the hand-over values and the shown view, shown without an owner.
bool ShowReportWindow()
{
    return FrmReportShow();
}

} // namespace

void CmdReportMake_Click()
{
    bool mainHidden = false;
    bool reportShown = false;
    Guarded(QStringLiteral("CmdReportMake_Click"), [&] {
        const int ticked = TickedMeasurementCount(Global::DisplayTick, Global::MeasFileCount);
        switch (ReportHandOverFor(Global::MeasFileCount, ticked)) {
        case ReportHandOver::Nothing:
            return;
        case ReportHandOver::TooMany:
            MsgBox(Global::UiText.value(UiReportTooMany), vbOKOnly | vbInformation);
            return;
        case ReportHandOver::Open:
            break;
        }
        // The ticks, the shown view and the history cannot change under the
        // report while the main window is hidden.
        mainHidden = HideMainWindow();
        Global::ReportCount = ticked;
        Global::ReportPmTotal.clear();
        Global::ReportVocMean.clear();
        Global::ReportIscTotal.clear();
        FrmReportUnload();
        reportShown = ShowReportWindow();
    });
    // Without the report window the user would be left with no window.
    if (mainHidden && !reportShown)
        ShowMainWindowAgain();
}
