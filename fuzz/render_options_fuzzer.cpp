// Fuzzes quellarin-render's command line, the input split at NUL bytes being
// argv[1..]: an accepted one is flag-value pairs whose last values, as the C
// library reads them, are the options, all in range, and its file is named by
// --output's own argument; a refusal is one line.
#include "fuzz_check.h"
#include "render_options.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// strtod's (or strtoll's) reading of an accepted value, which must take all of it.
double c_number(const std::string& value, bool integer)
{
    char* end = nullptr;
    const double number = integer ? double(std::strtoll(value.c_str(), &end, 10)) : std::strtod(value.c_str(), &end);
    if (value.empty() || std::isspace(static_cast<unsigned char>(value[0])) || end != value.c_str() + value.size())
        fail("accepted %s, which the C library does not read whole", quoted(value).c_str());
    return number;
}

// The numeric options in flag order, and the bounds each accepted one keeps.
constexpr const char* NUMBER_FLAGS[] = {"--center-x", "--center-y", "--radius", "--iterations",
                                        "--figure",   "--palette",  "--repeat"};
const double LOW[] = {-DBL_MAX, -DBL_MAX, std::nextafter(1e-14, 1.0), 1, 0, 0, 1};
const double HIGH[] = {DBL_MAX, DBL_MAX, 4, 60000, 2, 14, 10000};

void check_render(const std::vector<std::string>& args, const render_options& options)
{
    double given[] = {0, 0, 2, 1000, 0, 0, 1};
    std::string output;
    for (std::size_t a = 1; a < args.size(); a += 2) {
        const auto* flag = std::find(std::begin(NUMBER_FLAGS), std::end(NUMBER_FLAGS), args[a]);
        if (a + 1 == args.size() || (flag == std::end(NUMBER_FLAGS) && args[a] != "--output"))
            fail("accepted %s as a flag with a value", quoted(args[a]).c_str());
        if (flag == std::end(NUMBER_FLAGS))
            output = args[a + 1];
        else  // all but the first three are integers
            given[flag - NUMBER_FLAGS] = c_number(args[a + 1], flag - NUMBER_FLAGS >= 3);
    }
    const double taken[] = {options.center_x, options.center_y, options.radius, double(options.iterations),
                            double(options.figure), double(options.palette), double(options.repeat)};
    for (int i = 0; i < 7; ++i) {
        // Bit for bit, so that a centre's signed zero counts.
        if (std::memcmp(&taken[i], &given[i], sizeof(double)) != 0 || !(taken[i] >= LOW[i] && taken[i] <= HIGH[i]))
            fail("took %s %a where %a was given", NUMBER_FLAGS[i], taken[i], given[i]);
    }
    // The file is named by the argument itself, which must be the last output given.
    const auto o = static_cast<std::size_t>(options.output_argument);
    if (o < 1 || o >= args.size() || args[o] != output || options.output != output)
        fail("output argument %zu is not the last output %s", o, quoted(output).c_str());
    const char* suffix = output.c_str() + output.size() - std::min<std::size_t>(4, output.size());
    if (options.png ? strcasecmp(suffix, ".png") != 0 : strcasecmp(suffix, ".bmp") != 0)
        fail("accepted the output %s as %s", quoted(output).c_str(), options.png ? "PNG" : "BMP");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> args{"quellarin-render", ""};
    for (std::size_t i = 0; i < size && args.size() <= 64; ++i) {
        if (data[i] == 0)
            args.emplace_back();
        else
            args.back() += static_cast<char>(data[i]);
    }
    std::vector<const char*> argv(args.size());
    std::ranges::transform(args, argv.begin(), [](const std::string& arg) { return arg.c_str(); });
    render_options options;
    std::string message;
    if (parse_render_options(static_cast<int>(args.size()), argv.data(), options, message) == parse_outcome::render)
        check_render(args, options);
    else if (message.find_first_of("\r\n") != std::string::npos)
        fail("refusal %s is not one line", quoted(message).c_str());
    return 0;
}
