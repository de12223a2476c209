#include "image_file.h"

#include <gtest/gtest.h>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

#include <iterator>
#include <memory>

namespace {

// A 4 x 3 buffer, bottom row first in blue-green-red, a distinct value in every byte.
constexpr std::uint8_t pixels[4 * 3 * 3] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18,
                                            19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36};

TEST(ImageFile, BmpIsTheBufferBehindItsHeaders)
{
    const std::vector<std::uint8_t> bmp = encode_bmp(pixels, 4, 3);
    ASSERT_EQ(bmp.size(), 54u + sizeof pixels);
    // offset of a little-endian field and its value: "BM" and the file size, reserved,
    // the pixels' offset, header size, width, height (positive: bottom-up), planes
    // and bits, compression, pixel bytes, resolution and colours (none)
    const std::uint32_t fields[][2] = {{0, 'B' | 'M' << 8 | 90 << 16}, {4, 0}, {6, 0}, {10, 54}, {14, 40}, {18, 4},
                                       {22, 3}, {26, 1 | 24 << 16}, {30, 0}, {34, 36}, {38, 0}, {42, 0}, {46, 0}, {50, 0}};
    for (const auto& [at, value] : fields)
        EXPECT_EQ(bmp[at] | bmp[at + 1] << 8 | bmp[at + 2] << 16 | static_cast<std::uint32_t>(bmp[at + 3]) << 24, value)
            << "at " << at;
    EXPECT_TRUE(std::equal(std::begin(pixels), std::end(pixels), bmp.begin() + 54));
}

TEST(ImageFile, PngDecodesToTheSamePixels)
{
    const std::vector<std::uint8_t> png = encode_png(pixels, 4, 3);
    int width = 0, height = 0, channels = 0;
    const std::unique_ptr<stbi_uc, void (*)(void*)> rgb(
        stbi_load_from_memory(png.data(), static_cast<int>(png.size()), &width, &height, &channels, 3), stbi_image_free);
    ASSERT_TRUE(rgb && width == 4 && height == 3);
    for (int b = 0; b < 36; ++b)  // row y of the file is buffer row 2 - y; each pixel's bytes reversed
        EXPECT_EQ(rgb.get()[b], pixels[b % 12 / 3 * 3 + 2 - b % 3 + 12 * (2 - b / 12)]) << "byte " << b;
}

}  // namespace
