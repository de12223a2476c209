// Fuzzes quellarin-render's command line, the input split at NUL bytes being
// argv[1..]: an accepted one is flag-value pairs (and --quiet) whose last
// values, as the C library reads them, are the options, all in range, its
// file is named by --output's own argument and a movie's frame names are what
// printf makes of the pattern; a refusal is one line.
#include "fuzz_check.h"
#include "render_options.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>
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
constexpr const char* NUMBER_FLAGS[] = {"--center-x", "--center-y", "--radius", "--zoom-from", "--iterations",
                                        "--figure",   "--palette",  "--repeat", "--frames",    "--workers"};
constexpr int FIRST_INTEGER = 4;
const double LOW[] = {-DBL_MAX, -DBL_MAX, std::nextafter(1e-14, 1.0), std::nextafter(1e-14, 1.0), 1, 0, 0, 1, 2, 1};
const double HIGH[] = {DBL_MAX, DBL_MAX, 4, 4, 60000, 2, 14, 10000, 1000000, 1024};

// strtoll's reading of "AsepB", each part whole.
std::pair<double, double> c_pair(const std::string& value, char separator)
{
    const std::size_t at = value.find(separator);
    if (at == std::string::npos)
        fail("accepted %s without its '%c'", quoted(value).c_str(), separator);
    return {c_number(value.substr(0, at), true), c_number(value.substr(at + 1), true)};
}

void check_render(const std::vector<std::string>& args, const render_options& options)
{
    double given[] = {0, 0, 2, 0, 1000, 0, 0, 1, 1, 0};
    bool set[std::size(given)] = {};
    std::pair<double, double> size{640, 640}, range{0, -1};
    std::string output;
    bool quiet = false;
    for (std::size_t a = 1; a < args.size(); a += 2) {
        if (args[a] == "--quiet") {
            quiet = true;
            --a;
            continue;
        }
        const auto* flag = std::find(std::begin(NUMBER_FLAGS), std::end(NUMBER_FLAGS), args[a]);
        const int f = static_cast<int>(flag - NUMBER_FLAGS);
        if (a + 1 == args.size() ||
            (flag == std::end(NUMBER_FLAGS) && args[a] != "--output" && args[a] != "--size" && args[a] != "--frame-range"))
            fail("accepted %s as a flag with a value", quoted(args[a]).c_str());
        if (args[a] == "--output")
            output = args[a + 1];
        else if (args[a] == "--size")
            size = c_pair(args[a + 1], 'x');
        else if (args[a] == "--frame-range")
            range = c_pair(args[a + 1], ':');
        else
            given[f] = c_number(args[a + 1], f >= FIRST_INTEGER), set[f] = true;
    }
    const double taken[] = {options.center_x,          options.center_y,        options.radius,
                            options.zoom_from,         double(options.iterations), double(options.figure),
                            double(options.palette),   double(options.repeat),  double(options.frames),
                            double(options.workers)};
    for (std::size_t i = 0; i < std::size(taken); ++i) {
        // Bit for bit, so that a centre's signed zero counts.
        if (std::memcmp(&taken[i], &given[i], sizeof(double)) != 0 || (set[i] && !(taken[i] >= LOW[i] && taken[i] <= HIGH[i])))
            fail("took %s %a where %a was given", NUMBER_FLAGS[i], taken[i], given[i]);
    }
    const bool movie = options.frames > 1;
    if (set[3] != movie || options.quiet != quiet)
        fail("took a movie of %d frames, zoom %s, quiet %d", options.frames, set[3] ? "given" : "not given", quiet);
    if (size != std::pair<double, double>(options.width, options.height) || options.width < 16 ||
        options.width > 16384 || options.height < 16 || options.height > 16384)
        fail("took the size %dx%d where %gx%g was given", options.width, options.height, size.first, size.second);
    const bool whole_run = range.second < 0 && options.first_frame == 0 && options.last_frame == options.frames - 1;
    const bool part = range.second >= 0 && movie && range == std::pair<double, double>(options.first_frame, options.last_frame) &&
                      range.first >= 0 && range.first <= range.second && range.second < options.frames;
    if (!whole_run && !part)
        fail("took frames %d to %d of %d", options.first_frame, options.last_frame, options.frames);
    // The file is named by the argument itself, which must be the last output given.
    const auto o = static_cast<std::size_t>(options.output_argument);
    if (o < 1 || o >= args.size() || args[o] != output || options.output != output || options.raw != (output == "-"))
        fail("output argument %zu is not the last output %s", o, quoted(output).c_str());
    const char* suffix = output.c_str() + output.size() - std::min<std::size_t>(4, output.size());
    if (!options.raw && (options.png ? strcasecmp(suffix, ".png") != 0 : strcasecmp(suffix, ".bmp") != 0))
        fail("accepted the output %s as %s", quoted(output).c_str(), options.png ? "PNG" : "BMP");
    // An accepted frame pattern holds only %d, %0Nd and %%, so the C library
    // can read it here as an independent check, but never in the program.
    if (movie && !options.raw) {
        for (const std::int32_t k : {0, 7, options.frames - 1, 2147483647}) {
            char name[600];
#pragma clang diagnostic ignored "-Wformat-nonliteral"
            std::snprintf(name, sizeof name, output.c_str(), k);
            if (frame_name(options.pattern, k) != name)
                fail("frame %d of %s is named %s", k, quoted(output).c_str(), quoted(frame_name(options.pattern, k)).c_str());
        }
    }
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
