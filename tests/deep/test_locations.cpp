#include "test_locations.h"

#include "location_finder.h"
#include "mpfr_number.h"

namespace {

// point + offset * radius, as text at the given precision.
std::string moved(const std::string& point, double offset, const char* radius, long precision)
{
    if (offset == 0.0)
        return point;
    mpfr_number x(precision), r(precision);
    set_text(x, point);
    set_text(r, radius);
    mpfr_mul_d(r, r, offset, MPFR_RNDN);
    mpfr_add(x, x, r, MPFR_RNDN);
    return decimal_text(x);
}

}  // namespace

std::optional<oracle_view> make_view(const test_location& location)
{
    oracle_view view{"0", "0", location.radius, location.exponent, location.width, location.height, location.limit};
    const long precision = static_cast<long>(oracle_precision(view)) + 64;
    found_point point{location.re, location.im, 0};
    if (location.recipe != centre_recipe::text) {
        const std::optional<found_point> m = find_misiurewicz(location.exponent, location.preperiod, location.period,
                                                              location.re, location.im, precision);
        if (!m)
            return std::nullopt;
        point = *m;
    }
    if (location.recipe == centre_recipe::walk) {
        const std::optional<found_point> start =
            find_nucleus(location.exponent, location.start_period, location.start_re, location.start_im, precision);
        if (!start)
            return std::nullopt;
        const std::optional<found_point> end =
            walk_to_misiurewicz(location.exponent, point, location.preperiod, location.period, *start,
                                location.start_period, location.steps, precision);
        if (!end)
            return std::nullopt;
        point = *end;
    }
    view.center_re = moved(point.re, location.offset_re, location.radius, precision);
    view.center_im = moved(point.im, location.offset_im, location.radius, precision);
    return view;
}
