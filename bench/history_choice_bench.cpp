// What a user waits for on the measurement-data tab of the real main window
// (off screen), against plain reads of the same files in the same run.
//
// A data folder with one customer whose ten array groups all carry the
// coefficients of a catalogued module, and a history of 800 measurement
// files (bench/BenchHistory.h) whose tick memory ticks every row.
//   BM_HistoryChoice  choosing the history in its list until the window has
//                     painted: the load, the list fill, the ticks put back,
//                     the totals with their two files, the paint;
//   BM_ViewSwitch     switching the result view from as-measured to the STC
//                     view with all 801 rows ticked, until painted (the
//                     switch back is not timed);
//   BM_HistoryLoad    the load alone (LoadHistory: listing, reading and
//                     correcting the files, the tick memory);
//   BM_PlainRead      open, read and close of the same 802 files (the
//                     measurement files, MeasData.csv, CheckMemory.csv) with
//                     the system's calls, nothing of the program.
// Before the benchmarks the run chooses the history once and reports how
// much the peak resident size grew by it.
// Limits: the choice at most 5 times the plain reads, the switch at most
// twice the load, the history at most 40 MiB. The run ends with the medians,
// the memory and the ratios ("ratio: X" lines).
#include "app/FrmMain.h"
#include "app/Global.h"
#include "bench/BenchHistory.h"
#include "bench/BenchSupport.h"
#include "common/Language.h"
#include "measview/HistoryLoad.h"
#include "measview/MeasViewTab.h"
#include "platform/FileIo.h"
#include "platform/FlexGrid.h"
#include "platform/Registry.h"
#include "support/ShippedLanguages.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

using BenchHistory::FileCount;

const QString Code = QStringLiteral("C001");
const QString Name = QStringLiteral("Bench");
const QString HistoryName = QStringLiteral("Roof");
constexpr int StcTab = 2;

// A temporary home, settings and program folder with the shipped language
// files, and the data folder with its catalogue and customer.
struct Environment {
    QTemporaryDir dir;
    QString data = dir.path() + QStringLiteral("/data");
    QString program = dir.path() + QStringLiteral("/program");
    QString history;
    std::vector<std::string> files; // what the plain reads read

