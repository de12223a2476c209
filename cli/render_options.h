// The command line of quellarin-render.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct render_options {
    double center_x = 0.0;
    double center_y = 0.0;
    double radius = 2.0;
    std::int32_t iterations = 1000;
    std::int32_t figure = 0;
    std::int32_t palette = 0;
    std::int32_t repeat = 1;
    std::string output;         // as given, for messages and the suffix
    int output_argument = 0;    // argv index of --output's value, which names the file
    bool png = false;           // else BMP, by the output file's suffix
};

enum class parse_outcome { render, help, error };

inline constexpr const char* RENDER_USAGE =
    "usage: quellarin-render [--center-x X] [--center-y Y] [--radius R] [--iterations N]\n"
    "                        [--figure F] [--palette P] [--repeat K] --output FILE\n"
    "\n"
    "Renders one 640 x 640 view to FILE (.bmp: 24-bit bottom-up BMP; .png: PNG)\n"
    "and prints the computation's time as 'NNN ms', one line per render.\n"
    "\n"
    "  --center-x X    real part of the centre, any finite number (default 0)\n"
    "  --center-y Y    imaginary part of the centre, any finite number (default 0)\n"
    "  --radius R      half the side of the view, 1e-14 < R <= 4 (default 2)\n"
    "  --iterations N  iteration limit, 1 to 60000 (default 1000)\n"
    "  --figure F      0: z^2 + c, 1: z^3 + c, 2: z^4 + c (default 0)\n"
    "  --palette P     colour palette, 0 to 14 (default 0)\n"
    "  --repeat K      render K times, 1 to 10000, and write the file once (default 1)\n"
    "  --output FILE   where to write the image; required\n"
    "  --help          print this text\n"
    "\n"
    "QUELLARIN_RENDER_PATH=scalar|sse2|avx2 forces one way of computing the counts;\n"
    "every way gives the same image. Any other value, or a way this processor\n"
    "cannot run, is refused.\n";

// Reads argv[1..argc-1] into options. On error, message holds one line that
// names the flag and what it accepts.
parse_outcome parse_render_options(int argc, const char* const* argv, render_options& options,
                                   std::string& message);

// A text as it may be quoted in a one-line message: control characters,
// line breaks among them, are shown as '?'.
std::string printable(std::string_view text);
