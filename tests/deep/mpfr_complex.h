// Complex MPFR numbers for the tests and benchmarks, and their decimal texts.
#pragma once

#include "mpfr_number.h"

#include <string>
#include <string_view>

struct mpfr_complex {
    mpfr_number re;
    mpfr_number im;
    explicit mpfr_complex(mpfr_prec_t precision) : re(precision), im(precision) {}
};

// Sets x to decimal text; false unless MPFR read all of it.
inline bool set_text(mpfr_ptr x, std::string_view text)
{
    const std::string terminated(text);
    return mpfr_set_str(x, terminated.c_str(), 10, MPFR_RNDN) == 0;
}

// x as decimal text with enough digits to read back at its precision.
inline std::string decimal_text(mpfr_srcptr x)
{
    if (mpfr_zero_p(x))
        return "0";
    mpfr_exp_t exponent = 0;
    char* digits = mpfr_get_str(nullptr, &exponent, 10, 0, x, MPFR_RNDN);
    std::string s(digits);
    mpfr_free_str(digits);
    std::string sign;
    if (!s.empty() && s[0] == '-') {
        sign = "-";
        s.erase(0, 1);
    }
    // digits d1 d2 ... mean 0.d1 d2 ... * 10^exponent
    return sign + "0." + s + "e" + std::to_string(static_cast<long long>(exponent));
}

// r <- a * b; r may be a or b.
inline void multiply(mpfr_complex& r, const mpfr_complex& a, const mpfr_complex& b)
{
    const mpfr_prec_t p = mpfr_get_prec(r.re);
    mpfr_number re(p), im(p), t(p);
    mpfr_mul(re, a.re, b.re, MPFR_RNDN);
    mpfr_mul(t, a.im, b.im, MPFR_RNDN);
    mpfr_sub(re, re, t, MPFR_RNDN);
    mpfr_mul(im, a.re, b.im, MPFR_RNDN);
    mpfr_mul(t, a.im, b.re, MPFR_RNDN);
    mpfr_add(im, im, t, MPFR_RNDN);
    mpfr_swap(r.re, re);
    mpfr_swap(r.im, im);
}

// r <- a + b; r may be a or b.
inline void add(mpfr_complex& r, const mpfr_complex& a, const mpfr_complex& b)
{
    mpfr_add(r.re, a.re, b.re, MPFR_RNDN);
    mpfr_add(r.im, a.im, b.im, MPFR_RNDN);
}

// r <- a - b; r may be a or b.
inline void subtract(mpfr_complex& r, const mpfr_complex& a, const mpfr_complex& b)
{
    mpfr_sub(r.re, a.re, b.re, MPFR_RNDN);
    mpfr_sub(r.im, a.im, b.im, MPFR_RNDN);
}