    Environment()
    {
        const QString home = dir.path() + QStringLiteral("/home");
        for (const QString& d : {home, dir.path() + QStringLiteral("/config"), program + QStringLiteral("/LANGUAGE"),
                                 data})
            QDir().mkpath(d);
        qputenv("HOME", home.toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", (dir.path() + QStringLiteral("/config")).toLocal8Bit());
        Global::HomeOverride = home;
        Global::ProgramFolderOverride = program;
        Global::DriveCRootOverride = program;
        Global::RuntimeFolderOverride = dir.path();
        for (const char* name : {"English.txt", "Japanese.txt"})
            QFile::copy(QStringLiteral(HX_SOURCE_DIR "/lang/") + QString::fromLatin1(name),
                        program + QStringLiteral("/LANGUAGE/") + QString::fromLatin1(name));
        UseShippedLanguages(program + QStringLiteral("/LANGUAGE/"));
        Global::DataFolder = data;

        // One module with every correction coefficient.
        const QString maker = QStringLiteral("Tolvane Solar");
        QDir().mkpath(data + QStringLiteral("/MODULE_DATA/") + maker);
        QDir().mkpath(data + QStringLiteral("/POWER_CONDITIONER_DATA"));
        QFile::copy(QStringLiteral(HX_SOURCE_DIR "/tests/fixtures/meastab/data/MODULE_DATA/Tolvane Solar/TS-250.dat"),
                    data + QStringLiteral("/MODULE_DATA/") + maker + QStringLiteral("/TS-250.dat"));

        // The customer: every group strings of that module.
        const QString customer = data + QStringLiteral("/USER_DATA/") + Code + u'_' + Name;
        QDir().mkpath(customer);
        WriteLinesAtomic(customer + QStringLiteral("/UserData.csv"),
                         {Code, Name, QStringLiteral("Reading"), QStringLiteral("Site"), QStringLiteral("100-0001"),
                          QStringLiteral("Address 1-1"), QStringLiteral("03-1234-5678"), QString(), QString(),
                          QStringLiteral("2024/04/01"), QStringLiteral("memo")});
        QStringList array{QStringLiteral("60000")};
        for (int g = 0; g < 10; ++g)
            array << maker << QStringLiteral("TS-250,12,250,37.6,8.75,2") << QStringLiteral(",,,,,")
                  << QStringLiteral(",,,,,") << QStringLiteral(",,,,,") << QStringLiteral(",,,,,") << QString()
                  << QString() << QString();
        array << QString();
        WriteLinesAtomic(customer + QStringLiteral("/MakerData.csv"), array);

        history = customer + QStringLiteral("/1_") + HistoryName;
        for (const QString& path : BenchHistory::WriteHistory(history, HistoryName))
            files.push_back(QFile::encodeName(path).toStdString());
        for (const char* name : {"/MeasData.csv", "/CheckMemory.csv"})
            files.push_back(QFile::encodeName(history + QString::fromLatin1(name)).toStdString());
    }
};

Environment* Env = nullptr;
FrmMain* Form = nullptr;
SilentDialogs* Silent = nullptr;

QComboBox* Combo(const char* name)
{
    return Form->control<QComboBox>(QString::fromLatin1(name));
}

QTabWidget* Views()
{
    return Form->control<QTabWidget>(QStringLiteral("SSTab3"));
}

// Until the window has painted what changed.
void Settle()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

// The history chosen afresh, as a user picks it in the list.
void ChooseHistory()
{
    QComboBox* list = Combo("CmbHistorySel_0");
    {
        const QSignalBlocker block(list);
        list->setCurrentIndex(-1);
    }
    list->setCurrentIndex(list->findText(HistoryName));
    Settle();
}

bool WholeHistoryShown()
{
    const auto* grid = Form->control<FlexGrid>(QStringLiteral("MfgMeasList"));
    return Global::MeasFileCount == FileCount && grid && grid->Rows() == FileCount + 2 &&
           grid->Tick(FileCount + 1) == 1 && Silent->messages == 0;
}

void BM_HistoryChoice(benchmark::State& state)
{
    for (auto _ : state)
        ChooseHistory();
    if (!WholeHistoryShown())
        state.SkipWithError("the history was not shown whole");
    state.SetItemsProcessed(state.iterations() * FileCount);
}

void BM_ViewSwitch(benchmark::State& state)
{
    ChooseHistory();
    for (auto _ : state) {
        Views()->setCurrentIndex(StcTab);
        Settle();
        state.PauseTiming();
        const bool shown = Views()->currentIndex() == StcTab;
        Views()->setCurrentIndex(0);
        Settle();
        if (!shown)
            state.SkipWithError("the STC view was refused");
        state.ResumeTiming();
    }
    if (!WholeHistoryShown())
        state.SkipWithError("the history was not shown whole");
    state.SetItemsProcessed(state.iterations() * FileCount);
}

void BM_HistoryLoad(benchmark::State& state)
{
    HistoryViews views;
    for (auto _ : state) {
        const LoadedHistory loaded = LoadHistory(Env->history, Global::ArrayConfiguration, views);
        if (loaded.paths.size() != FileCount)
            state.SkipWithError("the history was not loaded whole");
        benchmark::DoNotOptimize(views);
    }
    state.SetItemsProcessed(state.iterations() * FileCount);
}

void BM_PlainRead(benchmark::State& state)
{
    std::vector<char> buffer(1 << 16);
    for (auto _ : state) {
        std::size_t bytes = 0;
        for (const std::string& path : Env->files) {
            const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0) {
                state.SkipWithError("a file could not be opened");
                break;
            }
            for (ssize_t n; (n = ::read(fd, buffer.data(), buffer.size())) > 0;)
                bytes += std::size_t(n);
            ::close(fd);
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations() * FileCount);
}

BENCHMARK(BM_HistoryChoice)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ViewSwitch)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_HistoryLoad)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// A line of /proc/self/status in MiB ("VmHWM": the peak resident size).
double StatusMiB(const char* key)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(key, 0) == 0 && line.size() > std::strlen(key) && line[std::strlen(key)] == ':')
            return std::stod(line.substr(std::strlen(key) + 1)) / 1024.0;
    return 0;
}

