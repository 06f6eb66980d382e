#include "measview/Parallel.h"

#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

// How long a worker waits for the next work before it ends: a history load
// runs several slices in a row, and a process (a forked child, a test) that
// waits for its other threads to end does not wait long.
constexpr auto IdleTime = std::chrono::milliseconds(100);

// Worker threads kept between calls: starting threads for every call costs
// more than the work of a small one.
class Workers {
public:
    const pid_t owner = ::getpid();

    // Runs run(s) for s in [0, slices), the calling thread among the workers.
    void runSlices(int slices, const std::function<void(int)>& run)
    {
        std::unique_lock<std::mutex> lock(m_);
        job_ = &run;
        slices_ = slices;
        next_ = 1;
        busy_ = 0;
        // Start what is missing; with no thread to be had the caller runs
        // the slices itself.
        // Between calls every worker waits for work.
        while (threads_ < std::min(slices - 1, MaxWorkers - 1)) {
            try {
                std::thread(&Workers::work, this).detach();
                ++threads_;
            } catch (const std::system_error&) {
                break;
            }
        }
        wake_.notify_all();
        lock.unlock();
        run(0);
        lock.lock();
        while (next_ < slices_) {
            const int s = next_++;
            ++busy_;
            lock.unlock();
            run(s);
            lock.lock();
            --busy_;
        }
        done_.wait(lock, [this] { return busy_ == 0; });
        job_ = nullptr;
    }

private:
    std::mutex m_;
    std::condition_variable wake_, done_;
    const std::function<void(int)>* job_ = nullptr;
    int slices_ = 0;
    int next_ = 0;  // next slice to hand out
    int busy_ = 0;  // slices handed out and not yet ended
    int threads_ = 0;

    void work()
    {
        std::unique_lock<std::mutex> lock(m_);
        while (true) {
            if (!wake_.wait_for(lock, IdleTime, [this] { return job_ && next_ < slices_; })) {
                --threads_;
                return;
            }
            const int s = next_++;
            ++busy_;
            const std::function<void(int)>& run = *job_;
            lock.unlock();
            run(s);
            lock.lock();
            if (--busy_ == 0 && next_ >= slices_)
                done_.notify_all();
        }
    }
};

// One caller at a time uses the workers; a call made while they are in use
// (from a slice, or from another thread) runs on its own thread.
std::mutex callerLock;
Workers* workers = nullptr;

Workers& TheWorkers()
{
    // A forked child has none of its parent's threads: it starts its own
    // (the parent's are left, never touched again).
    if (!workers || workers->owner != ::getpid())
        workers = new Workers;
    return *workers;
}

// The processors this process may run on (a container or a start under
// taskset may allow fewer than the machine has).
int Cores()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0)
        return std::max(1, CPU_COUNT(&set));
    return int(std::max(1u, std::thread::hardware_concurrency()));
}

} // namespace

void ParallelSlices(int n, int minSlice, const std::function<void(int, int)>& body)
{
    if (n <= 0)
        return;
    static const int cores = Cores();
    const int slices = std::clamp(n / std::max(1, minSlice), 1, std::min(cores, MaxWorkers));
    std::unique_lock<std::mutex> caller(callerLock, std::try_to_lock);
    if (slices == 1 || !caller.owns_lock()) {
        body(0, n);
        return;
    }
    std::exception_ptr failure;
    std::mutex failureLock;
    const std::function<void(int)> run = [&](int s) {
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
    TheWorkers().runSlices(slices, run);
    if (failure)
        std::rethrow_exception(failure);
}
