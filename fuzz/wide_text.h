// What the two wide-text fuzz targets share (and the headers they use): how
// an input becomes texts, the ASCII text the C library must read the same
// way, and a check of the dialog's formatting against snprintf.
#pragma once

#include "fuzz_check.h"
#include "text_numbers.h"
#include "unicode_tables.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

// The units with the Unicode White_Space property (BMP), listed here apart
// from the parser's own table.
constexpr std::u16string_view unicode_spaces = u"\t\n\v\f\r \u0085\u00A0\u1680\u2000\u2001\u2002\u2003\u2004"
                                               u"\u2005\u2006\u2007\u2008\u2009\u200A\u2028\u2029\u202F\u205F\u3000";

// The ASCII text the C library must read as the same number: digits of other
// scripts become ASCII digits, other white space a blank, and any other
// non-ASCII unit a '#', which no number contains.
std::string ascii_equivalent(std::u16string_view text)
{
    std::string out;
    for (const char16_t c : text) {
        const auto zero = std::find_if(std::begin(decimal_digit_zeros), std::end(decimal_digit_zeros),
                                       [c](char16_t z) { return c >= z && c - z < 10; });
        out += c < 0x80 ? static_cast<char>(c)
               : zero != std::end(decimal_digit_zeros) ? static_cast<char>('0' + (c - *zero))
               : unicode_spaces.find(c) != unicode_spaces.npos ? ' ' : '#';
    }
    return out;
}

// Calls check(text, ascii) with the two readings of an input: pairs of bytes
// as little-endian UTF-16 units (every script's digits and white space,
// through the ASCII equivalent), and each byte as one unit, where a byte of
// 0x80 or more stands for (byte - 0x7F) * 8 more copies of the unit before
// it (long runs of digits).
template <class Check>
void for_each_text(const std::uint8_t* data, std::size_t size, Check check)
{
    std::u16string units;
    // More units than the dialog ever reads (98), to show no length is special.
    for (std::size_t i = 0; i + 1 < size && units.size() < 200; i += 2)
        units += static_cast<char16_t>(data[i] | data[i + 1] << 8);
    check(units, ascii_equivalent(units));

    std::string text;
    const std::size_t most = 3000;  // past the 800 significant digits the parser keeps
    for (std::size_t i = 0; i < size && text.size() < most; ++i) {
        if (data[i] < 0x80)
            text += static_cast<char>(data[i]);
        else if (!text.empty())
            text.append(std::min<std::size_t>((data[i] - 0x7F) * 8, most - text.size()), text.back());
    }
    check(std::u16string(text.begin(), text.end()), text);
}

// Formats value as the dialog does, into its 100-unit buffer followed by a
// guard: nothing past the buffer is written, and the text and length are
// what snprintf prints (cut to fit, with -1, when it does not). Returns the text.
template <typename Value>
std::u16string checked_format(const char16_t* format, const char* c_format, Value value)
{
    char16_t buffer[WIDE_BUFFER_LENGTH + 16];
    std::fill(std::begin(buffer), std::end(buffer), u'\uFDD0');
    const int length = format_wide(buffer, WIDE_BUFFER_LENGTH, format, value);
    const auto end = std::find(buffer, buffer + WIDE_BUFFER_LENGTH, u'\0');
    if (end == buffer + WIDE_BUFFER_LENGTH ||
        !std::all_of(buffer + WIDE_BUFFER_LENGTH, std::end(buffer), [](char16_t c) { return c == u'\uFDD0'; }))
        fail("format_wide wrote past its buffer or left it unterminated with %s", c_format);
    const std::u16string text(buffer, end);

    char c_text[2048];
    const int full = std::snprintf(c_text, sizeof c_text, c_format, value);
    c_text[std::min(full, WIDE_BUFFER_LENGTH - 1)] = '\0';
    if (text != std::u16string(c_text, c_text + std::strlen(c_text)) || length != (full < WIDE_BUFFER_LENGTH ? full : -1))
        fail("%s: format_wide gave %s (%d), snprintf %s (%d)", c_format, quoted(text).c_str(), length, c_text, full);
    return text;
}

}  // namespace
