#include "render_paths.h"

#include "formulas.h"
#include "renderer.h"
#include "test_views.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#if defined(__x86_64__)
#include <cpuid.h>
#endif
#include <span>
#include <string>

namespace {

class every_path : public testing::TestWithParam<render_path> {};

// Counts, images, and smooth values and colours (which also take the point
// where each orbit left the escape radius, and c), bit for bit.
TEST_P(every_path, gives_the_definitions_counts_and_images)
{
    const render_path path = GetParam();
    SKIP_WITHOUT_UNIT(path);
    path_guard guard;
    for (const test_view& t : test_views) {
        // The scalar path runs the definition's own loop; the long views would only time it again.
        if (path == render_path::scalar && t.view.max_iterations > 5000)
            continue;
        std::vector<std::uint8_t> pixels;
        const exact_job f = job_of(t, pixels);
        const view_parameters& v = f.view;
        const std::int32_t width = f.grid.width;
        // The definition's counts, memory row by memory row, and its image:
        // black at the limit, else palette entry n mod length.
        std::vector<std::int32_t> expected;
        std::vector<std::uint8_t> expected_image;
        std::vector<double> expected_values;  // smooth, NaN at the limit
        for (std::int32_t p = 0; p < width * f.grid.height; ++p) {
            const double re = column_re(f, p % width);
            const double im = row_im(f, p / width);
            const std::int32_t n = figure_functions[v.figure_index](re, im, v.max_iterations);
            double zr = 0.0;
            double zi = 0.0;
            EXPECT_EQ(figure_point_functions[v.figure_index](re, im, v.max_iterations, zr, zi), n);
            if (n < v.max_iterations) {
                smooth_batch one;
                double nu;
                const smooth_sink alone{f, &nu, one, smooth_store_for(v.figure_index, false)};
                alone(0, 0, n, zr, zi, re, im);
                finish(alone);
                expected_values.push_back(nu);
            } else {
                expected_values.push_back(std::numeric_limits<double>::quiet_NaN());
            }
            const auto* colour = palette_colors[v.palette_index][std::uint32_t(n) % palette_lengths[v.palette_index]];
            expected.push_back(n);
            for (int b = 0; b < 3; ++b)
                expected_image.push_back(n < v.max_iterations ? colour[b] : 0);
        }
        std::uint64_t hash = 14695981039346656037u;  // FNV-1a of the counts' little-endian bytes
        for (const std::byte b : std::as_bytes(std::span(expected)))
            hash = (hash ^ std::to_integer<std::uint64_t>(b)) * 1099511628211u;
        EXPECT_EQ(hash, t.counts_hash) << t.name << ": the definition itself has changed";
        const std::string label = std::string(t.name) + " on " + render_path_name(path);
        std::vector<std::int32_t> counts(expected.size(), -7);
        compute_counts(f, path, counts.data());
        EXPECT_TRUE(counts == expected)
            << label << ", first different pixel x + width * row: "
            << std::mismatch(counts.begin(), counts.end(), expected.begin()).first - counts.begin();
        force_render_path(path);
        compute_image(job_of(t, pixels));
        EXPECT_TRUE(pixels == expected_image)
            << label << ", first different image byte: "
            << std::mismatch(pixels.begin(), pixels.end(), expected_image.begin()).first - pixels.begin();
        std::vector<double> values(expected.size(), -7.0);
        compute_image_smooth(job_of(t, pixels, 3), values.data());
        const auto differs = std::ranges::mismatch(values, expected_values, [](double a, double b) {
            return std::memcmp(&a, &b, sizeof a) == 0;
        });
        EXPECT_TRUE(differs.in1 == values.end())
            << label << ": smooth value of pixel " << differs.in1 - values.begin() << " is " << *differs.in1
            << ", the definition's " << *differs.in2;
        // Smooth colours are those values' colours, on the path's own vectors too.
        compute_image_smooth(job_of(t, pixels, 3), nullptr);
        std::vector<std::uint8_t> expected_smooth(pixels.size());
        for (std::size_t p = 0; p < values.size(); ++p)
            smooth_pixel(v.palette_index, expected_values[p], srgb_light(), expected_smooth.data() + 3 * p);
        EXPECT_TRUE(pixels == expected_smooth) << label << ": smooth colours";
    }
}

INSTANTIATE_TEST_SUITE_P(paths, every_path, testing::ValuesIn(all_render_paths), path_test_name);

#if defined(__x86_64__)
// The widest unit, read from the processor itself rather than from the
// compiler's probe the engine uses: CPUID's feature bits, and XCR0 for the
// register states the operating system saves (SSE and YMM for AVX2, also
// the opmask and both ZMM halves for AVX-512).
render_path widest_unit()
{
    unsigned a, b, c, d;
    __cpuid(1, a, b, c, d);
    const bool os_saves = c >> 27 & 1;  // OSXSAVE: XGETBV may be used
    const bool avx = c >> 28 & 1;
    unsigned xcr0 = 0, xcr0_high = 0;
    if (os_saves)
        asm volatile("xgetbv" : "=a"(xcr0), "=d"(xcr0_high) : "c"(0));
    __cpuid_count(7, 0, a, b, c, d);
    if (b >> 16 & 1 && (xcr0 & 0xE6) == 0xE6)
        return render_path::avx512;
    if (avx && b >> 5 & 1 && (xcr0 & 0x6) == 0x6)
        return render_path::avx2;
    return render_path::sse2;
}
#else
render_path widest_unit() { return render_path::scalar; }
#endif

// A forced path the processor lacks falls back to the widest it has.
TEST(FastRender, TheWidestUnitTheProcessorHasIsUsed)
{
    path_guard guard;
    const render_path widest = widest_unit();
    EXPECT_EQ(active_render_path(), widest);
    for (const render_path path : all_render_paths) {
        force_render_path(path);
        EXPECT_EQ(active_render_path(), std::min(path, widest)) << render_path_name(path);
    }
}

}  // namespace
