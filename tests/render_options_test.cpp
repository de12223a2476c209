#include "render_options.h"

#include <gtest/gtest.h>

#include <bit>
#include <tuple>
#include <vector>

namespace {

// The doubles as bits, so that -0.0 and 0.0 differ.
auto fields(const render_options& o)
{
    return std::tuple(std::bit_cast<std::uint64_t>(o.center_x), std::bit_cast<std::uint64_t>(o.center_y),
                      std::bit_cast<std::uint64_t>(o.radius), o.iterations, o.figure, o.palette, o.repeat, o.output,
                      o.output_argument, o.png);
}

// The edges of what is accepted, where values land bit for bit (the last of a
// flag counting, and a centre too small for a double read as the dialog reads
// it: a subnormal or a signed zero); a refusal is one line naming what is wrong.
// The fuzz target holds every accepted value to the C library's reading.
TEST(RenderOptions, ReadsOrRefuses)
{
    const struct {
        std::vector<const char*> args;
        const char* refused;  // what the message names, or null when accepted
        render_options expected = {};
    } cases[] = {
        {{"--center-x", "-0.743643887037151", "--center-y", "+0.5", "--radius", "4", "--iterations", "60000",
          "--figure", "2", "--palette", "14", "--repeat", "10000", "--output", "x.PNG"},
         nullptr, {-0.743643887037151, 0.5, 4.0, 60000, 2, 14, 10000, "x.PNG", 16, true}},
        {{"--output", "y.png", "--center-x", "4e-320", "--center-y", "-1e-400", "--output", "x.Bmp", "--radius",
          "1.0000000000000001e-14", "--iterations", "1"},
         nullptr, {4e-320, -0.0, 1.0000000000000001e-14, 1, 0, 0, 1, "x.Bmp", 8, false}},
        {{"--center-x", "1e-400", "--output", "x.bmp"}, nullptr, {0.0, 0.0, 2.0, 1000, 0, 0, 1, "x.bmp", 4, false}},
        {{"--output", "a.bmp", "--radius", "1e-14"}, "--radius '1e-14'"},
        {{"--output", "a.bmp", "--radius", "4.000000000000001"}, "--radius"},
        {{"--output", "a.bmp", "--center-y", "1e999"}, "--center-y"},
        {{"--output", "a.bmp", "--iterations", "99999999999"}, "--iterations"},
        {{"--output", "a.bmp", "--output", "a\n.jpg"}, "--output 'a?.jpg'"},
        {{"--output", "a.bmp", "--radius"}, "--radius needs a value"},
        {{"--iterations", "5"}, "--output is required"},
        {{"-\rhelp", "--output", "a.bmp"}, "unknown option '-?help'"},
    };
    for (const auto& [args, refused, expected] : cases) {
        std::vector<const char*> argv{"quellarin-render"};
        argv.insert(argv.end(), args.begin(), args.end());
        render_options options;
        std::string message;
        const parse_outcome outcome = parse_render_options(static_cast<int>(argv.size()), argv.data(), options, message);
        EXPECT_EQ(outcome, refused ? parse_outcome::error : parse_outcome::render) << message;
        EXPECT_NE(message.find(refused ? refused : ""), std::string::npos) << message;
        EXPECT_EQ(message.find('\n'), std::string::npos) << message;
        EXPECT_EQ(fields(options), fields(refused ? options : expected));  // a refusal's options are unspecified
    }
}

}  // namespace
