// The whole read-out against the atomic writer alone.
//
// 1200 records of 1184 characters are read from the simulated instrument
// (answering at once, in 64-byte packets) in three read-outs of 400 (the
// instrument-data folder takes fewer than 1200 files and the read-out's
// table 801 records), each into a fresh data folder: reading, decoding,
// writing every file into FORWARD_DATA and its backup folder, with the
// progress window. The baseline writes the same 2400 files' bytes through
// WriteFileAtomic alone. The whole read-out may take at most 1.3 times the
// baseline; the run ends with both figures and a line "ratio: X".
//
// Then the progress window: a read-out of the simulated instrument's sample
// memory at a real link's pace, counting how often the window is painted.
// It must repaint at least ten times a second; the run prints the rate and
// the longest pause between two paints ("repaints: ...").
#include "app/Global.h"
#include "bench/BenchSupport.h"
#include "common/Controls.h"
#include "instrument/MeasFile.h"
#include "instrument/ReadOut.h"
#include "instrument/RecordDecode.h"
#include "platform/FileIo.h"
#include "platform/SimulatedInstrument.h"
#include "platform/UsbLink.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int RecordCount = 1200;
constexpr int RecordsPerReadOut = 400;
constexpr int RecordSize = 1184;

void Put(QByteArray& r, int pos, const QByteArray& text)
{
    r.replace(pos - 1, text.size(), text);
}

QByteArray Hex4(unsigned v)
{
    char b[8];
    std::snprintf(b, sizeof b, "%04X", v & 0xFFFF);
    return b;
}

// Record i: a distinct number and time, version 8.3.
QByteArray Record(int i)
{
    QByteArray r(RecordSize, ' ');
    char number[16];
    std::snprintf(number, sizeof number, "%04d-%02d-%02d", i % 10000, i % 10 + 1, i % 100);
    Put(r, 1, number);
    Put(r, 11, "24/05/03");
    char time[16];
    std::snprintf(time, sizeof time, "%02d:%02d:%02d", i / 3600 % 24, i / 60 % 60, i % 60);
    Put(r, 19, time);
    const char* pieces[] = {"00253", "04095", "1",     " 45.1", "023.5", "7",    "01000",
                            "15.25", "00003", "00250", "00374", "08950", "00012"};
    const int pos[] = {27, 32, 37, 38, 43, 48, 49, 54, 59, 64, 69, 74, 79};
    for (int k = 0; k < 13; ++k)
        Put(r, pos[k], pieces[k]);
    Put(r, 89, "1.630");
    Put(r, 157, "00095000900011000035000361000005520");
    Put(r, 191, "08.30");
    Put(r, 196, "0007800123100250");
    Put(r, 213, "SN-ABC 1234Z");
    for (int k = 0; k < 120; ++k) {
        Put(r, 225 + 4 * k, Hex4(unsigned(4000 - 10 * k + i)));
        Put(r, 705 + 4 * k, Hex4(unsigned(8950 - 5 * k)));
    }
    return r;
}

std::vector<QList<QByteArray>> Memories()
{
    std::vector<QList<QByteArray>> out;
    for (int start = 0; start < RecordCount; start += RecordsPerReadOut) {
        QList<QByteArray> m;
        for (int i = start; i < start + RecordsPerReadOut; ++i)
            m << Record(i);
        out.push_back(m);
    }
    return out;
}

struct Setup {
    std::shared_ptr<SimulatedInstrument> sim = std::make_shared<SimulatedInstrument>();
    SilentDialogs* dialogs = nullptr;
    Setup()
    {
        UsbLink::setTransport(sim);
        Global::UsbOpenRetryWaitMs = 0;
        // The simulated instrument answers at once: no silence to wait for.
        Global::UsbQuietMs = 0;
        sim->idleWaitCapMs = 0;
        dialogs = static_cast<SilentDialogs*>(setDialogs(std::make_unique<SilentDialogs>()));
        Global::ClockOverride = [] { return QDateTime(QDate(2024, 6, 1), QTime(12, 34, 56)); };
    }
};

void BM_ReadOut(benchmark::State& state)
{
    Setup setup;
    const auto memories = Memories();
    int written = 0;
    for (auto _ : state) {
        for (const auto& memory : memories) {
            state.PauseTiming();
            auto data = std::make_unique<QTemporaryDir>();
            Global::DataFolder = data->path();
            Global::RecordSize = RecordSize;
            setup.sim->records = memory;
            setup.sim->log.clear();
            state.ResumeTiming();

            ReadOutOutcome outcome;
            if (!QtmForwordData(&outcome))
                state.SkipWithError("the read-out failed");
            written += outcome.written;

            state.PauseTiming();
            data.reset();
            state.ResumeTiming();
        }
    }
    if (written != RecordCount * int(state.iterations()))
        state.SkipWithError("not every record was written");
    state.SetItemsProcessed(state.iterations() * RecordCount);
}

