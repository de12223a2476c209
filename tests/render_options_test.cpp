#include "render_options.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

struct options_case {
    std::vector<const char*> args;
    parse_outcome outcome;
    const char* message_part;  // for errors: the flag the message must name
};

parse_outcome parse(const std::vector<const char*>& args, render_options& options, std::string& message)
{
    std::vector<const char*> argv{"quellarin-render"};
    argv.insert(argv.end(), args.begin(), args.end());
    return parse_render_options(static_cast<int>(argv.size()), argv.data(), options, message);
}

TEST(RenderOptions, AcceptsAndRefuses)
{
    const options_case cases[] = {
        {{"--output", "a.bmp"}, parse_outcome::render, ""},
        {{"--output", "A.PNG"}, parse_outcome::render, ""},
        {{"--help"}, parse_outcome::help, ""},
        {{"--radius", "1", "--help"}, parse_outcome::help, ""},
        {{}, parse_outcome::error, "--output"},
        {{"--output"}, parse_outcome::error, "--output"},
        {{"--output", "a.jpg"}, parse_outcome::error, "--output"},
        {{"--bogus", "1", "--output", "a.bmp"}, parse_outcome::error, "--bogus"},
        {{"--radius", "4", "--output", "a.bmp"}, parse_outcome::render, ""},
        {{"--radius", "4.000000000000001", "--output", "a.bmp"}, parse_outcome::error, "--radius"},
        {{"--radius", "1e-14", "--output", "a.bmp"}, parse_outcome::error, "--radius"},
        {{"--radius", "1.0000000000000001e-14", "--output", "a.bmp"}, parse_outcome::render, ""},  // the next double up
        {{"--radius", "1.01e-14", "--output", "a.bmp"}, parse_outcome::render, ""},
        {{"--radius", "0", "--output", "a.bmp"}, parse_outcome::error, "--radius"},
        {{"--radius", "nan", "--output", "a.bmp"}, parse_outcome::error, "--radius"},
        {{"--radius", "2x", "--output", "a.bmp"}, parse_outcome::error, "--radius"},
        {{"--radius", "", "--output", "a.bmp"}, parse_outcome::error, "--radius"},
        {{"--radius", " 2", "--output", "a.bmp"}, parse_outcome::error, "--radius"},
        {{"--radius"}, parse_outcome::error, "--radius"},
        {{"--center-x", "-1e300", "--output", "a.bmp"}, parse_outcome::render, ""},
        {{"--center-x", "inf", "--output", "a.bmp"}, parse_outcome::error, "--center-x"},
        {{"--center-y", "nan", "--output", "a.bmp"}, parse_outcome::error, "--center-y"},
        {{"--center-y", "+-1", "--output", "a.bmp"}, parse_outcome::error, "--center-y"},
        {{"--center-y", "1e999", "--output", "a.bmp"}, parse_outcome::error, "--center-y"},
        {{"--iterations", "0", "--output", "a.bmp"}, parse_outcome::error, "--iterations"},
        {{"--iterations", "60000", "--output", "a.bmp"}, parse_outcome::render, ""},
        {{"--iterations", "60001", "--output", "a.bmp"}, parse_outcome::error, "--iterations"},
        {{"--iterations", "1.5", "--output", "a.bmp"}, parse_outcome::error, "--iterations"},
        {{"--iterations", "99999999999", "--output", "a.bmp"}, parse_outcome::error, "--iterations"},
        {{"--figure", "3", "--output", "a.bmp"}, parse_outcome::error, "--figure"},
        {{"--figure", "-1", "--output", "a.bmp"}, parse_outcome::error, "--figure"},
        {{"--palette", "14", "--output", "a.bmp"}, parse_outcome::render, ""},
        {{"--palette", "15", "--output", "a.bmp"}, parse_outcome::error, "--palette"},
        {{"--repeat", "0", "--output", "a.bmp"}, parse_outcome::error, "--repeat"},
        {{"--radius", "1\n", "--output", "a.bmp"}, parse_outcome::error, "--radius"},
        {{"-\rhelp\n", "--output", "a.bmp"}, parse_outcome::error, "unknown option"},
    };
    for (const options_case& row : cases) {
        render_options options;
        std::string message;
        std::string joined;
        for (const char* a : row.args)
            joined += std::string(a) + " ";
        EXPECT_EQ(parse(row.args, options, message), row.outcome) << joined;
        if (row.outcome == parse_outcome::error) {
            EXPECT_NE(message.find(row.message_part), std::string::npos) << joined << "-> " << message;
            EXPECT_EQ(message.find('\n'), std::string::npos) << "one line: " << message;
        }
    }
}

TEST(RenderOptions, ValuesLand)
{
    render_options options;
    std::string message;
    ASSERT_EQ(parse({"--center-x", "-0.743643887037151", "--center-y", "+0.5", "--radius", "1e-3", "--iterations",
                     "5000", "--figure", "2", "--palette", "7", "--repeat", "3", "--output", "x.png"},
                    options, message),
              parse_outcome::render);
    EXPECT_EQ(options.center_x, -0.743643887037151);
    EXPECT_EQ(options.center_y, 0.5);
    EXPECT_EQ(options.radius, 0.001);
    EXPECT_EQ(options.iterations, 5000);
    EXPECT_EQ(options.figure, 2);
    EXPECT_EQ(options.palette, 7);
    EXPECT_EQ(options.repeat, 3);
    EXPECT_EQ(options.output, "x.png");
    EXPECT_EQ(options.output_argument, 16);
    EXPECT_TRUE(options.png);

    // Too small for a double: the nearest subnormal, or zero with its sign, as the dialog reads them.
    ASSERT_EQ(parse({"--output", "x.bmp", "--center-x", "4e-320", "--center-y", "-1e-400"}, options, message),
              parse_outcome::render);
    EXPECT_EQ(options.center_x, 4e-320);
    EXPECT_EQ(options.center_y, 0.0);
    EXPECT_TRUE(std::signbit(options.center_y));
    EXPECT_EQ(options.output_argument, 2);
    EXPECT_FALSE(options.png);
}

}  // namespace
