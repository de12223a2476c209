#include "render_options.h"

#include "text_numbers.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>

namespace {

// from_chars takes no '+'; accept one, but not "+-5".
bool strip_plus(std::string_view& text)
{
    if (text.empty() || text.front() != '+')
        return true;
    text.remove_prefix(1);
    return text.empty() || text.front() != '-';
}

// The whole text must be the number: "12abc", " 12" and "" are refused.
// A value too small for a double is the dialog's reading of it, a subnormal
// or zero; one too large reads as infinite.
bool parse_whole(std::string_view text, double& value)
{
    if (!strip_plus(text))
        return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (end != text.data() + text.size() || text.empty())
        return false;
    if (error == std::errc::result_out_of_range) {
        // from_chars matched all of it, so it is ASCII.
        value = parse_wide_double(std::u16string(text.begin(), text.end()));
        return true;
    }
    return error == std::errc();
}

bool parse_whole(std::string_view text, std::int32_t& value)
{
    if (!strip_plus(text))
        return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

bool ends_with_ignoring_case(std::string_view text, std::string_view suffix)
{
    if (text.size() < suffix.size())
        return false;
    text.remove_prefix(text.size() - suffix.size());
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        const char c = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
        if (c != suffix[i])
            return false;
    }
    return true;
}

struct integer_flag {
    const char* name;
    std::int32_t render_options::*field;
    std::int32_t low;
    std::int32_t high;
    const char* accepts;
};

constexpr integer_flag integer_flags[] = {
    {"--iterations", &render_options::iterations, 1, 60000, "an integer from 1 to 60000"},
    {"--figure", &render_options::figure, 0, 2, "an integer from 0 to 2"},
    {"--palette", &render_options::palette, 0, 14, "an integer from 0 to 14"},
    {"--repeat", &render_options::repeat, 1, 10000, "an integer from 1 to 10000"},
};

}  // namespace

std::string printable(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    }
    return out;
}

parse_outcome parse_render_options(int argc, const char* const* argv, render_options& options,
                                   std::string& message)
{
    bool have_output = false;
    for (int a = 1; a < argc; ++a) {
        const std::string_view flag = argv[a];
        if (flag == "--help")
            return parse_outcome::help;

        const integer_flag* integer = nullptr;
        for (const integer_flag& candidate : integer_flags) {
            if (flag == candidate.name)
                integer = &candidate;
        }
        const bool is_real = flag == "--center-x" || flag == "--center-y" || flag == "--radius";
        if (!integer && !is_real && flag != "--output") {
            message = "quellarin-render: unknown option '" + printable(flag) + "' (see --help)";
            return parse_outcome::error;
        }

        const char* accepts = integer ? integer->accepts
                              : flag == "--radius" ? "a number r with 1e-14 < r <= 4"
                              : flag == "--output" ? "a file name ending in .bmp or .png"
                                                   : "a finite number";
        if (a + 1 >= argc) {
            message = "quellarin-render: " + std::string(flag) + " needs a value: " + accepts;
            return parse_outcome::error;
        }
        const std::string_view value = argv[++a];
        const auto refuse = [&] {
            message = "quellarin-render: " + std::string(flag) + " '" + printable(value) + "' is not " + accepts;
            return parse_outcome::error;
        };

        if (integer) {
            std::int32_t number = 0;
            if (!parse_whole(value, number) || number < integer->low || number > integer->high)
                return refuse();
            options.*(integer->field) = number;
        } else if (is_real) {
            double number = 0.0;
            if (!parse_whole(value, number) || !std::isfinite(number))
                return refuse();
            if (flag == "--radius") {
                if (!(number > 1e-14 && number <= 4.0))
                    return refuse();
                options.radius = number;
            } else {
                (flag == "--center-x" ? options.center_x : options.center_y) = number;
            }
        } else {
            options.png = ends_with_ignoring_case(value, ".png");
            if (!options.png && !ends_with_ignoring_case(value, ".bmp"))
                return refuse();
            options.output = value;
            options.output_argument = a;
            have_output = true;
        }
    }
    if (!have_output) {
        message = "quellarin-render: --output is required: a file name ending in .bmp or .png";
        return parse_outcome::error;
    }
    return parse_outcome::render;
}
