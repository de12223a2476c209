// Fuzzes parse_wide_int32 against the C library's strtoll in the "C" locale,
// clamped to 32 bits, and the dialog's "%d" display of the values it reads.
#include "wide_text.h"

#include <limits>

namespace {

// The "%d" text prints what snprintf prints and reads back as the value.
void check_display(std::int32_t value)
{
    if (parse_wide_int32(checked_format(u"%d", "%d", value)) != value)
        fail("%d does not survive format_wide \"%%d\" and parse_wide_int32", value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The C function stops at the first NUL, as the parser must; strtoll
    // already saturates at the long long range.
    for_each_text(data, size, [](const std::u16string& text, const std::string& ascii) {
        const std::int32_t got = parse_wide_int32(text);
        const auto want = std::clamp<long long>(std::strtoll(ascii.c_str(), nullptr, 10),
                                                std::numeric_limits<std::int32_t>::min(),
                                                std::numeric_limits<std::int32_t>::max());
        if (got != want)
            fail("parse_wide_int32(%s) = %d, clamped strtoll(%s) = %lld", quoted(text).c_str(), got,
                 quoted(ascii).c_str(), want);
        check_display(got);
    });
    std::int32_t raw;
    if (size >= sizeof raw)
        check_display((std::memcpy(&raw, data, sizeof raw), raw));
    return 0;
}
