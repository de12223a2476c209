#include "count_map.h"

#include <cstring>
#include <string>
#include <type_traits>

namespace {

// The file of an array of `size`-byte elements of NumPy type descr,
// values[x + width * i] with memory row 0 at the bottom, written top row first.
template <class T>
std::vector<std::uint8_t> encode_npy(const T* values, int width, int height, const char* descr)
{
    std::string header = std::string("{'descr': '") + descr + "', 'fortran_order': False, 'shape': (" +
                         std::to_string(height) + ", " + std::to_string(width) + "), }";
    // The magic, version and length take 10 bytes; the header, padded with
    // spaces and ended by a newline, makes the data start 64-byte aligned.
    constexpr std::size_t PREAMBLE = 10;
    while ((PREAMBLE + header.size() + 1) % 64 != 0)
        header += ' ';
    header += '\n';
    const auto size_byte = [&](int shift) { return static_cast<std::uint8_t>(header.size() >> shift & 0xFF); };
    const std::uint8_t preamble[PREAMBLE] = {0x93, 'N', 'U', 'M', 'P', 'Y', 1, 0, size_byte(0), size_byte(8)};
    std::vector<std::uint8_t> bytes;
    bytes.reserve(PREAMBLE + header.size() + static_cast<std::size_t>(width) * height * sizeof(T));
    bytes.assign(preamble, preamble + PREAMBLE);
    for (const char c : header)
        bytes.push_back(static_cast<std::uint8_t>(c));
    for (int i = height - 1; i >= 0; --i) {
        for (int x = 0; x < width; ++x) {
            // The value's bits as an unsigned integer of its own size, then its bytes low first.
            std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t> bits;
            static_assert(sizeof bits == sizeof(T));
            std::memcpy(&bits, &values[static_cast<std::size_t>(x) + static_cast<std::size_t>(width) * i], sizeof(T));
            for (std::size_t b = 0; b < sizeof(T); ++b)
                bytes.push_back(static_cast<std::uint8_t>(bits >> (8 * b)));
        }
    }
    return bytes;
}

}  // namespace

std::vector<std::uint8_t> encode_npy_counts(const std::int32_t* counts, int width, int height)
{
    return encode_npy(counts, width, height, "<i4");
}

std::vector<std::uint8_t> encode_npy_values(const double* values, int width, int height)
{
    return encode_npy(values, width, height, "<f8");
}
