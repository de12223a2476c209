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
    EXPECT_EQ(bmp[0] | bmp[1] << 8, 'B' | 'M' << 8);
    // offset of a little-endian field, its value: file size, pixel offset, header
    // size, width, height (positive: bottom-up rows), planes and bits, compression
    const std::uint32_t fields[][2] = {{2, 54 + 36}, {10, 54}, {14, 40}, {18, 4}, {22, 3}, {26, 1 | 24 << 16}, {30, 0}};
    for (const auto& [at, value] : fields)
        EXPECT_EQ(le32(bmp, at), value) << "at " << at;
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

std::size_t entries(const std::filesystem::path& folder)
{
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

TEST(ImageFile, StagedFileAppearsWholeOrNotAtAll)
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "quellarin-image-file-test";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder / "a folder.bmp");
    const std::filesystem::path target = folder / "out.bmp";
    const std::vector<std::uint8_t> bytes{1, 2, 3, 4, 5};

    {  // abandoned before commit: nothing is left behind
        staged_file file(target);
        ASSERT_TRUE(file.open());
    }
    EXPECT_EQ(entries(folder), 1u);

    // Committed, once new and once over the first: exactly the bytes, no staging file beside them.
    for (int round = 0; round < 2; ++round) {
        {
            staged_file file(target);
            ASSERT_TRUE(file.open());
            ASSERT_TRUE(file.commit(bytes));
        }
        // Closed again before the next replacement, which Windows refuses for an open file.
        std::ifstream in(target, std::ios::binary);
        EXPECT_EQ(std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {}), bytes);
        EXPECT_EQ(entries(folder), 2u);
    }

    {  // a rename that fails leaves its staging file behind neither
        staged_file onto_folder(folder / "a folder.bmp");
        ASSERT_TRUE(onto_folder.open());
        EXPECT_FALSE(onto_folder.commit(bytes));
    }
    EXPECT_EQ(entries(folder), 2u);

    staged_file nowhere(folder / "missing" / "out.bmp");
    EXPECT_FALSE(nowhere.open());
    std::filesystem::remove_all(folder);
}

}  // namespace
