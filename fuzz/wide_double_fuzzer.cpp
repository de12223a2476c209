// Fuzzes parse_wide_double against the C library's strtod in the "C"
// locale, and the dialog's "%1.14lf" display of the values it reads.
#include "fuzz_check.h"
#include "text_numbers.h"
#include "wide_text.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Equal bits, or both NaN with the same sign.
bool same_double(double a, double b)
{
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) && std::isnan(b) && std::signbit(a) == std::signbit(b);
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The dialog's display prints what snprintf prints, and a coordinate in
// [-2, 2] reads back as itself to within the 14 decimals shown.
void check_display(double value)
{
    checked_format(u"%1.14lf", "%1.14lf", value);
    if (!std::isfinite(value))
        return;
    const double x = std::fabs(value) <= 2.0 ? value : std::fmod(value, 2.0);
    const std::u16string text = checked_format(u"%1.14lf", "%1.14lf", x);
    const double back = parse_wide_double(text);
    const double tolerance = 0.5e-14 + std::ldexp(1.0, -51);  // half the last decimal, one ulp of 2
    if (!(std::fabs(back - x) <= tolerance))
        fail("%a printed as %s reads back as %a", x, quoted(text).c_str(), back);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The C function stops at the first NUL, as the parser must.
    for_each_text(data, size, [](const std::u16string& text, const std::string& ascii) {
        const double got = parse_wide_double(text);
        const double want = std::strtod(ascii.c_str(), nullptr);
        if (!same_double(got, want))
            fail("parse_wide_double(%s) = %a, strtod(%s) = %a", quoted(text).c_str(), got, quoted(ascii).c_str(), want);
        check_display(got);
    });
    if (size >= sizeof(double)) {
        double raw;
        std::memcpy(&raw, data, sizeof raw);
        check_display(raw);
    }
    return 0;
}
