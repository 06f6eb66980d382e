#pragma once
// What the benchmarks that compare a procedure with a baseline share: dialogs
// that answer without showing anything, repetitions run interleaved, and the
// medians of each benchmark's repetitions for the closing "ratio: X".
#include "common/AppGlobals.h"
#include "platform/Dialogs.h"
#include "platform/MemoryReuse.h"

#include <QStringList>
#include <QtGlobal>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

// The program's start as its main makes it: its heap keeps freed memory
// for reuse, and the benchmarks' windows stay off screen unless the
// environment names a platform. Before the QApplication is made.
inline void StartAsTheProgram()
{
    KeepFreedMemoryForReuse();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// Every text of the language table a placeholder ("Text 0", "Text 1", ...),
// for benchmarks that read no language file.
inline void PlaceholderUiTexts()
{
    for (int k = 0; k < Global::UiTextCount; ++k)
        Global::UiText[k] = QStringLiteral("Text %1").arg(k);
}

// Every box answered with its default button, nothing shown.
class SilentDialogs : public Dialogs {
  public:
    int message(const MessageRequest& r) override
    {
        ++messages;
        texts << r.title + QStringLiteral(": ") + r.text;
        return DefaultAnswer(r);
    }
    std::optional<QString> input(const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }
    QString openFile(const FileRequest&) override { return QString(); }
    std::optional<quint32> chooseColor(quint32) override { return std::nullopt; }
    QString chooseFolder(const QString&, const QString&) override { return QString(); }
    int messages = 0;
    QStringList texts; // "title: text" of every box
};

// Keeps the time per iteration of every repetition, to print the medians
// and their ratio at the end. The disk's own pace varies from one second to
// the next, so both benchmarks run in several repetitions, interleaved.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    std::map<std::string, std::vector<double>> ms;
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                const std::string name = run.benchmark_name();
                ms[name.substr(0, name.find('/'))].push_back(run.GetAdjustedRealTime());
            }
        ConsoleReporter::ReportRuns(runs);
    }
    double median(const std::string& name)
    {
        std::vector<double> v = ms[name];
        std::sort(v.begin(), v.end());
        return v.empty() ? 0 : v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    }
    bool has(const std::string& name) { return !ms[name].empty(); }
};

// benchmark::Initialize with five repetitions of each benchmark in random
// order, unless the command line says otherwise.
inline void InitializeInterleaved(int argc, char** argv)
{
    std::vector<char*> args(argv, argv + argc);
    auto given = [&](const char* flag) {
        for (int i = 1; i < argc; ++i)
            if (std::string(argv[i]).rfind(flag, 0) == 0)
                return true;
        return false;
    };
    static char repetitions[] = "--benchmark_repetitions=5";
    static char interleave[] = "--benchmark_enable_random_interleaving=true";
    if (!given("--benchmark_repetitions"))
        args.push_back(repetitions);
    if (!given("--benchmark_enable_random_interleaving"))
        args.push_back(interleave);
    int count = int(args.size());
    benchmark::Initialize(&count, args.data());
}

// Runs every registered benchmark, interleaved as above, and returns the
// medians of `whole` and `baseline` (0 for one that did not run).
inline std::pair<double, double> RunAndCompare(int argc, char** argv, const std::string& whole,
                                               const std::string& baseline)
{
    InitializeInterleaved(argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return {reporter.median(whole), reporter.median(baseline)};
}
