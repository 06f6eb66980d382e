// The customer list load against reading its files alone.
//
// A data folder of 1024 customers, each with three construction histories,
// is built once. BM_CustomerList times UserListIni on the real main window's
// customer grid: the scan of USER_DATA, each UserData.csv read and decoded,
// the sort by the stored column and the grid filled. BM_ReadUserDataBytes
// reads the same 1024 UserData.csv files' bytes and nothing else. The list
// may take at most 2 times as long; the run ends with both medians and a line
// "ratio: X".
#include "bench/BenchSupport.h"
#include "app/FrmMain.h"
#include "common/AppGlobals.h"
#include "customers/CustomerGlobals.h"
#include "customers/CustomerTab.h"
#include "platform/FileIo.h"
#include "platform/FlexGrid.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int CustomerCount = 1024;
constexpr int HistoriesEach = 3;

struct DataFolder {
    QTemporaryDir dir;
    std::vector<QString> userFiles;

    DataFolder()
    {
        const QString users = dir.path() + QStringLiteral("/USER_DATA");
        for (int i = 0; i < CustomerCount; ++i) {
            // Codes and names in an order unlike the folder order, so that the
            // sort has work to do.
            const QString code = QStringLiteral("C%1").arg((i * 7919) % 10000, 4, 10, QLatin1Char('0'));
            const QString name = QStringLiteral("顧客%1").arg(CustomerCount - i);
            const QString folder = users + u'/' + code + u'_' + name;
            QDir().mkpath(folder);
            WriteLinesAtomic(folder + QStringLiteral("/UserData.csv"),
                             {code, name, QStringLiteral("コキャク%1").arg(i), QStringLiteral("設置場所%1").arg(i),
                              QStringLiteral("100-%1").arg(i % 10000, 4, 10, QLatin1Char('0')),
                              QStringLiteral("東京都千代田区%1-1").arg(i), QStringLiteral("03-1234-%1").arg(i),
                              QStringLiteral("090-0000-0000"), QStringLiteral("user%1@example.jp").arg(i),
                              QStringLiteral("2024/%1/01").arg(i % 12 + 1, 2, 10, QLatin1Char('0')),
                              QStringLiteral("屋上に2系統"), QStringLiteral("保守契約あり")});
            QStringList maker{QStringLiteral("5000")};
            for (int g = 0; g < 10; ++g)
                maker << QString() << QStringLiteral(",,,,,") << QStringLiteral(",,,,,") << QStringLiteral(",,,,,")
                      << QStringLiteral(",,,,,") << QStringLiteral(",,,,,") << QString() << QString() << QString();
            maker << QString();
            WriteLinesAtomic(folder + QStringLiteral("/MakerData.csv"), maker);
            for (int h = 1; h <= HistoriesEach; ++h) {
                const QString history = folder + QStringLiteral("/%1_工事%1").arg(h);
                QDir().mkpath(history + QStringLiteral("/Pictures"));
                WriteLinesAtomic(history + QStringLiteral("/MeasData.csv"),
                                 {QStringLiteral("工事%1").arg(h), QStringLiteral("2024/05/01"),
                                  QStringLiteral("SEL_OK,12.5"), QStringLiteral("SEL_OK,400"),
                                  QStringLiteral("SEL_OK,9"), QString(), QString(), QString(), QString()});
                WriteLinesAtomic(history + QStringLiteral("/PictureData.csv"), {QString(), QString(), QString(), QString()});
                WriteLinesAtomic(history + QStringLiteral("/ConstructionContractor.csv"), QStringList(15));
            }
            userFiles.push_back(folder + QStringLiteral("/UserData.csv"));
        }
    }
};

DataFolder* Data = nullptr;
SilentDialogs* Silent = nullptr;

void BM_CustomerList(benchmark::State& state)
{
    FrmMain form; // the real customer grid and tab, not shown
    Global::DataFolder = Data->dir.path();
    Global::SortColumn = 1;
    Global::SortDirection = 0;
    for (auto _ : state) {
        UserListIni(true);
        if (Global::UserListCount != CustomerCount)
            state.SkipWithError("not every customer was listed");
    }
    if (Silent->messages != 0)
        state.SkipWithError("the list build reported a failure");
    auto* grid = form.control<FlexGrid>(QStringLiteral("MfgUserList"));
    if (!grid || grid->Rows() != CustomerCount + 1 || grid->TextMatrix(1, 1) > grid->TextMatrix(2, 1))
        state.SkipWithError("the grid is not filled and sorted");
    state.SetItemsProcessed(state.iterations() * CustomerCount);
}

void BM_ReadUserDataBytes(benchmark::State& state)
{
    qsizetype total = 0;
    for (auto _ : state) {
        for (const QString& path : Data->userFiles) {
            const auto bytes = ReadFileBytes(path);
            if (!bytes)
                state.SkipWithError("read failed");
            else
                total += bytes->size();
        }
    }
    benchmark::DoNotOptimize(total);
    state.SetItemsProcessed(state.iterations() * CustomerCount);
}

BENCHMARK(BM_CustomerList)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ReadUserDataBytes)->Unit(benchmark::kMillisecond)->MinTime(1.0);

} // namespace

int main(int argc, char** argv)
{
    StartAsTheProgram();
    QApplication app(argc, argv);
    PlaceholderUiTexts();
    Silent = static_cast<SilentDialogs*>(setDialogs(std::make_unique<SilentDialogs>()));
    DataFolder data;
    Data = &data;

    const auto [list, read] = RunAndCompare(argc, argv, "BM_CustomerList", "BM_ReadUserDataBytes");
    if (list > 0 && read > 0) {
        const double ratio = list / read;
        std::printf("%d customers of %d histories each (medians): customer list %.2f ms, "
                    "UserData.csv bytes alone %.2f ms (limit 2 times)%s\n",
                    CustomerCount, HistoriesEach, list, read, ratio <= 2.0 ? "" : "  OVER THE LIMIT");
        std::printf("ratio: %.3f\n", ratio);
    }
    Global::CurrentDialogs.reset();
    return 0;
}
