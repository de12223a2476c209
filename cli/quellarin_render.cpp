// quellarin-render: renders views with the viewer's own engine into BMP or
// PNG files, or raw frames on standard output: single images of any size,
// and zoom movies whose frames can be rendered apart, in any order.
#include "count_map.h"
#include "deep_frames.h"
#include "frame_render.h"
#include "image_file.h"
#include "interruption.h"
#include "kfr_location.h"
#include "png_view.h"
#include "progress_line.h"
#include "render_options.h"
#include "decimal_number.h"
#include "system_memory.h"
#include "version.h"

#include "render_paths.h"
#include "worker_fanout.h"
#include "view_limits.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
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
    std::string runnable;
    for (int p = 0; p <= static_cast<int>(best); ++p) {
        const char* candidate = render_path_name(static_cast<render_path>(p));
        runnable += (p == 0 ? "" : p == static_cast<int>(best) ? " or " : ", ") + std::string(candidate);
        if (std::strcmp(name, candidate) == 0) {
            force_render_path(static_cast<render_path>(p));
            return true;
        }
    }
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
bool read_command_line(int argc, const char* const* argv, const view_loader& load, render_options& options,
                       int& code)
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
        break;
    }
    if (!choose_render_path(message)) {
        std::fprintf(stderr, "%s\n", message.c_str());
        code = 2;
        return false;
    }
    return true;
}

