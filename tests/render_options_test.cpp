#include "render_options.h"
#include "command_line.h"

#include "deep_frames.h"
#include "kfr_location.h"
#include "png_view.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <stop_token>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

// The doubles as bits, so that -0.0 and 0.0 differ.
auto fields(const render_options& o)
{
    const auto bits = [](const decimal& d) {
        return std::tuple(d.text, std::bit_cast<std::uint64_t>(d.value), d.extended.m, d.extended.e);
    };
    const render_view& v = o.view;
    return std::tuple(bits(v.center_x), bits(v.center_y), bits(v.radius), v.max_iterations, v.figure_index,
                      v.palette_index, o.method, o.memory_limit, o.repeat, o.output, o.output_argument, o.format,
                      o.width, o.height, o.workers, o.quiet, bits(o.zoom_from), o.frames, o.first_frame, o.last_frame,
                      frame_name(o.pattern, 7), o.samples, o.resume, o.smooth);
}

using change = void (*)(render_options&);

// A number as the flags read it: its text, its double and the text's own
// 53 bits at any magnitude.
decimal number(const char* text, double value) { return {text, value, *parse_decimal(text)}; }

constexpr const char* deep_x = "-1."
                               "749957683706093503602214506070699707271105797262520779302428378202860080829728048872186"
                               "72784431700831100544507655659531379747541999999995";

#define CENTER_ACCEPTS "a finite decimal number of at most 100000 characters"
#define RADIUS_REFUSAL(value) \
    "--radius '" value "' is not a decimal number r with 1e-100000 <= r <= 4 of at most 100000 characters"
#define EXACT_REFUSAL                                                                                       \
    "--method exact renders only radii r with 1e-14 < r <= 4, where the double definition holds the view; " \
    "--method perturbation renders deeper"
#define MEMORY_REFUSAL(value)                                                                                     \
    "--memory-limit '" value "' is not a number of bytes from 1 to 2^50, with K, M or G after it for 2^10, 2^20 " \
    "or 2^30"

