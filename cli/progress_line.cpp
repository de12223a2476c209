#include "progress_line.h"

#include "interruption.h"

#include <cstdio>

namespace {

constexpr auto TICK = std::chrono::milliseconds(250);
constexpr auto FIRST_SHOWING = std::chrono::seconds(1);

// "m:ss", or "h:mm:ss" from an hour on.
void format_duration(char* out, std::size_t size, double seconds)
{
    const long s = static_cast<long>(seconds + 0.5);
    if (s >= 3600)
        std::snprintf(out, size, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
    else
        std::snprintf(out, size, "%ld:%02ld", s / 60, s % 60);
}

}  // namespace

progress_line::progress_line(bool enabled, std::int32_t frames) : frames_(frames), enabled_(enabled)
{
    if (enabled)
        ticker_ = std::thread(&progress_line::run, this);
}

progress_line::~progress_line()
{
    if (!ticker_.joinable())
        return;
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    ticker_.join();
    const std::lock_guard lock(mutex_);
    if (shown_) {
        show();
        std::fputc('\n', stderr);
    }
}

void progress_line::frame_done()
{
    const std::lock_guard lock(mutex_);
    ++done_;
    // A movie's line moves on with every frame, however short.
    if (enabled_ && (frames_ > 1 || shown_)) {
        show();
        shown_ = true;
    }
}

void progress_line::orbit_progress(std::int64_t done, std::int64_t total)
{
    const std::lock_guard lock(mutex_);
    orbit_done_ = done;
    orbit_total_ = done >= total ? 0 : total;
}

void progress_line::run()
{
    // A signal taken here could fall while the main thread claims a file.
    refuse_interruptions_here();
    std::unique_lock lock(mutex_);
    while (!wake_.wait_for(lock, TICK, [this] { return stopping_; })) {
        if (frames_ > 1 || std::chrono::steady_clock::now() - start_ >= FIRST_SHOWING) {
            show();
            shown_ = true;
        }
    }
}

void progress_line::show()
{
    const std::int32_t done = done_;
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    char spent[32];
    char left[32] = "?";
    format_duration(spent, sizeof spent, elapsed);
    if (done > 0)
        format_duration(left, sizeof left, elapsed / done * (frames_ - done));
    char line[128];
    if (orbit_total_ > 0)
        std::snprintf(line, sizeof line, "reference orbit %lld of at most %lld steps, %s elapsed",
                      static_cast<long long>(orbit_done_), static_cast<long long>(orbit_total_), spent);
    else
        std::snprintf(line, sizeof line, "frames %d of %d, %s elapsed, %s left", done, frames_, spent, left);
    // Padded, so that a shorter line covers a longer one; no terminal codes,
    // which not every Windows console reads.
    std::fprintf(stderr, "\r%-60s", line);
    std::fflush(stderr);
}
