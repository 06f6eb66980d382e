#include "measview/MeasViewTab.h"

#include "common/Controls.h"
#include "common/FileHelpers.h"
#include "common/FrmMessWindow.h"
#include "common/Global.h"
#include "customers/CustomerGlobals.h"
#include "customers/UserData.h"
#include "instrument/MeasRecordGlobals.h"
#include "measview/HistoryLoad.h"
#include "measview/MeasList.h"
#include "measview/MeasTabSupport.h"
#include "measview/MeasViewGlobals.h"
#include "measview/TickMemory.h"
#include "measview/Totals.h"
#include "platform/AppError.h"
#include "platform/FileIo.h"
#include "platform/FlexGrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

#include <algorithm>
#include <cstdint>
#include <future>
#include <memory>
#include <optional>
#include <vector>

namespace {

const QString MeasDataName = QStringLiteral("MeasData.csv");

FlexGrid* Grid()
{
    return MeasGrid();
}

// The four global views, lent for the life of the object.
struct GlobalViewsLent {
    HistoryViews lent;
    GlobalViewsLent() { swapAll(); }
    ~GlobalViewsLent() { swapAll(); }
    GlobalViewsLent(const GlobalViewsLent&) = delete;
    GlobalViewsLent& operator=(const GlobalViewsLent&) = delete;
    void swapAll()
    {
        lent.shown.swap(Global::MeasViewRecords);
        lent.raw.swap(Global::MeasRawRecords);
        lent.pmCorr.swap(Global::MeasPmCorrRecords);
        lent.stc.swap(Global::MeasStcRecords);
    }
};

void ResetTicks(int count)
{
    Global::DisplayTick.assign(std::size_t(count) + 1, 0);
    Global::DisplayTickMemory.assign(std::size_t(count) + 1, false);
}

// Nothing loaded: no paths, no count, no ticks, no folder to write totals to,
// nothing to refuse the STC view for.
void ForgetLoadedHistory()
{
    Global::StcCoefMissing = false;
    Global::ModuleCompFlags = {};
    Global::MeasFilePaths.assign(std::size_t(Global::MaxHistoryMeasFiles) + 1, QString());
    Global::MeasFileCount = 0;
    Global::MeasHistoryFolder.clear();
    Global::CurMeasRow = -1;
    ResetTicks(0);
}

// The tick memory of the loaded history. The rows stay where the load put
// them while an in-place edit renames a file, but the memory follows the
// files' name order, which the next load lists the rows in.
QByteArray LoadedTickMemoryBytes()
{
    return TickMemoryBytesFor(LoadedTicksByName(), LoadedMeasFiles());
}

// A totals file is replaced only where its bytes change: the totals are
// worked out again at every choice, tick and view switch, and a file that
// already holds them has nothing to make durable.
void WriteTotalsFile(const QString& path, const QByteArray& bytes)
{
    const std::optional<QByteArray> onDisk = ReadFileBytes(path);
    if (!onDisk || *onDisk != bytes)
        WriteFileOrThrow(path, bytes);
}

void ClearMeasGraph()
{
    if (auto* pic = MainControl<QLabel>(QStringLiteral("Pic_2")))
        pic->clear();
    CmdDataView_Click(1);
}

// Rows 1 to count + 1: the total row's `totalRow` texts, then the
// measurements' `rows` (MeasListRowsCells); the total row pale green. The
// rows are written in one batch and drawn once. The rows `ticks` ticks are
// written in their ticked colour at once.
void FillMeasList(FlexGrid* grid, int count, const std::vector<std::uint8_t>& ticks, const QStringList& totalRow,
                  const std::vector<QStringList>& rows)
{
    const GridBatch batch(grid);
    grid->setRows(count + 2);
    WriteMeasListRow(grid, 1, totalRow);
    const quint32 ticked = MeasTickedColor;
    for (int i = 1; i <= int(rows.size()); ++i)
        WriteMeasListRow(grid, i + 1, rows[std::size_t(i) - 1], true,
                         std::size_t(i) < ticks.size() && ticks[std::size_t(i)] == 1 ? &ticked : nullptr);
    grid->setRow(1);
    for (int c = 0; c < grid->Cols(); ++c)
        grid->setCellBackColor(1, c, MeasTotalRowColor);
}

// The ticks `ticks` onto the flags and the list filled with them
// (FillMeasList, which wrote the ticked rows in their colour). The list's
// tick cells take the flags in one batch, without a tick event per row: its
// handler would only write back the same flags and colour the row as the
// fill did.
void RestoreTicks(FlexGrid* grid, const std::vector<std::uint8_t>& ticks, int count)
{
    ResetTicks(count);
    for (int i = 0; i <= count && i < int(ticks.size()); ++i) {
        Global::DisplayTick[std::size_t(i)] = ticks[std::size_t(i)];
        Global::DisplayTickMemory[std::size_t(i)] = ticks[std::size_t(i)] == 1;
    }

    const FlagScope restoring(Global::TickRestoring);
    {
        const GridBatch batch(grid);
        grid->setTicks(1, Global::DisplayTick);
    }
    if (auto* all = MainControl<QPushButton>(QStringLiteral("CmdDspAll")))
        all->show();
}

// The total rows of the shown and the Pm-corrected view over the ticked
// measurements `ticks`.
void TotalsOfTickedViews(const std::vector<std::uint8_t>& ticks)
{
    TotalOfTicked(Global::MeasViewRecords, Global::MeasFileCount, ticks, TotalView::Shown);
    TotalOfTicked(Global::MeasPmCorrRecords, Global::MeasFileCount, ticks, TotalView::PmCorrected);
}

// The totals of `total` into the history's files in `folder`, with the
// tick memory `tickMemory`. Failures name their file and number, as every
// save does.
void SaveTotals(const QString& folder, const MeasRecord& total, const QByteArray& tickMemory)
{
    const QString measData = folder + u'/' + MeasDataName;
    const QByteArray bytes = ReadFileOrThrow(measData);
    const QByteArray withTotals = MeasDataWithTotals(bytes, total);
    if (withTotals != bytes)
        WriteFileOrThrow(measData, withTotals);
    WriteTotalsFile(folder + u'/' + TickMemoryFileName, tickMemory);
}

void ShowTotalRow(FlexGrid* grid, const MeasRecord& total)
{
    if (!grid || grid->Rows() <= 1)
        return;
    grid->setRedraw(false);
    WriteMeasListRow(grid, 1, MeasListCells(total, true, MeasRowWriter::Totals, JudgementHidden()));
    grid->setRedraw(true);
    grid->viewport()->update();
}

// The totals just worked out into the history's files and the list's total
// row.
void StoreAndShowTotals(FlexGrid* grid)
{
    const QString folder = Global::MeasHistoryFolder;
    if (folder.isEmpty())
        return;
    SaveTotals(folder, Global::MeasViewRecords[0], LoadedTickMemoryBytes());
    ShowTotalRow(grid, Global::MeasViewRecords[0]);
}

} // namespace

