#include "text_numbers.h"

#include "unicode_tables.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string_view>

namespace {

// The characters with the Unicode White_Space property, ascending.
constexpr char16_t white_space[] = {
    0x0009, 0x000A, 0x000B, 0x000C, 0x000D, 0x0020, 0x0085, 0x00A0, 0x1680, 0x2000, 0x2001, 0x2002, 0x2003,
    0x2004, 0x2005, 0x2006, 0x2007, 0x2008, 0x2009, 0x200A, 0x2028, 0x2029, 0x202F, 0x205F, 0x3000,
};

// Decimal digits kept before the rest only counts as "more": 768 significant
// digits decide the rounding of any double.
constexpr std::size_t DECIMAL_DIGITS_KEPT = 800;
// Hexadecimal digits kept likewise: 54 significant bits decide any rounding.
constexpr std::size_t HEX_DIGITS_KEPT = 32;
// Exponents saturate here, far beyond where every value is 0 or infinite.
constexpr std::int64_t EXPONENT_CAP = 1'000'000'000;

// Widest accepted field and longest accepted precision: 1074 fraction digits
// already print any double exactly.
constexpr int MAX_WIDTH = 4096;
constexpr int MAX_PRECISION = 1100;
// Fixed text of a double: sign, 309 integer digits, point, fraction.
constexpr std::size_t FIXED_TEXT_CAPACITY = 1 + 309 + 1 + MAX_PRECISION;

constexpr char digit_chars[] = "0123456789abcdef";

// Whether c has the Unicode White_Space property.
bool is_white_space(char16_t c) { return std::binary_search(std::begin(white_space), std::end(white_space), c); }

// The value of a decimal digit of any script, or -1.
int decimal_digit_value(char16_t c)
{
    const auto* after = std::upper_bound(std::begin(decimal_digit_zeros), std::end(decimal_digit_zeros), c);
    if (after == std::begin(decimal_digit_zeros))
        return -1;
    const int offset = c - after[-1];
    return offset < 10 ? offset : -1;
}

// The value of a hexadecimal digit (ASCII letters, any script's decimal digits), or -1.
int hex_digit_value(char16_t c)
{
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return decimal_digit_value(c);
}

// c with ASCII capitals made small.
char16_t ascii_lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c; }

// A reading position in a text; reads past the end give 0.
struct Cursor {
    std::u16string_view text;
    std::size_t pos = 0;

    char16_t peek(std::size_t ahead = 0) const { return pos + ahead < text.size() ? text[pos + ahead] : u'\0'; }
};

// Moves past leading white space.
void skip_white_space(Cursor& in)
{
    while (in.pos < in.text.size() && is_white_space(in.text[in.pos]))
        ++in.pos;
}

// Moves past an optional ASCII sign; true if it was '-'.
bool read_sign(Cursor& in)
{
    const char16_t c = in.peek();
    if (c == u'+' || c == u'-')
        ++in.pos;
    return c == u'-';
}

// Whether the text at the cursor starts with the lower-case ASCII word, in any case.
bool starts_with_word(const Cursor& in, std::string_view word)
{
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (ascii_lower(in.peek(i)) != static_cast<char16_t>(word[i]))
            return false;
    }
    return true;
}

// The significant digits of a mantissa, read one at a time: the value is
// 0.digits (plus a nonzero tail if sticky) times base^point_shift.
template <std::size_t Kept>
struct Significand {
    std::array<char, Kept> digits{};
    std::size_t count = 0;
    bool sticky = false;
    std::int64_t point_shift = 0;

    void add(int digit, bool before_point)
    {
        if (count == 0 && digit == 0) {
            if (!before_point)
                --point_shift;
            return;
        }
        if (before_point)
            ++point_shift;
        if (count < Kept) {
            digits[count++] = digit_chars[digit];
        } else {
            sticky = sticky || digit != 0;
        }
    }
};

// Reads the mantissa digits and optional point with the given digit reader;
// false (cursor unmoved) if there is not at least one digit.
template <std::size_t Kept, typename DigitValue>
bool read_mantissa(Cursor& in, Significand<Kept>& significand, DigitValue digit_value)
{
    const std::size_t start = in.pos;
    bool any = false;
    for (int d; (d = digit_value(in.peek())) >= 0; ++in.pos) {
        significand.add(d, true);
        any = true;
    }
    if (in.peek() == u'.') {
        ++in.pos;
        for (int d; (d = digit_value(in.peek())) >= 0; ++in.pos) {
            significand.add(d, false);
            any = true;
        }
    }
    if (!any)
        in.pos = start;
    return any;
}

// Reads an exponent introduced by the letter (either case), saturated; 0 and
// nothing consumed if no digit follows the letter and optional sign.
std::int64_t read_exponent(Cursor& in, char16_t letter)
{
    if (ascii_lower(in.peek()) != letter)
        return 0;
    std::size_t ahead = 1;
    const bool negative = in.peek(ahead) == u'-';
    if (in.peek(ahead) == u'+' || negative)
        ++ahead;
    if (decimal_digit_value(in.peek(ahead)) < 0)
        return 0;
    in.pos += ahead;
    std::int64_t value = 0;
    for (int d; (d = decimal_digit_value(in.peek())) >= 0; ++in.pos) {
        value = std::min(value * 10 + d, EXPONENT_CAP);
    }
    return negative ? -value : value;
}

