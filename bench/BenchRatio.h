#pragma once
// Runs the benchmarks of a program that compares a whole job with its
// bare baseline: unless the command line says otherwise, five repetitions
// of each in random order (a disk's or a machine's pace varies from one
// second to the next); at the end the medians of the two, in milliseconds.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

// Keeps the time per iteration of every repetition, by benchmark name.
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
};

// Runs every registered benchmark and returns the medians of `whole` and
// `baseline` (0 for one that did not run).
inline std::pair<double, double> RunAndCompare(int argc, char** argv, const std::string& whole,
                                               const std::string& baseline)
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
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return {reporter.median(whole), reporter.median(baseline)};
}
