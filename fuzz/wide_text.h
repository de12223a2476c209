// What the two wide-text fuzz targets share: how an input becomes texts,
// the ASCII text the C library must read the same way, and a check of the
// dialog's formatting against snprintf.
#pragma once

#include "fuzz_check.h"
#include "text_numbers.h"
#include "unicode_tables.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace {

// More than the dialog ever reads (98), to show no length is special.
constexpr std::size_t MAX_UNITS = 200;
// Long enough to pass the 800 significant digits the parser keeps.
constexpr std::size_t MAX_EXPANDED = 3000;

// Whether c has the Unicode White_Space property (BMP), listed here apart
// from the parser's own table.
bool is_unicode_space(char16_t c)
{
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
           c == 0x3000;
}

// The value of a decimal digit of any script, or -1.
int digit_value(char16_t c)
{
    for (const char16_t zero : decimal_digit_zeros) {
        if (c >= zero && c - zero < 10)
            return c - zero;
    }
    return -1;
}

// The ASCII text the C library must read as the same number: digits of other
// scripts become ASCII digits, other white space a blank, and any other
// non-ASCII unit a '#', which no number contains.
std::string ascii_equivalent(std::u16string_view text)
{
    static const std::array<char, 0x10000> units = [] {
        std::array<char, 0x10000> table{};
        for (std::size_t c = 0; c < table.size(); ++c) {
            const int d = digit_value(static_cast<char16_t>(c));
            if (c < 0x80)
                table[c] = static_cast<char>(c);
            else if (d >= 0)
                table[c] = static_cast<char>('0' + d);
            else
                table[c] = is_unicode_space(static_cast<char16_t>(c)) ? ' ' : '#';
        }
        return table;
    }();
    std::string out(text.size(), '\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        out[i] = units[text[i]];
    return out;
}

// The input one unit per byte, with each byte of 0x80 or more standing for
// (byte - 0x7F) * 8 more copies of the unit before it.
std::string expanded(const std::uint8_t* data, std::size_t size)
{
    std::string out;
    for (std::size_t i = 0; i < size && out.size() < MAX_EXPANDED; ++i) {
        if (data[i] < 0x80)
            out += static_cast<char>(data[i]);
        else if (!out.empty())
            out.append(std::min<std::size_t>((data[i] - 0x7F) * 8, MAX_EXPANDED - out.size()), out.back());
    }
    return out;
}

// Calls check(text, ascii) with the two readings of an input: pairs of bytes
// as little-endian UTF-16 units (every script's digits and white space,
// through the ASCII equivalent), and each byte as one unit (plain ASCII as
// it is, or with repeat bytes, long runs of digits).
template <class Check>
void for_each_text(const std::uint8_t* data, std::size_t size, Check check)
{
    std::u16string units;
    for (std::size_t i = 0; i + 1 < size && units.size() < MAX_UNITS; i += 2)
        units += static_cast<char16_t>(data[i] | data[i + 1] << 8);
    check(units, ascii_equivalent(units));

    const bool ascii = std::all_of(data, data + size, [](std::uint8_t b) { return b < 0x80; });
    const std::string text = ascii ? std::string(reinterpret_cast<const char*>(data), size) : expanded(data, size);
    check(std::u16string(text.begin(), text.end()), text);
}

// Formats value as the dialog does, into its 100-unit buffer followed by a
// guard: nothing past the buffer is written, the text is terminated, the
// length is returned, and the text is what snprintf prints (cut to fit, with
// -1, when it does not). Returns the text.
template <typename Value>
std::u16string checked_format(const char16_t* format, const char* c_format, Value value)
{
    constexpr std::size_t GUARD = 16;
    constexpr char16_t GUARD_UNIT = 0xFDD0;
    std::array<char16_t, WIDE_BUFFER_LENGTH + GUARD> buffer;
    buffer.fill(GUARD_UNIT);
    const int length = format_wide(buffer.data(), WIDE_BUFFER_LENGTH, format, value);
    if (!std::all_of(buffer.begin() + WIDE_BUFFER_LENGTH, buffer.end(), [](char16_t c) { return c == GUARD_UNIT; }))
        fail("format_wide wrote past its buffer with %s", c_format);
    const auto end = std::find(buffer.begin(), buffer.begin() + WIDE_BUFFER_LENGTH, u'\0');
    if (end == buffer.begin() + WIDE_BUFFER_LENGTH)
        fail("format_wide left no terminator with %s", c_format);
    const std::u16string text(buffer.begin(), end);

    char c_text[2048];
    std::snprintf(c_text, sizeof c_text, c_format, value);
    const std::string full(c_text);
    const bool fits = full.size() < WIDE_BUFFER_LENGTH;
    const std::string expected = fits ? full : full.substr(0, WIDE_BUFFER_LENGTH - 1);
    if (text != std::u16string(expected.begin(), expected.end()) ||
        length != (fits ? static_cast<int>(full.size()) : -1)) {
        fail("%s: format_wide gave %s (%d), snprintf %s", c_format, quoted(text).c_str(), length,
             quoted(full).c_str());
    }
    return text;
}

}  // namespace