// The correctly rounded value of "0.<digits>" times base^exponent, written
// in ASCII for from_chars; out of range gives infinity or zero.
template <std::size_t Kept>
double convert(const Significand<Kept>& significand, std::int64_t exponent, char exponent_letter,
               std::chars_format format)
{
    std::array<char, Kept + 32> ascii{};
    char* out = ascii.data();
    *out++ = '0';
    *out++ = '.';
    out = std::copy_n(significand.digits.data(), significand.count, out);
    // Any digit past the kept ones moves the value strictly between the same
    // two neighbours, which a trailing 1 does as well.
    if (significand.sticky)
        *out++ = '1';
    *out++ = exponent_letter;
    out = std::to_chars(out, ascii.data() + ascii.size(), exponent).ptr;
    double value = 0.0;
    const auto result = std::from_chars(ascii.data(), out, value, format);
    // from_chars leaves the value untouched when the result overflows or
    // rounds to zero; the exponent's sign tells which.
    if (result.ec == std::errc::result_out_of_range)
        return exponent > 0 ? HUGE_VAL : 0.0;
    return result.ec == std::errc{} ? value : 0.0;
}

// Reads a decimal number without sign; nullopt if there is none.
std::optional<double> read_decimal(Cursor& in)
{
    Significand<DECIMAL_DIGITS_KEPT> significand;
    if (!read_mantissa(in, significand, decimal_digit_value))
        return std::nullopt;
    const std::int64_t exponent = significand.point_shift + read_exponent(in, u'e');
    if (significand.count == 0)
        return 0.0;
    // 0.d... times 10^exponent is at least 10^(exponent-1) and below 10^exponent.
    if (exponent > 309)
        return HUGE_VAL;
    if (exponent < -323)
        return 0.0;
    return convert(significand, exponent, 'e', std::chars_format::general);
}

// Reads a hexadecimal number after its "0x"; nullopt if there is none.
std::optional<double> read_hex(Cursor& in)
{
    Significand<HEX_DIGITS_KEPT> significand;
    if (!read_mantissa(in, significand, hex_digit_value))
        return std::nullopt;
    const std::int64_t exponent = 4 * significand.point_shift + read_exponent(in, u'p');
    if (significand.count == 0)
        return 0.0;
    // 0.h... times 2^exponent is at least 2^(exponent-4) and below 2^exponent.
    if (exponent > 1028)
        return HUGE_VAL;
    if (exponent < -1075)
        return 0.0;
    return convert(significand, exponent, 'p', std::chars_format::hex);
}

// Reads an unsigned number of any form; nullopt if there is none.
std::optional<double> read_magnitude(Cursor& in)
{
    if (starts_with_word(in, "inf"))
        return std::numeric_limits<double>::infinity();
    if (starts_with_word(in, "nan"))
        return std::numeric_limits<double>::quiet_NaN();
    // The zero of the prefix may be any script's, as every other digit may.
    if (decimal_digit_value(in.peek()) == 0 && ascii_lower(in.peek(1)) == u'x') {
        Cursor after_prefix{in.text, in.pos + 2};
        // "0x" not followed by a hexadecimal mantissa reads as the "0" alone.
        if (auto value = read_hex(after_prefix)) {
            in = after_prefix;
            return value;
        }
    }
    return read_decimal(in);
}

// The kind of value a format converts.
enum class ConversionKind { fixed, integer };

// The one conversion of a format: where it is and how it prints.
struct Conversion {
    ConversionKind kind;
    std::size_t begin;
    std::size_t end;
    int width;
    int precision;
};

// Reads ASCII digits at pos as a count up to limit; -1 if larger.
int read_count(std::u16string_view format, std::size_t& pos, int limit)
{
    int value = 0;
    for (; pos < format.size() && format[pos] >= u'0' && format[pos] <= u'9'; ++pos) {
        value = value * 10 + (format[pos] - u'0');
        if (value > limit)
            return -1;
    }
    return value;
}

// Parses one conversion after the '%' at begin; nullopt if unsupported.
std::optional<Conversion> parse_conversion(std::u16string_view format, std::size_t begin)
{
    std::size_t pos = begin + 1;
    const int width = read_count(format, pos, MAX_WIDTH);
    int precision = -1;
    if (pos < format.size() && format[pos] == u'.') {
        ++pos;
        precision = read_count(format, pos, MAX_PRECISION);
        if (precision < 0)
            return std::nullopt;
    }
    const bool long_flag = pos < format.size() && format[pos] == u'l';
    if (long_flag)
        ++pos;
    if (width < 0 || pos >= format.size())
        return std::nullopt;
    if (format[pos] == u'f') {
        return Conversion{ConversionKind::fixed, begin, pos + 1, width, precision < 0 ? 6 : precision};
    }
    if (format[pos] == u'd' && !long_flag && precision < 0) {
        return Conversion{ConversionKind::integer, begin, pos + 1, width, 0};
    }
    return std::nullopt;
}

