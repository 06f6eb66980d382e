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

constexpr int FileCount = 800;

// Measurement i: group i % 10 + 1, a curve from Voc about 400 V down to 0.
MeasRecord Measurement(int i)
{
    MeasRecord r;
    auto& F = r.F;
    char number[16];
    std::snprintf(number, sizeof number, "%04d-%02d-%02d", i % 10000, i % 10 + 1, i % 100);
    F[0] = QString::fromLatin1(number);
    F[1] = QStringLiteral("24/05/%1").arg(i / 400 + 3, 2, 10, QLatin1Char('0'));
    F[2] = QStringLiteral("%1:%2:%3")
               .arg(i / 3600 % 24, 2, 10, QLatin1Char('0'))
               .arg(i / 60 % 60, 2, 10, QLatin1Char('0'))
               .arg(i % 60, 2, 10, QLatin1Char('0'));
    F[3] = QStringLiteral("Roof %1").arg(i % 7);
    F[8] = NumText::Str(41.5 + i % 9 * 0.3);
    F[10] = QStringLiteral("23.5");
    F[12] = NumText::Str(780 + i % 40);
    F[15] = NumText::Str(2812.45 + i % 13);
    F[16] = NumText::Str(402.3 + i % 5 * 0.7);
    F[17] = NumText::Str(8.874 + i % 11 * 0.013);
    F[20] = QStringLiteral("16.3");
    F[25] = QStringLiteral("1");
    F[26] = QStringLiteral("30");
    F[32] = QStringLiteral("95");
    F[33] = QStringLiteral("9");
    F[34] = QStringLiteral("11");
    F[37] = QStringLiteral("1");
    F[40] = QStringLiteral("3");
    F[42] = QStringLiteral("8.3");
    F[43] = QStringLiteral("0.79");
    for (int k = 0; k < MeasRecord::CurvePoints; ++k) {
        const double v = 402.3 * k / 119;
        const double a = 8.874 * (1 - std::pow(double(k) / 119, 12));
        r.IvPoints[std::size_t(k)][MeasRecord::Volt] = NumText::Format(v, QStringLiteral("0.00"));
        r.IvPoints[std::size_t(k)][MeasRecord::Amp] = NumText::Format(a, QStringLiteral("0.000"));
    }
    return r;
}

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
    QString folder;
    QStringList paths;
    History()
    {
        folder = dir.path() + QStringLiteral("/1_Roof");
        QDir().mkpath(folder);
        MeasFileWriteOptions o;
        o.variant = MeasFileVariant::History;
        for (int i = 0; i < FileCount; ++i) {
            MeasRecord r = Measurement(i);
            paths << WriteMeasFile(folder, r, o);
        }
        WriteLinesAtomic(folder + QStringLiteral("/MeasData.csv"),
                         {QStringLiteral("Roof"), QStringLiteral("2024/05/03"), QString(), QString(),
                          QString(), QString(), QString(), QString(), QString(), QStringLiteral("memo")});
        QStringList ticks;
        for (int i = 0; i <= FileCount; ++i)
            ticks << QStringLiteral("True");
        WriteLinesAtomic(folder + QStringLiteral("/CheckMemory.csv"), ticks);
    }
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
