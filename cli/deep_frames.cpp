#include "deep_frames.h"

#include "portable_math.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

constexpr double LN2 = 0.6931471805599453094;

// The shortest text that reads back as the same double.
std::string shortest(double value)
{
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

// The centre text perturbation uses: as given, else the double's own.
std::string center_text(const std::string& text, double value)
{
    return text.empty() ? shortest(value) : text;
}

}  // namespace

perturbation_frames::perturbation_frames(const render_options& options, floatexp deepest, bool use_table)
    : options_(options),
      center_re_(center_text(options.view.center_x_text, options.view.center_x)),
      center_im_(center_text(options.view.center_y_text, options.view.center_y)),
      use_table_(use_table)
{
    request_.center_re = center_re_;
    request_.center_im = center_im_;
    request_.exponent = options.view.figure_index + 2;
    request_.limit = options.view.max_iterations;
    request_.precision = view_precision(deepest, options.width, options.height);
}

std::uint64_t perturbation_frames::bytes_needed() const
{
    // An orbit of limit L has at most L + 2 elements.
    const std::int64_t elements = static_cast<std::int64_t>(request_.limit) + 2;
    const std::int64_t orbit = use_table_ ? orbit_and_table_bytes(elements) : orbit_bytes(elements);
    return static_cast<std::uint64_t>(orbit) +
           static_cast<std::uint64_t>(options_.width) * static_cast<std::uint64_t>(options_.height) * 4;
}

void perturbation_frames::render(floatexp radius, int workers, std::int32_t* counts, const orbit_progress& progress)
{
    if (!orbit_) {
        orbit_ = compute_reference_orbit(request_, progress);
        if (use_table_)
            coefficients_ = build_bla_coefficients(*orbit_);
    }
    const deep_frame frame{radius, options_.width, options_.height, options_.view.max_iterations};
    const delta_type type = frame_delta_type(radius);
    if (!coefficients_) {
        render_deep(*orbit_, frame, nullptr, type, workers, counts);
        return;
    }
    const bla_table table(*orbit_, *coefficients_, frame_max_dc(frame), type);
    render_deep(*orbit_, frame, &table, type, workers, counts);
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
