#include "text_numbers.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <variant>
#include <vector>

namespace {

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// The exact decimal of x/2, halving the exact fixed text of x digit by digit.
std::u16string exact_half(double x)
{
    char text[1400];
    // 1075 places hold every double exactly and leave room for the half.
    const char* end = std::to_chars(text, text + sizeof text, x, std::chars_format::fixed, 1075).ptr;
    std::u16string half;
    int carry = 0;
    for (const char* p = text; p != end; ++p) {
        if (*p == '.') {
            half += u'.';
            continue;
        }
        const int v = carry * 10 + (*p - '0');
        half += static_cast<char16_t>(u'0' + v / 2);
        carry = v % 2;
    }
    return half;
}

// The text of format_wide into a buffer of the given capacity, and its result.
template <typename Value>
std::pair<std::u16string, int> formatted(const char16_t* format, Value value, std::size_t capacity)
{
    std::vector<char16_t> buffer(capacity + 1, u'#');
    const int result = format_wide(buffer.data(), capacity, format, value);
    EXPECT_EQ(buffer[capacity], u'#') << "wrote past the capacity";
    return {std::u16string(buffer.data()), result};
}

TEST(TextNumbers, ParseWideDoubleReadsTheLongestNumberPrefix)
{
    const std::u16string pi98 =
        u"3.141592653589793238462643383279502884197169399375105820974944592307816406286208998628034825342117";
    // Halfway between two subnormals: 767 significant digits decide the rounding.
    const double even_subnormal = 0x0.ffffffffffffep-1022;
    const double odd_subnormal = 0x0.fffffffffffffp-1022;
    const std::u16string subnormal_tie = exact_half(even_subnormal + odd_subnormal);
    // Exactly halfway between 2^53 and 2^53+2 until a 1 three hundred digits in.
    const std::u16string tie = u"9007199254740993." + std::u16string(283, u'0');
    struct Row {
        std::u16string text;
        double expected;
    };
    const std::vector<Row> rows = {
        // No number at all, or a sign or point with no digit.
        {u"", 0.0}, {u"abc", 0.0}, {u".", 0.0}, {u"-", 0.0}, {u"+", 0.0}, {u"- 5", 0.0}, {u"+.e5", 0.0},
        {u"-abc", 0.0}, {u"1e-3", 0.001}, {u" 500", 500.0}, {u"500abc", 500.0}, {u"５００", 500.0},
        // White space is the Unicode property, not "looks blank".
        {u"\u300012", 12.0}, {u"\u00a0\u2003\t\n\u2029\u202f7", 7.0}, {u"\u200b7", 0.0}, {u"\u180e7", 0.0},
        {u"inf", inf}, {u"INFINITY", inf}, {u"infinit", inf}, {u"-Inf", -inf}, {u"in", 0.0},
        {u"nan", nan}, {u"NaN(123)", nan}, {u"nan(", nan}, {u"-nan", -nan}, {u"na", 0.0},
        {u"-0", -0.0}, {u"-0.0e99999", -0.0}, {u"+1.5", 1.5}, {u".5", 0.5}, {u"5.", 5.0},
        {u"1e", 1.0}, {u"1e+", 1.0}, {u"1E-x", 1.0}, {u"1e+2", 100.0},
        {u"0x1.8p3", 12.0}, {u"-0X.8P-1", -0.25}, {u"0x", 0.0}, {u"-0x", -0.0}, {u"0x.", 0.0}, {u"0xg", 0.0},
        {u"0x1p", 1.0}, {u"0xff", 255.0}, {u"0x1p-1074", 0x1p-1074}, {u"0x1p-1075", 0.0}, {u"0x1p2000", inf},
        {u"0x1p-2000", 0.0}, {u"-0x1p-2000", -0.0}, {u"0x1.fffffffffffff8p1023", inf},
        {u"0x1.00000000000008p0", 1.0}, {u"0x1.00000000000018p0", 1.0 + 0x2p-52},
        {u"0x1.0000000000000000000000000000000000001p-1075", 0x1p-1074},
        {u"\u0660x1", 1.0}, {u"\uFF10x10", 16.0},  // the prefix's zero from another script
        // Out of range, and the edges of the subnormal and finite ranges.
        {u"1e400", inf}, {u"-1e400", -inf}, {u"1e-400", 0.0}, {u"-1e-400", -0.0},
        {u"1e99999999999999999999", inf},
        {u"4.9e-324", 0x1p-1074}, {u"2.4703282292062328e-324", 0x1p-1074}, {u"2.4703282292062327e-324", 0.0},
        {u"1.7976931348623158e308", 1.7976931348623157e308}, {u"1.7976931348623159e308", inf},
        {u"0.000000000000000000000000000001e330", 1e300},
        // Ties go to even; any later nonzero digit breaks the tie.
        {u"9007199254740993", 9007199254740992.0}, {u"9007199254740995", 9007199254740996.0},
        {tie, 9007199254740992.0}, {tie + u"1", 9007199254740994.0}, {pi98, 3.141592653589793},
        {tie + std::u16string(900, u'0'), 9007199254740992.0},
        {tie + std::u16string(900, u'0') + u"1", 9007199254740994.0},
        {subnormal_tie, even_subnormal}, {subnormal_tie + u"1", odd_subnormal},
        {u"1.00000000000000011102230246251565404236316680908203125", 1.0},
        {u"1.000000000000000111022302462515654042363166809082031250001", 1.0 + 0x1p-52},
        // Digits of any script mix; digits that are not decimal (category No) end the number.
        {u"\u0663.\u096b１", 3.51}, {u"٣٣e١", 330.0}, {u"2²", 2.0}, {u"①", 0.0}, {u"1.5①", 1.5},
        {u"2.00000000000000", 2.0}, {u"0.00000000000001", 1e-14}, {u"-1.99999999999999", -1.99999999999999},
    };
    for (const auto& row : rows) {
        const double got = parse_wide_double(row.text);
        const std::string label(row.text.begin(), row.text.end());
        if (std::isnan(row.expected)) {
            EXPECT_TRUE(std::isnan(got)) << label;
            EXPECT_EQ(std::signbit(got), std::signbit(row.expected)) << label;
        } else {
            EXPECT_EQ(std::bit_cast<std::uint64_t>(got), std::bit_cast<std::uint64_t>(row.expected))
                << label << " read as " << got;
        }
    }
}

TEST(TextNumbers, ParseWideInt32ReadsAndSaturates)
{
    struct Row {
        std::u16string text;
        std::int32_t expected;
    };
    const std::vector<Row> rows = {
        {u"", 0}, {u"abc", 0}, {u"+", 0}, {u"-", 0}, {u"- 5", 0}, {u"0", 0}, {u"-0", 0}, {u"0x10", 0},
        {u"500abc", 500}, {u" 500", 500}, {u"\u3000\u00a0-42", -42}, {u"1.9", 1}, {u"1e3", 1},
        {u"60000", 60000}, {u"60001", 60001}, {u"+0060001", 60001},
        {u"0000000000000000000000000000000000000012", 12},
        {u"５００", 500}, {u"\u0663\u096b５", 355}, {u"7①", 7},
        // Saturates, never wraps, however many digits follow.
        {u"2147483647", 2147483647}, {u"2147483648", 2147483647}, {u"4294967297", 2147483647},
        {u"-2147483648", -2147483647 - 1}, {u"-2147483649", -2147483647 - 1},
        {u"-4294967296", -2147483647 - 1},
        {u"1234567890123456789012345678901234567890", 2147483647},
        {u"-1234567890123456789012345678901234567890", -2147483647 - 1},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(parse_wide_int32(row.text), row.expected) << std::string(row.text.begin(), row.text.end());
    }
}

TEST(TextNumbers, FormatWideWritesBoundedFixedAndIntegerText)
{
    const std::u16string ninety_digits =
        u"999999999999999966484112715463900049825186092620125502979674597309179755437379230686511104";
    struct Row {
        const char16_t* format;
        std::variant<double, std::int32_t> value;
        std::size_t capacity;
        std::u16string expected;
        int result;
    };
    const std::vector<Row> rows = {
        // Rounded from the exact binary value, ties to even.
        {u"%1.14lf", 2.0, 100, u"2.00000000000000", 16}, {u"%1.14lf", -0.5, 100, u"-0.50000000000000", 17},
        {u"%1.14lf", 0x1p-15, 100, u"0.00003051757812", 16},
        {u"%1.14lf", 0x3p-15, 100, u"0.00009155273438", 16},
        {u"%1.14lf", 0x1p-46, 100, u"0.00000000000001", 16},
        {u"%1.14lf", 0x1p-45, 100, u"0.00000000000003", 16},
        {u"%1.14lf", 1.5e-14, 100, u"0.00000000000001", 16},
        {u"%1.14lf", -0.0, 100, u"-0.00000000000000", 17},
        {u"%1.14lf", 0.1, 100, u"0.10000000000000", 16}, {u"%1.14lf", -2.0, 100, u"-2.00000000000000", 17},
        {u"%1.14lf", 123456.789, 100, u"123456.78900000000431", 21},
        {u"%1.14lf", 1e20, 100, u"100000000000000000000.00000000000000", 36},
        {u"%1.14lf", 1e90, 100, ninety_digits + u".00000000", -1},
        {u"%1.14lf", inf, 100, u"inf", 3}, {u"%1.14lf", -inf, 100, u"-inf", 4},
        {u"%1.14lf", nan, 100, u"nan", 3}, {u"%1.14lf", -nan, 100, u"-nan", 4},
        {u"%.0f", 2.5, 100, u"2", 1}, {u"%.0f", 3.5, 100, u"4", 1}, {u"%f", 1.0, 100, u"1.000000", 8},
        {u"%8.3f", 3.14159, 100, u"   3.142", 8}, {u"%5f", inf, 100, u"  inf", 5},
        {u"x=%1.2lf%%", 0.125, 100, u"x=0.12%", 7},
        {u"%1.14lf", 2.0, 17, u"2.00000000000000", 16}, {u"%1.14lf", 2.0, 16, u"2.0000000000000", -1},
        {u"%d", 153, 100, u"153", 3}, {u"%d", 1, 100, u"1", 1}, {u"%5d", -42, 100, u"  -42", 5},
        {u"%d", std::numeric_limits<std::int32_t>::min(), 100, u"-2147483648", 11},
        {u"%d", std::numeric_limits<std::int32_t>::max(), 100, u"2147483647", 10},
        {u"%dミリ秒", 153, 100, u"153ミリ秒", 6}, {u"%dミリ秒", 153, 6, u"153ミリ", -1},
        {u"%d", 12345, 6, u"12345", 5}, {u"%d", 12345, 5, u"1234", -1}, {u"%d", 12345, 1, u"", -1},
        // Unsupported formats, and conversions that do not match the value's type.
        {u"%d", 2.0, 100, u"", -1}, {u"%1.14lf", 2, 100, u"", -1}, {u"%e", 2.0, 100, u"", -1},
        {u"%ld", 2, 100, u"", -1}, {u"%.2d", 2, 100, u"", -1}, {u"%-5d", 2, 100, u"", -1},
        {u"%x", 2, 100, u"", -1},
        {u"%d %d", 2, 100, u"", -1}, {u"abc", 2, 100, u"", -1}, {u"100%", 2, 100, u"", -1},
        {u"%99999d", 2, 100, u"", -1},
    };
    for (const auto& row : rows) {
        const auto [text, result] =
            std::visit([&](auto value) { return formatted(row.format, value, row.capacity); }, row.value);
        const std::u16string format(row.format);
        const std::string label(format.begin(), format.end());
        EXPECT_EQ(text, row.expected) << label;
        EXPECT_EQ(result, row.result) << label;
    }
}

TEST(TextNumbers, FormatThenParseStaysWithinHalfTheLastPlace)
{
    std::vector<double> values = {0.0,     2.0,     -2.0,      -1.99999999999999,        0.000000000000005,
                                  0x1p-15, 0x1p-46, 1.0 / 3.0, std::nextafter(2.0, 0.0), 0x1p-53};
    // A fixed bit generator, so every platform checks the same values.
    std::uint64_t state = 0x9e3779b97f4a7c15u;
    for (int i = 0; i < 2000; ++i) {
        state = state * 6364136223846793005u + 1442695040888963407u;
        values.push_back(std::ldexp(static_cast<double>(state >> 11), -53) * 4.0 - 2.0);
    }
    // The printed decimal is within 0.5e-14; reading it back adds half an ulp at most.
    const double tolerance = 0.5e-14 + 0x1p-52;
    for (const double x : values) {
        char16_t buffer[WIDE_BUFFER_LENGTH];
        ASSERT_GT(format_wide(buffer, WIDE_BUFFER_LENGTH, u"%1.14lf", x), 0) << x;
        EXPECT_LE(std::fabs(parse_wide_double(buffer) - x), tolerance) << x;
    }
}

} // namespace
