// Conversions between the dialog's edit texts and numbers.
//
// Locale-free and independent of the C runtime, so that a text reads and
// prints the same on every platform. Leading Unicode white space is skipped;
// a decimal digit may be any BMP character of category Nd (each read by its
// value, scripts may mix); signs, the point '.', 'e', 'x', 'p', "inf" and
// "nan" are ASCII only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// The dialog's formatting buffer, terminator included.
inline constexpr int WIDE_BUFFER_LENGTH = 100;

// The value of the longest prefix that reads as a C floating-point number
// (decimal, hexadecimal "0x1.8p3", "inf", "infinity", "nan", "nan(...)"),
// correctly rounded to nearest-even; out of range gives +-inf or the rounded
// subnormal or +-0; no such prefix gives 0.0.
double parse_wide_double(std::u16string_view text);

// The value of the longest prefix that reads as a base-10 integer, saturated
// to the int32 range; no digits gives 0.
std::int32_t parse_wide_int32(std::u16string_view text);

// Bounded formatting of one value: literal text, "%%" for a percent sign and
// exactly one conversion, "%<w>.<p>lf" or "%<w>.<p>f" (fixed, exact value
// rounded to nearest-even; precision 6 when omitted) for a double, "%<w>d"
// for an int32; the width is optional. Writes at most capacity-1 characters
// and a terminator and returns the length, or -1 if the format is not one of
// these (then the buffer is empty) or the text is cut short to fit.
int format_wide(char16_t* buffer, std::size_t capacity, const char16_t* format, double value);
int format_wide(char16_t* buffer, std::size_t capacity, const char16_t* format, std::int32_t value);
