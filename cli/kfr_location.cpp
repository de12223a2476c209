#include "kfr_location.h"

#include "reference_orbit.h"
#include "render_flags.h"

#include <iterator>
#include <optional>

namespace {

// The keys read, in the order their values are applied.
constexpr std::string_view KEYS[] = {"Re", "Im", "Zoom", "Iterations", "Power"};

// The text after "Key:" without the spaces around it, or nothing.
std::string_view trimmed(std::string_view value)
{
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
        value.remove_prefix(1);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t' || value.back() == '\r'))
        value.remove_suffix(1);
    return value;
}

// The radius of a zoom z, 2 / z, as text; nothing when z is not a positive number.
std::optional<std::string> radius_of_zoom(std::string_view zoom)
{
    const std::optional<floatexp> z = parse_decimal(zoom);
    if (!z || !(z->m > 0.0))
        return std::nullopt;
    return format_decimal(to_floatexp(2.0) / *z);
}

}  // namespace

bool parse_kfr_location(std::string_view text, render_options& options, std::string& message)
{
    std::optional<std::string_view> values[std::size(KEYS)];
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            continue;
        const std::string_view key = line.substr(0, colon);
        for (std::size_t k = 0; k < std::size(KEYS); ++k) {
            if (key != KEYS[k])
                continue;
            if (values[k]) {
                message = "its key " + std::string(key) + " appears twice";
                return false;
            }
            values[k] = trimmed(line.substr(colon + 1));
        }
    }
    for (std::size_t k = 0; k < std::size(KEYS); ++k) {
        if (!values[k]) {
            message = "it has no " + std::string(KEYS[k]) + " line";
            return false;
        }
    }
    render_options read = options;
    const auto refuse = [&](std::size_t k, const std::string& what) {
        message = "its " + std::string(KEYS[k]) + " '" + printable(values[k]->substr(0, 80)) + "' is not " + what;
        return false;
    };
    // Re and Im are the centre, Iterations the limit, as the flags take them.
    const render_flag& re = *find_flag("--center-x");
    const render_flag& im = *find_flag("--center-y");
    const render_flag& iterations = *find_flag("--iterations");
    if (!apply_flag(re, *values[0], read))
        return refuse(0, flag_accepts(re));
    if (!apply_flag(im, *values[1], read))
        return refuse(1, flag_accepts(im));
    const std::optional<std::string> radius = radius_of_zoom(*values[2]);
    if (!radius || !apply_flag(*find_flag("--radius"), *radius, read))
        return refuse(2, "a zoom z with 2 / z a radius this program renders");
    if (!apply_flag(iterations, *values[3], read))
        return refuse(3, flag_accepts(iterations));
    const std::string_view power = *values[4];
    if (power != "2" && power != "3" && power != "4")
        return refuse(4, "2, 3 or 4");
    read.view.figure_index = power[0] - '2';
    options.view = read.view;
    return true;
}

std::string kfr_location_text(const render_view& view)
{
    return "Re: " + view.center_x.text + "\r\nIm: " + view.center_y.text +
           "\r\nZoom: " + format_decimal(to_floatexp(2.0) / view.radius.extended) +
           "\r\nIterations: " + std::to_string(view.max_iterations) +
           "\r\nPower: " + std::to_string(view.figure_index + 2) + "\r\n";
}
