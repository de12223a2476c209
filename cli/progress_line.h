// One line of progress on a terminal's standard error: the reference orbit
// of a deep view while it is computed, then frames done, time elapsed and
// time left, rewritten in place while a long render runs.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

class progress_line {
public:
    // Shows nothing unless enabled; a single frame shows only after a second.
    progress_line(bool enabled, std::int32_t frames);
    ~progress_line();  // leaves the last state on its line
    progress_line(const progress_line&) = delete;
    progress_line& operator=(const progress_line&) = delete;

    void frame_done();
    // The reference orbit has `done` of at most `total` elements.
    void orbit_progress(std::int64_t done, std::int64_t total);

private:
    void run();
    void show();  // with mutex_ held

    const std::int32_t frames_;
    const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    const bool enabled_;
    std::mutex mutex_;
    std::int32_t done_ = 0;
    std::int64_t orbit_done_ = 0;
    std::int64_t orbit_total_ = 0;  // 0 while no orbit is being computed
    std::condition_variable wake_;
    bool stopping_ = false;
    bool shown_ = false;
    std::thread ticker_;
};
