#include "location_finder.h"

#include "mpfr_complex.h"

namespace {

// a <- a / b for complex numbers.
void divide(mpfr_complex& a, const mpfr_complex& b, mpfr_complex& scratch, mpfr_number& modulus)
{
    mpfr_sqr(modulus, b.re, MPFR_RNDN);
    mpfr_fma(modulus, b.im, b.im, modulus, MPFR_RNDN);
    mpfr_mul(scratch.re, a.re, b.re, MPFR_RNDN);
    mpfr_fma(scratch.re, a.im, b.im, scratch.re, MPFR_RNDN);
    mpfr_mul(scratch.im, a.im, b.re, MPFR_RNDN);
    mpfr_fms(scratch.im, a.re, b.im, scratch.im, MPFR_RNDN);
    mpfr_neg(scratch.im, scratch.im, MPFR_RNDN);
    mpfr_div(a.re, scratch.re, modulus, MPFR_RNDN);
    mpfr_div(a.im, scratch.im, modulus, MPFR_RNDN);
}

// x <- p z^(p-1) x, the derivative of z^p times x, leaving z^(p-1) in power.
void times_derivative(int exponent, const mpfr_complex& z, mpfr_complex& x, mpfr_complex& power)
{
    mpfr_set(power.re, z.re, MPFR_RNDN);
    mpfr_set(power.im, z.im, MPFR_RNDN);
    for (int j = 2; j < exponent; ++j)
        multiply(power, power, z);
    multiply(x, x, power);
    mpfr_mul_ui(x.re, x.re, static_cast<unsigned long>(exponent), MPFR_RNDN);
    mpfr_mul_ui(x.im, x.im, static_cast<unsigned long>(exponent), MPFR_RNDN);
}

// z and dz/dc after `steps` steps from z = 0, dz = 0 at parameter c.
void orbit_with_derivative(int exponent, const mpfr_complex& c, int steps, mpfr_complex& z, mpfr_complex& dz)
{
    const mpfr_prec_t p = mpfr_get_prec(c.re);
    mpfr_complex power(p);
    mpfr_set_ui(z.re, 0, MPFR_RNDN);
    mpfr_set_ui(z.im, 0, MPFR_RNDN);
    mpfr_set_ui(dz.re, 0, MPFR_RNDN);
    mpfr_set_ui(dz.im, 0, MPFR_RNDN);
    for (int k = 0; k < steps; ++k) {
        // dz <- p z^(p-1) dz + 1; z <- z^p + c
        times_derivative(exponent, z, dz, power);
        mpfr_add_ui(dz.re, dz.re, 1, MPFR_RNDN);
        multiply(z, z, power);
        add(z, z, c);
    }
}

// Newton's method on f(c) = z_{a}(c) - z_{b}(c) (b = -1: f = z_a), from c.
// Stops once a step is below 2^-(precision - 8) of |c|, or fails after 100.
bool newton(int exponent, int a, int b, mpfr_complex& c)
{
    const mpfr_prec_t p = mpfr_get_prec(c.re);
    mpfr_complex za(p), da(p), zb(p), db(p), scratch(p);
    mpfr_number modulus(p), step(p), size(p);
    for (int k = 1; k <= 100; ++k) {
        orbit_with_derivative(exponent, c, a, za, da);
        if (b >= 0) {
            orbit_with_derivative(exponent, c, b, zb, db);
            subtract(za, za, zb);
            subtract(da, da, db);
        }
        if (!mpfr_number_p(za.re) || !mpfr_number_p(za.im) || (mpfr_zero_p(da.re) && mpfr_zero_p(da.im)))
            return false;
        divide(za, da, scratch, modulus);
        subtract(c, c, za);
        mpfr_hypot(step, za.re, za.im, MPFR_RNDN);
        mpfr_hypot(size, c.re, c.im, MPFR_RNDN);
        mpfr_mul_2si(size, size, -(p - 8), MPFR_RNDN);
        if (mpfr_cmp(step, size) <= 0)
            return true;
    }
    return false;
}

std::optional<found_point> solve(int exponent, int a, int b, const std::string& re, const std::string& im,
                                 long precision)
{
    mpfr_complex c(precision);
    if (!set_text(c.re, re) || !set_text(c.im, im) || !newton(exponent, a, b, c))
        return std::nullopt;
    return found_point{decimal_text(c.re), decimal_text(c.im)};
}

}  // namespace

std::optional<found_point> find_nucleus(int exponent, int period, const std::string& guess_re,
                                        const std::string& guess_im, long precision)
{
    return solve(exponent, period, -1, guess_re, guess_im, precision);
}

std::optional<found_point> find_misiurewicz(int exponent, int preperiod, int period, const std::string& guess_re,
                                            const std::string& guess_im, long precision)
{
    return solve(exponent, preperiod + period, preperiod, guess_re, guess_im, precision);
}

std::optional<found_point> walk_to_misiurewicz(int exponent, const found_point& point, int preperiod, int period,
                                               const found_point& start, int start_period, int steps, long precision)
{
    mpfr_complex m(precision), c(precision), z(precision), dz(precision), rho(precision), power(precision),
        scratch(precision);
    mpfr_number modulus(precision);
    set_text(m.re, point.re);
    set_text(m.im, point.im);
    set_text(c.re, start.re);
    set_text(c.im, start.im);
    // rho: the product of p z^(p-1) over the cycle the point lands on.
    orbit_with_derivative(exponent, m, preperiod, z, dz);
    mpfr_set_ui(rho.re, 1, MPFR_RNDN);
    mpfr_set_ui(rho.im, 0, MPFR_RNDN);
    for (int k = 0; k < period; ++k) {
        times_derivative(exponent, z, rho, power);
        multiply(power, power, z);
        add(z, power, m);
    }
    for (int s = 1; s <= steps; ++s) {
        // c <- m + (c - m) / rho, then Newton for the next period.
        subtract(c, c, m);
        divide(c, rho, scratch, modulus);
        add(c, c, m);
        if (!newton(exponent, start_period + s * period, -1, c))
            return std::nullopt;
    }
    return found_point{decimal_text(c.re), decimal_text(c.im)};
}
