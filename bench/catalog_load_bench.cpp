// The module catalogue load against a plain read of the same files.
//
// A full catalogue of 256 makers of 256 model files each (versioned files of
// 29 lines with a Japanese memo) is written once into a temporary data
// folder. ModuleDataRead lists the maker folders and their model files,
// reads and decodes every file into the records; the floor opens, reads and
// closes the same 65536 files with the system's own calls, from a list of
// their encoded paths made beforehand, with no code of the program in it.
// The load may take at most twice the floor; the run ends with both figures
// and a line "ratio: X".
#include "app/Global.h"
#include "bench/BenchSupport.h"
#include "catalog/CatalogGlobals.h"
#include "catalog/CatalogTab.h"
#include "catalog/ModelFiles.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

struct Catalogue {
    QTemporaryDir data;
    std::vector<std::string> files; // encoded paths, for the floor
    SilentDialogs* dialogs = nullptr;

    Catalogue()
    {
        dialogs = static_cast<SilentDialogs*>(setDialogs(std::make_unique<SilentDialogs>()));
        Global::DataFolder = data.path();
        for (int j = 0; j < Catalog::MaxMakers; ++j) {
            const QString maker = QStringLiteral("Maker %1").arg(j, 3, 10, QChar(u'0'));
            QDir().mkpath(MakerFolder(Catalog::ModuleSide, maker));
            for (int k = 0; k < Catalog::MaxModels; ++k) {
                ModuleModelRecord m;
                m.ModelCode = QStringLiteral("PV-%1-%2").arg(j).arg(k);
                m.CellType = QString::number(k % 6);
                m.Pm = QString::number(200 + k);
                m.Vpm = QStringLiteral("30.5");
                m.Ipm = QStringLiteral("8.20");
                m.Voc = QStringLiteral("37.6");
                m.Isc = QStringLiteral("8.75");
                m.Alpha = QStringLiteral("0.0053");
                m.Beta = QStringLiteral("-0.126");
                m.Rs = QStringLiteral("0.35");
                m.K = QStringLiteral("0.0025");
                m.PmTempCoef = QStringLiteral("-0.45");
                m.PictureFile = m.ModelCode + QStringLiteral(".jpg");
                m.Memo = QStringLiteral("単結晶 高効率モジュール\r\n屋根設置用");
                const QString path = ModelFilePath(Catalog::ModuleSide, maker, m.ModelCode);
                // Plain writes: making the catalogue is not what is timed.
                QFile f(path);
                if (!f.open(QIODevice::WriteOnly) || f.write(ModuleModelBytes(m)) < 0)
                    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
                files.push_back(QFile::encodeName(path).toStdString());
            }
        }
    }
};

Catalogue* catalogue = nullptr;

void BM_ModuleDataRead(benchmark::State& state)
{
    for (auto _ : state) {
        ModuleDataRead();
        benchmark::DoNotOptimize(Global::ModuleCatalog[255].Models.data());
    }
    if (Global::ModuleMakerCount != Catalog::MaxMakers || Global::ModuleCatalog[255].ModelCount != Catalog::MaxModels ||
        catalogue->dialogs->messages != 0)
        state.SkipWithError("the catalogue did not load whole");
    state.SetItemsProcessed(state.iterations() * Catalog::MaxMakers * Catalog::MaxModels);
}

// open, read to the end, close: what any program must do to see the files.
void BM_PlainReads(benchmark::State& state)
{
    static char buffer[16384];
    for (auto _ : state) {
        long long total = 0;
        for (const std::string& path : catalogue->files) {
            const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0) {
                state.SkipWithError("open failed");
                break;
            }
            for (;;) {
                const ssize_t n = ::read(fd, buffer, sizeof buffer);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0)
                    break;
                total += n;
            }
            ::close(fd);
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * Catalog::MaxMakers * Catalog::MaxModels);
}

BENCHMARK(BM_ModuleDataRead)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_PlainReads)->Unit(benchmark::kMillisecond)->MinTime(1.0);

} // namespace

int main(int argc, char** argv)
{
    StartAsTheProgram();
    QApplication app(argc, argv);
    Catalogue made;
    catalogue = &made;

    InitializeInterleaved(argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (reporter.has("BM_ModuleDataRead") && reporter.has("BM_PlainReads")) {
        const double load = reporter.median("BM_ModuleDataRead");
        const double floor = reporter.median("BM_PlainReads");
        const double ratio = floor > 0 ? load / floor : 0.0;
        std::printf("ModuleDataRead of 256 x 256 model files: %.1f ms, plain open/read/close of the same files "
                    "%.1f ms (medians; limit 2 times)%s\n",
                    load, floor, ratio <= 2.0 ? "" : "  OVER THE LIMIT");
        std::printf("ratio: %.3f\n", ratio);
    }
    benchmark::Shutdown();
    return 0;
}
