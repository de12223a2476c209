#include "formulas.h"

namespace {

// Each step keeps the squares of the escape test for the next point, as the
// definition does; the parenthesisation below is the evaluation order. The
// orbit's last point is left in zr, zi: past the escape radius where the
// count is below the limit.
template <int P>
std::int32_t orbit(double re, double im, std::int32_t limit, double& zr, double& zi)
{
    zr = re;
    zi = im;
    for (std::int32_t n = 0;; ++n) {
        const double zr2 = zr * zr;
        const double zi2 = zi * zi;
        if (zr2 + zi2 > 4.0 || n >= limit)
            return n;
        double next_zr;
        double next_zi;
        if constexpr (P == 2) {
            next_zi = (zi * zr + zi * zr) + im;
            next_zr = (zr2 - zi2) + re;
        } else if constexpr (P == 3) {
            next_zr = zr * (zr2 - 3.0 * zi2) + re;
            next_zi = zi * (3.0 * zr2 - zi2) + im;
        } else {
            next_zr = ((zr2 - 6.0 * zi2) * zr2 + zi2 * zi2) + re;
            next_zi = (zr2 - zi2) * (4.0 * (zi * zr)) + im;
        }
        zr = next_zr;
        zi = next_zi;
    }
}

}  // namespace

std::int32_t escape_time_power2(double re, double im, std::int32_t limit)
{
    double zr;
    double zi;
    return orbit<2>(re, im, limit, zr, zi);
}

std::int32_t escape_time_power3(double re, double im, std::int32_t limit)
{
    double zr;
    double zi;
    return orbit<3>(re, im, limit, zr, zi);
}

std::int32_t escape_time_power4(double re, double im, std::int32_t limit)
{
    double zr;
    double zi;
    return orbit<4>(re, im, limit, zr, zi);
}

std::int32_t escape_point_power2(double re, double im, std::int32_t limit, double& zr, double& zi)
{
    return orbit<2>(re, im, limit, zr, zi);
}

std::int32_t escape_point_power3(double re, double im, std::int32_t limit, double& zr, double& zi)
{
    return orbit<3>(re, im, limit, zr, zi);
}

std::int32_t escape_point_power4(double re, double im, std::int32_t limit, double& zr, double& zi)
{
    return orbit<4>(re, im, limit, zr, zi);
}
