// Fuzzes parse_wide_double against the C library's strtod in the "C"
// locale, and the dialog's "%1.14lf" display of the values it reads.
#include "wide_text.h"

#include <bit>
#include <cmath>

namespace {

// The bits of a double, every NaN of one sign alike.
std::uint64_t bits(double x) { return std::bit_cast<std::uint64_t>(std::isnan(x) ? std::copysign(NAN, x) : x); }

// The dialog's display prints what snprintf prints, and a coordinate in
// [-2, 2] reads back as itself to within the 14 decimals shown.
void check_display(double value)
{
    checked_format(u"%1.14lf", "%1.14lf", value);
    const double x = std::fabs(value) <= 2.0 ? value : std::fmod(value, 2.0);
    const std::u16string text = checked_format(u"%1.14lf", "%1.14lf", x);
    // Half the last decimal, and one ulp of 2.
    if (std::isfinite(x) && !(std::fabs(parse_wide_double(text) - x) <= 0.5e-14 + 0x1p-51))
        fail("%a printed as %s reads back as %a", x, quoted(text).c_str(), parse_wide_double(text));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The C function stops at the first NUL, as the parser must.
    for_each_text(data, size, [](const std::u16string& text, const std::string& ascii) {
        const double got = parse_wide_double(text);
        const double want = std::strtod(ascii.c_str(), nullptr);
        if (bits(got) != bits(want))
            fail("parse_wide_double(%s) = %a, strtod(%s) = %a", quoted(text).c_str(), got, quoted(ascii).c_str(), want);
        check_display(got);
    });
    double raw;
    if (size >= sizeof raw)
        check_display((std::memcpy(&raw, data, sizeof raw), raw));
    return 0;
}
