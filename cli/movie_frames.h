// The frames of a zoom movie: each one's file name and radius.
#pragma once

#include "floatexp.h"

#include <cstdint>
#include <string>
#include <string_view>

// One printf-style field in a movie's output name: the text before it, its
// zero-padded width (0: none) and the text after it, %% already undone.
struct frame_pattern {
    std::string before;
    int width = 0;
    std::string after;
};

// Splits a movie's output name at its one %d or %0Nd field (N from 1 to 20);
// false for any other use of '%', or for no field or several.
bool parse_frame_pattern(std::string_view text, frame_pattern& pattern);

// The file name of frame k.
std::string frame_name(const frame_pattern& pattern, std::int32_t k);

// The radius of frame k of `frames`: exactly `from` for the first and `to`
// for the last, geometric between them, the same on every machine.
double frame_radius(double from, double to, std::int32_t frames, std::int32_t k);

// The same as a floatexp, for zooms whose ends lie beyond the double's
// range, from additions, multiplications and divisions alone.
floatexp frame_radius(floatexp from, floatexp to, std::int32_t frames, std::int32_t k);
