#include "measview/Parallel.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

void ParallelSlices(int n, int minSlice, const std::function<void(int, int)>& body)
{
    if (n <= 0)
        return;
    const int cores = int(std::max(1u, std::thread::hardware_concurrency()));
    const int slices = std::clamp(n / std::max(1, minSlice), 1, std::min(cores, MaxWorkers));
    if (slices == 1) {
        body(0, n);
        return;
    }
    std::exception_ptr failure;
    std::mutex failureLock;
    auto run = [&](int s) {
        const int begin = int(std::int64_t(n) * s / slices);
        const int end = int(std::int64_t(n) * (s + 1) / slices);
        try {
            body(begin, end);
        } catch (...) {
            const std::lock_guard<std::mutex> lock(failureLock);
            if (!failure)
                failure = std::current_exception();
        }
    };
    std::vector<std::thread> workers;
    workers.reserve(std::size_t(slices - 1));
    int started = 1;
    try {
        for (; started < slices; ++started)
            workers.emplace_back(run, started);
    } catch (const std::system_error&) {
        // No thread to be had: the slices not started run here.
    }
    run(0);
    for (int s = started; s < slices; ++s)
        run(s);
    for (std::thread& t : workers)
        t.join();
    if (failure)
        std::rethrow_exception(failure);
}
