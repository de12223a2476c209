// quellarin-render: renders views with the viewer's own engine into BMP or
// PNG files, or raw frames on standard output: single images of any size,
// and zoom movies whose frames can be rendered apart, in any order.
#include "command_line.h"
#include "deep_frames.h"
#include "frame_render.h"
#include "http_server.h"
#include "image_file.h"
#include "interruption.h"
#include "kfr_location.h"
#include "output_sink.h"
#include "png_view.h"
#include "progress_line.h"
#include "render_options.h"
#include "render_plan.h"
#include "system_memory.h"
#include "version.h"

#include "render_paths.h"
#include "worker_fanout.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

// Forces the path QUELLARIN_RENDER_PATH names, if set; false, with a
// one-line message, when it names none or one this processor cannot run.
bool choose_render_path(std::string& message)
{
    const char* name = std::getenv("QUELLARIN_RENDER_PATH");
    if (!name)
        return true;
    const render_path best = best_render_path();
    const std::optional<render_path> path = render_path_from_name(name);
    if (path && *path <= best) {
        force_render_path(*path);
        return true;
    }
    std::string runnable;
    for (int p = 0; p <= static_cast<int>(best); ++p)
        runnable += (p == 0                        ? ""
                     : p == static_cast<int>(best) ? " or "
                                                   : ", ") +
                    std::string(render_path_name(static_cast<render_path>(p)));
    message = "quellarin-render: QUELLARIN_RENDER_PATH '" + printable(name) + "' is not " + runnable +
              ", the ways this processor can compute";
    return false;
}

// Reads the view stored in the PNG file at path, or the location in a .kfr
// file, into options.
bool load_view(const std::filesystem::path& path, const char* given, render_options& options, std::string& message)
{
    // No PNG of the largest image is longer than its raw pixels and a little.
    constexpr std::size_t LONGEST_PNG = MAX_PIXEL_BYTES + (std::size_t{64} << 20);
    // A location is a few numbers of at most MAX_NUMBER_TEXT characters, and settings.
    constexpr std::size_t LONGEST_LOCATION = 16 << 20;
    std::string extension = path.extension().string();
    for (char& c : extension)
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    const bool location = extension == ".kfr";
    std::vector<std::uint8_t> bytes;
    std::string text;
    std::string why = "it cannot be read, or is too long";
    const bool read = read_file(path, location ? LONGEST_LOCATION : LONGEST_PNG, bytes);
    if (read && location) {
        text.assign(bytes.begin(), bytes.end());
        if (parse_kfr_location(text, options, why))
            return true;
    }
    if (!read || location || !read_view_text(bytes.data(), bytes.size(), text, why) ||
        !parse_view_text(text, options, why)) {
        message = "quellarin-render: --from '" + printable(given) + "' cannot be used: " + why;
        return false;
    }
    return true;
}

// Reads the command line; false, with the exit code, when there is nothing to render.
bool read_command_line(int argc, const char* const* argv, const view_loader& load, render_options& options, int& code)
{
    std::string message;
    switch (parse_render_options(argc, argv, options, message, load)) {
    case parse_outcome::help:
        std::fputs(render_usage().c_str(), stdout);
        code = 0;
        return false;
    case parse_outcome::version:
        std::puts("quellarin-render " QUELLARIN_VERSION_TEXT);
        code = 0;
        return false;
    case parse_outcome::error:
        std::fprintf(stderr, "%s\n", message.c_str());
        code = 2;
        return false;
    case parse_outcome::render:
    case parse_outcome::serve:
        break;
    }
    if (!choose_render_path(message)) {
        std::fprintf(stderr, "%s\n", message.c_str());
        code = 2;
        return false;
    }
    return true;
}

// Whether standard error is a terminal, where progress can be shown.
bool stderr_is_terminal()
{
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(STDERR_FILENO) != 0;
#endif
}

// As many workers as the machine has hardware threads, and at least the viewer's eight.
int default_workers()
{
    const int threads = static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(threads, WORKER_COUNT, MAX_WORKERS);
}

// Whether the deep frames fit the memory budget; if not, says so.
bool fits_memory(const perturbation_frames& deep, const render_options& options)
{
    const std::string problem = memory_problem(deep, options, memory_budget(options));
    if (!problem.empty())
        std::fprintf(stderr, "quellarin-render: %s\n", problem.c_str());
    return problem.empty();
}

