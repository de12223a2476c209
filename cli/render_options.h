// The command line of quellarin-render.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// Image sides and the pixel memory a render may take.
inline constexpr std::int32_t MIN_SIDE = 16;
inline constexpr std::int32_t MAX_SIDE = 16384;
inline constexpr std::uint64_t MAX_PIXEL_BYTES = std::uint64_t{1} << 30;

// One printf-style field in a movie's output name: the text before it, its
// zero-padded width (0: none) and the text after it, %% already undone.
struct frame_pattern {
    std::string before;
    int width = 0;
    std::string after;
};

struct render_options {
    double center_x = 0.0;
    double center_y = 0.0;
    double radius = 2.0;
    std::int32_t iterations = 1000;
    std::int32_t figure = 0;
    std::int32_t palette = 0;
    std::int32_t repeat = 1;
    std::string output;            // as given, for messages and the suffix
    int output_argument = 0;       // argv index of --output's value, which names a still image's file
    bool png = false;              // else BMP, by the output file's suffix
    bool raw = false;              // --output -: raw BGR frames on standard output
    std::int32_t width = 640;
    std::int32_t height = 640;
    std::int32_t workers = 0;      // 0: as many as the machine has hardware threads, at least 8
    bool quiet = false;
    double zoom_from = 0.0;        // the first frame's radius; 0 for a still image
    std::int32_t frames = 1;
    std::int32_t first_frame = 0;  // the frames to render, inclusive; last_frame -1: to the end
    std::int32_t last_frame = -1;
    frame_pattern pattern;         // a movie's file names
};

enum class parse_outcome { render, help, error };

// Puts the view stored in the file named by argv[argument] into options;
// false, with a one-line message, when it has none or cannot be read.
using view_loader = std::function<bool(int argument, render_options& options, std::string& message)>;

inline constexpr const char* RENDER_USAGE =
    "usage: quellarin-render [--center-x X] [--center-y Y] [--radius R] [--iterations N]\n"
    "                        [--figure F] [--palette P] [--size WxH] [--repeat K]\n"
    "                        [--zoom-from R0 --frames N [--frame-range FIRST:LAST]]\n"
    "                        [--workers N] [--quiet] [--from FILE.png] --output FILE\n"
    "\n"
    "Renders a view to FILE (.bmp: 24-bit bottom-up BMP; .png: PNG with the view\n"
    "in a text chunk; -: raw BGR rows, top first, on standard output) and prints\n"
    "the computation's time as 'NNN ms', one line per render.\n"
    "\n"
    "  --center-x X        real part of the centre, any finite number (default 0)\n"
    "  --center-y Y        imaginary part of the centre, any finite number (default 0)\n"
    "  --radius R          half the shorter side of the view, 1e-14 < R <= 4 (default 2)\n"
    "  --iterations N      iteration limit, 1 to 60000 (default 1000)\n"
    "  --figure F          0: z^2 + c, 1: z^3 + c, 2: z^4 + c (default 0)\n"
    "  --palette P         colour palette, 0 to 14 (default 0)\n"
    "  --size WxH          image size, each side 16 to 16384 (default 640x640)\n"
    "  --repeat K          render K times, 1 to 10000, and write the file once (default 1)\n"
    "  --zoom-from R0      a zoom movie whose radius goes geometrically from R0 to R\n"
    "  --frames N          its number of frames, 2 to 1000000; FILE then holds one\n"
    "                      %d or %0Nd field for the frame number (%% for a percent sign)\n"
    "  --frame-range A:B   render only frames A to B (0-based, inclusive)\n"
    "  --workers N         worker threads, 1 to 1024 (default: the hardware threads, at least 8)\n"
    "  --quiet             no progress line on a terminal\n"
    "  --from FILE.png     the view stored in a PNG this program wrote; later options override it\n"
    "  --output FILE       where to write the image; required\n"
    "  --help              print this text\n"
    "\n"
    "QUELLARIN_RENDER_PATH=scalar|sse2|avx2|avx512 forces one way of computing the counts;\n"
    "every way gives the same image. Any other value, or a way this processor\n"
    "cannot run, is refused.\n";

// Reads argv[1..argc-1] into options; --from's file is read by load, and is
// refused when there is none. On error, message holds one line that names
// the flag and what it accepts.
parse_outcome parse_render_options(int argc, const char* const* argv, render_options& options,
                                   std::string& message, const view_loader& load = nullptr);

// Reads a view's "key=value" lines (center-x, center-y, radius, iterations,
// figure, palette, size and version) into options, with the same checks as
// the command line; version may be any text. False, with one line, otherwise.
bool parse_view_text(std::string_view text, render_options& options, std::string& message);

// The lines parse_view_text reads, numbers in their shortest exact form.
std::string format_view_text(const render_options& options, std::string_view version);

// The file name of frame k.
std::string frame_name(const frame_pattern& pattern, std::int32_t k);

// The radius of frame k: exactly zoom_from for the first and radius for the
// last, geometric between them, the same on every machine.
double frame_radius(const render_options& options, std::int32_t k);

// A text as it may be quoted in a one-line message: control characters,
// line breaks among them, are shown as '?'.
std::string printable(std::string_view text);
