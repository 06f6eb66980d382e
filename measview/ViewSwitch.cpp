// The result-view switch of the measurement-data tab (SSTab3).
#include "common/Global.h"
#include "instrument/MeasRecordGlobals.h"
#include "measview/MeasList.h"
#include "measview/MeasTabSupport.h"
#include "measview/MeasViewGlobals.h"
#include "measview/MeasViewTab.h"
#include "measview/Parallel.h"
#include "measview/TabRules.h"
#include "platform/AppError.h"
#include "platform/Dialogs.h"

#include <QTabWidget>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

// Records per thread below which one thread copies them all.
constexpr int RecordsPerSlice = 64;

// The records of `view` become the shown view's, copied side by side into
// the storage they replace.
void ShowRecordsOf(const std::vector<MeasRecord>& view)
{
    std::vector<MeasRecord>& shown = Global::MeasViewRecords;
    if (shown.size() != view.size()) {
        shown = view;
        return;
    }
    ParallelSlices(int(view.size()), RecordsPerSlice, [&](int begin, int end) {
        std::copy(view.begin() + begin, view.begin() + end, shown.begin() + begin);
    });
}

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
        // A list laid out again without a load (the language set-up lays it
        // out afresh) no longer shows the loaded history: it is forgotten,
        // so that no switch, tick or report acts on rows not on screen.
        if (grid && Global::MeasFileCount > 0 && grid->Rows() != Global::MeasFileCount + 2)
            UnloadMeasHistory();
        switch (ResultTab(tabs->currentIndex())) {
        case ResultTab::AsMeasured:
            ShowRecordsOf(Global::MeasRawRecords);
            break;
        case ResultTab::PmCorrected:
            ShowRecordsOf(Global::MeasPmCorrRecords);
            break;
        case ResultTab::StcCorrected:
            if (const int key = StcRefusalKey(Global::StcCoefMissing, Global::ModuleCompFlags)) {
                MsgBox(Global::UiText.value(key), vbOKOnly | vbExclamation);
                // The as-measured view follows at once, by its own switch.
                tabs->setCurrentIndex(int(ResultTab::AsMeasured));
                return;
            }
            ShowRecordsOf(Global::MeasStcRecords);
            break;
        default:
            return;
        }

        const int count = Global::MeasFileCount;
        Global::DisplayTick.assign(std::size_t(count) + 1, 0);
        // Every tick cell is cleared, then the ticks come back from their
        // memory, and with them the colours: in one batch, without the tick
        // event of each row (its handler does nothing during the switch).
        std::vector<std::uint8_t> cells(grid ? std::size_t(grid->Rows() - 1) : 0, 0);
        if (count == 0 || !grid) {
            if (grid)
                grid->setTicks(1, cells);
            return;
        }
        for (int r = 0; r <= count; ++r)
            Global::DisplayTick[std::size_t(r)] = Remembered(r) ? 1 : 0;
        // The totals are worked out on other threads while the ticks are
        // put back in the list and the measurement rows are written; the
        // total row follows them.
        std::future<void> totals = BeginTotalsOfTicked(Global::DisplayTick);
        {
            const FlagScope switching(Global::ViewSwitchRunning);
            const FlagScope restoring(Global::TickRestoring);
            const GridBatch batch(grid);
            for (int r = 0; r <= count && std::size_t(r) < cells.size(); ++r)
                cells[std::size_t(r)] = Global::DisplayTick[std::size_t(r)];
            grid->setTicks(1, cells);
            PaintMeasListRows(grid, count, Global::DisplayTick);
        }

        // The irradiance is the same in every view: its column stays.
        const bool judgementHidden = JudgementHidden();
        {
            const GridBatch batch(grid);
            WriteMeasListRows(grid, Global::MeasViewRecords, count, MeasRowWriter::ViewSwitch, judgementHidden);
        }
        // The totals' files are written and flushed to the disk while the
        // total row and the plot are made; the total row as the totals
        // show it (on a save) comes first, then this switch's.
        TotalsSave save = SaveTotalsOfTickedBehind(totals);
        const auto writeTotalRow = [&] {
            const GridBatch batch(grid);
            WriteMeasListRow(grid, 1,
                             MeasListCells(Global::MeasViewRecords[0], true, MeasRowWriter::ViewSwitch,
                                           judgementHidden),
                             false);
        };
        writeTotalRow();
        MfgMeasList_Scroll();
        CmdDataView_Click(0);
        if (EndTotalsSave(save))
            writeTotalRow();
    });
}