void UnloadMeasHistory()
{
    for (auto* view :
         {&Global::MeasViewRecords, &Global::MeasPmCorrRecords, &Global::MeasStcRecords, &Global::MeasRawRecords})
        DimRecords(*view, Global::MeasRecordsUpper);
    ForgetLoadedHistory();
    MeasListIni();
}

void CmbHistorySel_Click(int index)
{
    if (index != 0)
        return;
    FlexGrid* grid = Grid();
    Guarded(QStringLiteral("CmbHistorySel_Click"), [&] {
        const auto* history = MainControl<QComboBox>(QStringLiteral("CmbHistorySel_0"));
        if (!history || history->currentIndex() < 0 || history->currentText().isEmpty())
            return;

        // Until the ticks are restored, no total is written anywhere.
        Global::MeasHistoryFolder.clear();

        const QString key =
            MainComboText(QStringLiteral("CmbCodeName_0")) + u'_' + MainComboText(QStringLiteral("CmbUserName_0"));
        const QString folder =
            IsSafeNamePart(key) ? FindHistoryFolder(UserDataFolder(key), history->currentText()) : QString();
        if (folder.isEmpty()) {
            UnloadMeasHistory();
            return;
        }

        // Loading, listing and totalling are long work: the progress window
        // shows at once and the main window takes no input until they end.
        LongWorkProgress progress(MainWindow(), 1);
        // The views are loaded into the storage of the ones they replace.
        const LoadedHistory loaded = [&] {
            GlobalViewsLent views;
            return LoadHistory(folder, Global::ArrayConfiguration, views.lent, [&](int done, int total) {
                if (done == 0)
                    progress.setMaximum(std::max(total, 1));
                progress.setValue(done);
            });
        }();
        const int count = int(loaded.paths.size());
        Global::MeasFilePaths.assign(std::size_t(Global::MaxHistoryMeasFiles) + 1, QString());
        std::copy(loaded.paths.begin(), loaded.paths.end(), Global::MeasFilePaths.begin());
        Global::MeasFileCount = count;

        MeasListIni();
        if (count == 0) {
            for (auto* view : {&Global::MeasViewRecords, &Global::MeasPmCorrRecords, &Global::MeasStcRecords,
                               &Global::MeasRawRecords})
                DimRecords(*view, Global::MeasRecordsUpper);
            ResetTicks(0);
            Global::CurMeasRow = -1;
            Global::MeasHistoryFolder = folder;
            // No measurement: nothing to refuse the STC view for.
            Global::StcCoefMissing = false;
            Global::ModuleCompFlags = {};
            ClearMeasGraph();
            return;
        }
        Global::StcCoefMissing = loaded.flags.stcCoefMissing;
        Global::ModuleCompFlags = {loaded.flags.noModule, loaded.flags.mixedModules};

        if (!grid)
            return;
        // The totals of the ticked rows are worked out on other threads
        // while this one lays the list out; they change only the views'
        // total records, which the list's total row shows as they were
        // before until the totals are stored.
        const bool hidden = JudgementHidden();
        const QStringList totalRowBefore = MeasListCells(Global::MeasViewRecords[0], true, MeasRowWriter::Load, hidden);
        // The rows' texts are made first, side by side, the totals after:
        // both would share the processors.
        const std::vector<QStringList> rows =
            MeasListRowsCells(Global::MeasViewRecords, count, MeasRowWriter::Load, hidden);
        std::future<void> totals = BeginTotalsOfTicked(loaded.ticks);
        FillMeasList(grid, count, loaded.ticks, totalRowBefore, rows);
        ClearMeasGraph();
        Global::CurMeasRow = -1;
        RestoreTicks(grid, loaded.ticks, count);
        Global::MeasHistoryFolder = folder;
        FinishTotalsOfTicked(totals);
        if (auto* views3 = MainControl<QTabWidget>(QStringLiteral("SSTab3")))
            views3->setCurrentIndex(0);
    });
    if (grid && !grid->Redraw())
        grid->setRedraw(true);
}