// The off-screen platform's word on every window raised (the progress
// window is, at every load) is left out of the report.
QtMessageHandler StandardHandler = nullptr;
void QuietPlatform(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (!message.startsWith(QLatin1String("This plugin does not support")) && StandardHandler)
        StandardHandler(type, context, message);
}

} // namespace

int main(int argc, char** argv)
{
    StartAsTheProgram();
    StandardHandler = qInstallMessageHandler(QuietPlatform);
    auto env = std::make_unique<Environment>();
    Env = env.get();
    QApplication app(argc, argv);
    Silent = static_cast<SilentDialogs*>(setDialogs(std::make_unique<SilentDialogs>()));
    RegStrSet(RegKeySystem, QStringLiteral("Language"), QStringLiteral("1"));

    auto form = std::make_unique<FrmMain>();
    Form = form.get();
    form->Form_Load();
    form->resize(1366, 740);
    form->show();
    {
        // The measurement-data tab, entered as the tab switch enters it.
        const QSignalBlocker block(form->SSTab);
        form->SSTab->setCurrentIndex(1);
    }
    Views()->setCurrentIndex(0);
    DataViewDisplayInitial();
    Combo("CmbCodeName_0")->setCurrentIndex(Combo("CmbCodeName_0")->findText(Code));
    Settle();

    const double peakBefore = StatusMiB("VmHWM");
    const double residentBefore = StatusMiB("VmRSS");
    ChooseHistory();
    const double peakAfter = StatusMiB("VmHWM");
    const double residentAfter = StatusMiB("VmRSS");
    if (!WholeHistoryShown()) {
        const auto* grid = Form->control<FlexGrid>(QStringLiteral("MfgMeasList"));
        std::fprintf(stderr, "the history of %d measurements was not shown whole: %d loaded, %d rows\n", FileCount,
                     Global::MeasFileCount, grid ? grid->Rows() : 0);
        for (const QString& text : Silent->texts)
            std::fprintf(stderr, "  %s\n", qPrintable(text));
        return 1;
    }

    InitializeInterleaved(argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    const double held = peakAfter - peakBefore;
    std::printf("history of %d measurements: peak resident size %.1f -> %.1f MiB (+%.1f, limit 40)%s; "
                "resident %.1f -> %.1f MiB\n",
                FileCount, peakBefore, peakAfter, held, held <= 40 ? "" : "  OVER THE LIMIT", residentBefore,
                residentAfter);
    const double choice = reporter.median("BM_HistoryChoice");
    const double viewSwitch = reporter.median("BM_ViewSwitch");
    const double load = reporter.median("BM_HistoryLoad");
    const double read = reporter.median("BM_PlainRead");
    if (choice > 0 && read > 0) {
        std::printf("history choice %.2f ms, plain reads of its %zu files %.2f ms (limit 5 times)%s\n", choice,
                    Env->files.size(), read, choice <= 5 * read ? "" : "  OVER THE LIMIT");
        std::printf("ratio: %.3f\n", choice / read);
    }
    if (viewSwitch > 0 && load > 0) {
        std::printf("switch to the STC view %.2f ms, history load %.2f ms (limit 2 times)%s\n", viewSwitch, load,
                    viewSwitch <= 2 * load ? "" : "  OVER THE LIMIT");
        std::printf("ratio: %.3f\n", viewSwitch / load);
    }
    benchmark::Shutdown();
    form.reset();
    Global::CurrentDialogs.reset();
    return 0;
}
