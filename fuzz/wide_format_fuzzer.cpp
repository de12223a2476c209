// Fuzzes format_wide: bounded writes, truncation, agreement with the C
// library's snprintf, and the dialog's format-then-parse round trip.
#include "fuzz_check.h"
#include "text_numbers.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Room for any accepted format's text: width 4096, or 1 + 309 + 1 + 1100
// digits, and the literal text.
constexpr std::size_t FULL_CAPACITY = 8192;
// Units after the capacity that must stay untouched.
constexpr std::size_t GUARD = 64;
constexpr char16_t GUARD_UNIT = 0xFDD0;
constexpr std::size_t MAX_FORMAT = 200;

// The format argument kinds that snprintf is safe to call with.
enum class Kind { real, integer };

// Whether format holds exactly one conversion that format_wide documents
// for kind ("%<w>.<p>lf" or "%<w>d", width <= 4096, precision <= 1100),
// besides "%%"; zero_width is set if the width starts with '0', which C
// reads as the zero-padding flag.
bool documented_format(const std::string& format, Kind kind, bool& zero_width)
{
    int conversions = 0;
    zero_width = false;
    for (std::size_t pos = 0; pos < format.size(); ++pos) {
        if (format[pos] != '%')
            continue;
        if (format[++pos] == '%')
            continue;
        zero_width = zero_width || format[pos] == '0';
        long width = 0;
        for (; std::isdigit(static_cast<unsigned char>(format[pos])); ++pos)
            width = std::min(width * 10 + (format[pos] - '0'), 100000L);
        long precision = 0;
        const bool has_precision = format[pos] == '.';
        if (has_precision) {
            for (++pos; std::isdigit(static_cast<unsigned char>(format[pos])); ++pos)
                precision = std::min(precision * 10 + (format[pos] - '0'), 100000L);
        }
        const bool long_flag = format[pos] == 'l';
        if (long_flag)
            ++pos;
        const bool fits = width <= 4096 && precision <= 1100;
        const bool fixed = format[pos] == 'f';
        const bool integer = format[pos] == 'd' && !long_flag && !has_precision;
        if (!fits || (kind == Kind::real ? !fixed : !integer))
            return false;
        ++conversions;
    }
    return conversions == 1;
}

// Formats into a buffer of the given capacity followed by a guard; checks
// that nothing past the capacity was written and that the text ends within it.
template <typename Value>
std::u16string bounded_format(const std::u16string& format, std::size_t capacity, Value value, int& length)
{
    std::vector<char16_t> buffer(capacity + GUARD, GUARD_UNIT);
    length = format_wide(buffer.data(), capacity, format.c_str(), value);
    if (!std::all_of(buffer.begin() + static_cast<std::ptrdiff_t>(capacity), buffer.end(),
                     [](char16_t c) { return c == GUARD_UNIT; })) {
        fail("format_wide wrote past capacity %zu with format %s", capacity, quoted(format).c_str());
    }
    if (capacity == 0) {
        if (length != -1)
            fail("format_wide into no room returned %d", length);
        return {};
    }
    const auto end = std::find(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(capacity), u'\0');
    if (end == buffer.begin() + static_cast<std::ptrdiff_t>(capacity))
        fail("format_wide left no terminator within capacity %zu, format %s", capacity, quoted(format).c_str());
    const std::u16string text(buffer.begin(), end);
    if (length >= 0 && static_cast<std::size_t>(length) != text.size())
        fail("format_wide returned %d for a text of %zu units", length, text.size());
    return text;
}

// Checks one value through a fuzzed format: a small buffer holds a prefix
// of what a large one holds, and an accepted ASCII format prints what
// snprintf prints.
template <typename Value>
void check_format(const std::string& ascii_format, const std::u16string& format, std::size_t capacity,
                  Value value, Kind kind)
{
    int length = 0;
    const std::u16string text = bounded_format(format, capacity, value, length);
    int full_length = 0;
    const std::u16string full = bounded_format(format, FULL_CAPACITY, value, full_length);
    if (full_length < 0) {
        if (length >= 0 || !text.empty())
            fail("format %s refused only in the larger buffer", quoted(format).c_str());
    } else if (length >= 0 ? text != full
                           : capacity > 0 && (full.size() < capacity || text != full.substr(0, capacity - 1))) {
        fail("format %s into %zu units gave %s (%d), into %zu gave %s", quoted(format).c_str(), capacity,
             quoted(text).c_str(), length, FULL_CAPACITY, quoted(full).c_str());
    }

    if (ascii_format.size() != format.size())
        return;
    bool zero_width = false;
    const bool documented = documented_format(ascii_format, kind, zero_width);
    if (full_length >= 0 && !documented)
        fail("format_wide accepted the format %s", quoted(ascii_format).c_str());
    if (!documented)
        return;
    if (full_length < 0)
        fail("format_wide refused the format %s", quoted(ascii_format).c_str());
    // A leading 0 of the width pads with blanks here, with zeros in C.
    if (zero_width)
        return;
    std::vector<char> c_text(FULL_CAPACITY);
    std::snprintf(c_text.data(), c_text.size(), ascii_format.c_str(), value);
    const std::string expected(c_text.data());
    if (std::u16string(expected.begin(), expected.end()) != full) {
        fail("format %s: format_wide gave %s, snprintf %s", quoted(ascii_format).c_str(), quoted(full).c_str(),
             quoted(expected).c_str());
    }
}

// The dialog's display of a coordinate in [-2, 2] reads back as itself to
// within the 14 decimals shown.
void check_dialog_round_trip(double value)
{
    if (!std::isfinite(value))
        return;
    const double x = std::fabs(value) <= 2.0 ? value : std::fmod(value, 2.0);
    int length = 0;
    const std::u16string text = bounded_format(u"%1.14lf", WIDE_BUFFER_LENGTH, x, length);
    if (length < 0)
        fail("\"%%1.14lf\" of %a did not fit", x);
    const double back = parse_wide_double(text);
    const double tolerance = 0.5e-14 + std::ldexp(1.0, -51);  // half the last decimal, one ulp of 2
    if (!(std::fabs(back - x) <= tolerance))
        fail("%a printed as %s reads back as %a", x, quoted(text).c_str(), back);
}

}  // namespace

// Input: 8 bytes of a double (its first 4 also an int32), a capacity byte,
// then the format, one unit per byte.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 9)
        return 0;
    double real = 0.0;
    std::memcpy(&real, data, sizeof real);
    std::int32_t integer = 0;
    std::memcpy(&integer, data, sizeof integer);
    const std::size_t capacity = data[8];

    // The formats stop at their first NUL, as format_wide reads them.
    const std::uint8_t* begin = data + 9;
    const std::uint8_t* end = std::find(begin, data + std::min(size, 9 + MAX_FORMAT), 0);
    const std::u16string format(begin, end);
    std::string ascii_format;
    if (std::all_of(begin, end, [](std::uint8_t b) { return b < 0x80; }))
        ascii_format.assign(begin, end);

    check_format(ascii_format, format, capacity, real, Kind::real);
    check_format(ascii_format, format, capacity, integer, Kind::integer);
    check_dialog_round_trip(real);
    return 0;
}