void DataViewTotalCalc()
{
    if (Global::TickRestoring)
        return;
    FlexGrid* grid = Grid();
    Guarded(QStringLiteral("DataViewTotalCalc"), [&] {
        if (Global::MeasViewRecords.empty())
            return;
        TotalsOfTickedViews(Global::DisplayTick);
        StoreAndShowTotals(grid);
    });
    if (grid && !grid->Redraw())
        grid->setRedraw(true);
}

std::future<void> BeginTotalsOfTicked(std::vector<std::uint8_t> ticks)
{
    // The two views' totals side by side, each on a thread of its own.
    const auto shared = std::make_shared<const std::vector<std::uint8_t>>(std::move(ticks));
    std::future<void> shown = std::async(std::launch::async, [shared] {
        TotalOfTicked(Global::MeasViewRecords, Global::MeasFileCount, *shared, TotalView::Shown);
    });
    std::future<void> pm = std::async(std::launch::async, [shared] {
        TotalOfTicked(Global::MeasPmCorrRecords, Global::MeasFileCount, *shared, TotalView::PmCorrected);
    });
    return std::async(std::launch::deferred, [shown = std::move(shown), pm = std::move(pm)]() mutable {
        shown.wait();
        pm.wait();
        shown.get();
        pm.get();
    });
}

void FinishTotalsOfTicked(std::future<void>& totals)
{
    FlexGrid* grid = Grid();
    totals.wait();
    Guarded(QStringLiteral("DataViewTotalCalc"), [&] {
        totals.get();
        StoreAndShowTotals(grid);
    });
    if (grid && !grid->Redraw())
        grid->setRedraw(true);
}

TotalsSave SaveTotalsOfTickedBehind(std::future<void>& totals)
{
    TotalsSave save;
    totals.wait();
    if (!Guarded(QStringLiteral("DataViewTotalCalc"), [&] { totals.get(); }))
        return save;
    const QString folder = Global::MeasHistoryFolder;
    if (folder.isEmpty())
        return save;
    save.total = Global::MeasViewRecords[0];
    save.files = std::async(std::launch::async, [folder, total = save.total, ticks = LoadedTickMemoryBytes()] {
        SaveTotals(folder, total, ticks);
    });
    return save;
}

bool EndTotalsSave(TotalsSave& save)
{
    FlexGrid* grid = Grid();
    bool shown = false;
    if (save.files.valid()) {
        save.files.wait();
        shown = Guarded(QStringLiteral("DataViewTotalCalc"), [&] {
            save.files.get();
            ShowTotalRow(grid, save.total);
        });
    }
    if (grid && !grid->Redraw())
        grid->setRedraw(true);
    return shown;
}

void ConnectMeasViewTab()
{
    QWidget* form = MainWindow();
    if (!form)
        return;
    // Only the user changes the judgement switch; its click runs the switch.
    if (auto* judge = MainControl<QCheckBox>(QStringLiteral("ChkJudgeOff")))
        QObject::connect(judge, &QCheckBox::clicked, form, [] { ChkJudgeOff_Click(); });
    ConnectMeasTicks(form);
}