// Milliseconds that body takes.
template <class Body>
long long milliseconds_of(const Body& body)
{
    const auto t0 = std::chrono::steady_clock::now();
    body();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
}

// Renders the planned frames, prints each render's time and writes each
// file; single_path names a still image's file.
// Renders one frame options.repeat times, printing each render's time to report.
void render_repeated(const frame_job& job, frame_buffers& buffers, progress_line& progress, std::FILE* report)
{
    for (int r = 0; r < job.options.repeat; ++r) {
        const long long ms = milliseconds_of([&] { render_frame(job, buffers); });
        if (job.perturbation)
            progress.orbit_progress(0, 0);
        std::fprintf(report, "%lld ms\n", ms);
        std::fflush(report);
    }
}

int render(const render_options& options, const std::filesystem::path& single_path)
{
    // With raw frames standard output carries only pixels, so the times go elsewhere.
    std::FILE* const report = options.format == output_format::raw ? stderr : stdout;
    const render_plan plan(options, single_path);
    if (options.resume) {
        std::fprintf(report, "resumed: %d of %d frames already written, skipped\n", plan.skipped(), plan.selected());
        std::fflush(report);
    }
    perturbation_frames deep(options, plan.deepest(), table_enabled(), options.width * options.samples,
                             options.height * options.samples);
    if (plan.any_perturbation() && !fits_memory(deep, options))
        return 2;
    output_sink sink(options);
    frame_buffers buffers;
    progress_line progress(!options.quiet && stderr_is_terminal(), static_cast<std::int32_t>(plan.frames().size()));
    const orbit_progress orbit_done = [&](std::int64_t done) {
        progress.orbit_progress(done, static_cast<std::int64_t>(options.view.max_iterations) + 2);
    };
    const int workers = options.workers > 0 ? options.workers : default_workers();
    for (const std::int32_t k : plan.frames()) {
        const planned_frame frame = plan.frame(k);
        if (!sink.claim(frame))
            return 2;
        render_repeated(
            {options, frame.options, frame.options.view.radius.extended, frame.perturbation, deep, workers, orbit_done},
            buffers, progress, report);
        if (!sink.commit(frame, buffers))
            return 2;
        progress.frame_done();
    }
    return 0;
}

}  // namespace

#ifdef _WIN32
// The command line arrives as UTF-16 (wmain, -municode). The options are
// read from its UTF-8 form, but files are named by the UTF-16 text itself,
// so every name Windows can hold reaches the file calls unchanged.
int wmain(int argc, wchar_t** wide_argv)
{
    std::vector<std::string> args;
    for (int a = 0; a < argc; ++a) {
        const int size = WideCharToMultiByte(CP_UTF8, 0, wide_argv[a], -1, nullptr, 0, nullptr, nullptr);
        std::string arg(size > 0 ? static_cast<std::size_t>(size) : 1, '\0');
        WideCharToMultiByte(CP_UTF8, 0, wide_argv[a], -1, arg.data(), size, nullptr, nullptr);
        arg.resize(std::strlen(arg.c_str()));
        args.push_back(std::move(arg));
    }
    std::vector<const char*> argv;
    for (const std::string& arg : args)
        argv.push_back(arg.c_str());

    render_options options;
    int code = 0;
    const view_loader load = [&](int a, render_options& into, std::string& message) {
        return load_view(std::filesystem::path(wide_argv[a]), argv[a], into, message);
    };
    if (!read_command_line(argc, argv.data(), load, options, code))
        return code;
    if (options.serve_port >= 0)
        return serve(options, memory_budget(options), options.workers > 0 ? options.workers : default_workers());
    install_interruption_handlers();
    return render(options, std::filesystem::path(wide_argv[options.output_argument]));
}
#else
int main(int argc, char** argv)
{
    render_options options;
    int code = 0;
    const view_loader load = [&](int a, render_options& into, std::string& message) {
        return load_view(std::filesystem::path(argv[a]), argv[a], into, message);
    };
    if (!read_command_line(argc, argv, load, options, code))
        return code;
    if (options.serve_port >= 0)
        return serve(options, memory_budget(options), options.workers > 0 ? options.workers : default_workers());
    install_interruption_handlers();
    return render(options, std::filesystem::path(argv[options.output_argument]));
}
#endif
