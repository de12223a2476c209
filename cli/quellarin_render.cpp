// quellarin-render: renders one view with the viewer's own engine into a
// BMP or PNG file, for checking images and timing the renderer.
#include "image_file.h"
#include "render_options.h"

#include "fast_render.h"
#include "fractal.h"
#include "renderer.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
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

// Reads the command line; false, with the exit code, when there is nothing to render.
bool read_command_line(int argc, const char* const* argv, render_options& options, int& code)
{
    std::string message;
    switch (parse_render_options(argc, argv, options, message)) {
    case parse_outcome::help:
        std::fputs(RENDER_USAGE, stdout);
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

int refuse_output(const render_options& options)
{
    std::fprintf(stderr,
                 "quellarin-render: --output '%s' cannot be written: a writable file name ending in .bmp or .png\n",
                 printable(options.output).c_str());
    return 2;
}

// Renders the view, prints the times and writes the file at path.
int render(const render_options& options, const std::filesystem::path& path)
{
    // Claim the output before rendering, so a bad path fails at once.
    staged_file output(path);
    if (!output.open())
        return refuse_output(options);

    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(IMAGE_WIDTH) * IMAGE_HEIGHT * 3);
    CFractal fractal;
    set_default_view(fractal);
    fractal.pixels = pixels.data();
    set_view(fractal, {options.center_x, options.center_y, options.radius, options.iterations, options.figure,
                       options.palette});

    for (int r = 0; r < options.repeat; ++r) {
        const std::int32_t elapsed = compute_image(fractal);
        std::printf("%d ms\n", static_cast<int>(elapsed));
        std::fflush(stdout);
    }

    const std::vector<std::uint8_t> bytes = options.png
                                                ? encode_png(fractal.pixels, fractal.width, fractal.height)
                                                : encode_bmp(fractal.pixels, fractal.width, fractal.height);
    return output.commit(bytes) ? 0 : refuse_output(options);
}

}  // namespace

#ifdef _WIN32
// The command line arrives as UTF-16 (wmain, -municode). The options are
// read from its UTF-8 form, but the file is named by the UTF-16 text itself,
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
    if (!read_command_line(argc, argv.data(), options, code))
        return code;
    return render(options, std::filesystem::path(wide_argv[options.output_argument]));
}
#else
int main(int argc, char** argv)
{
    render_options options;
    int code = 0;
    if (!read_command_line(argc, argv, options, code))
        return code;
    return render(options, std::filesystem::path(argv[options.output_argument]));
}
#endif