void BM_AtomicWriterAlone(benchmark::State& state)
{
    Setup setup;
    // The bytes and names of the same files, made once.
    std::vector<std::vector<std::pair<QString, QByteArray>>> files;
    for (const auto& memory : Memories()) {
        QByteArray text;
        for (const QByteArray& r : memory)
            text += r;
        std::vector<MeasRecord> table;
        const RecordDecodeResult d = InstrumentRecordDecode(QString::fromLatin1(text), RecordSize, table);
        std::vector<std::pair<QString, QByteArray>> chunk;
        for (int k = 0; k < d.count; ++k) {
            QByteArray bytes = MeasFileReadOutBytes(table[std::size_t(k)], RecordSize);
            chunk.emplace_back(MeasFileName(table[std::size_t(k)]), bytes);
        }
        files.push_back(std::move(chunk));
    }
    for (auto _ : state) {
        for (const auto& chunk : files) {
            state.PauseTiming();
            auto data = std::make_unique<QTemporaryDir>();
            state.ResumeTiming();

            const QString forward = data->path() + QStringLiteral("/FORWARD_DATA");
            const QString backup = data->path() + QStringLiteral("/BACKUP_DATA/20240601_123456");
            QDir().mkpath(forward);
            QDir().mkpath(backup);
            for (const auto& [name, bytes] : chunk)
                if (!WriteFileAtomic(forward + u'/' + name, bytes))
                    state.SkipWithError("write failed");
            for (const auto& [name, bytes] : chunk)
                if (!WriteFileAtomic(backup + u'/' + name, bytes))
                    state.SkipWithError("write failed");

            state.PauseTiming();
            data.reset();
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(state.iterations() * RecordCount);
}

BENCHMARK(BM_ReadOut)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_AtomicWriterAlone)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Paint events of the progress window's bar.
class BarPaints : public QObject {
  public:
    BarPaints() { clock.start(); }
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Paint && o->objectName() == QLatin1String("pBar"))
            times.push_back(clock.elapsed());
        return false;
    }
    QElapsedTimer clock;
    std::vector<qint64> times;
};

void MeasureRepaints()
{
    auto sim = MakeDemoInstrument(false);
    UsbLink::setTransport(sim);
    Global::UsbQuietMs = 0;
    sim->idleWaitCapMs = 0;
    QTemporaryDir data;
    Global::DataFolder = data.path();
    Global::RecordSize = RecordSize;
    QWidget owner;
    owner.resize(800, 600);
    owner.show();
    RegisterMainWindow(&owner);
    BarPaints paints;
    qApp->installEventFilter(&paints);
    ReadOutOutcome outcome;
    QtmForwordData(&outcome);
    qApp->removeEventFilter(&paints);
    ForgetMainWindow(&owner);
    if (paints.times.size() < 2) {
        std::printf("repaints: too few to measure  OVER THE LIMIT\n");
        return;
    }
    const double span = double(paints.times.back() - paints.times.front());
    qint64 longest = 0;
    for (std::size_t i = 1; i < paints.times.size(); ++i)
        longest = std::max(longest, paints.times[i] - paints.times[i - 1]);
    const double rate = double(paints.times.size() - 1) * 1000.0 / span;
    std::printf("repaints: %zu in %.0f ms of reading %d records, %.1f per second, longest pause %lld ms "
                "(at least 10 per second)%s\n",
                paints.times.size(), span, outcome.records, rate, (long long)longest,
                rate >= 10 && longest <= 100 ? "" : "  OVER THE LIMIT");
}

} // namespace

int main(int argc, char** argv)
{
    StartAsTheProgram();
    QApplication app(argc, argv);
    for (int k = 600; k < 650; ++k)
        Global::UiText[k] = QStringLiteral("Label %1").arg(k);
    Global::UiText[UiReadOutLabel] = QStringLiteral("Reading...");
    Global::UiText[UiReadOutDone] = QStringLiteral("Done.");

    const auto [readOut, writer] = RunAndCompare(argc, argv, "BM_ReadOut", "BM_AtomicWriterAlone");
    if (readOut > 0 && writer > 0) {
        const double ratio = readOut / writer;
        std::printf("%d records of %d characters into %d files (medians): whole read-out %.2f ms, "
                    "atomic writer alone %.2f ms (limit 1.3 times)%s\n",
                    RecordCount, RecordSize, 2 * RecordCount, readOut, writer,
                    ratio <= 1.3 ? "" : "  OVER THE LIMIT");
        std::printf("ratio: %.3f\n", ratio);
    }
    MeasureRepaints();
    UsbLink::setTransport(nullptr);
    Global::CurrentDialogs.reset();
    benchmark::Shutdown();
    return 0;
}
