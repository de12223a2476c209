#include "reference_orbit.h"

#include "bla_table.h"

#include <mpfr.h>

#include <algorithm>
#include <string>

namespace {

// An MPFR number that lives as long as its scope.
class mpfr_number {
public:
    explicit mpfr_number(mpfr_prec_t precision) { mpfr_init2(value_, precision); }
    ~mpfr_number() { mpfr_clear(value_); }
    mpfr_number(const mpfr_number&) = delete;
    mpfr_number& operator=(const mpfr_number&) = delete;

    mpfr_ptr get() { return value_; }
    operator mpfr_ptr() { return value_; }

private:
    mpfr_t value_;
};

// Elements reserved at most before an orbit starts: 768 MiB.
constexpr std::int64_t orbit_reserve_cap = std::int64_t{1} << 24;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

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

namespace {

// Sets x to text rounded to x's precision; false unless text is a finite decimal.
bool set_decimal(mpfr_ptr x, std::string_view text)
{
    if (!is_decimal_text(text))
        return false;
    const std::string terminated(text);
    if (mpfr_set_str(x, terminated.c_str(), 10, MPFR_RNDN) != 0)
        return false;
    return mpfr_number_p(x) != 0;
}

// x to 53 bits at any magnitude.
floatexp to_floatexp(mpfr_srcptr x)
{
    long exponent = 0;
    const double mantissa = mpfr_get_d_2exp(&exponent, x, MPFR_RNDN);
    return normalise_normal(mantissa, exponent);
}

// Moves z to z^p + c in place for p = 2, 3, 4, given zr2 = zr^2 and zi2 = zi^2.
// In-place MPFR operations on a fixed set of numbers: no allocation per step.
void step_power2(mpfr_ptr zr, mpfr_ptr zi, mpfr_srcptr zr2, mpfr_srcptr zi2, mpfr_srcptr cr, mpfr_srcptr ci)
{
    mpfr_mul(zi, zi, zr, MPFR_RNDN);
    mpfr_mul_2ui(zi, zi, 1, MPFR_RNDN);
    mpfr_add(zi, zi, ci, MPFR_RNDN);
    mpfr_sub(zr, zr2, zi2, MPFR_RNDN);
    mpfr_add(zr, zr, cr, MPFR_RNDN);
}

void step_power3(mpfr_ptr zr, mpfr_ptr zi, mpfr_srcptr zr2, mpfr_srcptr zi2, mpfr_srcptr cr, mpfr_srcptr ci, mpfr_ptr t)
{
    // zr (zr^2 - 3 zi^2) + cr and zi (3 zr^2 - zi^2) + ci.
    mpfr_mul_ui(t, zi2, 3, MPFR_RNDN);
    mpfr_sub(t, zr2, t, MPFR_RNDN);
    mpfr_mul(zr, zr, t, MPFR_RNDN);
    mpfr_add(zr, zr, cr, MPFR_RNDN);
    mpfr_mul_ui(t, zr2, 3, MPFR_RNDN);
    mpfr_sub(t, t, zi2, MPFR_RNDN);
    mpfr_mul(zi, zi, t, MPFR_RNDN);
    mpfr_add(zi, zi, ci, MPFR_RNDN);
}

void step_power4(mpfr_ptr zr, mpfr_ptr zi, mpfr_srcptr zr2, mpfr_srcptr zi2, mpfr_srcptr cr, mpfr_srcptr ci, mpfr_ptr a,
                 mpfr_ptr b)
{
    // The square of the square: a + bi = z^2, then (a^2 - b^2) + 2ab i.
    mpfr_sub(a, zr2, zi2, MPFR_RNDN);
    mpfr_mul(b, zr, zi, MPFR_RNDN);
    mpfr_mul_2ui(b, b, 1, MPFR_RNDN);
    mpfr_mul(zi, a, b, MPFR_RNDN);
    mpfr_mul_2ui(zi, zi, 1, MPFR_RNDN);
    mpfr_add(zi, zi, ci, MPFR_RNDN);
    mpfr_sqr(a, a, MPFR_RNDN);
    mpfr_sqr(b, b, MPFR_RNDN);
    mpfr_sub(zr, a, b, MPFR_RNDN);
    mpfr_add(zr, zr, cr, MPFR_RNDN);
}

}  // namespace

std::optional<reference_orbit> compute_reference_orbit(const orbit_request& request, const orbit_progress& progress)
{
    if (request.exponent < 2 || request.exponent > 4 || request.limit < 1 || request.precision < MPFR_PREC_MIN ||
        request.precision > MPFR_PREC_MAX)
        return std::nullopt;
    const auto precision = static_cast<mpfr_prec_t>(request.precision);
    mpfr_number cr(precision), ci(precision), zr(precision), zi(precision);
    mpfr_number zr2(precision), zi2(precision), modulus(precision), t(precision), u(precision);
    if (!set_decimal(cr, request.center_re) || !set_decimal(ci, request.center_im))
        return std::nullopt;

    reference_orbit orbit;
    orbit.exponent = request.exponent;
    // Growing the vectors element by element costs as much as the orbit
    // itself at a few hundred bits (copies, and pages touched twice), so
    // they are reserved for the whole limit up to a large cap, and given
    // back below if the orbit escapes early.
    const std::int64_t most = static_cast<std::int64_t>(request.limit) + 2;
    orbit.values.reserve(static_cast<std::size_t>(std::min<std::int64_t>(most, orbit_reserve_cap)));
    orbit.extended.reserve(orbit.values.capacity());
    orbit.values.push_back({0.0, 0.0});
    orbit.extended.push_back({to_floatexp(0.0), to_floatexp(0.0)});

    mpfr_set(zr, cr, MPFR_RNDN);
    mpfr_set(zi, ci, MPFR_RNDN);
    for (std::int64_t n = 0;; ++n) {
        const complex_pair<floatexp> z{to_floatexp(zr.get()), to_floatexp(zi.get())};
        orbit.extended.push_back(z);
        orbit.values.push_back(to_double(z));
        if (progress && orbit.size() % orbit_progress_interval == 0)
            progress(orbit.size());
        mpfr_sqr(zr2, zr, MPFR_RNDN);
        mpfr_sqr(zi2, zi, MPFR_RNDN);
        mpfr_add(modulus, zr2, zi2, MPFR_RNDN);
        if (mpfr_cmp_ui(modulus, 4) > 0) {
            orbit.escaped = true;
            break;
        }
        if (n >= request.limit)
            break;
        switch (request.exponent) {
        case 2:
            step_power2(zr, zi, zr2, zi2, cr, ci);
            break;
        case 3:
            step_power3(zr, zi, zr2, zi2, cr, ci, t);
            break;
        default:
            step_power4(zr, zi, zr2, zi2, cr, ci, t, u);
            break;
        }
    }
    if (orbit.values.size() < orbit.values.capacity() / 2) {
        orbit.values.shrink_to_fit();
        orbit.extended.shrink_to_fit();
    }
    if (progress)
        progress(orbit.size());
    return orbit;
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

std::int64_t view_precision(floatexp radius, std::int32_t width, std::int32_t height)
{
    assert(radius.m > 0.0 && width > 0 && height > 0);
    const floatexp spacing = div_small(mul_small(radius, 2), std::min(width, height));
    // spacing >= 2^spacing.e, so -spacing.e bits resolve it.
    const std::int64_t bits = std::max<std::int64_t>(0, -spacing.e) + view_precision_margin;
    return std::max<std::int64_t>(bits, 64);
}

std::int64_t orbit_bytes(std::int64_t elements)
{
    return elements * static_cast<std::int64_t>(sizeof(complex_pair<double>) + sizeof(complex_pair<floatexp>));
}

std::int64_t orbit_and_table_bytes(std::int64_t elements) { return orbit_bytes(elements) + bla_table_bytes(elements); }
