#include "formulas.h"

namespace {

// Each step keeps the squares of the escape test for the next point, as the
// definition does; next_point's parenthesisation is the evaluation order. The
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
        next_point<P>(zr, zi, zr2, zi2, re, im);
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
