// Decimal numbers, the one form in which the program reads and writes a
// view's numbers: the grammar, the correctly rounded readings as a double
// and as a floatexp (and, in mpfr_number.h, into MPFR), and their texts.
#pragma once

#include "floatexp.h"

#include <optional>
#include <string>
#include <string_view>

// Whether text is [+-] digits [. digits] [(e|E) [+-] digits], with at least
// one digit before the exponent: the only form of number accepted anywhere,
// so that a library's own extensions (inf, nan, hexadecimal, @, spaces)
// never are.
bool is_decimal_text(std::string_view text);

// A number as it was given, read once: its text, every digit kept, and
// that text correctly rounded to a double (a subnormal or zero below the
// double range, infinite above it) and to a floatexp (53 bits at any
// magnitude). A view's double is its exact renders' number; the text and
// the floatexp are what perturbation reads.
struct decimal {
    std::string text;
    double value = 0.0;
    floatexp extended = {};

    bool operator==(const decimal&) const = default;
};

// The number text is; nothing when it is not a finite decimal.
std::optional<decimal> read_decimal(std::string_view text);

// A double as a decimal: its shortest text, read as read_decimal reads it.
decimal decimal_of(double value);

// A floatexp as a decimal: the text format_decimal gives, and its double.
decimal decimal_of(floatexp value);

// The shortest decimal text that reads back as the same double, in every
// build alike: std::to_chars, not printf, whose digits differ between C
// libraries.
std::string shortest_text(double value);

// Decimal text as a floatexp (correctly rounded); nothing when it is not a
// finite number. Any length and any exponent, e.g. a radius of "1e-10000".
std::optional<floatexp> parse_decimal(std::string_view text);

// The shortest-ish decimal text of x that reads back as exactly x: 17
// significant digits without trailing zeros, e.g. "3.1622776601683794e-2501".
std::string format_decimal(floatexp x);
