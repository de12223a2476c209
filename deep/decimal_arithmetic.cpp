#include "decimal_arithmetic.h"

#include "decimal_number.h"

#include <gmp.h>

#include <algorithm>
#include <cstdlib>

namespace {

// An integer that lives as long as its scope.
class mpz_number {
public:
    mpz_number() { mpz_init(value_); }
    ~mpz_number() { mpz_clear(value_); }
    mpz_number(const mpz_number&) = delete;
    mpz_number& operator=(const mpz_number&) = delete;
    operator mpz_ptr() { return value_; }
    operator mpz_srcptr() const { return value_; }

private:
    mpz_t value_;
};

// A decimal as digits * 10^exponent.
struct scaled_decimal {
    mpz_number digits;
    long exponent = 0;
};

bool read(std::string_view text, scaled_decimal& out)
{
    if (!is_decimal_text(text))
        return false;
    std::string digits;
    long exponent = 0;
    std::size_t i = 0;
    if (text[i] == '+' || text[i] == '-')
        digits += text[i++] == '-' ? "-" : "";
    for (; i < text.size() && text[i] != 'e' && text[i] != 'E'; ++i) {
        if (text[i] == '.')
            continue;
        digits += text[i];
        if (text.find('.') != std::string_view::npos && i > text.find('.'))
            --exponent;
    }
    if (i < text.size()) {
        // The grammar bounds nothing, but a view's exponent is far inside a long.
        const std::string e(text.substr(i + 1));
        exponent += std::strtol(e.c_str(), nullptr, 10);
    }
    if (digits == "-" || digits.empty())
        digits += '0';
    mpz_set_str(out.digits, digits.c_str(), 10);
    out.exponent = exponent;
    return true;
}

// digits * 10^exponent as text, without trailing zeros: plain for
// exponents near zero, else d.ddd...eN.
std::string text_of(mpz_srcptr digits, long exponent)
{
    if (mpz_sgn(digits) == 0)
        return "0";
    char* raw = mpz_get_str(nullptr, 10, digits);
    std::string s(raw);
    void (*release)(void*, std::size_t);
    mp_get_memory_functions(nullptr, nullptr, &release);
    release(raw, s.size() + 1);
    const bool negative = s[0] == '-';
    if (negative)
        s.erase(0, 1);
    while (s.size() > 1 && s.back() == '0') {
        s.pop_back();
        ++exponent;
    }
    const long leading = exponent + static_cast<long>(s.size()) - 1;  // exponent of the first digit
    std::string out = negative ? "-" : "";
    if (leading >= -6 && leading < 21) {
        if (exponent >= 0) {
            out += s;
            out.append(static_cast<std::size_t>(exponent), '0');
        } else if (leading >= 0) {
            out.append(s, 0, static_cast<std::size_t>(leading + 1));
            out += '.';
            out.append(s, static_cast<std::size_t>(leading + 1));
        } else {
            out += "0.";
            out.append(static_cast<std::size_t>(-leading - 1), '0');
            out += s;
        }
        return out;
    }
    out.append(s, 0, 1);
    if (s.size() > 1) {
        out += '.';
        out.append(s, 1);
    }
    out += 'e';
    out += std::to_string(leading);
    return out;
}

// n * 10^k for k >= 0.
void shift(mpz_ptr n, unsigned long k)
{
    mpz_number power;
    mpz_ui_pow_ui(power, 10, k);
    mpz_mul(n, n, power);
}

}  // namespace

std::optional<std::string> decimal_moved(std::string_view center, std::string_view radius, std::int64_t twice_pixels,
                                         std::int32_t scale)
{
    scaled_decimal c;
    scaled_decimal r;
    if (scale <= 0 || !read(center, c) || !read(radius, r))
        return std::nullopt;
    // The radius's leading digit, and the quantum 20 digits below it.
    // mpz_sizeinbase may count one digit too many.
    long digit_count = static_cast<long>(mpz_sizeinbase(r.digits, 10));
    mpz_number power;
    mpz_ui_pow_ui(power, 10, static_cast<unsigned long>(digit_count - 1));
    if (mpz_cmpabs(r.digits, power) < 0)
        --digit_count;
    const long leading = r.exponent + digit_count - 1;
    const long q = std::min(leading - 20, c.exponent);
    // c at 10^q, exactly.
    mpz_number sum;
    mpz_set(sum, c.digits);
    shift(sum, static_cast<unsigned long>(c.exponent - q));
    // (twice_pixels / 2) * 2r / scale = twice_pixels * r / scale, at 10^q,
    // rounded half to even.
    mpz_number numerator;
    mpz_number denominator;
    mpz_mul_si(numerator, r.digits, static_cast<long>(twice_pixels));
    mpz_set_si(denominator, scale);
    if (r.exponent >= q)
        shift(numerator, static_cast<unsigned long>(r.exponent - q));
    else
        shift(denominator, static_cast<unsigned long>(q - r.exponent));
    mpz_number quotient;
    mpz_number rest;
    mpz_fdiv_qr(quotient, rest, numerator, denominator);  // rest >= 0
    mpz_mul_2exp(rest, rest, 1);
    const int against_half = mpz_cmp(rest, denominator);
    if (against_half > 0 || (against_half == 0 && mpz_odd_p(static_cast<mpz_srcptr>(quotient))))
        mpz_add_ui(quotient, quotient, 1);
    mpz_add(sum, sum, quotient);
    return text_of(sum, q);
}

std::optional<std::string> decimal_scaled(std::string_view radius, int steps)
{
    scaled_decimal r;
    if (!read(radius, r))
        return std::nullopt;
    mpz_number factor;
    const unsigned long n = static_cast<unsigned long>(steps < 0 ? -static_cast<long>(steps) : steps);
    if (steps >= 0) {
        mpz_ui_pow_ui(factor, 2, n);
        mpz_mul(r.digits, r.digits, factor);
    } else {
        // x / 2^n = x * 5^n / 10^n.
        mpz_ui_pow_ui(factor, 5, n);
        mpz_mul(r.digits, r.digits, factor);
        r.exponent -= static_cast<long>(n);
    }
    return text_of(r.digits, r.exponent);
}
