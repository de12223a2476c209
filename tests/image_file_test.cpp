#include "image_file.h"

#include <gtest/gtest.h>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

std::uint32_t le32(const std::vector<std::uint8_t>& bytes, std::size_t at)
{
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

// A 4 x 3 buffer with a distinct value in every byte.
std::vector<std::uint8_t> numbered_pixels()
{
    std::vector<std::uint8_t> pixels(4 * 3 * 3);
    for (std::size_t b = 0; b < pixels.size(); ++b)
        pixels[b] = static_cast<std::uint8_t>(b * 7 + 1);
    return pixels;
}

TEST(ImageFile, BmpIsTheBufferBehindAFortyByteHeader)
{
    const std::vector<std::uint8_t> pixels = numbered_pixels();
    const std::vector<std::uint8_t> bmp = encode_bmp(pixels.data(), 4, 3);
    ASSERT_EQ(bmp.size(), 54u + pixels.size());
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(le32(bmp, 2), bmp.size());
    EXPECT_EQ(le32(bmp, 10), 54u);
    EXPECT_EQ(le32(bmp, 14), 40u);
    EXPECT_EQ(le32(bmp, 18), 4u);
    EXPECT_EQ(le32(bmp, 22), 3u);  // positive height: bottom-up rows
    EXPECT_EQ(bmp[26] | bmp[27] << 8, 1);
    EXPECT_EQ(bmp[28] | bmp[29] << 8, 24);
    EXPECT_EQ(le32(bmp, 30), 0u);
    EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), bmp.begin() + 54));
}

TEST(ImageFile, PngHasTheTopRowFirstInRgb)
{
    const std::vector<std::uint8_t> pixels = numbered_pixels();
    const std::vector<std::uint8_t> png = encode_png(pixels.data(), 4, 3);
    int width = 0, height = 0, channels = 0;
    stbi_uc* decoded = stbi_load_from_memory(png.data(), static_cast<int>(png.size()), &width, &height, &channels, 3);
    ASSERT_NE(decoded, nullptr);
    EXPECT_EQ(width, 4);
    EXPECT_EQ(height, 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            const std::uint8_t* bgr = pixels.data() + 3 * (x + 4 * (2 - y));  // buffer row 2 is the top
            const stbi_uc* rgb = decoded + 3 * (x + 4 * y);
            EXPECT_EQ(rgb[0], bgr[2]) << x << "," << y;
            EXPECT_EQ(rgb[1], bgr[1]) << x << "," << y;
            EXPECT_EQ(rgb[2], bgr[0]) << x << "," << y;
        }
    }
    stbi_image_free(decoded);
}

TEST(ImageFile, StagedFileAppearsWholeOrNotAtAll)
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "quellarin-image-file-test";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string target = (folder / "out.bmp").string();
    const std::vector<std::uint8_t> bytes{1, 2, 3, 4, 5};

    {  // abandoned before commit: nothing is left behind
        staged_file file(target);
        ASSERT_TRUE(file.open());
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder));

    {  // committed: exactly the bytes, no staging file beside it
        staged_file file(target);
        ASSERT_TRUE(file.open());
        ASSERT_TRUE(file.commit(bytes));
    }
    {  // closed again before the next replacement, which Windows refuses for an open file
        std::ifstream in(target, std::ios::binary);
        const std::vector<std::uint8_t> read{std::istreambuf_iterator<char>(in), {}};
        EXPECT_EQ(read, bytes);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);

    {  // replacing an existing file works too
        staged_file file(target);
        ASSERT_TRUE(file.open());
        ASSERT_TRUE(file.commit({9}));
    }
    EXPECT_EQ(std::filesystem::file_size(target), 1u);

    staged_file nowhere((folder / "missing" / "out.bmp").string());
    EXPECT_FALSE(nowhere.open());
    std::filesystem::remove_all(folder);
}

}  // namespace
