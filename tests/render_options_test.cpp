#include "render_options.h"

#include "png_view.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <tuple>
#include <vector>

namespace {

// The doubles as bits, so that -0.0 and 0.0 differ.
auto fields(const render_options& o)
{
    const auto bits = [](double d) { return std::bit_cast<std::uint64_t>(d); };
    const view_parameters& v = o.view;
    return std::tuple(bits(v.center_x), bits(v.center_y), bits(v.radius), v.max_iterations, v.figure_index, v.palette_index,
                      o.repeat, o.output, o.output_argument, o.png, o.raw, o.width, o.height, o.workers, o.quiet,
                      bits(o.zoom_from), o.frames, o.first_frame, o.last_frame, frame_name(o.pattern, 7));
}

using change = void (*)(render_options&);

// The edges of what is accepted, where values land bit for bit (the last of a
// flag counting, and a centre too small for a double read as the dialog reads
// it: a subnormal or a signed zero); a refusal is one line naming what is wrong.
// The fuzz target holds every accepted value to the C library's reading.
TEST(RenderOptions, ReadsOrRefuses)
{
    const struct {
        std::vector<const char*> args;
        const char* refused;  // the message after "quellarin-render: ", or null when accepted
        change expected = nullptr;  // from the defaults, with last_frame settled
    } cases[] = {
        {{"--center-x", "-0.743643887037151", "--center-y", "+0.5", "--radius", "4", "--iterations", "60000",
          "--figure", "2", "--palette", "14", "--repeat", "10000", "--output", "x.PNG"},
         nullptr, [](render_options& o) {
             std::tie(o.view.center_x, o.view.center_y, o.view.radius, o.view.max_iterations, o.view.figure_index,
                      o.view.palette_index, o.repeat) =
                 std::tuple(-0.743643887037151, 0.5, 4.0, 60000, 2, 14, 10000);
             std::tie(o.output, o.output_argument, o.png, o.last_frame) = std::tuple("x.PNG", 16, true, 0);
         }},
        {{"--output", "y.png", "--center-x", "4e-320", "--center-y", "-1e-400", "--output", "x.Bmp", "--radius",
          "1.0000000000000001e-14", "--iterations", "1", "--quiet"},
         nullptr, [](render_options& o) {
             std::tie(o.view.center_x, o.view.center_y, o.view.radius, o.view.max_iterations) =
                 std::tuple(4e-320, -0.0, 1.0000000000000001e-14, 1);
             std::tie(o.output, o.output_argument, o.quiet, o.last_frame) = std::tuple("x.Bmp", 8, true, 0);
         }},
        {{"--size", "16384x16", "--workers", "1024", "--output", "x.bmp", "--size", "16x16384", "--workers", "1"},
         nullptr, [](render_options& o) {
             std::tie(o.width, o.height, o.workers, o.output, o.output_argument, o.last_frame) =
                 std::tuple(16, 16384, 1, "x.bmp", 6, 0);
         }},
        // A movie: %% is a percent sign, the field pads to its width.
        {{"--zoom-from", "4", "--radius", "1e-13", "--frames", "1000000", "--frame-range", "3:999999", "--output",
          "f%%-%04d.png"},
         nullptr, [](render_options& o) {
             std::tie(o.zoom_from, o.view.radius, o.frames, o.first_frame, o.last_frame) =
                 std::tuple(4.0, 1e-13, 1000000, 3, 999999);
             std::tie(o.output, o.output_argument, o.png) = std::tuple("f%%-%04d.png", 10, true);
             o.pattern = {"f%-", 4, ".png"};
         }},
        {{"--zoom-from", "1", "--frames", "2", "--output", "-"},
         nullptr, [](render_options& o) {
             std::tie(o.zoom_from, o.frames, o.last_frame, o.output_argument, o.raw) = std::tuple(1.0, 2, 1, 6, true);
             o.output += '-';  // GCC 12 warns wrongly (-Wrestrict) on = "-"
         }},
        {{"--output", "a.bmp", "--radius", "1e-14"}, "--radius '1e-14' is not a number r with 1e-14 < r <= 4"},
        {{"--output", "a.bmp", "--radius", "4.000000000000001"},
         "--radius '4.000000000000001' is not a number r with 1e-14 < r <= 4"},
        {{"--output", "a.bmp", "--zoom-from", "nan"}, "--zoom-from 'nan' is not a number r with 1e-14 < r <= 4"},
        {{"--output", "a.bmp", "--center-y", "1e999"}, "--center-y '1e999' is not a finite number"},
        {{"--output", "a.bmp", "--center-x", " 1"}, "--center-x ' 1' is not a finite number"},
        {{"--output", "a.bmp", "--iterations", "99999999999"},
         "--iterations '99999999999' is not an integer from 1 to 60000"},
        {{"--output", "a.bmp", "--iterations", "0"}, "--iterations '0' is not an integer from 1 to 60000"},
        {{"--output", "a.bmp", "--figure", "3"}, "--figure '3' is not an integer from 0 to 2"},
        {{"--output", "a.bmp", "--palette", "+-1"}, "--palette '+-1' is not an integer from 0 to 14"},
        {{"--output", "a.bmp", "--output", "a\n.jpg"}, "--output 'a?.jpg' is not a file name ending in .bmp or .png, or -"},
        {{"--output", "a.bmp", "--radius"}, "--radius needs a value: a number r with 1e-14 < r <= 4"},
        {{"--iterations", "5"}, "--output is required: a file name ending in .bmp or .png, or -"},
        {{"-\rhelp", "--output", "a.bmp"}, "unknown option '-?help' (see --help)"},
        {{"--output", "a.bmp", "--quiet=1"}, "unknown option '--quiet=1' (see --help)"},
        {{"--output", "a.bmp", "--size", "15x640"}, "--size '15x640' is not WxH with each side from 16 to 16384"},
        {{"--output", "a.bmp", "--size", "640x16385"}, "--size '640x16385' is not WxH with each side from 16 to 16384"},
        {{"--output", "a.bmp", "--size", "640*640"}, "--size '640*640' is not WxH with each side from 16 to 16384"},
        {{"--output", "a.bmp", "--workers", "0"}, "--workers '0' is not an integer from 1 to 1024"},
        {{"--output", "a.bmp", "--workers", "1025"}, "--workers '1025' is not an integer from 1 to 1024"},
        {{"--output", "a.bmp", "--repeat", "10001"}, "--repeat '10001' is not an integer from 1 to 10000"},
        {{"--output", "a.bmp", "--frames", "1"}, "--frames '1' is not an integer from 2 to 1000000"},
        {{"--output", "a.bmp", "--from", "a.png"}, "--from is not available here"},
        {{"--output", "a%d.bmp", "--frames", "5"}, "--zoom-from and --frames go together"},
        {{"--output", "a.bmp", "--frame-range", "0:1"}, "--frame-range needs --zoom-from and --frames"},
        {{"--output", "a%d.bmp", "--zoom-from", "1", "--frames", "5", "--frame-range", "2:5"},
         "--frame-range must end before --frames"},
        {{"--output", "a.bmp", "--frame-range", "2:1"}, "--frame-range '2:1' is not FIRST:LAST with 0 <= FIRST <= LAST"},
        {{"--output", "a%d%d.bmp", "--zoom-from", "1", "--frames", "5"},
         "--output of a movie must hold one %d or %0Nd field (1 <= N <= 20) for the frame number, and %% for a "
         "percent sign"},
    };
    for (const auto& [args, refused, expected] : cases) {
        std::vector<const char*> argv{"quellarin-render"};
        argv.insert(argv.end(), args.begin(), args.end());
        render_options options;
        std::string message;
        const parse_outcome outcome = parse_render_options(static_cast<int>(argv.size()), argv.data(), options, message);
        EXPECT_EQ(outcome, refused ? parse_outcome::error : parse_outcome::render) << message;
        EXPECT_EQ(message, refused ? "quellarin-render: " + std::string(refused) : "");
        if (refused)
            continue;  // a refusal's options are unspecified
        render_options want;
        expected(want);
        EXPECT_EQ(fields(options), fields(want)) << args[0];
    }
}

// --help and --version end the reading where they stand, refusing nothing
// after them but what came before.
TEST(RenderOptions, HelpAndVersionEndTheReading)
{
    const std::pair<std::vector<const char*>, parse_outcome> cases[] = {
        {{"--help"}, parse_outcome::help},
        {{"--radius", "9", "--help"}, parse_outcome::error},
        {{"--quiet", "--version", "--radius", "9"}, parse_outcome::version},
        {{"--output", "a.bmp", "--help", "--version"}, parse_outcome::help},
        {{"--from"}, parse_outcome::error},
    };
    for (const auto& [args, outcome] : cases) {
        std::vector<const char*> argv{"quellarin-render"};
        argv.insert(argv.end(), args.begin(), args.end());
        render_options options;
        std::string message;
        EXPECT_EQ(parse_render_options(static_cast<int>(argv.size()), argv.data(), options, message), outcome)
            << args[0] << " " << message;
    }
}

// A movie's output names: one %d or %0Nd field, %% for a percent sign, nothing else.
TEST(RenderOptions, FramePatterns)
{
    const std::pair<const char*, const char*> cases[] = {  // pattern, frame 7's name or null when refused
        {"%d.bmp", "7.bmp"},         {"a%01d.bmp", "a7.bmp"}, {"%%%020d%%.bmp", "%00000000000000000007%.bmp"},
        {"a.bmp", nullptr},          {"%d%d.bmp", nullptr},   {"%5d.bmp", nullptr},
        {"%021d.bmp", nullptr},      {"%00d.bmp", nullptr},   {"%s%d.bmp", nullptr},
        {"%d%.bmp", nullptr},        {"%0100d.bmp", nullptr}, {"%ld.bmp", nullptr},
    };
    for (const auto& [pattern, name] : cases) {
        const char* argv[] = {"", "--zoom-from", "1", "--frames", "9", "--output", pattern};
        render_options options;
        std::string message;
        const bool accepted = parse_render_options(7, argv, options, message) == parse_outcome::render;
        EXPECT_EQ(accepted, name != nullptr) << pattern;
        EXPECT_EQ(frame_name(options.pattern, 7), accepted ? name : frame_name(options.pattern, 7));
    }
}

// Ends exact; between them geometric (the C library's pow to 1e-14, what
// rounding the exponent allows) and never past an end.
TEST(RenderOptions, FrameRadii)
{
    const std::tuple<double, double, int> zooms[] = {{4.0, 1.0000000000000001e-14, 3}, {0.3, 0.7, 100}, {2.0, 1e-5, 1000},
                                                     {1e-13, 4.0, 7}, {0.5, 0.5, 4}};
    for (const auto& [from, to, frames] : zooms) {
        EXPECT_EQ(frame_radius(from, to, frames, 0), from);
        EXPECT_EQ(frame_radius(from, to, frames, frames - 1), to);
        for (int k = 1; k < frames - 1; ++k) {
            const double r = frame_radius(from, to, frames, k);
            const double pow = from * std::pow(to / from, static_cast<double>(k) / (frames - 1));
            EXPECT_NEAR(r, pow, 1e-14 * pow) << from << " to " << to << " frame " << k;
            EXPECT_TRUE(r >= std::fmin(from, to) && r <= std::fmax(from, to));
        }
    }
}

// The view stored in a PNG reads back bit for bit; a hostile text is refused
// in one line and changes nothing.
TEST(RenderOptions, ViewTextReadsBack)
{
    render_options o;
    o.view = {-0.743643887037151, -0.0, std::nextafter(1e-14, 1.0), 60000, 2, 14};
    std::tie(o.width, o.height) = std::tuple(16384, 16);
    for (const double x : {0.1, 4e-320, DBL_MAX, -DBL_MIN, 1.0 / 3}) {
        o.view.center_x = x;
        render_options back;
        std::string message;
        ASSERT_TRUE(parse_view_text(format_view_text(o, "1.2.3.4 beta"), back, message)) << message;
        EXPECT_EQ(fields(back), fields(o));
    }
    const char* bad[] = {
        "center-x=0\ncenter-y=0\nradius=2\niterations=1\nfigure=0\npalette=0\nsize=16x16",  // no version
        "center-x=0\ncenter-x=0\ncenter-y=0\nradius=2\niterations=1\nfigure=0\npalette=0\nsize=16x16\nversion=",
        "center-x=nan\ncenter-y=0\nradius=2\niterations=1\nfigure=0\npalette=0\nsize=16x16\nversion=",
        "center-x=0\ncenter-y=0\nradius=5\niterations=1\nfigure=0\npalette=0\nsize=16x16\nversion=",
        "center-x=0\ncenter-y=0\nradius=2\niterations=1\nfigure=0\npalette=0\nsize=16x16\nversion=\nwidth=3",
        "center-x 0\ncenter-y=0\nradius=2\niterations=1\nfigure=0\npalette=0\nsize=16x16\nversion=",
        "center-x=0\ncenter-y=0\nradius=2\niterations=1\nfigure=0\npalette=0\nsize=16x16\nversion=\n\n",
    };
    for (const char* text : bad) {
        render_options back;
        std::string message;
        EXPECT_FALSE(parse_view_text(text, back, message)) << text;
        EXPECT_EQ(message.find('\n'), std::string::npos) << message;
        EXPECT_EQ(fields(back), fields(render_options{}));
    }
}

}  // namespace
