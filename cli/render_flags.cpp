#include "render_flags.h"

#include "worker_fanout.h"

#include <charconv>
#include <iterator>
#include <optional>
#include <utility>

namespace {

// Image sides, and how often one view may be rendered, frames a movie may have.
constexpr integer_range SIDE_RANGE = {16, 16384};
constexpr integer_range REPEAT_RANGE = {1, 10000};
constexpr integer_range FRAME_RANGE = {2, 1000000};
constexpr integer_range WORKER_RANGE = {1, MAX_WORKERS};
constexpr integer_range SAMPLE_RANGE = {1, 16};
// 2^50 bytes: a petabyte is more than any machine this runs on has.
constexpr std::uint64_t MAX_MEMORY_LIMIT = std::uint64_t{1} << 50;

// clang-format off
constexpr render_flag flags[] = {
    {"--center-x", "X", flag_kind::center, "real part of the centre, every digit kept (default 0)", {}, nullptr,
     [](render_options& o) -> decimal& { return o.view.center_x; }},
    {"--center-y", "Y", flag_kind::center, "imaginary part of the centre, every digit kept (default 0)", {}, nullptr,
     [](render_options& o) -> decimal& { return o.view.center_y; }},
    {"--radius", "R", flag_kind::radius, "half the shorter side of the view (default 2)", {}, nullptr,
     [](render_options& o) -> decimal& { return o.view.radius; }},
    {"--iterations", "N", flag_kind::integer, "iteration limit (default 1000)", RENDERER_ITERATION_RANGE,
     [](render_options& o) -> std::int32_t& { return o.view.max_iterations; }},
    {"--figure", "F", flag_kind::integer, "0: z^2 + c, 1: z^3 + c, 2: z^4 + c (default 0)", FIGURE_RANGE,
     [](render_options& o) -> std::int32_t& { return o.view.figure_index; }},
    {"--palette", "P", flag_kind::integer, "colour palette (default 0)", PALETTE_RANGE,
     [](render_options& o) -> std::int32_t& { return o.view.palette_index; }},
    {"--size", "WxH", flag_kind::size, "image size (default 640x640)"},
    {"--repeat", "K", flag_kind::integer, "render K times and write the file once (default 1)", REPEAT_RANGE,
     [](render_options& o) -> std::int32_t& { return o.repeat; }},
    {"--zoom-from", "R0", flag_kind::radius, "a zoom movie whose radius goes geometrically from R0 to R", {},
     nullptr, [](render_options& o) -> decimal& { return o.zoom_from; }},
    {"--frames", "N", flag_kind::integer,
     "its number of frames; FILE then holds one %d or %0Nd field for the frame number (%% for a percent sign)",
     FRAME_RANGE, [](render_options& o) -> std::int32_t& { return o.frames; }},
    {"--frame-range", "FIRST:LAST", flag_kind::frame_range, "render only these frames (0-based, inclusive)"},
    {"--workers", "N", flag_kind::integer, "worker threads (default: the hardware threads, at least 8)",
     WORKER_RANGE, [](render_options& o) -> std::int32_t& { return o.workers; }},
    {"--method", "M", flag_kind::method,
     "exact: the double definition, where it holds the view; perturbation: against a reference orbit, at any "
     "depth; auto (the default): exact where it holds the view, else perturbation"},
    {"--memory-limit", "BYTES", flag_kind::bytes,
     "memory for a deep view's reference orbit and tables (default: half the machine's)"},
    {"--samples", "N", flag_kind::integer,
     "anti-aliasing: each pixel is the mean, in linear light, of the N x N pixels of the view rendered N times "
     "larger (default 1)",
     SAMPLE_RANGE, [](render_options& o) -> std::int32_t& { return o.samples; }},
    {"--smooth", "", flag_kind::toggle,
     "smooth colouring: the palette interpolated by the continuous escape value (with .npy, that value as "
     "float64, NaN where the orbit does not escape)",
     {}, nullptr, nullptr, [](render_options& o) -> bool& { return o.smooth; }},
    {"--resume", "", flag_kind::toggle, "a movie skips the frames whose files already exist", {}, nullptr, nullptr,
     [](render_options& o) -> bool& { return o.resume; }},
    {"--quiet", "", flag_kind::toggle, "no progress line on a terminal", {}, nullptr, nullptr,
     [](render_options& o) -> bool& { return o.quiet; }},
    {"--from", "FILE", flag_kind::view_file,
     "render the view stored in a PNG this program wrote, or the location in a .kfr file; later options "
     "override it"},
    {"--output", "FILE", flag_kind::output,
     "where to write the image, or with .npy the escape counts as a NumPy int32 array (rows top first); "
     "required"},
    {"--serve", "[HOST:]PORT", flag_kind::address,
     "serve the explorer, a page to look around in with a browser, and the images it asks for, until "
     "interrupted; HOST is 127.0.0.1 unless given, PORT 0 picks a free port"},
    {"--serve-max-size", "WxH", flag_kind::max_size, "the largest image the explorer renders (default 4096x4096)"},
    {"--help", "", flag_kind::help, "print this text"},
    {"--version", "", flag_kind::version, "print the program's version"},
};
// clang-format on

// from_chars takes no '+'; accept one, but not "+-5".
bool strip_plus(std::string_view& text)
{
    if (text.empty() || text.front() != '+')
        return true;
    text.remove_prefix(1);
    return text.empty() || text.front() != '-';
}

bool parse_whole(std::string_view text, std::int32_t& value)
{
    if (!strip_plus(text))
        return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

// A number of bytes with an optional K, M or G (powers of 1024) after it.
bool parse_bytes(std::string_view text, std::uint64_t& bytes)
{
    int shift = 0;
    if (!text.empty() && (text.back() == 'K' || text.back() == 'M' || text.back() == 'G')) {
        shift = text.back() == 'K' ? 10 : text.back() == 'M' ? 20 : 30;
        text.remove_suffix(1);
    }
    std::uint64_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size() || text.empty() || number == 0 ||
        number > (MAX_MEMORY_LIMIT >> shift))
        return false;
    bytes = number << shift;
    return true;
}

// Two integers "AsepB", each read whole.
bool parse_pair(std::string_view text, char separator, std::int32_t& a, std::int32_t& b)
{
    const std::size_t at = text.find(separator);
    return at != std::string_view::npos && parse_whole(text.substr(0, at), a) && parse_whole(text.substr(at + 1), b);
}

// WxH within the sides' range and the pixel memory; width and height unchanged otherwise.
bool parse_image_size(std::string_view text, std::int32_t& width, std::int32_t& height)
{
    std::int32_t w = 0;
    std::int32_t h = 0;
    if (!parse_pair(text, 'x', w, h) || !SIDE_RANGE.contains(w) || !SIDE_RANGE.contains(h) ||
        std::uint64_t(w) * std::uint64_t(h) * 3 > MAX_PIXEL_BYTES)
        return false;
    width = w;
    height = h;
    return true;
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

// Whether a radius lies within what perturbation renders: above 0,
// at most MAX_RADIUS and not below 1e-100000.
bool deep_radius_in_range(floatexp r)
{
    static const floatexp floor = *parse_decimal("1e" + std::to_string(DEEP_RADIUS_FLOOR_EXPONENT));
    static const floatexp most = to_floatexp(MAX_RADIUS);
    return r.m > 0.0 && !magnitude_less(r, floor) && !magnitude_less(most, r);
}

}  // namespace

std::span<const render_flag> render_flags() { return flags; }

const render_flag* find_flag(std::string_view name)
{
    for (const render_flag& flag : flags) {
        if (flag.name == name)
            return &flag;
    }
    return nullptr;
}

std::string exact_radius_range() { return shortest_text(RADIUS_FLOOR) + " < r <= " + shortest_text(MAX_RADIUS); }

std::string flag_accepts(const render_flag& flag)
{
    const auto range_text = [](integer_range r) {
        return "an integer from " + std::to_string(r.low) + " to " + std::to_string(r.high);
    };
    switch (flag.kind) {
    case flag_kind::center:
        return "a finite decimal number of at most " + std::to_string(MAX_NUMBER_TEXT) + " characters";
    case flag_kind::radius:
        return "a decimal number r with 1e" + std::to_string(DEEP_RADIUS_FLOOR_EXPONENT) +
               " <= r <= " + shortest_text(MAX_RADIUS) + " of at most " + std::to_string(MAX_NUMBER_TEXT) +
               " characters";
    case flag_kind::method:
        return "auto, exact or perturbation";
    case flag_kind::bytes:
        return "a number of bytes from 1 to 2^50, with K, M or G after it for 2^10, 2^20 or 2^30";
    case flag_kind::integer:
        return range_text(flag.range);
    case flag_kind::size:
    case flag_kind::max_size:
        return "WxH with each side from " + std::to_string(SIDE_RANGE.low) + " to " + std::to_string(SIDE_RANGE.high);
    case flag_kind::frame_range:
        return "FIRST:LAST with 0 <= FIRST <= LAST";
    case flag_kind::output:
        return "a file name ending in .bmp, .png or .npy, or -";
    case flag_kind::view_file:
        return "a PNG file this program wrote";
    case flag_kind::address:
        return "[HOST:]PORT with PORT from 0 to 65535";
    default:
        return "";
    }
}

bool apply_flag(const render_flag& flag, std::string_view value, render_options& options)
{
    switch (flag.kind) {
    case flag_kind::center:
    case flag_kind::radius: {
        if (value.size() > MAX_NUMBER_TEXT)
            return false;
        std::optional<decimal> number = read_decimal(value);
        if (!number || (flag.kind == flag_kind::center ? !renderer_accepts_center(number->value)
                                                       : !deep_radius_in_range(number->extended)))
            return false;
        flag.number(options) = std::move(*number);
        return true;
    }
    case flag_kind::method:
        if (value != "auto" && value != "exact" && value != "perturbation")
            return false;
        options.method = value == "exact"          ? render_method::exact
                         : value == "perturbation" ? render_method::perturbation
                                                   : render_method::automatic;
        return true;
    case flag_kind::bytes:
        return parse_bytes(value, options.memory_limit);
    case flag_kind::integer: {
        std::int32_t number = 0;
        if (!parse_whole(value, number) || !flag.range.contains(number))
            return false;
        flag.integer(options) = number;
        return true;
    }
    case flag_kind::size:
        return parse_image_size(value, options.width, options.height);
    case flag_kind::max_size:
        return parse_image_size(value, options.serve_max_width, options.serve_max_height);
    case flag_kind::address: {
        // HOST:PORT, the last colon the port's; an IPv6 host in brackets.
        const std::size_t colon = value.rfind(':');
        std::string_view host = colon == std::string_view::npos ? "" : value.substr(0, colon);
        const std::string_view port = colon == std::string_view::npos ? value : value.substr(colon + 1);
        if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
            host = host.substr(1, host.size() - 2);
        std::int32_t number = 0;
        if ((colon != std::string_view::npos && host.empty()) || !parse_whole(port, number) || number < 0 ||
            number > 65535 || host.find_first_of(" []/\\?#@") != std::string_view::npos)
            return false;
        if (!host.empty())
            options.serve_host = host;
        options.serve_port = number;
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
        if (value == "-")
            options.format = output_format::raw;
        else if (ends_with_ignoring_case(value, ".png"))
            options.format = output_format::png;
        else if (ends_with_ignoring_case(value, ".npy"))
            options.format = output_format::npy;
        else if (ends_with_ignoring_case(value, ".bmp"))
            options.format = output_format::bmp;
        else
            return false;
        options.output = value;
        return true;
    }
    default:
        return false;
    }
}
