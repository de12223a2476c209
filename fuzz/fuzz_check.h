// Reporting a broken property so that libFuzzer keeps the input as a crash.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <type_traits>

// Prints the violated property and stops the process.
[[noreturn]] __attribute__((format(printf, 1, 2))) inline void fail(const char* format, ...)
{
    std::fputs("property violated: ", stderr);
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
    std::abort();
}

// A text for failure messages: printable ASCII as it is, any other unit as
// \x{hex}, cut at 300 units, then its length.
template <class Char>
std::string quoted_units(std::basic_string_view<Char> text)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size() && i < 300; ++i) {
        const auto c = static_cast<std::make_unsigned_t<Char>>(text[i]);
        char escaped[16];
        std::snprintf(escaped, sizeof escaped, c >= 0x20 && c < 0x7F && c != '"' && c != '\\' ? "%c" : "\\x{%x}", c);
        out += escaped;
    }
    return out + (text.size() > 300 ? "...\" (" : "\" (") + std::to_string(text.size()) + " units)";
}
inline std::string quoted(std::string_view text) { return quoted_units(text); }
inline std::string quoted(std::u16string_view text) { return quoted_units(text); }
