#include "decimal_number.h"

#include "mpfr_number.h"

#include "text_numbers.h"

#include <charconv>

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The double nearest a decimal of the grammar. from_chars rounds correctly
// but reports a value outside the double range as an error; the dialog's
// own reading gives such a value as a subnormal, zero or infinity, as it
// has always been read.
double double_of(std::string_view text)
{
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);  // from_chars takes no '+'
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range)
        return parse_wide_double(std::u16string(text.begin(), text.end()));
    return value;
}

}  // namespace

bool is_decimal_text(std::string_view text)
{
    std::size_t i = 0;
    const std::size_t n = text.size();
    if (i < n && (text[i] == '+' || text[i] == '-'))
        ++i;
    std::size_t digits = 0;
    while (i < n && is_digit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && is_digit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-'))
            ++i;
        std::size_t exponent_digits = 0;
        while (i < n && is_digit(text[i])) {
            ++i;
            ++exponent_digits;
        }
        if (exponent_digits == 0)
            return false;
    }
    return i == n;
}

bool set_decimal(mpfr_ptr x, std::string_view text)
{
    if (!is_decimal_text(text))
        return false;
    const std::string terminated(text);
    if (mpfr_set_str(x, terminated.c_str(), 10, MPFR_RNDN) != 0)
        return false;
    return mpfr_number_p(x) != 0;
}

floatexp to_floatexp(mpfr_srcptr x)
{
    long exponent = 0;
    const double mantissa = mpfr_get_d_2exp(&exponent, x, MPFR_RNDN);
    return normalise_normal(mantissa, exponent);
}

std::optional<decimal> read_decimal(std::string_view text)
{
    const std::optional<floatexp> extended = parse_decimal(text);
    if (!extended)
        return std::nullopt;
    return decimal{std::string(text), double_of(text), *extended};
}

decimal decimal_of(double value)
{
    // The text's own reading, so that a number written and read back is the
    // same number: for a subnormal double it is not the double's value.
    std::string text = shortest_text(value);
    const std::optional<floatexp> extended = parse_decimal(text);
    return {std::move(text), value, extended.value_or(to_floatexp(value))};
}

decimal decimal_of(floatexp value) { return {format_decimal(value), to_double(value), value}; }

std::string shortest_text(double value)
{
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

std::optional<floatexp> parse_decimal(std::string_view text)
{
    mpfr_number x(53);
    if (!set_decimal(x, text))
        return std::nullopt;
    return to_floatexp(x.get());
}

std::string format_decimal(floatexp x)
{
    if (is_zero(x))
        return "0";
    mpfr_number v(53);
    mpfr_set_d(v, x.m, MPFR_RNDN);
    mpfr_mul_2si(v, v, static_cast<long>(x.e), MPFR_RNDN);  // exact: the mantissa keeps its 53 bits
    // 17 significant digits always read back as the same 53-bit number.
    mpfr_exp_t exponent = 0;
    char* digits = mpfr_get_str(nullptr, &exponent, 10, 17, v, MPFR_RNDN);
    std::string text(digits);
    mpfr_free_str(digits);
    const bool negative = text[0] == '-';
    std::string mantissa = text.substr(negative ? 1 : 0);
    while (mantissa.size() > 1 && mantissa.back() == '0')
        mantissa.pop_back();
    // 0.d1d2... x 10^exponent is d1.d2... x 10^(exponent - 1).
    std::string out(negative ? 1 : 0, '-');
    out += mantissa[0];
    if (mantissa.size() > 1)
        out.append(1, '.').append(mantissa, 1);
    if (exponent != 1)
        out.append(1, 'e').append(std::to_string(static_cast<long long>(exponent) - 1));
    return out;
}
