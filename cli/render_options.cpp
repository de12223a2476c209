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

// Two integers "AsepB", each read whole.
bool parse_pair(std::string_view text, char separator, std::int32_t& a, std::int32_t& b)
{
    const std::size_t at = text.find(separator);
    return at != std::string_view::npos && parse_whole(text.substr(0, at), a) && parse_whole(text.substr(at + 1), b);
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
    {"--frames", &render_options::frames, 2, 1000000, "an integer from 2 to 1000000"},
    {"--workers", &render_options::workers, 1, 1024, "an integer from 1 to 1024"},
};

struct real_flag {
    const char* name;
    double render_options::*field;
    bool is_radius;
};

constexpr real_flag real_flags[] = {
    {"--center-x", &render_options::center_x, false},
    {"--center-y", &render_options::center_y, false},
    {"--radius", &render_options::radius, true},
    {"--zoom-from", &render_options::zoom_from, true},
};

constexpr const char* RADIUS_ACCEPTS = "a number r with 1e-14 < r <= 4";
constexpr const char* SIZE_ACCEPTS = "WxH with each side from 16 to 16384";
constexpr const char* RANGE_ACCEPTS = "FIRST:LAST with 0 <= FIRST <= LAST";
constexpr const char* OUTPUT_ACCEPTS = "a file name ending in .bmp or .png, or -";

// What a flag with a value accepts, or null when it is no such flag.
const char* accepts_of(std::string_view flag)
{
    for (const integer_flag& f : integer_flags) {
        if (flag == f.name)
            return f.accepts;
    }
    for (const real_flag& f : real_flags) {
        if (flag == f.name)
            return f.is_radius ? RADIUS_ACCEPTS : "a finite number";
    }
    return flag == "--size"          ? SIZE_ACCEPTS
           : flag == "--frame-range" ? RANGE_ACCEPTS
           : flag == "--output"      ? OUTPUT_ACCEPTS
           : flag == "--from"        ? "a PNG file this program wrote"
                                     : nullptr;
}

// Reads the value of a flag that accepts_of knows, but --from; false when
// the value is not one the flag accepts.
bool apply_value(std::string_view flag, std::string_view value, render_options& options)
{
    for (const integer_flag& f : integer_flags) {
        std::int32_t number = 0;
        if (flag == f.name) {
            if (!parse_whole(value, number) || number < f.low || number > f.high)
                return false;
            options.*(f.field) = number;
            return true;
        }
    }
    for (const real_flag& f : real_flags) {
        double number = 0.0;
        if (flag == f.name) {
            if (!parse_whole(value, number) || !std::isfinite(number) ||
                (f.is_radius && !(number > 1e-14 && number <= 4.0)))
                return false;
            options.*(f.field) = number;
            return true;
        }
    }
    if (flag == "--size") {
        std::int32_t w = 0;
        std::int32_t h = 0;
        if (!parse_pair(value, 'x', w, h) || w < MIN_SIDE || w > MAX_SIDE || h < MIN_SIDE || h > MAX_SIDE ||
            std::uint64_t(w) * std::uint64_t(h) * 3 > MAX_PIXEL_BYTES)
            return false;
        options.width = w;
        options.height = h;
        return true;
    }
    if (flag == "--frame-range") {
        std::int32_t first = 0;
        std::int32_t last = 0;
        if (!parse_pair(value, ':', first, last) || first < 0 || last < first)
            return false;
        options.first_frame = first;
        options.last_frame = last;
        return true;
    }
    // --output
    options.raw = value == "-";
    options.png = ends_with_ignoring_case(value, ".png");
    if (!options.raw && !options.png && !ends_with_ignoring_case(value, ".bmp"))
        return false;
    options.output = value;
    return true;
}

// Splits a movie's output name at its one %d or %0Nd field; false for any
// other use of '%', or for no field or several.
bool parse_frame_pattern(std::string_view text, frame_pattern& pattern)
{
    pattern = {};
    bool have_field = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::string& out = have_field ? pattern.after : pattern.before;
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        // %d, or %0 with one or two digits then d, for at most 20 digits
        std::size_t j = i + 1;
        int width = 0;
        if (j < text.size() && text[j] == '0') {
            for (++j; j < text.size() && j <= i + 3 && text[j] >= '0' && text[j] <= '9'; ++j)
                width = width * 10 + (text[j] - '0');
            if (width < 1 || width > 20)
                return false;
        }
        if (have_field || j >= text.size() || text[j] != 'd')
            return false;
        pattern.width = width;
        have_field = true;
        i = j;
    }
    return have_field;
}

// exp and log from additions, multiplications and divisions alone, so that a
// frame's radius is the same whichever C library the program runs on.
constexpr double LN2 = 0.6931471805599453094;

double portable_log(double x)
{
    int exponent = 0;
    double m = std::frexp(x, &exponent);  // exact: x = m 2^exponent, 0.5 <= m < 1
    if (m < 0.7071067811865476) {
        m *= 2.0;
        --exponent;
    }
    // log m = 2 atanh f, |f| < 0.172: the series is below an ulp after 12 terms.
    const double f = (m - 1.0) / (m + 1.0);
    const double f2 = f * f;
    double sum = 0.0;
    for (int n = 25; n >= 1; n -= 2)
        sum = sum * f2 + 1.0 / n;
    return exponent * LN2 + 2.0 * f * sum;
}

