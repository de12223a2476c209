#include "count_map.h"

#include <string>

std::vector<std::uint8_t> encode_npy_counts(const std::int32_t* counts, int width, int height)
{
    std::string header = "{'descr': '<i4', 'fortran_order': False, 'shape': (" + std::to_string(height) + ", " +
                         std::to_string(width) + "), }";
    // The magic, version and length take 10 bytes; the header, padded with
    // spaces and ended by a newline, makes the data start 64-byte aligned.
    constexpr std::size_t PREAMBLE = 10;
    while ((PREAMBLE + header.size() + 1) % 64 != 0)
        header += ' ';
    header += '\n';
    const std::uint8_t preamble[PREAMBLE] = {0x93, 'N', 'U', 'M', 'P', 'Y', 1, 0,
                                             static_cast<std::uint8_t>(header.size() & 0xFF),
                                             static_cast<std::uint8_t>(header.size() >> 8)};
    std::vector<std::uint8_t> bytes;
    bytes.reserve(PREAMBLE + header.size() + static_cast<std::size_t>(width) * height * 4);
    bytes.assign(preamble, preamble + PREAMBLE);
    for (const char c : header)
        bytes.push_back(static_cast<std::uint8_t>(c));
    for (int i = height - 1; i >= 0; --i) {
        for (int x = 0; x < width; ++x) {
            const auto n = static_cast<std::uint32_t>(counts[static_cast<std::size_t>(x) +
                                                             static_cast<std::size_t>(width) * i]);
            for (int b = 0; b < 4; ++b)
                bytes.push_back(static_cast<std::uint8_t>(n >> (8 * b)));
        }
    }
    return bytes;
}
