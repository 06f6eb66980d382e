// Work split over threads: every index once, failures passed on, calls
// within calls, and a forked child that splits work after its parent did.
#include "measview/Parallel.h"
#include "support/ChildProcess.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

TEST(ParallelSlices, EveryIndexIsRunOnceWhateverTheSize)
{
    for (int round = 0; round < 50; ++round)
        for (int n : {0, 1, 15, 16, 17, 120, 801}) {
            std::vector<std::atomic<int>> runs(std::size_t(n) + 1);
            ParallelSlices(n, 15, [&](int begin, int end) {
                ASSERT_LE(0, begin);
                ASSERT_LE(begin, end);
                ASSERT_LE(end, n);
                for (int i = begin; i < end; ++i)
                    ++runs[std::size_t(i)];
            });
            for (int i = 0; i < n; ++i)
                ASSERT_EQ(runs[std::size_t(i)], 1) << "n " << n << " index " << i;
        }
}

TEST(ParallelSlices, AFailureIsThrownAndTheNextCallWorks)
{
    std::atomic<int> ended{0};
    EXPECT_THROW(ParallelSlices(800, 16,
                                [&](int begin, int) {
                                    ++ended;
                                    if (begin > 0)
                                        throw std::runtime_error("slice");
                                }),
                 std::runtime_error);
    const int slices = ended;
    EXPECT_GE(slices, 1);
    std::atomic<int> sum{0};
    ParallelSlices(800, 16, [&](int begin, int end) {
        for (int i = begin; i < end; ++i)
            sum += i;
    });
    EXPECT_EQ(sum, 799 * 800 / 2);
}

TEST(ParallelSlices, ACallFromASliceOrAnotherThreadRunsWhole)
{
    std::atomic<int> inner{0};
    ParallelSlices(64, 8, [&](int begin, int end) {
        ParallelSlices(end - begin, 1, [&](int b, int e) { inner += e - b; });
    });
    EXPECT_EQ(inner, 64);

    std::atomic<int> total{0};
    std::vector<std::thread> callers;
    for (int t = 0; t < 4; ++t)
        callers.emplace_back([&] {
            for (int round = 0; round < 20; ++round)
                ParallelSlices(100, 10, [&](int b, int e) { total += e - b; });
        });
    for (std::thread& t : callers)
        t.join();
    EXPECT_EQ(total, 4 * 20 * 100);
}

TEST(ParallelSlices, AForkedChildSplitsWorkAfterItsParent)
{
    std::atomic<int> parent{0};
    ParallelSlices(800, 16, [&](int b, int e) { parent += e - b; });
    ASSERT_EQ(parent, 800);
    const ChildResult r = RunInChild({}, [](const auto& send) {
        std::atomic<int> child{0};
        ParallelSlices(800, 16, [&](int b, int e) { child += e - b; });
        send(QByteArray::number(child.load()));
        return 0;
    });
    ASSERT_TRUE(r.exited) << "signal " << r.signal;
    EXPECT_EQ(r.output, QByteArray("800"));
}
