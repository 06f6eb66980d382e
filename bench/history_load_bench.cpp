// The whole load of a construction history against reading its files alone.
//
// A history of 800 measurement files (the labelled layout of version 8.3,
// 120 points each, spread over the ten array groups of a customer whose
// groups all carry coefficients) with a tick memory that ticks every row.
// The load lists the folder, reads and corrects every file into the three
// views, reads the tick memory, totals the ticked rows in the shown and the
// Pm-corrected view, writes MeasData.csv and CheckMemory.csv and makes the
// text of every list row. The baseline reads the same 800 files' bytes. The
// whole load may take at most twice the baseline; the run ends with both
// figures and a line "ratio: X".
#include "bench/BenchHistory.h"
#include "bench/BenchSupport.h"
#include "app/Global.h"
#include "instrument/MeasFile.h"
#include "measview/HistoryLoad.h"
#include "measview/MeasList.h"
#include "measview/Totals.h"
#include "platform/FileIo.h"
#include "platform/NumText.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

using BenchHistory::FileCount;

ArrayConfigurationType Array()
{
    ArrayConfigurationType a;
    for (int g = 0; g < Customer::GroupCount; ++g) {
        StringRow& row = a.StringRows[std::size_t(5 * g)];
        row.ModelCode = QStringLiteral("PV-330");
        row.SeriesCount = QStringLiteral("12");
        row.ParallelCount = QStringLiteral("2");
        const auto at = std::size_t(g);
        a.GroupRatedPm[at] = QStringLiteral("7920");
        a.GroupPmTempCoef[at] = QStringLiteral("-0.45");
        a.GroupAlpha[at] = QStringLiteral("0.0045");
        a.GroupBeta[at] = QStringLiteral("-0.12");
        a.GroupRs[at] = QStringLiteral("0.35");
        a.GroupK[at] = QStringLiteral("0.0012");
    }
    return a;
}

struct History {
    QTemporaryDir dir;
    QString folder = dir.path() + QStringLiteral("/1_Roof");
    QStringList paths = BenchHistory::WriteHistory(folder, QStringLiteral("Roof"));
};

History& SharedHistory()
{
    static History h;
    return h;
}

void BM_HistoryLoad(benchmark::State& state)
{
    History& h = SharedHistory();
    const ArrayConfigurationType array = Array();
    // The views of the last load, as the program keeps them.
    HistoryViews views;
    for (auto _ : state) {
        const LoadedHistory loaded = LoadHistory(h.folder, array, views);
        const int count = int(loaded.paths.size());
        TotalOfTicked(views.shown, count, loaded.ticks, TotalView::Shown);
        TotalOfTicked(views.pmCorr, count, loaded.ticks, TotalView::PmCorrected);
        std::vector<bool> memory(loaded.ticks.begin(), loaded.ticks.end());
        const QString measData = h.folder + QStringLiteral("/MeasData.csv");
        if (!WriteFileAtomic(measData, MeasDataWithTotals(*ReadFileBytes(measData), views.shown[0])) ||
            !WriteFileAtomic(h.folder + QStringLiteral("/CheckMemory.csv"), TickMemoryBytes(memory)))
            state.SkipWithError("a total file was not written");
        qsizetype cells = 0;
        for (int i = 0; i <= count; ++i)
            cells += MeasListCells(views.shown[std::size_t(i)], i == 0, MeasRowWriter::Load, false).size();
        if (count != FileCount || cells != 18 * (FileCount + 1))
            state.SkipWithError("the history was not loaded whole");
        benchmark::DoNotOptimize(views);
    }
    state.SetItemsProcessed(state.iterations() * FileCount);
}

void BM_ReadBytesAlone(benchmark::State& state)
{
    History& h = SharedHistory();
    for (auto _ : state) {
        qsizetype bytes = 0;
        for (const QString& path : h.paths)
            if (const auto b = ReadFileBytes(path))
                bytes += b->size();
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations() * FileCount);
}

BENCHMARK(BM_HistoryLoad)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ReadBytesAlone)->Unit(benchmark::kMillisecond)->MinTime(1.0);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    for (int k = 600; k < 650; ++k)
        Global::UiText[k] = QStringLiteral("Label %1").arg(k);

    const auto [load, read] = RunAndCompare(argc, argv, "BM_HistoryLoad", "BM_ReadBytesAlone");
    if (load > 0 && read > 0) {
        const double ratio = load / read;
        std::printf("%d measurement files (medians): whole load %.2f ms, reading the files' bytes %.2f ms "
                    "(limit 2 times)%s\n",
                    FileCount, load, read, ratio <= 2 ? "" : "  OVER THE LIMIT");
        std::printf("ratio: %.3f\n", ratio);
    }
    benchmark::Shutdown();
    return 0;
}
