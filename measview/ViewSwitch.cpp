// The result-view switch of the measurement-data tab (SSTab3).
#include "common/Global.h"
#include "instrument/MeasRecordGlobals.h"
#include "measview/MeasList.h"
#include "measview/MeasTabSupport.h"
#include "measview/MeasViewGlobals.h"
#include "measview/MeasViewTab.h"
#include "measview/TabRules.h"
#include "platform/AppError.h"
#include "platform/Dialogs.h"

#include <QTabWidget>

namespace {

bool Remembered(int r)
{
    return r < int(Global::DisplayTickMemory.size()) && Global::DisplayTickMemory[std::size_t(r)];
}

} // namespace

void SSTab3_Click(int)
{
    auto* tabs = MainControl<QTabWidget>(QStringLiteral("SSTab3"));
    if (!tabs)
        return;
    FlexGrid* grid = MeasGrid();
    Guarded(QStringLiteral("SSTab3_Click"), [&] {
        switch (ResultTab(tabs->currentIndex())) {
        case ResultTab::AsMeasured:
            Global::MeasViewRecords = Global::MeasRawRecords;
            break;
        case ResultTab::PmCorrected:
            Global::MeasViewRecords = Global::MeasPmCorrRecords;
            break;
        case ResultTab::StcCorrected:
            if (const int key = StcRefusalKey(Global::StcCoefMissing, Global::ModuleCompFlags)) {
                MsgBox(Global::UiText.value(key), vbOKOnly | vbExclamation);
                // The as-measured view follows at once, by its own switch.
                tabs->setCurrentIndex(int(ResultTab::AsMeasured));
                return;
            }
            Global::MeasViewRecords = Global::MeasStcRecords;
            break;
        default:
            return;
        }

        const int count = Global::MeasFileCount;
        Global::DisplayTick.assign(std::size_t(count) + 1, 0);
        if (grid) {
            const FlagScope switching(Global::ViewSwitchRunning);
            for (int row = 1; row < grid->Rows(); ++row)
                grid->setTick(row, false);
        }
        if (count == 0 || !grid)
            return;

        // The ticks come back from their memory, and with them the colours.
        {
            const FlagScope switching(Global::ViewSwitchRunning);
            const FlagScope restoring(Global::TickRestoring);
            for (int r = 0; r <= count; ++r)
                grid->setTick(r + 1, Remembered(r));
        }
        {
            const ListHidden hidden(grid);
            for (int r = 0; r <= count; ++r) {
                Global::DisplayTick[std::size_t(r)] = Remembered(r) ? 1 : 0;
                if (r >= 1)
                    PaintMeasListRow(grid, r + 1, Remembered(r) ? MeasTickedColor : MeasUntickedColor);
            }
        }

        DataViewTotalCalc();

        // The irradiance is the same in every view: its column stays.
        {
            const ListHidden hidden(grid);
            const bool judgementHidden = JudgementHidden();
            for (int r = 0; r <= count; ++r)
                WriteMeasListRow(grid, r + 1,
                                 MeasListCells(Global::MeasViewRecords[std::size_t(r)], r == 0,
                                               MeasRowWriter::ViewSwitch, judgementHidden),
                                 false);
        }
        MfgMeasList_Scroll();
        CmdDataView_Click(0);
    });
}
