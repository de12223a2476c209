// Fuzzes quellarin-render's command line, the input split at NUL bytes being
// argv[1..]: an accepted one is flag-value pairs (and toggles) whose last
// values, as the C library reads them, are the options, all in range, its
// file is named by --output's own argument and a movie's frame names are what
// printf makes of the pattern; a refusal is one line.
#include "fuzz_check.h"
#include "render_flags.h"
#include "command_line.h"
#include "render_options.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
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

// strtoll's reading of "AsepB", each part whole.
std::pair<double, double> c_pair(const std::string& value, char separator)
{
    const std::size_t at = value.find(separator);
    if (at == std::string::npos)
        fail("accepted %s without its '%c'", quoted(value).c_str(), separator);
    return {c_number(value.substr(0, at), true), c_number(value.substr(at + 1), true)};
}

// The value of a numeric flag's field, as a double.
double field_of(const render_flag& flag, render_options& options)
{
    return flag.kind == flag_kind::integer ? double(flag.integer(options)) : flag.number(options).value;
}

bool numeric(const render_flag& flag)
{
    return flag.kind == flag_kind::integer || flag.kind == flag_kind::center || flag.kind == flag_kind::radius;
}

void check_render(const std::vector<std::string>& args, render_options options)
{
    // The last value given to each numeric flag, as the C library reads it.
    std::map<std::string_view, double> given;
    std::map<std::string_view, std::string> given_text;
    std::pair<double, double> size{640, 640}, range{0, -1};
    std::string output;
    std::map<std::string_view, bool> toggled;  // the toggles given
    for (std::size_t a = 1; a < args.size(); a += 2) {
        const render_flag* flag = find_flag(args[a]);
        if (flag && flag->kind == flag_kind::toggle) {
            toggled[flag->name] = true;
            --a;
            continue;
        }
        if (!flag || a + 1 == args.size() || flag->value_name.empty() || flag->kind == flag_kind::view_file)
            fail("accepted %s as a flag with a value", quoted(args[a]).c_str());
        if (flag->kind == flag_kind::output)
            output = args[a + 1];
        else if (flag->kind == flag_kind::size)
            size = c_pair(args[a + 1], 'x');
        else if (flag->kind == flag_kind::frame_range)
            range = c_pair(args[a + 1], ':');
        else if (numeric(*flag))
            given[flag->name] = c_number(args[a + 1], flag->kind == flag_kind::integer);
        if (flag->number)
            given_text[flag->name] = args[a + 1];
    }
    render_options defaults;
    for (const render_flag& flag : render_flags()) {
        if (flag.kind == flag_kind::toggle && flag.toggle(options) != toggled.contains(flag.name))
            fail("took %s as %d", std::string(flag.name).c_str(), static_cast<int>(flag.toggle(options)));
        if (!numeric(flag))
            continue;
        const auto g = given.find(flag.name);
        const double want = g != given.end() ? g->second : field_of(flag, defaults);
        const double taken = field_of(flag, options);
        // A radius's double may be 0 where the text is below the double's range.
        const bool in_range = flag.kind == flag_kind::integer ? flag.range.contains(flag.integer(options))
                              : flag.kind == flag_kind::center ? renderer_accepts_center(taken)
                                                               : taken >= 0.0 && taken <= MAX_RADIUS;
        // Bit for bit, so that a centre's signed zero counts.
        if (std::memcmp(&taken, &want, sizeof(double)) != 0 || (g != given.end() && !in_range))
            fail("took %s %a where %a was given", std::string(flag.name).c_str(), taken, want);
        // The text is kept exactly as given.
        const auto t = given_text.find(flag.name);
        if (flag.number &&
            flag.number(options).text != (t != given_text.end() ? t->second : flag.number(defaults).text))
            fail("took %s's text %s", std::string(flag.name).c_str(), quoted(flag.number(options).text).c_str());
    }
    const bool movie = options.frames > 1;
    if (given.contains("--zoom-from") != movie)
        fail("took a movie of %d frames, zoom %s", options.frames, given.contains("--zoom-from") ? "given" : "not given");
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
    if (o < 1 || o >= args.size() || args[o] != output || options.output != output || (options.format == output_format::raw) != (output == "-"))
        fail("output argument %zu is not the last output %s", o, quoted(output).c_str());
    const char* suffix = output.c_str() + output.size() - std::min<std::size_t>(4, output.size());
    const output_format by_suffix = output == "-"                       ? output_format::raw
                                    : strcasecmp(suffix, ".png") == 0 ? output_format::png
                                    : strcasecmp(suffix, ".npy") == 0 ? output_format::npy
                                                                      : output_format::bmp;
    if (options.format != by_suffix || (by_suffix == output_format::bmp && strcasecmp(suffix, ".bmp") != 0))
        fail("accepted the output %s as format %d", quoted(output).c_str(), static_cast<int>(options.format));
    // An accepted frame pattern holds only %d, %0Nd and %%, so the C library
    // can read it here as an independent check, but never in the program.
    if (movie && options.format != output_format::raw) {
        for (const std::int32_t k : {0, 7, options.frames - 1, 2147483647}) {
            std::vector<char> name(output.size() + 32);
#pragma clang diagnostic ignored "-Wformat-nonliteral"
            std::snprintf(name.data(), name.size(), output.c_str(), k);
            if (frame_name(options.pattern, k) != name.data())
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
    // An argument of one byte from 1 to 31 stands for the flag of that row of
    // the table, so every flag is reached without a list of them here.
    const auto flags = render_flags();
    for (std::string& arg : args) {
        if (arg.size() == 1 && arg[0] >= 1 && arg[0] < 32 && static_cast<std::size_t>(arg[0] - 1) < flags.size())
            arg = flags[static_cast<std::size_t>(arg[0] - 1)].name;
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
