#include "smooth_colour.h"

#include "formulas.h"
#include "palettes.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace {

constexpr double LN2 = 0.6931471805599453094;
// At most this many steps past the escape radius: from |z| > 2 the modulus
// at least squares, less c, at each step.
constexpr int MOST_STEPS = 64;

// z^p + c, the definition's step.
void step(int exponent, double& zr, double& zi, double cr, double ci)
{
    const double zr2 = zr * zr;
    const double zi2 = zi * zi;
    if (exponent == 2)
        next_point<2>(zr, zi, zr2, zi2, cr, ci);
    else if (exponent == 3)
        next_point<3>(zr, zi, zr2, zi2, cr, ci);
    else
        next_point<4>(zr, zi, zr2, zi2, cr, ci);
}

// log2 x for a positive, finite, normal x, to about 1e-13, from the bits
// and additions, multiplications and one division: the same on every
// machine, and cheaper than the general portable_log, which this pass would
// call twice per pixel.
double log2_of(double x)
{
    std::uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    std::int64_t exponent = static_cast<std::int64_t>(bits >> 52) - 1023;
    bits = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1023} << 52);
    double m;  // x = m 2^exponent, 1 <= m < 2
    std::memcpy(&m, &bits, sizeof m);
    if (m > 1.4142135623730951) {
        m *= 0.5;
        ++exponent;
    }
    // ln m = 2 atanh f with |f| <= 0.1716: seven terms of the series.
    const double f = (m - 1.0) / (m + 1.0);
    const double f2 = f * f;
    const double series =
        1.0 + f2 * (1.0 / 3 + f2 * (1.0 / 5 + f2 * (1.0 / 7 + f2 * (1.0 / 9 + f2 * (1.0 / 11 + f2 * (1.0 / 13))))));
    return static_cast<double>(exponent) + 2.0 * f * series / LN2;
}

}  // namespace

double smooth_count(int exponent, std::int32_t n, std::int32_t limit, double zr, double zi, double cr, double ci)
{
    if (n >= limit)
        return std::numeric_limits<double>::quiet_NaN();
    std::int64_t k = n;
    for (int s = 0; s < MOST_STEPS && zr * zr + zi * zi <= SMOOTH_BAILOUT_NORM; ++s) {
        step(exponent, zr, zi, cr, ci);
        ++k;
    }
    // log2 |z| = log2(|z|^2) / 2, and log_p y = log2 y / log2 p.
    constexpr double LOG2_3 = 1.5849625007211562;
    const double log2_p = exponent == 2 ? 1.0 : exponent == 4 ? 2.0 : LOG2_3;
    return static_cast<double>(k) + 1.0 - log2_of(0.5 * log2_of(zr * zr + zi * zi)) / log2_p;
}

void smooth_pixel(const CFractal& fractal, double nu, const linear_light& light, std::uint8_t* pixel)
{
    if (std::isnan(nu)) {
        pixel[0] = pixel[1] = pixel[2] = 0;
        return;
    }
    const std::int64_t length = palette_lengths[fractal.palette_index];
    const double whole = std::floor(nu);
    const double t = nu - whole;
    const std::int64_t j = static_cast<std::int64_t>(whole) % length;
    const std::int64_t j0 = j < 0 ? j + length : j;
    const std::int64_t j1 = (j0 + 1) % length;
    const std::uint8_t* a = palette_colors[fractal.palette_index][j0];
    const std::uint8_t* b = palette_colors[fractal.palette_index][j1];
    for (int ch = 0; ch < 3; ++ch)
        pixel[ch] = light.encode((1.0 - t) * light.decode(a[ch]) + t * light.decode(b[ch]));
}
