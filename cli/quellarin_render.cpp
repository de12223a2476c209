// quellarin-render: renders views with the viewer's own engine into BMP or
// PNG files, or raw frames on standard output: single images of any size,
// and zoom movies whose frames can be rendered apart, in any order.
#include "image_file.h"
#include "png_view.h"
#include "progress_line.h"
#include "render_options.h"
#include "version.h"

#include "render_paths.h"
#include "renderer.h"

#include <algorithm>
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

// Reads the view stored in the PNG file at path into options.
bool load_view(const std::filesystem::path& path, const char* given, render_options& options, std::string& message)
{
    // No PNG of the largest image is longer than its raw pixels and a little.
    constexpr std::size_t LONGEST_PNG = MAX_PIXEL_BYTES + (std::size_t{64} << 20);
    std::vector<std::uint8_t> bytes;
    std::string text;
    std::string why = "it cannot be read, or is too long";
    if (!read_file(path, LONGEST_PNG, bytes) || !read_view_text(bytes.data(), bytes.size(), text, why) ||
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
                 "quellarin-render: --output '%s' cannot be written: a writable file name ending in .bmp or .png\n",
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
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(options.width) * options.height * 3);
    CFractal fractal;  // the pixels and size; each frame puts its view in
    fractal.pixels = pixels.data();
    fractal.width = options.width;
    fractal.height = options.height;
    // Equal scales: the shorter side spans twice the radius.
    const std::int32_t scale = std::min(options.width, options.height);
    const render_layout layout = {scale, scale, options.workers > 0 ? options.workers : default_workers()};
    progress_line progress(!options.quiet && stderr_is_terminal(), options.last_frame - options.first_frame + 1);

    for (std::int32_t k = options.first_frame; k <= options.last_frame; ++k) {
        render_options frame = options;  // its radius is in the view stored in its file
        if (movie)
            frame.view.radius = frame_radius(options.zoom_from, options.view.radius, options.frames, k);
        const std::string name = movie && !options.raw ? frame_name(options.pattern, k) : options.output;
        // Claim the output before rendering, so a bad path fails at once.
        staged_file output(movie ? std::filesystem::path(std::u8string(name.begin(), name.end())) : single_path);
        if (!options.raw && !output.open())
            return refuse_output(name);
        set_view(fractal, frame.view);
        for (int r = 0; r < options.repeat; ++r) {
            const std::int32_t elapsed = compute_image(fractal, layout);
            std::fprintf(report, "%d ms\n", static_cast<int>(elapsed));
            std::fflush(report);
        }
        if (options.raw) {
            if (!write_raw(stdout, fractal.pixels, fractal.width, fractal.height)) {
                std::fputs("quellarin-render: standard output cannot be written\n", stderr);
                return 2;
            }
        } else {
            const std::vector<std::uint8_t> bytes =
                options.png ? with_view_text(encode_png(fractal.pixels, fractal.width, fractal.height),
                                             format_view_text(frame, QUELLARIN_VERSION_TEXT))
                            : encode_bmp(fractal.pixels, fractal.width, fractal.height);
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
    return render(options, std::filesystem::path(argv[options.output_argument]));
}
#endif