double portable_exp(double y)
{
    const double n = std::nearbyint(y / LN2);
    const double r = y - n * LN2;  // |r| <= 0.35: the series is below an ulp after 18 terms
    double sum = 1.0;
    for (int k = 18; k >= 1; --k)
        sum = 1.0 + sum * r / k;
    return std::ldexp(sum, static_cast<int>(n));
}

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
                                   std::string& message, const view_loader& load)
{
    bool have_output = false;
    bool have_zoom = false;
    for (int a = 1; a < argc; ++a) {
        const std::string_view flag = argv[a];
        if (flag == "--help")
            return parse_outcome::help;
        if (flag == "--quiet") {
            options.quiet = true;
            continue;
        }
        const char* accepts = accepts_of(flag);
        if (!accepts) {
            message = "quellarin-render: unknown option '" + printable(flag) + "' (see --help)";
            return parse_outcome::error;
        }
        if (a + 1 >= argc) {
            message = "quellarin-render: " + std::string(flag) + " needs a value: " + accepts;
            return parse_outcome::error;
        }
        const std::string_view value = argv[++a];
        if (flag == "--from") {
            if (!load || !load(a, options, message)) {
                if (!load)
                    message = "quellarin-render: --from is not available here";
                return parse_outcome::error;
            }
            continue;
        }
        if (!apply_value(flag, value, options)) {
            message = "quellarin-render: " + std::string(flag) + " '" + printable(value) + "' is not " + accepts;
            return parse_outcome::error;
        }
        have_zoom = have_zoom || flag == "--zoom-from";
        if (flag == "--output") {
            options.output_argument = a;
            have_output = true;
        }
    }
    const bool movie = options.frames > 1;
    const char* problem = nullptr;
    if (!have_output)
        problem = "--output is required: a file name ending in .bmp or .png, or -";
    else if (have_zoom != movie)
        problem = "--zoom-from and --frames go together";
    else if (options.last_frame >= 0 && !movie)
        problem = "--frame-range needs --zoom-from and --frames";
    else if (options.last_frame >= options.frames)
        problem = "--frame-range must end before --frames";
    else if (movie && !options.raw && !parse_frame_pattern(options.output, options.pattern))
        problem = "--output of a movie must hold one %d or %0Nd field (1 <= N <= 20) for the frame "
                  "number, and %% for a percent sign";
    if (problem) {
        message = std::string("quellarin-render: ") + problem;
        return parse_outcome::error;
    }
    if (options.last_frame < 0)
        options.last_frame = options.frames - 1;
    return parse_outcome::render;
}

bool parse_view_text(std::string_view text, render_options& options, std::string& message)
{
    constexpr const char* keys[] = {"center-x", "center-y", "radius", "iterations",
                                    "figure",   "palette",  "size",   "version"};
    constexpr unsigned all_keys = (1u << std::size(keys)) - 1;
    unsigned seen = 0;
    render_options read = options;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        const std::size_t equals = line.find('=');
        const std::string_view key = line.substr(0, equals);
        const std::string_view value = equals == std::string_view::npos ? "" : line.substr(equals + 1);
        unsigned bit = 0;
        for (std::size_t k = 0; k < std::size(keys); ++k) {
            if (key == keys[k])
                bit = 1u << k;
        }
        if (bit == 0 || (seen & bit) || equals == std::string_view::npos ||
            (bit != 1u << 7 && !apply_value("--" + std::string(key), value, read))) {
            message = "its view has a bad line '" + printable(line.substr(0, 80)) + "'";
            return false;
        }
        seen |= bit;
    }
    if (seen != all_keys) {
        message = "its view lacks a line";
        return false;
    }
    options.center_x = read.center_x;
    options.center_y = read.center_y;
    options.radius = read.radius;
    options.iterations = read.iterations;
    options.figure = read.figure;
    options.palette = read.palette;
    options.width = read.width;
    options.height = read.height;
    return true;
}

std::string format_view_text(const render_options& options, std::string_view version)
{
    // The shortest text that reads back as the same double.
    const auto exact = [](double value) {
        char text[32];
        return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
    };
    return "center-x=" + exact(options.center_x) + "\ncenter-y=" + exact(options.center_y) +
           "\nradius=" + exact(options.radius) + "\niterations=" + std::to_string(options.iterations) +
           "\nfigure=" + std::to_string(options.figure) + "\npalette=" + std::to_string(options.palette) +
           "\nsize=" + std::to_string(options.width) + "x" + std::to_string(options.height) +
           "\nversion=" + std::string(version);
}

std::string frame_name(const frame_pattern& pattern, std::int32_t k)
{
    std::string number = std::to_string(k);
    if (static_cast<int>(number.size()) < pattern.width)
        number.insert(0, static_cast<std::size_t>(pattern.width) - number.size(), '0');
    return pattern.before + number + pattern.after;
}

double frame_radius(const render_options& options, std::int32_t k)
{
    const std::int32_t last = options.frames - 1;
    if (k <= 0)
        return options.zoom_from;
    if (k >= last)
        return options.radius;
    const double t = static_cast<double>(k) / last;
    const double r = options.zoom_from * portable_exp(t * portable_log(options.radius / options.zoom_from));
    // Rounding must not carry a frame past either end of the zoom.
    const double low = std::fmin(options.zoom_from, options.radius);
    const double high = std::fmax(options.zoom_from, options.radius);
    return std::fmin(std::fmax(r, low), high);
}
