#include "render_flags.h"

#include "image_definition.h"
#include "text_numbers.h"

#include <charconv>
#include <iterator>

namespace {

// Image sides, and how often one view may be rendered, frames a movie may have.
constexpr integer_range SIDE_RANGE = {16, 16384};
constexpr integer_range REPEAT_RANGE = {1, 10000};
constexpr integer_range FRAME_RANGE = {2, 1000000};
constexpr integer_range WORKER_RANGE = {1, MAX_WORKERS};

constexpr render_flag flags[] = {
    {"--center-x", "X", flag_kind::center, "real part of the centre (default 0)", {}, nullptr,
     [](render_options& o) -> double& { return o.view.center_x; }},
    {"--center-y", "Y", flag_kind::center, "imaginary part of the centre (default 0)", {}, nullptr,
     [](render_options& o) -> double& { return o.view.center_y; }},
    {"--radius", "R", flag_kind::radius, "half the shorter side of the view (default 2)", {}, nullptr,
     [](render_options& o) -> double& { return o.view.radius; }},
    {"--iterations", "N", flag_kind::integer, "iteration limit (default 1000)", ITERATION_RANGE,
     [](render_options& o) -> std::int32_t& { return o.view.max_iterations; }},
    {"--figure", "F", flag_kind::integer, "0: z^2 + c, 1: z^3 + c, 2: z^4 + c (default 0)", FIGURE_RANGE,
     [](render_options& o) -> std::int32_t& { return o.view.figure_index; }},
    {"--palette", "P", flag_kind::integer, "colour palette (default 0)", PALETTE_RANGE,
     [](render_options& o) -> std::int32_t& { return o.view.palette_index; }},
    {"--size", "WxH", flag_kind::size, "image size (default 640x640)"},
    {"--repeat", "K", flag_kind::integer, "render K times and write the file once (default 1)", REPEAT_RANGE,
     [](render_options& o) -> std::int32_t& { return o.repeat; }},
    {"--zoom-from", "R0", flag_kind::radius, "a zoom movie whose radius goes geometrically from R0 to R", {},
     nullptr, [](render_options& o) -> double& { return o.zoom_from; }},
    {"--frames", "N", flag_kind::integer,
     "its number of frames; FILE then holds one %d or %0Nd field for the frame number (%% for a percent sign)",
     FRAME_RANGE, [](render_options& o) -> std::int32_t& { return o.frames; }},
    {"--frame-range", "FIRST:LAST", flag_kind::frame_range, "render only these frames (0-based, inclusive)"},
    {"--workers", "N", flag_kind::integer, "worker threads (default: the hardware threads, at least 8)",
     WORKER_RANGE, [](render_options& o) -> std::int32_t& { return o.workers; }},
    {"--quiet", "", flag_kind::toggle, "no progress line on a terminal", {}, nullptr, nullptr,
     [](render_options& o) -> bool& { return o.quiet; }},
    {"--from", "FILE.png", flag_kind::view_file,
     "render the view stored in the file; later options override it"},
    {"--output", "FILE", flag_kind::output, "where to write the image; required"},
    {"--help", "", flag_kind::help, "print this text"},
    {"--version", "", flag_kind::version, "print the program's version"},
};

// The shortest text that reads back as the same double.
std::string shortest(double value)
{
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

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

// The radii the renderer takes, "1e-14 < r <= 4".
std::string exact_radius_range()
{
    return shortest(RADIUS_FLOOR) + " < r <= " + shortest(MAX_RADIUS);
}

}  // namespace

std::span<const render_flag> render_flags()
{
    return flags;
}

const render_flag* find_flag(std::string_view name)
{
    for (const render_flag& flag : flags) {
        if (flag.name == name)
            return &flag;
    }
    return nullptr;
}

std::string flag_accepts(const render_flag& flag)
{
    const auto range_text = [](integer_range r) {
        return "an integer from " + std::to_string(r.low) + " to " + std::to_string(r.high);
    };
    switch (flag.kind) {
    case flag_kind::center:
        return "a finite number";
    case flag_kind::radius:
        return "a number r with " + exact_radius_range();
    case flag_kind::integer:
        return range_text(flag.range);
    case flag_kind::size:
        return "WxH with each side from " + std::to_string(SIDE_RANGE.low) + " to " + std::to_string(SIDE_RANGE.high);
    case flag_kind::frame_range:
        return "FIRST:LAST with 0 <= FIRST <= LAST";
    case flag_kind::output:
        return "a file name ending in .bmp or .png, or -";
    case flag_kind::view_file:
        return "a PNG file this program wrote";
    default:
        return "";
    }
}

bool apply_flag(const render_flag& flag, std::string_view value, render_options& options)
{
    switch (flag.kind) {
    case flag_kind::center:
    case flag_kind::radius: {
        double number = 0.0;
        if (!parse_whole(value, number) ||
            !(flag.kind == flag_kind::center ? renderer_accepts_center(number) : renderer_accepts_radius(number)))
            return false;
        flag.real(options) = number;
        return true;
    }
    case flag_kind::integer: {
        std::int32_t number = 0;
        if (!parse_whole(value, number) || !flag.range.contains(number))
            return false;
        flag.integer(options) = number;
        return true;
    }
    case flag_kind::size: {
        std::int32_t w = 0;
        std::int32_t h = 0;
        if (!parse_pair(value, 'x', w, h) || !SIDE_RANGE.contains(w) || !SIDE_RANGE.contains(h) ||
            std::uint64_t(w) * std::uint64_t(h) * 3 > MAX_PIXEL_BYTES)
            return false;
        options.width = w;
        options.height = h;
        return true;
    }
    case flag_kind::frame_range: {
        std::int32_t first = 0;
        std::int32_t last = 0;
        if (!parse_pair(value, ':', first, last) || first < 0 || last < first)
            return false;
        options.first_frame = first;
        options.last_frame = last;
        return true;
    }
    case flag_kind::output: {
        const bool raw = value == "-";
        const bool png = ends_with_ignoring_case(value, ".png");
        if (!raw && !png && !ends_with_ignoring_case(value, ".bmp"))
            return false;
        options.raw = raw;
        options.png = png;
        options.output = value;
        return true;
    }
    default:
        return false;
    }
}
