// Exact counterparts of the library's numbers and steps, in MPFR, for the tests.
#pragma once

#include "complex_pair.h"
#include "floatexp.h"
#include "mpfr_number.h"

// x exactly: its 53-bit mantissa fits the number's precision.
inline void set(mpfr_ptr r, floatexp x)
{
    mpfr_set_d(r, x.m, MPFR_RNDN);
    mpfr_mul_2si(r, r, static_cast<long>(x.e), MPFR_RNDN);
}

inline void set(mpfr_complex& r, complex_pair<floatexp> z)
{
    set(r.re, z.re);
    set(r.im, z.im);
}

// x exactly, in a number of 64 bits.
inline mpfr_number exact(floatexp x)
{
    mpfr_number r(64);
    set(r, x);
    return r;
}

inline constexpr int binomial[5][5] = {{1}, {1, 1}, {1, 2, 1}, {1, 3, 3, 1}, {1, 4, 6, 4, 1}};

// r <- (z + d)^p - z^p as the sum of C(p, k) z^(p-k) d^k over k >= 1: no
// cancellation between the two powers, whatever the size of d; terms, when
// given, gets the sum of the terms' moduli.
inline void power_difference(int p, const mpfr_complex& z, const mpfr_complex& d, mpfr_complex& r,
                             mpfr_ptr terms = nullptr)
{
    const mpfr_prec_t bits = mpfr_get_prec(r.re);
    mpfr_complex sum(bits), term(bits), zpow(bits), dpow(bits);
    mpfr_number size(bits);
    mpfr_set_ui(sum.re, 0, MPFR_RNDN);
    mpfr_set_ui(sum.im, 0, MPFR_RNDN);
    if (terms)
        mpfr_set_ui(terms, 0, MPFR_RNDN);
    mpfr_set(dpow.re, d.re, MPFR_RNDN);
    mpfr_set(dpow.im, d.im, MPFR_RNDN);
    for (int k = 1; k <= p; ++k) {
        mpfr_set_ui(zpow.re, 1, MPFR_RNDN);
        mpfr_set_ui(zpow.im, 0, MPFR_RNDN);
        for (int j = 0; j < p - k; ++j)
            multiply(zpow, zpow, z);
        multiply(term, zpow, dpow);
        mpfr_mul_ui(term.re, term.re, static_cast<unsigned long>(binomial[p][k]), MPFR_RNDN);
        mpfr_mul_ui(term.im, term.im, static_cast<unsigned long>(binomial[p][k]), MPFR_RNDN);
        add(sum, sum, term);
        if (terms) {
            mpfr_hypot(size, term.re, term.im, MPFR_RNDN);
            mpfr_add(terms, terms, size, MPFR_RNDN);
        }
        multiply(dpow, dpow, d);
    }
    mpfr_swap(r.re, sum.re);
    mpfr_swap(r.im, sum.im);
}
