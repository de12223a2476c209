// Averaging colours as light adds up: each sRGB byte decoded to linear
// light, the mean taken, the result encoded back and rounded to the
// nearest byte. The transfer functions are the sRGB standard's, computed
// with the portable logarithm and exponential, so that every build gives
// the same bytes.
#pragma once

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
    static constexpr int BUCKETS = 4096;
    std::array<double, 256> linear_;
    std::array<double, 255> midpoints_;  // the linear light of (v + 0.5) / 255
    // The midpoints at or below k / BUCKETS: where the search for a light
    // in bucket k starts, at most a few midpoints below its answer.
    std::array<std::uint8_t, BUCKETS + 1> bucket_start_;
};

// The sRGB decoding of a value v from 0 to 1.
double srgb_to_linear(double v);
