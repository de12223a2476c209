#include "movie_frames.h"

#include "portable_math.h"

#include <cmath>

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

std::string frame_name(const frame_pattern& pattern, std::int32_t k)
{
    std::string number = std::to_string(k);
    if (static_cast<int>(number.size()) < pattern.width)
        number.insert(0, static_cast<std::size_t>(pattern.width) - number.size(), '0');
    return pattern.before + number + pattern.after;
}

double frame_radius(double from, double to, std::int32_t frames, std::int32_t k)
{
    const std::int32_t last = frames - 1;
    if (k <= 0)
        return from;
    if (k >= last)
        return to;
    const double t = static_cast<double>(k) / last;
    const double r = from * portable_exp(t * portable_log(to / from));
    // Rounding must not carry a frame past either end of the zoom.
    return std::fmin(std::fmax(r, std::fmin(from, to)), std::fmax(from, to));
}

floatexp frame_radius(floatexp from, floatexp to, std::int32_t frames, std::int32_t k)
{
    const std::int32_t last = frames - 1;
    if (k <= 0)
        return from;
    if (k >= last)
        return to;
    // r = from (to / from)^t = 2^(log2 from + t (log2 to - log2 from)). The
    // exponents' part, e_from + k (e_to - e_from) / last, is split exactly
    // into a whole number and a fraction, so that only the mantissas' small
    // logarithms carry rounding, whatever the depth.
    const double t = static_cast<double>(k) / last;
    const std::int64_t steps = static_cast<std::int64_t>(k) * (to.e - from.e);
    std::int64_t whole = from.e + steps / last;
    const double fraction = static_cast<double>(steps % last) / last;
    const double log2_from = portable_log(from.m) / LN2;
    const double log2_to = portable_log(to.m) / LN2;
    const double rest = fraction + log2_from + t * (log2_to - log2_from);
    const double rest_whole = std::floor(rest);
    whole += static_cast<std::int64_t>(rest_whole);
    floatexp r = scale_by_power_of_two(to_floatexp(portable_exp((rest - rest_whole) * LN2)), whole);
    const floatexp low = smaller_of(from, to);
    const floatexp high = low == from ? to : from;
    if (r < low)
        return low;
    return r > high ? high : r;
}
