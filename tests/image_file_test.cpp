#include "image_file.h"
#include "png_view.h"

#include <gtest/gtest.h>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

#include <memory>
#include <tuple>

namespace {

// A 4 x 3 buffer, bottom row first in blue-green-red, a distinct value in every byte.
constexpr std::uint8_t pixels[4 * 3 * 3] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18,
                                            19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36};

// Each row padded to four bytes: a row of 5 pixels is 15 bytes, 16 in the file.
TEST(ImageFile, BmpIsTheBufferBehindItsHeaders)
{
    for (const auto& [width, height, row] : {std::tuple{4u, 3u, 12u}, std::tuple{5u, 2u, 16u}}) {
        const std::vector<std::uint8_t> bmp = encode_bmp(pixels, static_cast<int>(width), static_cast<int>(height));
        const std::uint32_t bytes = row * height;
        ASSERT_EQ(bmp.size(), 54u + bytes);
        // offset of a little-endian field and its value: "BM" and the file size, reserved,
        // the pixels' offset, header size, width, height (positive: bottom-up), planes
        // and bits, compression, pixel bytes, resolution and colours (none)
        const std::uint32_t fields[][2] = {{0, 'B' | 'M' << 8 | (54 + bytes) << 16}, {4, 0}, {6, 0}, {10, 54}, {14, 40},
                                           {18, width}, {22, height}, {26, 1 | 24 << 16}, {30, 0}, {34, bytes},
                                           {38, 0}, {42, 0}, {46, 0}, {50, 0}};
        for (const auto& [at, value] : fields)
            EXPECT_EQ(bmp[at] | bmp[at + 1] << 8 | bmp[at + 2] << 16 | std::uint32_t{bmp[at + 3]} << 24, value)
                << width << " wide, at " << at;
        for (std::uint32_t b = 0; b < bytes; ++b)
            EXPECT_EQ(bmp[54 + b], b % row < 3 * width ? pixels[b / row * 3 * width + b % row] : 0)
                << width << " wide, byte " << b;
    }
}

// The view's chunk reads back from the file; a file cut short anywhere, or
// with any byte of a chunk changed, is refused, as is one with no view.
TEST(ImageFile, ViewTextReadsBackFromSoundFilesOnly)
{
    const std::vector<std::uint8_t> plain = encode_png(pixels, 4, 3);
    const std::vector<std::uint8_t> png = with_view_text(plain, "radius=2\nsize=4x3");
    std::string text, message;
    ASSERT_TRUE(read_view_text(png.data(), png.size(), text, message)) << message;
    EXPECT_EQ(text, "radius=2\nsize=4x3");
    EXPECT_FALSE(read_view_text(plain.data(), plain.size(), text, message));
    EXPECT_NE(message.find("no view"), std::string::npos);
    for (std::size_t size = 0; size < png.size(); ++size)
        EXPECT_FALSE(read_view_text(png.data(), size, text, message)) << "cut at " << size;
    for (std::size_t at = 0; at < png.size(); ++at) {
        std::vector<std::uint8_t> changed = png;
        changed[at] ^= 0x20;
        EXPECT_FALSE(read_view_text(changed.data(), changed.size(), text, message)) << "byte " << at;
    }
    const std::vector<std::uint8_t> twice = with_view_text(png, "x");
    EXPECT_FALSE(read_view_text(twice.data(), twice.size(), text, message));
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