// The edges of what is accepted, where values land bit for bit (the last of a
// flag counting, and a centre too small for a double read as the dialog reads
// it: a subnormal or a signed zero); a refusal is one line naming what is wrong.
// The fuzz target holds every accepted value to the C library's reading, and
// the deep library's decimal_texts test a number's grammar: here one text of
// each kind of number that the grammar refuses.
TEST(RenderOptions, ReadsOrRefuses)
{
    const struct {
        std::vector<const char*> args;
        const char* refused;        // the message after "quellarin-render: ", or null when accepted
        change expected = nullptr;  // from the defaults, with last_frame settled
    } cases[] = {
        {{"--center-x", "-0.743643887037151", "--center-y", "+0.5", "--radius", "4", "--iterations", "60000",
          "--figure", "2", "--palette", "14", "--repeat", "10000", "--output", "x.PNG"},
         nullptr,
         [](render_options& o) {
             o.view = {
                 number("-0.743643887037151", -0.743643887037151), number("+0.5", 0.5), number("4", 4.0), 60000, 2, 14};
             std::tie(o.repeat, o.output, o.output_argument, o.format, o.last_frame) =
                 std::tuple(10000, "x.PNG", 16, output_format::png, 0);
         }},
        {{"--output", "y.png", "--center-x", "4e-320", "--center-y", "-1e-400", "--output", "x.Bmp", "--radius",
          "1.0000000000000001e-14", "--iterations", "1", "--quiet"},
         nullptr,
         [](render_options& o) {
             o.view = {number("4e-320", 4e-320),
                       number("-1e-400", -0.0),
                       number("1.0000000000000001e-14", 1.0000000000000001e-14),
                       1,
                       0,
                       0};
             std::tie(o.output, o.output_argument, o.quiet, o.last_frame) = std::tuple("x.Bmp", 8, true, 0);
         }},
        {{"--size", "16384x16", "--workers", "1024", "--output", "x.bmp", "--size", "16x16384", "--workers", "1"},
         nullptr,
         [](render_options& o) {
             std::tie(o.width, o.height, o.workers, o.output, o.output_argument, o.last_frame) =
                 std::tuple(16, 16384, 1, "x.bmp", 6, 0);
         }},
        // A movie: %% is a percent sign, the field pads to its width.
        {{"--zoom-from", "4", "--radius", "1e-13", "--frames", "1000000", "--frame-range", "3:999999", "--output",
          "f%%-%04d.png"},
         nullptr,
         [](render_options& o) {
             std::tie(o.zoom_from, o.view.radius, o.frames) =
                 std::tuple(number("4", 4.0), number("1e-13", 1e-13), 1000000);
             std::tie(o.first_frame, o.last_frame, o.output, o.output_argument, o.format, o.pattern) =
                 std::tuple(3, 999999, "f%%-%04d.png", 10, output_format::png, frame_pattern{"f%-", 4, ".png"});
         }},
        {{"--zoom-from", "1", "--frames", "2", "--output", "-"},
         nullptr,
         [](render_options& o) {
             std::tie(o.zoom_from, o.frames, o.last_frame, o.output_argument, o.format) =
                 std::tuple(number("1", 1.0), 2, 1, 6, output_format::raw);
             o.output += '-';  // GCC 12 warns wrongly (-Wrestrict) on = "-"
         }},
        // A deep view: the texts kept whole, the doubles their nearest (the radius none).
        {{"--center-x", deep_x, "--radius", "5e-534", "--iterations", "2147483647", "--method", "perturbation",
          "--memory-limit", "512M", "--output", "d.png"},
         nullptr,
         [](render_options& o) {
             o.view = {number(deep_x, -1.7499576837060935), decimal_of(0.0), number("5e-534", 0.0), 2147483647, 0, 0};
             std::tie(o.method, o.memory_limit, o.output, o.output_argument, o.format, o.last_frame) =
                 std::tuple(render_method::perturbation, 512u << 20, "d.png", 12, output_format::png, 0);
         }},
        {{"--samples", "16", "--zoom-from", "2", "--frames", "3", "--resume", "--output", "f%d.npy", "--samples", "1"},
         nullptr,
         [](render_options& o) {
             std::tie(o.samples, o.resume, o.format, o.zoom_from, o.frames, o.last_frame, o.output) =
                 std::tuple(1, true, output_format::npy, number("2", 2.0), 3, 2, "f%d.npy");
             std::tie(o.output_argument, o.pattern) = std::tuple(9, frame_pattern{"f", 0, ".npy"});
         }},
        {{"--samples", "16", "--smooth", "--output", "s.png"},
         nullptr,
         [](render_options& o) {
             std::tie(o.samples, o.smooth, o.output, o.output_argument, o.format, o.last_frame) =
                 std::tuple(16, true, "s.png", 5, output_format::png, 0);
         }},
        {{"--radius", "1e-14", "--memory-limit", "3G", "--method", "auto", "--output", "a.bmp"},
         nullptr,
         [](render_options& o) {
             std::tie(o.view.radius, o.memory_limit) = std::tuple(number("1e-14", 1e-14), 3ull << 30);
             std::tie(o.output, o.output_argument, o.last_frame) = std::tuple("a.bmp", 8, 0);
         }},
        {{"--output", "a.bmp", "--radius", "0"}, RADIUS_REFUSAL("0")},
        {{"--output", "a.bmp", "--radius", "-1e-5"}, RADIUS_REFUSAL("-1e-5")},
        {{"--output", "a.bmp", "--radius", "1e-100001"}, RADIUS_REFUSAL("1e-100001")},
        {{"--output", "a.bmp", "--radius", "4.000000000000001"}, RADIUS_REFUSAL("4.000000000000001")},
        {{"--output", "a.bmp", "--zoom-from", "nan"},
         "--zoom-from 'nan' is not a decimal number r with 1e-100000 <= r <= 4 of at most 100000 characters"},
        {{"--output", "a.bmp", "--method", "exact", "--radius", "1e-14"}, EXACT_REFUSAL},
        {{"--output", "a%d.bmp", "--method", "exact", "--frames", "3", "--zoom-from", "1e-20"}, EXACT_REFUSAL},
        {{"--output", "a.bmp", "--method", "fast"}, "--method 'fast' is not auto, exact or perturbation"},
        {{"--output", "a.bmp", "--memory-limit", "0"}, MEMORY_REFUSAL("0")},
        {{"--output", "a.bmp", "--memory-limit", "1T"}, MEMORY_REFUSAL("1T")},
        {{"--output", "a.bmp", "--memory-limit", "1048577G"}, MEMORY_REFUSAL("1048577G")},
        {{"--output", "a.bmp", "--iterations", "2147483648"},
         "--iterations '2147483648' is not an integer from 1 to 2147483647"},
        {{"--output", "a.bmp", "--center-y", "1e999"}, "--center-y '1e999' is not " CENTER_ACCEPTS},
        {{"--output", "a.bmp", "--center-x", "inf"}, "--center-x 'inf' is not " CENTER_ACCEPTS},
        {{"--output", "a.bmp", "--iterations", "0"}, "--iterations '0' is not an integer from 1 to 2147483647"},
        {{"--output", "a.bmp", "--figure", "3"}, "--figure '3' is not an integer from 0 to 2"},
        {{"--output", "a.bmp", "--palette", "+-1"}, "--palette '+-1' is not an integer from 0 to 14"},
        {{"--output", "a.bmp", "--output", "a\n.jpg"},
         "--output 'a?.jpg' is not a file name ending in .bmp, .png or .npy, or -"},
        {{"--output", "a.bmp", "--radius"},
         "--radius needs a value: a decimal number r with 1e-100000 <= r <= 4 of at most 100000 characters"},
        {{"--iterations", "5"}, "--output is required: a file name ending in .bmp, .png or .npy, or -"},
        {{"-\rhelp", "--output", "a.bmp"}, "unknown option '-?help' (see --help)"},
        {{"--output", "a.bmp", "--quiet=1"}, "unknown option '--quiet=1' (see --help)"},
        {{"--output", "a.bmp", "--size", "15x640"}, "--size '15x640' is not WxH with each side from 16 to 16384"},
        {{"--output", "a.bmp", "--size", "640x16385"}, "--size '640x16385' is not WxH with each side from 16 to 16384"},
        {{"--output", "a.bmp", "--size", "16385x16"}, "--size '16385x16' is not WxH with each side from 16 to 16384"},
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
        {{"--output", "a.bmp", "--frame-range", "2:1"},
         "--frame-range '2:1' is not FIRST:LAST with 0 <= FIRST <= LAST"},
        {{"--output", "a.png", "--samples", "0"}, "--samples '0' is not an integer from 1 to 16"},
        {{"--output", "a.png", "--samples", "17"}, "--samples '17' is not an integer from 1 to 16"},
        {{"--output", "a.png", "--resume"},
         "--resume needs a movie (--zoom-from and --frames): it skips the frames already written"},
        {{"--output", "-", "--zoom-from", "1", "--frames", "3", "--resume"},
         "--resume needs movie files: --output - writes no files whose frames it could skip"},
        {{"--output", "c.NPY", "--samples", "2"},
         "--samples needs an image: a .npy count map holds one escape count per pixel"},
    };
    for (const auto& [args, refused, expected] : cases) {
        std::vector<const char*> argv{"quellarin-render"};
        argv.insert(argv.end(), args.begin(), args.end());
        render_options options;
        std::string message;
        const parse_outcome outcome =
            parse_render_options(static_cast<int>(argv.size()), argv.data(), options, message);
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
    const std::pair<const char*, const char*> cases[] = {
        // pattern, frame 7's name or null when refused
        {"%d.bmp", "7.bmp"},    {"a%01d.bmp", "a7.bmp"}, {"%%%020d%%.bmp", "%00000000000000000007%.bmp"},
        {"a.bmp", nullptr},     {"%d%d.bmp", nullptr},   {"%5d.bmp", nullptr},
        {"%021d.bmp", nullptr}, {"%00d.bmp", nullptr},   {"%s%d.bmp", nullptr},
        {"%d%.bmp", nullptr},   {"%0100d.bmp", nullptr}, {"%ld.bmp", nullptr},
    };
    for (const auto& [pattern, name] : cases) {
        const char* argv[] = {"", "--zoom-from", "1", "--frames", "9", "--output", pattern};
        render_options options;
        std::string message;
        const parse_outcome outcome = parse_render_options(7, argv, options, message);
        EXPECT_EQ(outcome, name ? parse_outcome::render : parse_outcome::error) << pattern;
        if (name)
            EXPECT_EQ(frame_name(options.pattern, 7), name);
        else  // the pattern's own refusal, not another check's
            EXPECT_EQ(message,
                      "quellarin-render: --output of a movie must hold one %d or %0Nd field (1 <= N <= 20) for "
                      "the frame number, and %% for a percent sign")
                << pattern;
    }
}

// Ends exact; between them geometric (the C library's pow to 1e-14, what
// rounding the exponent allows) and never past an end.
TEST(RenderOptions, FrameRadii)
{
    const std::tuple<double, double, int> zooms[] = {
        {4.0, 1.0000000000000001e-14, 3}, {0.3, 0.7, 100}, {2.0, 1e-5, 1000}, {1e-13, 4.0, 7}, {0.5, 0.5, 4}};
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

// Deep zooms' frame radii: the ends exact, geometric between them to about
// 12 digits far below the double's range, and never past an end.
TEST(RenderOptions, DeepFrameRadii)
{
    const std::tuple<const char*, const char*, int> zooms[] = {
        {"2", "1e-4000", 300}, {"1e-300", "1e-320", 9}, {"1e-1000", "3", 5}};
    for (const auto& [from_text, to_text, frames] : zooms) {
        const floatexp from = *parse_decimal(from_text);
        const floatexp to = *parse_decimal(to_text);
        const auto as_long = [](floatexp x) {
            return std::ldexp(static_cast<long double>(x.m), static_cast<int>(x.e));
        };
        EXPECT_TRUE(frame_radius(from, to, frames, 0) == from);
        EXPECT_TRUE(frame_radius(from, to, frames, frames - 1) == to);
        for (int k = 1; k < frames - 1; ++k) {
            const long double r = as_long(frame_radius(from, to, frames, k));
            const long double want =
                as_long(from) * std::pow(as_long(to) / as_long(from), static_cast<long double>(k) / (frames - 1));
            EXPECT_NEAR(static_cast<double>(r / want), 1.0, 1e-12) << from_text << " to " << to_text << " frame " << k;
        }
    }
}

// A deep frame whose stop came while its table was being made keeps no
// table: rendered again, it is the frame a fresh start renders, to the last
// bit of every escaped point (the skips taken decide those bits).
TEST(RenderOptions, DeepFrameStoppedWhileItsTableIsMadeKeepsNone)
{
    render_options options;
    // Near the Misiurewicz point i, 1e-1000 across, where the pixels come back close to 0 with the reference.
    options.view.center_x = *read_decimal("3.1e-1001");
    options.view.center_y = *read_decimal("0." + std::string(1000, '9') + "83");
    options.view.max_iterations = 10000;
    options.width = 16;
    options.height = 9;
    const floatexp near = *parse_decimal("2e-1000");
    const floatexp far = *parse_decimal("1e-1000");
    const std::size_t pixels = 16 * 9;
    const auto render = [&](perturbation_frames& frames, floatexp radius, std::stop_token stop) {
        std::vector<std::int32_t> counts(pixels, -1);
        std::vector<complex_pair<double>> points(pixels, {0.0, 0.0});
        frames.render(radius, 2, counts.data(), {}, points.data(), std::move(stop));
        return std::pair{counts, points};
    };
    perturbation_frames fresh(options, far, true, 16, 9);
    const auto [want_counts, want_points] = render(fresh, far, {});
    perturbation_frames stopped(options, far, true, 16, 9);
    render(stopped, near, {});
    std::stop_source stop;
    stop.request_stop();
    render(stopped, far, stop.get_token());
    const auto [counts, points] = render(stopped, far, {});
    EXPECT_EQ(counts, want_counts);
    for (std::size_t k = 0; k < pixels; ++k) {
        EXPECT_EQ(std::bit_cast<std::uint64_t>(points[k].re), std::bit_cast<std::uint64_t>(want_points[k].re)) << k;
        EXPECT_EQ(std::bit_cast<std::uint64_t>(points[k].im), std::bit_cast<std::uint64_t>(want_points[k].im)) << k;
    }
}

// Location files: the five keys read whatever else the file holds, the
// radius 2 / Zoom; a key missing, doubled or unreadable refused in one line.
TEST(RenderOptions, KfrLocations)
{
    const std::string rest = "Colors: 255,255,255,\r\nSmooth: 1\r\nRatio: 360.000000\r\n";
    const struct {
        std::string text;
        const char* refused;  // the message, or null when read
        const char* re = "";
        const char* radius = "";
        std::int32_t iterations = 0;
        std::int32_t figure = 0;
    } cases[] = {
        {"Re: -1.99999999913827011875827476290869498831087\r\nIm: 0\r\nZoom: 2.5E200\r\nIterations: 1200000\r\n" +
             rest + "Power: 2\r\n",
         nullptr, "-1.99999999913827011875827476290869498831087", "7.9999999999999996e-201", 1200000, 0},
        {"Power: 4\nIterations: 5\nZoom: 0.5\nIm: 1e-3\nRe: 0.25\n", nullptr, "0.25", "4", 5, 2},
        {"Re: 1\r\nIm: 0\r\nZoom: 1e10000\r\nIterations: 7\r\nPower: 3\r\n", nullptr, "1", "2e-10000", 7, 1},
        {"Re: 1\r\nIm: 0\r\nZoom: 1\r\nIterations: 7\r\n" + rest, "it has no Power line"},
        {"Re: 1\r\nIm: 0\r\nZoom: 1\r\nIterations: 7\r\nPower: 5\r\n", "its Power '5' is not 2, 3 or 4"},
        {"Re: 1\r\nRe: 2\r\nIm: 0\r\nZoom: 1\r\nIterations: 7\r\nPower: 2\r\n", "its key Re appears twice"},
        {"Re: x1\r\nIm: 0\r\nZoom: 1\r\nIterations: 7\r\nPower: 2\r\n",
         "its Re 'x1' is not a finite decimal number of at most 100000 characters"},
        {"Re: 1\r\nIm: 0\r\nZoom: 0.25\r\nIterations: 7\r\nPower: 2\r\n",
         "its Zoom '0.25' is not a zoom z with 2 / z a radius this program renders"},
        {"Re: 1\r\nIm: 0\r\nZoom: 1\r\nIterations: 0\r\nPower: 2\r\n",
         "its Iterations '0' is not an integer from 1 to 2147483647"},
    };
    for (const auto& c : cases) {
        render_options options;
        std::string message;
        const bool read = parse_kfr_location(c.text, options, message);
        EXPECT_EQ(read, c.refused == nullptr) << message;
        if (!read) {
            EXPECT_EQ(message, c.refused);
            EXPECT_EQ(fields(options), fields(render_options{}));
            continue;
        }
        EXPECT_EQ(std::tuple(options.view.center_x.text, options.view.radius.text, options.view.max_iterations,
                             options.view.figure_index),
                  std::tuple(std::string(c.re), std::string(c.radius), c.iterations, c.figure));
    }
}

// The view stored in a PNG reads back bit for bit; a hostile text is refused
// in one line and changes nothing.
TEST(RenderOptions, ViewTextReadsBack)
{
    render_options o;
    o.view = {decimal_of(-0.743643887037151), decimal_of(-0.0), decimal_of(std::nextafter(1e-14, 1.0)), 60000, 2, 14};
    std::tie(o.width, o.height) = std::tuple(16384, 16);
    for (const double x : {0.1, 4e-320, DBL_MAX, -DBL_MIN, 1.0 / 3}) {
        o.view.center_x = decimal_of(x);
        render_options back;
        std::string message;
        ASSERT_TRUE(parse_view_text(format_view_text(o, false, "1.2.3.4 beta"), back, message)) << message;
        EXPECT_EQ(std::tie(back.view.center_y.text, back.view.radius.text), std::tuple("-0", "1.0000000000000002e-14"));
        EXPECT_EQ(fields(back), fields(o));
    }
    // Perturbation stores the texts given, every digit, and a forced method.
    render_options deep = o;
    std::tie(deep.view.center_x, deep.view.radius, deep.method) =
        std::tuple(number("0.1000000000000000000000000000000000000000000000001", 0.1), number("1e-5000", 0.0),
                   render_method::perturbation);
    render_options back;
    std::string message;
    ASSERT_TRUE(parse_view_text(format_view_text(deep, true, "x"), back, message)) << message;
    EXPECT_EQ(std::tie(back.view.center_x, back.view.radius, back.method),
              std::tie(deep.view.center_x, deep.view.radius, deep.method));
    // The same view rendered by the double definition stores what it read.
    deep.view.radius = number("0.2500", 0.25);
    ASSERT_TRUE(parse_view_text(format_view_text(deep, false, "x"), back, message)) << message;
    EXPECT_EQ(std::tie(back.view.center_x.text, back.view.radius.text), std::tuple("0.1", "0.25"));
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
