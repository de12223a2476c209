// The shortest decimal text that reads back as the same double, in every
// build alike: std::to_chars, not printf, whose digits differ between C
// libraries.
#pragma once

#include <charconv>
#include <string>

inline std::string shortest_text(double value)
{
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}
