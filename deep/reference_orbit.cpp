#include "reference_orbit.h"

#include "decimal_number.h"
#include "mpfr_number.h"

#include <algorithm>
#include <cassert>
#include <string>

namespace {

// Elements reserved at most before an orbit starts: 768 MiB.
constexpr std::int64_t orbit_reserve_cap = std::int64_t{1} << 24;

// Moves z to z^p + c in place for p = 2, 3, 4, given zr2 = zr^2 and zi2 = zi^2.
// In-place MPFR operations on a fixed set of numbers: no allocation per step.
void step_power2(mpfr_ptr zr, mpfr_ptr zi, mpfr_srcptr zr2, mpfr_srcptr zi2, mpfr_srcptr cr, mpfr_srcptr ci)
{
    mpfr_mul(zi, zi, zr, MPFR_RNDN);
    mpfr_mul_2ui(zi, zi, 1, MPFR_RNDN);
    mpfr_add(zi, zi, ci, MPFR_RNDN);
    mpfr_sub(zr, zr2, zi2, MPFR_RNDN);
    mpfr_add(zr, zr, cr, MPFR_RNDN);
}

void step_power3(mpfr_ptr zr, mpfr_ptr zi, mpfr_srcptr zr2, mpfr_srcptr zi2, mpfr_srcptr cr, mpfr_srcptr ci, mpfr_ptr t)
{
    // zr (zr^2 - 3 zi^2) + cr and zi (3 zr^2 - zi^2) + ci.
    mpfr_mul_ui(t, zi2, 3, MPFR_RNDN);
    mpfr_sub(t, zr2, t, MPFR_RNDN);
    mpfr_mul(zr, zr, t, MPFR_RNDN);
    mpfr_add(zr, zr, cr, MPFR_RNDN);
    mpfr_mul_ui(t, zr2, 3, MPFR_RNDN);
    mpfr_sub(t, t, zi2, MPFR_RNDN);
    mpfr_mul(zi, zi, t, MPFR_RNDN);
    mpfr_add(zi, zi, ci, MPFR_RNDN);
}

void step_power4(mpfr_ptr zr, mpfr_ptr zi, mpfr_srcptr zr2, mpfr_srcptr zi2, mpfr_srcptr cr, mpfr_srcptr ci, mpfr_ptr a,
                 mpfr_ptr b)
{
    // The square of the square: a + bi = z^2, then (a^2 - b^2) + 2ab i.
    mpfr_sub(a, zr2, zi2, MPFR_RNDN);
    mpfr_mul(b, zr, zi, MPFR_RNDN);
    mpfr_mul_2ui(b, b, 1, MPFR_RNDN);
    mpfr_mul(zi, a, b, MPFR_RNDN);
    mpfr_mul_2ui(zi, zi, 1, MPFR_RNDN);
    mpfr_add(zi, zi, ci, MPFR_RNDN);
    mpfr_sqr(a, a, MPFR_RNDN);
    mpfr_sqr(b, b, MPFR_RNDN);
    mpfr_sub(zr, a, b, MPFR_RNDN);
    mpfr_add(zr, zr, cr, MPFR_RNDN);
}

}  // namespace

std::optional<reference_orbit> compute_reference_orbit(const orbit_request& request, const orbit_progress& progress)
{
    if (request.exponent < 2 || request.exponent > 4 || request.limit < 1 || request.precision < MPFR_PREC_MIN ||
        request.precision > MPFR_PREC_MAX)
        return std::nullopt;
    const auto precision = static_cast<mpfr_prec_t>(request.precision);
    mpfr_number cr(precision), ci(precision), zr(precision), zi(precision);
    mpfr_number zr2(precision), zi2(precision), modulus(precision), t(precision), u(precision);
    if (!set_decimal(cr, request.center_re) || !set_decimal(ci, request.center_im))
        return std::nullopt;

    reference_orbit orbit;
    orbit.exponent = request.exponent;
    // Growing the vectors element by element costs as much as the orbit
    // itself at a few hundred bits (copies, and pages touched twice), so
    // they are reserved for the whole limit up to a large cap, and given
    // back below if the orbit escapes early.
    const std::int64_t most = static_cast<std::int64_t>(request.limit) + 2;
    orbit.values.reserve(static_cast<std::size_t>(std::min<std::int64_t>(most, orbit_reserve_cap)));
    orbit.extended.reserve(orbit.values.capacity());
    orbit.values.push_back({0.0, 0.0});
    orbit.extended.push_back({to_floatexp(0.0), to_floatexp(0.0)});

    mpfr_set(zr, cr, MPFR_RNDN);
    mpfr_set(zi, ci, MPFR_RNDN);
    for (std::int64_t n = 0;; ++n) {
        const complex_pair<floatexp> z{to_floatexp(zr.get()), to_floatexp(zi.get())};
        orbit.extended.push_back(z);
        orbit.values.push_back(to_double(z));
        if (orbit.size() % orbit_progress_interval == 0) {
            if (request.stop.stop_requested())
                return std::nullopt;
            if (progress)
                progress(orbit.size());
        }
        mpfr_sqr(zr2, zr, MPFR_RNDN);
        mpfr_sqr(zi2, zi, MPFR_RNDN);
        mpfr_add(modulus, zr2, zi2, MPFR_RNDN);
        if (mpfr_cmp_ui(modulus, 4) > 0) {
            orbit.escaped = true;
            break;
        }
        if (n >= request.limit)
            break;
        switch (request.exponent) {
        case 2:
            step_power2(zr, zi, zr2, zi2, cr, ci);
            break;
        case 3:
            step_power3(zr, zi, zr2, zi2, cr, ci, t);
            break;
        default:
            step_power4(zr, zi, zr2, zi2, cr, ci, t, u);
            break;
        }
    }
    if (orbit.values.size() < orbit.values.capacity() / 2) {
        orbit.values.shrink_to_fit();
        orbit.extended.shrink_to_fit();
    }
    if (progress)
        progress(orbit.size());
    return orbit;
}

std::int64_t view_precision(floatexp radius, std::int32_t width, std::int32_t height)
{
    assert(radius.m > 0.0 && width > 0 && height > 0);
    const floatexp spacing = div_small(mul_small(radius, 2), std::min(width, height));
    // spacing >= 2^spacing.e, so -spacing.e bits resolve it.
    const std::int64_t bits = std::max<std::int64_t>(0, -spacing.e) + view_precision_margin;
    // In whole 64-bit limbs, which MPFR takes anyway: views whose bits round
    // to the same limbs have the same orbit, and can share it.
    return std::max<std::int64_t>((bits + 63) / 64 * 64, 64);
}

std::int64_t orbit_bytes(std::int64_t elements)
{
    return elements * static_cast<std::int64_t>(sizeof(complex_pair<double>) + sizeof(complex_pair<floatexp>));
}
