#include "text_numbers.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <tuple>
#include <variant>
#include <vector>

namespace {

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr std::int32_t int_min = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t int_max = std::numeric_limits<std::int32_t>::max();

// The bits of a double, every NaN of one sign alike.
std::uint64_t bits(double x) { return std::bit_cast<std::uint64_t>(std::isnan(x) ? std::copysign(nan, x) : x); }

// What the C library checks cannot reach: other scripts' digits, Unicode
// spaces, the dialog's integer clamping; and the edges of each reading.
TEST(TextNumbers, ParseReadsTheLongestNumberPrefix)
{
    // Halfway between 2^53 and 2^53 + 2 for more digits than the parser
    // keeps, then a 1 that must still break the tie.
    const std::u16string tie = u"9007199254740993." + std::u16string(1200, u'0');
    // 2^-1075, halfway between 0 and the least subnormal, exact as a long
    // double: all its 751 significant digits must be read to see the tie.
    char d[1200];
    const std::u16string least_half(d, std::to_chars(d, d + 1200, 0x1p-1075L, std::chars_format::fixed, 1075).ptr);
    const std::vector<std::tuple<std::u16string, double, std::int32_t>> rows = {
        // No number at all, or a sign or point with no digit.
        {u"", 0.0, 0}, {u"abc", 0.0, 0}, {u".", 0.0, 0}, {u"- 5", 0.0, 0}, {u"+.e5", 0.0, 0}, {u"500abc", 500.0, 500},
        {u"1.9", 1.9, 1}, {u"1E-x", 1.0, 1}, {u"1e+", 1.0, 1}, {u"-0", -0.0, 0}, {u"+0060001", 60001.0, 60001},
        // White space is the Unicode property, not "looks blank".
        {u"\u300012", 12.0, 12}, {u"\u00a0\u2003\t\n\u2029\u202f-7", -7.0, -7}, {u"\u200b7", 0.0, 0}, {u"\u180e7", 0.0, 0},
        // Digits of any script mix; digits that are not decimal (category No) end the number.
        {u"５００", 500.0, 500}, {u"\u0663.\u096b１", 3.51, 3}, {u"٣٣e١", 330.0, 33}, {u"\u0663\u096b５", 355.0, 355},
        {u"2²", 2.0, 2}, {u"①", 0.0, 0}, {u"1.5①", 1.5, 1},
        {u"INFINITY", inf, 0}, {u"infinit", inf, 0}, {u"-Inf", -inf, 0}, {u"in", 0.0, 0}, {u"NaN(123)", nan, 0},
        {u"nan(", nan, 0}, {u"-nan", -nan, 0}, {u"na", 0.0, 0},
        // Hexadecimal for reals only; a prefix zero of any script opens it.
        {u"0x1.8p3", 12.0, 0}, {u"-0X.8P-1", -0.25, 0}, {u"0x", 0.0, 0}, {u"-0x", -0.0, 0}, {u"0xg", 0.0, 0},
        {u"0x1p", 1.0, 0}, {u"0x1p-1075", 0.0, 0}, {u"0x1.0000000000000000000000000000000000001p-1075", 0x1p-1074, 0},
        {u"\u0660x1", 1.0, 0}, {u"\uFF10x10", 16.0, 0},
        // Underflow to subnormals and zero; overflow; ties to even past the kept digits.
        {u"4.9e-324", 0x1p-1074, 4}, {u"2.4703282292062327e-324", 0.0, 2}, {u"-1e-400", -0.0, -1},
        {u"1e-310", 1e-310, 1}, {u"1e99999999999999999999", inf, 1}, {u"1.7976931348623159e308", inf, 1},
        {tie, 9007199254740992.0, int_max}, {tie + u"1", 9007199254740994.0, int_max},
        {least_half, 0.0, 0}, {least_half + u"1", 0x1p-1074, 0},
        // Integers saturate, never wrap, however many digits follow.
        {u"2147483647", 2147483647.0, int_max}, {u"2147483648", 0x1p31, int_max}, {u"4294967297", 4294967297.0, int_max},
        {u"-2147483648", -0x1p31, int_min}, {u"-2147483649", -2147483649.0, int_min},
        {u"-12345678901234567890123", -1.2345678901234568e22, int_min},
    };
    for (const auto& [text, real, integer] : rows) {
        const std::string label(text.begin(), text.begin() + std::min<std::size_t>(text.size(), 40));
        EXPECT_EQ(bits(parse_wide_double(text)), bits(real)) << label << " read as " << parse_wide_double(text);
        EXPECT_EQ(parse_wide_int32(text), integer) << label;
    }
}

TEST(TextNumbers, FormatWideWritesBoundedFixedAndIntegerText)
{
    // format, value, capacity, text, result
    const std::vector<std::tuple<const char16_t*, std::variant<double, std::int32_t>, std::size_t, std::u16string, int>>
        rows = {
        // Rounded from the exact binary value, ties to even.
        {u"%1.14lf", 2.0, 100, u"2.00000000000000", 16}, {u"%1.14lf", -0.5, 100, u"-0.50000000000000", 17},
        {u"%1.14lf", 0x1p-15, 100, u"0.00003051757812", 16}, {u"%1.14lf", 0x3p-15, 100, u"0.00009155273438", 16},
        {u"%1.14lf", -0.0, 100, u"-0.00000000000000", 17}, {u"%1.14lf", 123456.789, 100, u"123456.78900000000431", 21},
        {u"%1.14lf", 1e90, 100, u"999999999999999966484112715463900049825186092620125502979674597309179755437379230686511104.00000000", -1},
        {u"%1.14lf", -inf, 100, u"-inf", 4}, {u"%1.14lf", -nan, 100, u"-nan", 4},
        {u"%1.14lf", 2.0, 17, u"2.00000000000000", 16}, {u"%1.14lf", 2.0, 16, u"2.0000000000000", -1},
        {u"%d", int_min, 100, u"-2147483648", 11}, {u"%d", int_max, 100, u"2147483647", 10},
        {u"%5d", -42, 100, u"  -42", 5}, {u"%dミリ秒", 153, 100, u"153ミリ秒", 6}, {u"%dミリ秒", 153, 6, u"153ミリ", -1},
        {u"%d", 12345, 6, u"12345", 5}, {u"%d", 12345, 5, u"1234", -1}, {u"%d", 12345, 1, u"", -1},
        // Unsupported formats, and conversions that do not match the value's type.
        {u"%d", 2.0, 100, u"", -1}, {u"%1.14lf", 2, 100, u"", -1}, {u"%e", 2.0, 100, u"", -1}, {u"%x", 2, 100, u"", -1},
        {u"%d %d", 2, 100, u"", -1}, {u"100%", 2, 100, u"", -1}, {u"%.0f", 2.5, 100, u"2", 1},
    };
    for (const auto& [format, value, capacity, text, result] : rows) {
        std::vector<char16_t> buffer(capacity + 1, u'#');
        const int got =
            std::visit([&buffer, c = capacity, f = format](auto v) { return format_wide(buffer.data(), c, f, v); }, value);
        const std::string label(format, format + std::char_traits<char16_t>::length(format));
        EXPECT_EQ(buffer[capacity], u'#') << label << ": wrote past the capacity";
        EXPECT_EQ(std::u16string(buffer.data()), text) << label;
        EXPECT_EQ(got, result) << label;
    }
}

}  // namespace