// The single conversion of a format; nullopt if there is none, more than
// one, or an unsupported one.
std::optional<Conversion> find_conversion(std::u16string_view format)
{
    std::optional<Conversion> found;
    for (std::size_t pos = 0; pos < format.size(); ++pos) {
        if (format[pos] != u'%')
            continue;
        if (pos + 1 < format.size() && format[pos + 1] == u'%') {
            ++pos;
            continue;
        }
        const auto conversion = parse_conversion(format, pos);
        if (!conversion || found)
            return std::nullopt;
        found = conversion;
        pos = conversion->end - 1;
    }
    return found;
}

// Output into a bounded buffer that remembers whether anything was cut off.
struct WideWriter {
    char16_t* buffer;
    std::size_t capacity;
    std::size_t length = 0;
    bool cut = false;

    void put(char16_t c)
    {
        if (length + 1 < capacity) {
            buffer[length++] = c;
        } else {
            cut = true;
        }
    }

    int finish()
    {
        buffer[length] = u'\0';
        return cut || length > static_cast<std::size_t>(std::numeric_limits<int>::max()) ? -1
                                                                                         : static_cast<int>(length);
    }
};

// Copies literal format text, reading "%%" as one '%'.
void write_literal(WideWriter& out, std::u16string_view text)
{
    for (std::size_t pos = 0; pos < text.size(); ++pos) {
        out.put(text[pos]);
        if (text[pos] == u'%')
            ++pos;
    }
}

// Writes the format with its conversion replaced by the ASCII field text,
// right-aligned to the conversion's width.
int write_formatted(char16_t* buffer, std::size_t capacity, std::u16string_view format, const Conversion& conversion,
                    std::string_view field)
{
    WideWriter out{buffer, capacity};
    write_literal(out, format.substr(0, conversion.begin));
    for (std::size_t pad = field.size(); pad < static_cast<std::size_t>(conversion.width) && !out.cut; ++pad) {
        out.put(u' ');
    }
    for (const char c : field)
        out.put(static_cast<char16_t>(c));
    write_literal(out, format.substr(conversion.end));
    return out.finish();
}

// The conversion a format must hold for the given kind, or nullopt.
std::optional<Conversion> conversion_for(const char16_t* format, ConversionKind kind)
{
    if (format == nullptr)
        return std::nullopt;
    const auto conversion = find_conversion(format);
    if (!conversion || conversion->kind != kind)
        return std::nullopt;
    return conversion;
}

// Leaves an empty text in the buffer and reports failure.
int format_failed(char16_t* buffer, std::size_t capacity)
{
    if (capacity > 0)
        buffer[0] = u'\0';
    return -1;
}

}  // namespace

double parse_wide_double(std::u16string_view text)
{
    Cursor in{text};
    skip_white_space(in);
    const bool negative = read_sign(in);
    const std::optional<double> magnitude = read_magnitude(in);
    if (!magnitude)
        return 0.0;
    return negative ? -*magnitude : *magnitude;
}

std::int32_t parse_wide_int32(std::u16string_view text)
{
    Cursor in{text};
    skip_white_space(in);
    const bool negative = read_sign(in);
    constexpr std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (int d; (d = decimal_digit_value(in.peek())) >= 0; ++in.pos) {
        magnitude = std::min(magnitude * 10 + d, limit);
    }
    if (negative)
        return static_cast<std::int32_t>(-magnitude);
    return static_cast<std::int32_t>(std::min(magnitude, limit - 1));
}

int format_wide(char16_t* buffer, std::size_t capacity, const char16_t* format, double value)
{
    const auto conversion = conversion_for(format, ConversionKind::fixed);
    if (!conversion || capacity == 0)
        return format_failed(buffer, capacity);
    std::array<char, FIXED_TEXT_CAPACITY> text{};
    std::string_view field;
    // Spelled out here, as glibc's printf spells them, on every platform.
    if (std::isnan(value)) {
        field = std::signbit(value) ? "-nan" : "nan";
    } else if (std::isinf(value)) {
        field = value < 0 ? "-inf" : "inf";
    } else {
        const auto result = std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed,
                                          conversion->precision);
        field = std::string_view(text.data(), static_cast<std::size_t>(result.ptr - text.data()));
    }
    return write_formatted(buffer, capacity, format, *conversion, field);
}

int format_wide(char16_t* buffer, std::size_t capacity, const char16_t* format, std::int32_t value)
{
    const auto conversion = conversion_for(format, ConversionKind::integer);
    if (!conversion || capacity == 0)
        return format_failed(buffer, capacity);
    std::array<char, 12> text{};
    const auto result = std::to_chars(text.data(), text.data() + text.size(), value);
    const std::string_view field(text.data(), static_cast<std::size_t>(result.ptr - text.data()));
    return write_formatted(buffer, capacity, format, *conversion, field);
}
