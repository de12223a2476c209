// Escape counts as a NumPy array file (.npy, format version 1.0), so that an
// image can be coloured again later by any program: a short header that
// numpy.load reads, then the counts as little-endian int32, shape (H, W),
// the top row first.
#pragma once

#include <cstdint>
#include <vector>

// counts[x + width * i] holds pixel (x, memory row i), row 0 at the bottom.
std::vector<std::uint8_t> encode_npy_counts(const std::int32_t* counts, int width, int height);

// The same for smooth values, as little-endian float64 (NaN: did not escape).
std::vector<std::uint8_t> encode_npy_values(const double* values, int width, int height);
