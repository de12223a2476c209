// One line of progress on a terminal's standard error: frames done, time
// elapsed and time left, rewritten in place while a long render runs.
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

private:
    void run();
    void show();  // with mutex_ held

    const std::int32_t frames_;
    const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    const bool enabled_;
    std::mutex mutex_;
    std::int32_t done_ = 0;
    std::condition_variable wake_;
    bool stopping_ = false;
    bool shown_ = false;
    std::thread ticker_;
};
