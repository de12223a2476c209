// An independent renderer for holding deep views to: every pixel's own
// orbit at arbitrary precision, from z_0 = c, with the definition's tests
// in the definition's order. A pixel is decidable when its count is the
// same at the view's oracle precision p, at p + 64 bits and with c moved by
// 1e-7 of a pixel: its count then depends on neither rounding nor an
// error of c far below anything a renderer can be asked to resolve.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct oracle_view {
    std::string center_re;
    std::string center_im;
    std::string radius;
    int exponent = 2;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t limit = 0;
};

struct oracle_image {
    std::vector<std::int32_t> counts;  // at precision p, counts[x + W i]
    std::vector<std::uint8_t> decidable;
    std::int64_t decidable_pixels = 0;
};

// Bits that resolve the view's pixel spacing with 48 to spare.
std::int64_t oracle_precision(const oracle_view& view);

// The escape count of c = (re, im) given as decimal text, at `precision` bits.
std::int32_t oracle_escape_time(int exponent, const std::string& re, const std::string& im, std::int32_t limit,
                                long precision);

// Every pixel of the view, at oracle_precision(view) unless given.
oracle_image oracle_render(const oracle_view& view, std::int64_t precision = 0);

struct oracle_agreement {
    std::int64_t decidable = 0;
    std::int64_t agreeing = 0;  // decidable pixels whose count is the oracle's
};

// How many of the oracle's decidable pixels counts[x + W i] gets right.
oracle_agreement agreement(const oracle_image& oracle, const std::int32_t* counts);
