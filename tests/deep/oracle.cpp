#include "oracle.h"

#include "mpfr_complex.h"

#include <algorithm>
#include <cassert>

namespace {

// The definition's loop at the numbers' precision: z_0 = c; at each step
// the escape test (strictly beyond 4), then the limit, then z <- z^p + c
// with z^p formed by complex products.
std::int32_t escape_time(int exponent, mpfr_srcptr cr, mpfr_srcptr ci, std::int32_t limit, mpfr_prec_t precision)
{
    mpfr_complex z(precision), power(precision);
    mpfr_number rr(precision), ii(precision), modulus(precision);
    mpfr_set(z.re, cr, MPFR_RNDN);
    mpfr_set(z.im, ci, MPFR_RNDN);
    for (std::int32_t n = 0;; ++n) {
        mpfr_sqr(rr, z.re, MPFR_RNDN);
        mpfr_sqr(ii, z.im, MPFR_RNDN);
        mpfr_add(modulus, rr, ii, MPFR_RNDN);
        if (mpfr_cmp_ui(modulus, 4) > 0 || n >= limit)
            return n;
        // z^2 from the squares above; then z^3 = z^2 z, z^4 = (z^2)^2
        mpfr_sub(power.re, rr, ii, MPFR_RNDN);
        mpfr_mul(power.im, z.re, z.im, MPFR_RNDN);
        mpfr_mul_2ui(power.im, power.im, 1, MPFR_RNDN);
        if (exponent == 3)
            multiply(power, power, z);
        else if (exponent == 4)
            multiply(power, power, power);
        mpfr_add(z.re, power.re, cr, MPFR_RNDN);
        mpfr_add(z.im, power.im, ci, MPFR_RNDN);
    }
}

// c of pixel (x, i), at the numbers' precision; shift is added to both parts.
void pixel_c(const oracle_view& view, std::int32_t x, std::int32_t i, mpfr_srcptr shift, mpfr_ptr cr, mpfr_ptr ci)
{
    const mpfr_prec_t precision = mpfr_get_prec(cr);
    mpfr_number r(precision), centre(precision);
    const bool ok = set_text(r, view.radius);
    assert(ok);
    (void)ok;
    const long side = std::min(view.width, view.height);
    set_text(centre, view.center_re);
    mpfr_mul_si(cr, r, 2 * x - view.width, MPFR_RNDN);
    mpfr_div_si(cr, cr, side, MPFR_RNDN);
    mpfr_add(cr, cr, centre, MPFR_RNDN);
    mpfr_add(cr, cr, shift, MPFR_RNDN);
    set_text(centre, view.center_im);
    mpfr_mul_si(ci, r, 2 * i - view.height, MPFR_RNDN);
    mpfr_div_si(ci, ci, side, MPFR_RNDN);
    mpfr_add(ci, ci, centre, MPFR_RNDN);
    mpfr_add(ci, ci, shift, MPFR_RNDN);
}

}  // namespace

std::int64_t oracle_precision(const oracle_view& view)
{
    mpfr_number spacing(64);
    set_text(spacing, view.radius);
    mpfr_mul_ui(spacing, spacing, 2, MPFR_RNDN);
    mpfr_div_ui(spacing, spacing, static_cast<unsigned long>(std::min(view.width, view.height)), MPFR_RNDN);
    return std::max<std::int64_t>(0, -static_cast<std::int64_t>(mpfr_get_exp(spacing))) + 48;
}

std::int32_t oracle_escape_time(int exponent, const std::string& re, const std::string& im, std::int32_t limit,
                                long precision)
{
    mpfr_number cr(precision), ci(precision);
    set_text(cr, re);
    set_text(ci, im);
    return escape_time(exponent, cr, ci, limit, precision);
}

oracle_image oracle_render(const oracle_view& view, std::int64_t precision)
{
    const mpfr_prec_t p = static_cast<mpfr_prec_t>(precision > 0 ? precision : oracle_precision(view));
    const mpfr_prec_t finer = p + 64;
    oracle_image image;
    const std::size_t pixels = static_cast<std::size_t>(view.width) * static_cast<std::size_t>(view.height);
    image.counts.assign(pixels, 0);
    image.decidable.assign(pixels, 0);
    mpfr_number zero(p, 0), zero_finer(finer, 0), shift(p);
    // 1e-7 of a pixel: 1e-7 * 2r / S.
    set_text(shift, view.radius);
    mpfr_mul_d(shift, shift, 2e-7, MPFR_RNDN);
    mpfr_div_ui(shift, shift, static_cast<unsigned long>(std::min(view.width, view.height)), MPFR_RNDN);
    mpfr_number cr(p), ci(p), fr(finer), fi(finer);
    for (std::int32_t i = 0; i < view.height; ++i) {
        for (std::int32_t x = 0; x < view.width; ++x) {
            pixel_c(view, x, i, zero, cr, ci);
            const std::int32_t n = escape_time(view.exponent, cr, ci, view.limit, p);
            const std::size_t k = static_cast<std::size_t>(x) + static_cast<std::size_t>(view.width) * i;
            image.counts[k] = n;
            pixel_c(view, x, i, shift, cr, ci);
            if (escape_time(view.exponent, cr, ci, view.limit, p) != n)
                continue;
            pixel_c(view, x, i, zero_finer, fr, fi);
            if (escape_time(view.exponent, fr, fi, view.limit, finer) != n)
                continue;
            image.decidable[k] = 1;
            ++image.decidable_pixels;
        }
    }
    return image;
}

oracle_agreement agreement(const oracle_image& oracle, const std::int32_t* counts)
{
    oracle_agreement result{oracle.decidable_pixels, 0};
    for (std::size_t k = 0; k < oracle.counts.size(); ++k)
        result.agreeing += oracle.decidable[k] && counts[k] == oracle.counts[k];
    return result;
}
