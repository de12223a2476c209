// Averaging colours as light adds up: each sRGB byte decoded to linear
// light, the mean taken, the result encoded back and rounded to the
// nearest byte. The transfer functions are the sRGB standard's, computed
// with the portable logarithm and exponential, so that every build gives
// the same bytes.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

class linear_light {
public:
    linear_light();

    // The linear light of an sRGB byte, 0 to 1.
    double decode(std::uint8_t byte) const { return linear_[byte]; }

    // The sRGB byte nearest to linear light l (0 <= l <= 1): the encoded value
    // rounded to the nearest byte, found among the bytes' midpoints, which
    // the encoding keeps in order.
    std::uint8_t encode(double l) const;

private:
    // Buckets narrower than the narrowest gap between midpoints, 1 / (255
    // 12.92) at the dark end where the curve is straight: a bucket holds at
    // most one midpoint, so one comparison settles its lights.
    static constexpr int BUCKETS = 4096;
    std::array<double, 256> linear_;
    // The linear light of (v + 0.5) / 255, and past the last one a light
    // that no light reaches.
    std::array<double, 256> midpoints_;
    // The midpoints at or below k / BUCKETS: the answer for the lights of
    // bucket k, or one below it.
    std::array<std::uint8_t, BUCKETS + 1> bucket_start_;
};

// The one table of the program, built on first use.
const linear_light& srgb_light();

// The sRGB decoding of a value v from 0 to 1.
double srgb_to_linear(double v);

inline std::uint8_t linear_light::encode(double l) const
{
    // Byte v holds the light from midpoint v - 1 up to midpoint v; a light
    // exactly on a midpoint rounds up, as the half-way value does. The
    // bucket's start is never past the answer, since k / BUCKETS <= l (the
    // product is exact), and at most one midpoint lies between them.
    const int k = std::clamp(static_cast<int>(l * BUCKETS), 0, BUCKETS);
    const int v = bucket_start_[static_cast<std::size_t>(k)];
    return static_cast<std::uint8_t>(v + (midpoints_[static_cast<std::size_t>(v)] <= l));
}
