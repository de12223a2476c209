// Fuzzes quellarin-render's command line: the input split at NUL bytes is
// argv[1..]; checks what parse_render_options accepts and how it refuses.
#include "fuzz_check.h"
#include "render_options.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::size_t MAX_ARGUMENTS = 64;

constexpr const char* FLAGS[] = {"--center-x", "--center-y", "--radius", "--iterations", "--figure",
                                 "--palette",  "--repeat",   "--output", "--help"};

// Whether text ends with suffix, ASCII letters in either case.
bool ends_with_any_case(std::string_view text, std::string_view suffix)
{
    if (text.size() < suffix.size())
        return false;
    text.remove_prefix(text.size() - suffix.size());
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != suffix[i])
            return false;
    }
    return true;
}

// strtod's reading of an accepted value, which must take all of it.
double c_real(const std::string& value)
{
    char* end = nullptr;
    const double number = std::strtod(value.c_str(), &end);
    if (value.empty() || std::isspace(static_cast<unsigned char>(value[0])) || end != value.c_str() + value.size())
        fail("accepted %s, which strtod does not read whole", quoted(value).c_str());
    return number;
}

// strtoll's reading of an accepted integer value, which must take all of it.
long long c_integer(const std::string& value)
{
    char* end = nullptr;
    errno = 0;
    const long long number = std::strtoll(value.c_str(), &end, 10);
    if (value.empty() || std::isspace(static_cast<unsigned char>(value[0])) ||
        end != value.c_str() + value.size() || errno != 0)
        fail("accepted %s, which strtoll does not read whole", quoted(value).c_str());
    return number;
}

// An accepted command line is flag-value pairs; the last value of each flag
// is the option, as the C library reads it, and in its range.
void check_render(const std::vector<std::string>& args, const render_options& options)
{
    render_options expected;
    bool have_output = false;
    for (std::size_t a = 1; a < args.size(); a += 2) {
        if (a + 1 >= args.size())
            fail("accepted %s without a value", quoted(args[a]).c_str());
        const std::string& flag = args[a];
        const std::string& value = args[a + 1];
        if (flag == "--center-x") {
            expected.center_x = c_real(value);
        } else if (flag == "--center-y") {
            expected.center_y = c_real(value);
        } else if (flag == "--radius") {
            expected.radius = c_real(value);
        } else if (flag == "--iterations") {
            expected.iterations = static_cast<std::int32_t>(c_integer(value));
        } else if (flag == "--figure") {
            expected.figure = static_cast<std::int32_t>(c_integer(value));
        } else if (flag == "--palette") {
            expected.palette = static_cast<std::int32_t>(c_integer(value));
        } else if (flag == "--repeat") {
            expected.repeat = static_cast<std::int32_t>(c_integer(value));
        } else if (flag == "--output") {
            expected.output = value;
            have_output = true;
        } else {
            fail("accepted the argument %s as a flag", quoted(flag).c_str());
        }
    }
    if (!have_output)
        fail("accepted a command line without --output");
    // The file is named by the argument itself, so it must be the output's.
    if (options.output_argument < 1 || static_cast<std::size_t>(options.output_argument) >= args.size() ||
        args[static_cast<std::size_t>(options.output_argument)] != options.output)
        fail("output argument %d is not the output %s", options.output_argument, quoted(options.output).c_str());
    if (std::memcmp(&options.center_x, &expected.center_x, sizeof(double)) != 0 ||
        std::memcmp(&options.center_y, &expected.center_y, sizeof(double)) != 0 ||
        std::memcmp(&options.radius, &expected.radius, sizeof(double)) != 0 ||
        options.iterations != expected.iterations || options.figure != expected.figure ||
        options.palette != expected.palette || options.repeat != expected.repeat ||
        options.output != expected.output) {
        fail("options (%a, %a, %a, %d, %d, %d, %d, %s) differ from the last values given (%a, %a, %a, %d, %d, "
             "%d, %d, %s)",
             options.center_x, options.center_y, options.radius, options.iterations, options.figure,
             options.palette, options.repeat, quoted(options.output).c_str(), expected.center_x,
             expected.center_y, expected.radius, expected.iterations, expected.figure, expected.palette,
             expected.repeat, quoted(expected.output).c_str());
    }

    if (!std::isfinite(options.center_x) || !std::isfinite(options.center_y))
        fail("accepted the centre (%a, %a)", options.center_x, options.center_y);
    if (!(options.radius > 1e-14 && options.radius <= 4.0))
        fail("accepted the radius %a", options.radius);
    if (options.iterations < 1 || options.iterations > 60000)
        fail("accepted %d iterations", options.iterations);
    if (options.figure < 0 || options.figure > 2)
        fail("accepted figure %d", options.figure);
    if (options.palette < 0 || options.palette > 14)
        fail("accepted palette %d", options.palette);
    if (options.repeat < 1)
        fail("accepted repeat %d", options.repeat);
    const bool png = ends_with_any_case(options.output, ".png");
    if (!png && !ends_with_any_case(options.output, ".bmp"))
        fail("accepted the output %s", quoted(options.output).c_str());
    if (options.png != png)
        fail("output %s taken as %s", quoted(options.output).c_str(), options.png ? "PNG" : "BMP");
}

// Whether message shows the argument: each of its runs of printable
// characters, however the control characters between them are shown.
bool shows_argument(const std::string& message, const std::string& argument)
{
    std::size_t begin = 0;
    while (begin < argument.size()) {
        std::size_t end = begin;
        while (end < argument.size() && !std::iscntrl(static_cast<unsigned char>(argument[end])))
            ++end;
        if (end > begin && message.find(argument.substr(begin, end - begin)) == std::string::npos)
            return false;
        begin = end + 1;
    }
    return true;
}

// A refusal is one line that names a flag, or shows an argument that is none.
void check_error(const std::vector<std::string>& args, const std::string& message)
{
    if (message.empty() || message.find_first_of("\r\n") != std::string::npos)
        fail("error message %s is not one line", quoted(message).c_str());
    for (const char* flag : FLAGS) {
        if (message.find(flag) != std::string::npos)
            return;
    }
    for (std::size_t a = 1; a < args.size(); ++a) {
        if (shows_argument(message, args[a]))
            return;
    }
    fail("error message %s names no flag", quoted(message).c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> args{"quellarin-render"};
    const char* text = reinterpret_cast<const char*>(data);
    for (std::size_t begin = 0; begin <= size && args.size() <= MAX_ARGUMENTS;) {
        const void* nul = std::memchr(text + begin, 0, size - begin);
        const std::size_t end = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - text) : size;
        args.emplace_back(text + begin, end - begin);
        begin = end + 1;
    }
    std::vector<const char*> argv;
    for (const std::string& arg : args)
        argv.push_back(arg.c_str());
    argv.push_back(nullptr);

    render_options options;
    std::string message;
    const parse_outcome outcome =
        parse_render_options(static_cast<int>(args.size()), argv.data(), options, message);
    if (outcome == parse_outcome::render) {
        check_render(args, options);
    } else if (outcome == parse_outcome::help) {
        bool asked = false;
        for (std::size_t a = 1; a < args.size(); ++a)
            asked = asked || args[a] == "--help";
        if (!asked)
            fail("help shown without --help");
    } else {
        check_error(args, message);
    }
    return 0;
}
