// The one way the program runs work on several threads: workers 0 .. n - 1,
// each on a thread of its own, and the calling thread waits for them all.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

// The most workers one render may have.
inline constexpr int MAX_WORKERS = 1024;

// Starts body on thread; false when the platform refuses a thread.
bool start_worker_thread(std::thread& thread, std::function<void()> body);

// Runs work(k) for k = 0 .. workers - 1, worker k on the thread start(thread,
// k) starts, and returns when every one has ended. The work of a worker
// whose thread could not be started is done on the calling thread while the
// others run, so the result is always complete: workers must own disjoint
// parts of it.
template <class Start, class Work>
void fan_out(int workers, const Start& start, const Work& work)
{
    std::vector<std::thread> threads(static_cast<std::size_t>(workers));
    std::vector<bool> started(threads.size(), false);
    for (int k = 0; k < workers; ++k)
        started[static_cast<std::size_t>(k)] = start(threads[static_cast<std::size_t>(k)], k);
    for (int k = 0; k < workers; ++k) {
        if (!started[static_cast<std::size_t>(k)])
            work(k);
    }
    for (int k = 0; k < workers; ++k) {
        if (started[static_cast<std::size_t>(k)])
            threads[static_cast<std::size_t>(k)].join();
    }
}

// The same with every worker started by start_worker_thread.
template <class Work>
void fan_out(int workers, const Work& work)
{
    fan_out(
        workers, [&work](std::thread& thread, int k) { return start_worker_thread(thread, [&work, k] { work(k); }); },
        work);
}

// body(first, end) for consecutive ranges of rows 0 .. rows - 1, one per
// worker (no more than there are rows). Each pixel's result depends on that
// pixel alone, so the split never changes the bytes.
template <class Body>
void fan_out_rows(std::int32_t rows, int workers, const Body& body)
{
    const std::int32_t parts = std::max<std::int32_t>(1, std::min<std::int32_t>(rows, workers));
    fan_out(parts, [&](int p) { body(rows * p / parts, rows * (p + 1) / parts); });
}
