// Exact counterparts of the library's numbers and steps, in MPFR, for the tests.
#pragma once

#include "complex_pair.h"
#include "floatexp.h"
#include "mpfr_complex.h"

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

// |z|, at z's precision.
inline mpfr_number modulus(const mpfr_complex& z)
{
    mpfr_number r(mpfr_get_prec(z.re));
    mpfr_hypot(r, z.re, z.im, MPFR_RNDN);
    return r;
}

// r <- (z + d)^p - z^p as d (w^(p-1) + w^(p-2) z + ... + z^(p-1)) with
// w = z + d, for p >= 2: d stays a factor, so however small it is nothing
// cancels. r may be d.
inline void power_difference(int p, const mpfr_complex& z, const mpfr_complex& d, mpfr_complex& r)
{
    const mpfr_prec_t bits = mpfr_get_prec(r.re);
    mpfr_complex w(bits), sum(bits), power(bits);
    add(w, z, d);
    add(sum, w, z);
    multiply(power, z, z);
    for (int k = 2; k < p; ++k) {
        multiply(sum, sum, w);
        add(sum, sum, power);
        multiply(power, power, z);
    }
    multiply(r, sum, d);
}