int refuse_output(const std::string& name)
{
    std::fprintf(stderr,
                 "quellarin-render: --output '%s' cannot be written: a writable file name ending in .bmp, .png or "
                 ".npy\n",
                 printable(name).c_str());
    return 2;
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

// Zooms whose ends a double holds with all its bits keep the frame radii
// they have always had, computed in doubles.
bool double_zoom(const render_options& options)
{
    constexpr double NORMAL_ENOUGH = 1e-300;
    return options.zoom_from.value >= NORMAL_ENOUGH && options.view.radius.value >= NORMAL_ENOUGH;
}

// Frame k's options: its radius (exactly the given texts at a movie's ends)
// and, as a full-range number, in radius.
render_options frame_options(const render_options& options, std::int32_t k, floatexp& radius)
{
    render_options frame = options;
    const std::int32_t last = options.frames - 1;
    if (k == 0 && k != last)
        frame.view.radius = options.zoom_from;
    else if (k != last && double_zoom(options))
        frame.view.radius =
            decimal_of(frame_radius(options.zoom_from.value, options.view.radius.value, options.frames, k));
    else if (k != last)
        frame.view.radius = decimal_of(
            frame_radius(options.zoom_from.extended, options.view.radius.extended, options.frames, k));
    radius = frame.view.radius.extended;
    return frame;
}

// Whether a frame of this radius is rendered by perturbation.
bool by_perturbation(const render_options& options, double radius)
{
    return options.method == render_method::perturbation ||
           (options.method == render_method::automatic && !exact_method_accepts_radius(radius));
}

// The memory a deep render may take: as given, else half the machine's.
std::uint64_t memory_budget(const render_options& options)
{
    return options.memory_limit > 0 ? options.memory_limit : physical_memory_bytes() / 2;
}

// Renders the frames of the options (one for a still image), prints the
// times and writes each file; single_path names a still image's file.
int render(const render_options& options, const std::filesystem::path& single_path)
{
    const bool movie = options.frames > 1;
    // With raw frames standard output carries only pixels, so the times go elsewhere.
    std::FILE* const report = options.raw ? stderr : stdout;
#ifdef _WIN32
    if (options.raw)
        _setmode(_fileno(stdout), _O_BINARY);
#endif
    // One reference orbit serves every frame: its precision is the deepest
    // frame's of the whole movie, so that a frame's bytes do not depend on
    // which frames a run renders.
    const floatexp deepest =
        movie ? smaller_of(options.zoom_from.extended, options.view.radius.extended) : options.view.radius.extended;
    const char* bla = std::getenv("QUELLARIN_BLA");
    perturbation_frames deep(options, deepest, !(bla && std::strcmp(bla, "off") == 0),
                             options.width * options.samples, options.height * options.samples);
    bool any_deep = false;
    for (std::int32_t k = options.first_frame; k <= options.last_frame; ++k) {
        floatexp radius;
        any_deep = any_deep || by_perturbation(options, frame_options(options, k, radius).view.radius.value);
    }
    if (any_deep && deep.bytes_needed() > memory_budget(options)) {
        std::fprintf(stderr,
                     "quellarin-render: the view needs up to %llu bytes for its reference orbit of %d iterations, "
                     "its tables and counts, more than the memory limit of %llu bytes (see --memory-limit)\n",
                     static_cast<unsigned long long>(deep.bytes_needed()), options.view.max_iterations,
                     static_cast<unsigned long long>(memory_budget(options)));
        return 2;
    }

    std::vector<std::uint8_t> pixels(options.npy ? 0 : static_cast<std::size_t>(options.width) * options.height * 3);
    std::vector<std::int32_t> counts;
    std::vector<double> values;  // smooth values for a .npy file
    const int workers = options.workers > 0 ? options.workers : default_workers();
    const auto file_of = [&](std::int32_t k) {
        const std::string name = movie && !options.raw ? frame_name(options.pattern, k) : options.output;
        return std::pair(name, movie ? std::filesystem::path(std::u8string(name.begin(), name.end())) : single_path);
    };
    // A resumed movie leaves its finished frames alone: a file under its
    // final name is whole, since every file is renamed into place.
    std::vector<bool> skip(static_cast<std::size_t>(options.last_frame - options.first_frame + 1), false);
    std::int32_t skipped = 0;
    if (options.resume) {
        for (std::int32_t k = options.first_frame; k <= options.last_frame; ++k) {
            std::error_code error;
            if (std::filesystem::is_regular_file(file_of(k).second, error)) {
                skip[static_cast<std::size_t>(k - options.first_frame)] = true;
                ++skipped;
            }
        }
        std::fprintf(report, "resumed: %d of %d frames already written, skipped\n", static_cast<int>(skipped),
                     static_cast<int>(skip.size()));
        std::fflush(report);
    }
    progress_line progress(!options.quiet && stderr_is_terminal(), static_cast<std::int32_t>(skip.size()) - skipped);
    const orbit_progress orbit_done = [&](std::int64_t done) {
        progress.orbit_progress(done, static_cast<std::int64_t>(options.view.max_iterations) + 2);
    };

    for (std::int32_t k = options.first_frame; k <= options.last_frame; ++k) {
        if (skip[static_cast<std::size_t>(k - options.first_frame)])
            continue;
        floatexp radius;
        const render_options frame = frame_options(options, k, radius);  // its view is stored in its file
        const bool perturbation = by_perturbation(options, frame.view.radius.value);
        const auto [name, path] = file_of(k);
        // Claim the output before rendering, so a bad path fails at once.
        staged_file output(path);
        if (!options.raw && !output.open())
            return refuse_output(name);
        const frame_job job{options, frame, radius, perturbation, deep, workers, orbit_done};
        for (int r = 0; r < options.repeat; ++r) {
            const auto t0 = std::chrono::steady_clock::now();
            if (options.npy)
                render_frame_counts(job, counts, values);
            else
                render_frame_colours(job, pixels);
            if (perturbation)
                progress.orbit_progress(0, 0);
            const auto elapsed =
                std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
            std::fprintf(report, "%d ms\n", static_cast<int>(elapsed));
            std::fflush(report);
        }
        if (options.raw) {
            if (!write_raw(stdout, pixels.data(), options.width, options.height)) {
                std::fputs("quellarin-render: standard output cannot be written\n", stderr);
                return 2;
            }
        } else {
            const std::vector<std::uint8_t> bytes =
                options.npy ? (options.smooth ? encode_npy_values(values.data(), options.width, options.height)
                                              : encode_npy_counts(counts.data(), options.width, options.height))
                : options.png ? with_view_text(encode_png(pixels.data(), options.width, options.height),
                                               format_view_text(frame, perturbation, QUELLARIN_VERSION_TEXT))
                              : encode_bmp(pixels.data(), options.width, options.height);
            if (!output.commit(bytes))
                return refuse_output(name);
        }
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
    install_interruption_handlers();
    return render(options, std::filesystem::path(argv[options.output_argument]));
}
#endif
