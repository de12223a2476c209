// An MPFR number that lives as long as its scope, and the conversions
// between MPFR and the program's own numbers. Only the deep-zoom library,
// its tests and its benchmarks see MPFR.
#pragma once

#include "floatexp.h"

#include <mpfr.h>

#include <string_view>

class mpfr_number {
public:
    explicit mpfr_number(mpfr_prec_t precision) { mpfr_init2(value_, precision); }
    mpfr_number(mpfr_prec_t precision, long value) : mpfr_number(precision) { mpfr_set_si(value_, value, MPFR_RNDN); }
    mpfr_number(const mpfr_number& other) : mpfr_number(mpfr_get_prec(other.value_))
    {
        mpfr_set(value_, other.value_, MPFR_RNDN);
    }
    mpfr_number& operator=(const mpfr_number& other)
    {
        mpfr_set_prec(value_, mpfr_get_prec(other.value_));
        mpfr_set(value_, other.value_, MPFR_RNDN);
        return *this;
    }
    ~mpfr_number() { mpfr_clear(value_); }

    mpfr_ptr get() { return value_; }
    mpfr_srcptr get() const { return value_; }
    operator mpfr_ptr() { return value_; }
    operator mpfr_srcptr() const { return value_; }

private:
    mpfr_t value_;
};

// Sets x to text rounded to x's precision; false unless text is a finite
// decimal of the program's grammar (decimal_number.h).
bool set_decimal(mpfr_ptr x, std::string_view text);

// x to 53 bits at any magnitude.
floatexp to_floatexp(mpfr_srcptr x);
