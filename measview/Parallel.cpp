#include "measview/Parallel.h"

#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

// How long a worker waits for the next work before it ends: a history load
// runs several slices in a row, and a process (a forked child, a test) that
// waits for its other threads to end does not wait long.
constexpr auto IdleTime = std::chrono::milliseconds(100);

// How long a worker that ran out of work stays awake, looking for the next
// before it sleeps. Waking a sleeping thread can take milliseconds when its
// processor has gone idle (under a virtual machine above all), longer than
// the work; a list fill, a view switch or a load hands out its next work a
// few milliseconds after the last.
constexpr auto AwakeTime = std::chrono::milliseconds(10);

// One call's work: its slices, handed out in order.
struct Job {
    const std::function<void(int)>* run;
    int slices;
    int next = 1; // slice 0 is the caller's own
    int busy = 0; // slices other threads took and have not ended
};

// Worker threads kept between calls: starting threads for every call costs
// more than the work of a small one. Calls made at once (a list filled while
// its totals are worked out on another thread, a call from within a slice)
// share them: a worker takes its next slice from the latest call (the
// shorter work, as a rule, which a caller is waiting for), and every caller
// runs its own slices too, so each call ends even when every worker is busy
// elsewhere.
class Workers {
public:
    const pid_t owner = ::getpid();

    // Runs run(s) for s in [0, slices), the calling thread among the workers.
    void runSlices(int slices, const std::function<void(int)>& run)
    {
        Job job{&run, slices};
        std::unique_lock<std::mutex> lock(m_);
        if (job.next < job.slices)
            jobs_.push_back(&job);
        posted_.fetch_add(1, std::memory_order_release);
        // Start what is missing; with no thread to be had the caller runs
        // the slices itself.
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
        while (job.next < job.slices) {
            const int s = take(job);
            ++job.busy;
            lock.unlock();
            run(s);
            lock.lock();
            --job.busy;
        }
        done_.wait(lock, [&job] { return job.busy == 0; });
    }

private:
    std::mutex m_;
    std::condition_variable wake_, done_;
    std::deque<Job*> jobs_; // calls with slices not yet handed out
    int threads_ = 0;
    std::atomic<std::uint64_t> posted_{0}; // calls that handed out work

    // The next slice of `job`; the job leaves the queue with its last.
    int take(Job& job)
    {
        const int s = job.next++;
        if (job.next >= job.slices)
            jobs_.erase(std::find(jobs_.begin(), jobs_.end(), &job));
        return s;
    }

    // Whether a call handed out work after `seen` before `until` (lock not
    // held).
    bool awaitPost(std::uint64_t seen, std::chrono::steady_clock::time_point until) const
    {
        for (int k = 1; posted_.load(std::memory_order_acquire) == seen; ++k) {
            if (k % 64 == 0 && std::chrono::steady_clock::now() >= until)
                return false;
            std::this_thread::yield();
        }
        return true;
    }

    void work()
    {
        std::unique_lock<std::mutex> lock(m_);
        while (true) {
            // Awake for a moment first, then asleep.
            for (const auto until = std::chrono::steady_clock::now() + AwakeTime; jobs_.empty();) {
                const std::uint64_t seen = posted_.load(std::memory_order_relaxed);
                lock.unlock();
                const bool posted = awaitPost(seen, until);
                lock.lock();
                if (!posted)
                    break;
            }
            if (!wake_.wait_for(lock, IdleTime, [this] { return !jobs_.empty(); })) {
                --threads_;
                return;
            }
            Job& job = *jobs_.back();
            const int s = take(job);
            ++job.busy;
            lock.unlock();
            (*job.run)(s);
            lock.lock();
            if (--job.busy == 0 && job.next >= job.slices)
                done_.notify_all();
        }
    }
};

std::mutex workersLock;
Workers* workers = nullptr;

Workers& TheWorkers()
{
    const std::lock_guard<std::mutex> hold(workersLock);
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
    if (slices == 1) {
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
