// Decoding a read-out against writing its measurement files.
//
// 1200 records of each instrument layout are decoded (in three read-outs of
// 400, the read-out's table holding 801) and written as read-out files
// through the atomic writer. Decoding has to stay well below the cost of the
// writes it feeds: under 10 % of the time the atomic writer needs for the
// same files. The run ends with both figures and their ratio per layout.
#include "app/Global.h"
#include "instrument/MeasFile.h"
#include "instrument/RecordDecode.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

constexpr int RecordsPerLayout = 1200;
constexpr int RecordsPerReadOut = 400;

void Put(std::string& r, int pos, const std::string& text)
{
    r.replace(std::size_t(pos - 1), text.size(), text);
}

void PutHex(std::string& r, int pos, unsigned v)
{
    char b[8];
    std::snprintf(b, sizeof b, "%04X", v & 0xFFFF);
    Put(r, pos, b);
}

std::string Number(int i)
{
    char b[16];
    std::snprintf(b, sizeof b, "%04d-%02d-%02d", i % 10000, i % 10 + 1, i % 100);
    return b;
}

std::string Record(int size, int i)
{
    std::string r(std::size_t(size), ' ');
    Put(r, 1, Number(i));
    Put(r, 11, "24/05/03");
    char t[16];
    std::snprintf(t, sizeof t, "%02d:%02d:%02d", i / 3600 % 24, i / 60 % 60, i % 60);
    Put(r, 19, t);
    const char* pieces[] = {"00253", "04095", "1",     " 45.1", "023.5", "7",    "01000",
                            "15.25", "00003", "00250", "00374", "08950", "00012"};
    int pos[] = {27, 32, 37, 38, 43, 48, 49, 54, 59, 64, 69, 74, 79};
    for (int k = 0; k < 13; ++k)
        Put(r, pos[k], pieces[k]);
    if (size == 1184) {
        Put(r, 89, "1.630");
        Put(r, 157, "00095000900011000035000361000005520");
        Put(r, 191, i % 2 ? "08.50" : "08.00"); // smoothed and unsmoothed records
        Put(r, 196, "0007800123100250");
        Put(r, 213, "SN-ABC 1234Z");
        for (int k = 0; k < 120; ++k) {
            PutHex(r, 225 + 4 * k, unsigned(4000 - 10 * k + i));
            PutHex(r, 705 + 4 * k, unsigned(8950 - 5 * k));
        }
    } else {
        Put(r, 157, "AB12");
        for (int k = 0; k < 120; ++k) {
            PutHex(r, 161 + 4 * k, unsigned(400 - 3 * k + i));
            PutHex(r, 641 + 4 * k, unsigned(8950 - 5 * k));
        }
    }
    return r;
}

// Three read-out texts of 400 records each.
std::vector<QString> ReadOuts(int size)
{
    std::vector<QString> texts;
    for (int start = 0; start < RecordsPerLayout; start += RecordsPerReadOut) {
        std::string t;
        for (int i = start; i < start + RecordsPerReadOut; ++i)
            t += Record(size, i);
        texts.push_back(QString::fromStdString(t));
    }
    return texts;
}

std::vector<MeasRecord> DecodeAll(const std::vector<QString>& texts, int size)
{
    std::vector<MeasRecord> all;
    std::vector<MeasRecord> table;
    for (const QString& t : texts) {
        const RecordDecodeResult r = InstrumentRecordDecode(t, size, table);
        all.insert(all.end(), table.begin(), table.begin() + r.count);
    }
    return all;
}

void BM_Decode(benchmark::State& state)
{
    const int size = int(state.range(0));
    const std::vector<QString> texts = ReadOuts(size);
    for (auto _ : state) {
        std::vector<MeasRecord> table;
        int count = 0;
        for (const QString& t : texts)
            count += InstrumentRecordDecode(t, size, table).count;
        benchmark::DoNotOptimize(count);
        if (count != RecordsPerLayout)
            state.SkipWithError("wrong record count");
    }
    state.SetItemsProcessed(state.iterations() * RecordsPerLayout);
}

void BM_WriteReadOutFiles(benchmark::State& state)
{
    const int size = int(state.range(0));
    std::vector<MeasRecord> records = DecodeAll(ReadOuts(size), size);
    QTemporaryDir dir;
    for (auto _ : state) {
        for (MeasRecord& r : records)
            WriteReadOutMeasFile(dir.path(), r, size);
    }
    state.SetItemsProcessed(state.iterations() * RecordsPerLayout);
}

BENCHMARK(BM_Decode)->Arg(1184)->Arg(1120)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteReadOutFiles)->Arg(1184)->Arg(1120)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Keeps the time per iteration of every run, to print the ratio at the end.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    std::map<std::string, double> ms;
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                // "BM_Name/1184" without any "/min_time:..." suffix.
                const std::string name = run.benchmark_name();
                const auto cut = name.find("/min_time");
                ms[name.substr(0, cut)] = run.GetAdjustedRealTime(); // in the run's unit (ms)
            }
        ConsoleReporter::ReportRuns(runs);
    }
};

} // namespace

int main(int argc, char** argv)
{
    // Labels of the read-out files.
    for (int k = 600; k < 650; ++k)
        Global::UiText[k] = QStringLiteral("Label %1").arg(k);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (int size : {1184, 1120}) {
        const std::string d = "BM_Decode/" + std::to_string(size);
        const std::string w = "BM_WriteReadOutFiles/" + std::to_string(size);
        if (!reporter.ms.count(d) || !reporter.ms.count(w))
            continue;
        const double ratio = reporter.ms[d] / reporter.ms[w] * 100;
        std::printf("%d-character records, %d of them: decoding %.2f ms, atomic writing %.2f ms, "
                    "decoding = %.1f %% of writing (limit 10 %%)%s\n",
                    size, RecordsPerLayout, reporter.ms[d], reporter.ms[w], ratio,
                    ratio < 10 ? "" : "  OVER THE LIMIT");
    }
    benchmark::Shutdown();
    return 0;
}
