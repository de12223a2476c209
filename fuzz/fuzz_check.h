// Reporting a broken property so that libFuzzer keeps the input as a crash.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

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

// A text as a C string literal, cut at 300 characters, for failure messages.
inline std::string quoted(std::string_view text)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size() && i < 300; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            out += escaped;
        }
    }
    if (text.size() > 300)
        out += "...";
    return out + "\" (" + std::to_string(text.size()) + " chars)";
}

// UTF-16 code units in hexadecimal, cut at 200 units, for failure messages.
inline std::string quoted(std::u16string_view text)
{
    std::string out = "u[";
    for (std::size_t i = 0; i < text.size() && i < 200; ++i) {
        char unit[8];
        std::snprintf(unit, sizeof unit, i == 0 ? "%04x" : " %04x", static_cast<unsigned>(text[i]));
        out += unit;
    }
    if (text.size() > 200)
        out += " ...";
    return out + "] (" + std::to_string(text.size()) + " units)";
}
