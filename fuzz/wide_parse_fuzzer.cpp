// Fuzzes parse_wide_double and parse_wide_int32 against the C library's
// strtod and strtoll in the "C" locale.
#include "fuzz_check.h"
#include "text_numbers.h"
#include "unicode_tables.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
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

// The ASCII unit that strtod must read as each UTF-16 unit: digits of other
// scripts become ASCII digits, other white space a blank, and any other
// non-ASCII unit a '#', which no number contains.
const std::array<char, 0x10000>& ascii_units()
{
    static const std::array<char, 0x10000> table = [] {
        std::array<char, 0x10000> units{};
        for (std::size_t c = 0; c < units.size(); ++c) {
            const int d = digit_value(static_cast<char16_t>(c));
            if (c < 0x80) {
                units[c] = static_cast<char>(c);
            } else if (d >= 0) {
                units[c] = static_cast<char>('0' + d);
            } else {
                units[c] = is_unicode_space(static_cast<char16_t>(c)) ? ' ' : '#';
            }
        }
        return units;
    }();
    return table;
}

// The ASCII text that strtod must read as the same number.
std::string ascii_equivalent(std::u16string_view text)
{
    const auto& units = ascii_units();
    std::string out(text.size(), '\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        out[i] = units[text[i]];
    return out;
}

// Equal bits, or both NaN with the same sign.
bool same_double(double a, double b)
{
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) && std::isnan(b) && std::signbit(a) == std::signbit(b);
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// strtol's reading of the text, saturated to the int32 range.
std::int32_t c_int32(const std::string& ascii)
{
    // strtoll already saturates at the long long range (ERANGE).
    const long long value = std::strtoll(ascii.c_str(), nullptr, 10);
    return static_cast<std::int32_t>(std::clamp<long long>(value, std::numeric_limits<std::int32_t>::min(),
                                                           std::numeric_limits<std::int32_t>::max()));
}

// Checks both parsers on a text against the C library reading its ASCII
// equivalent; the C functions stop at the first NUL, as the parsers must.
void check_against_c(std::u16string_view text, const std::string& ascii)
{
    const double got = parse_wide_double(text);
    const double want = std::strtod(ascii.c_str(), nullptr);
    if (!same_double(got, want)) {
        fail("parse_wide_double(%s) = %a, strtod(%s) = %a", quoted(text).c_str(), got, quoted(ascii).c_str(),
             want);
    }

    const std::int32_t got_int = parse_wide_int32(text);
    const std::int32_t want_int = c_int32(ascii);
    if (got_int != want_int) {
        fail("parse_wide_int32(%s) = %d, saturated strtoll(%s) = %d", quoted(text).c_str(), got_int,
             quoted(ascii).c_str(), want_int);
    }

    char16_t printed[WIDE_BUFFER_LENGTH];
    if (format_wide(printed, WIDE_BUFFER_LENGTH, u"%d", got_int) < 0 || parse_wide_int32(printed) != got_int)
        fail("%d does not survive format_wide \"%%d\" and parse_wide_int32", got_int);
}

// The input one unit per byte, with each byte of 0x80 or more standing for
// (byte - 0x7F) * 8 more copies of the unit before it.
std::string expanded(const std::uint8_t* data, std::size_t size)
{
    std::string out;
    for (std::size_t i = 0; i < size && out.size() < MAX_EXPANDED; ++i) {
        if (data[i] < 0x80) {
            out += static_cast<char>(data[i]);
        } else if (!out.empty()) {
            out.append(std::min<std::size_t>((data[i] - 0x7F) * 8, MAX_EXPANDED - out.size()), out.back());
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Pairs of bytes as little-endian UTF-16 units: every script's digits
    // and white space, checked through the ASCII equivalent.
    std::u16string units;
    for (std::size_t i = 0; i + 1 < size && units.size() < MAX_UNITS; i += 2)
        units += static_cast<char16_t>(data[i] | data[i + 1] << 8);
    check_against_c(units, ascii_equivalent(units));

    // Each byte as one unit: plain ASCII against strtod directly, or, with
    // repeat bytes, long runs of digits.
    const bool ascii = std::all_of(data, data + size, [](std::uint8_t b) { return b < 0x80; });
    const std::string text = ascii ? std::string(reinterpret_cast<const char*>(data), size) : expanded(data, size);
    check_against_c(std::u16string(text.begin(), text.end()), text);
    return 0;
}
