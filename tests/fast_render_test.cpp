#include "fast_render.h"

#include "formulas.h"
#include "palettes.h"
#include "renderer.h"
#include "test_views.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <string>

namespace {

constexpr render_path all_paths[] = {render_path::scalar, render_path::sse2, render_path::avx2, render_path::avx512};

TEST(FastRender, EveryPathGivesTheDefinitionsCountsAndImages)
{
    path_guard guard;
    for (const test_view& t : test_views) {
        std::vector<std::uint8_t> pixels;
        const CFractal f = record(t, pixels);
        // The definition's counts, memory row by memory row, and its image:
        // black at the limit, else palette entry n mod length.
        std::vector<std::int32_t> expected;
        std::vector<std::uint8_t> expected_image;
        for (std::int32_t p = 0; p < f.width * f.height; ++p) {
            const std::int32_t n =
                figure_functions[f.figure_index](column_re(f, p % f.width), row_im(f, p / f.width), f.max_iterations);
            const auto* colour = palette_colors[f.palette_index][std::uint32_t(n) % palette_lengths[f.palette_index]];
            expected.push_back(n);
            for (int b = 0; b < 3; ++b)
                expected_image.push_back(n < f.max_iterations ? colour[b] : 0);
        }
        std::uint64_t hash = 14695981039346656037u;  // FNV-1a of the counts' little-endian bytes
        for (const std::byte b : std::as_bytes(std::span(expected)))
            hash = (hash ^ std::to_integer<std::uint64_t>(b)) * 1099511628211u;
        EXPECT_EQ(hash, t.counts_hash) << t.name << ": the definition itself has changed";
        for (const render_path path : all_paths) {
            // The scalar path runs the definition's own loop; the long views would only time it again.
            if (path > best_render_path() || (path == render_path::scalar && t.view.max_iterations > 5000))
                continue;
            const std::string label = std::string(t.name) + " on " + render_path_name(path);
            std::vector<std::int32_t> counts(expected.size(), -7);
            compute_counts(f, path, counts.data());
            EXPECT_TRUE(counts == expected)
                << label << ", first different pixel x + width * row: "
                << std::mismatch(counts.begin(), counts.end(), expected.begin()).first - counts.begin();
            force_render_path(path);
            compute_image(record(t, pixels));
            EXPECT_TRUE(pixels == expected_image)
                << label << ", first different image byte: "
                << std::mismatch(pixels.begin(), pixels.end(), expected_image.begin()).first - pixels.begin();
        }
    }
}

#if defined(__x86_64__)
// Every x86-64 processor has SSE2; the compiler's own probe checks that the
// operating system saves the YMM (and for AVX-512 the opmask and ZMM)
// registers as well.
const render_path widest = __builtin_cpu_supports("avx512f") ? render_path::avx512
                           : __builtin_cpu_supports("avx2") ? render_path::avx2
                                                            : render_path::sse2;
#else
const render_path widest = render_path::scalar;
#endif

// A forced path the processor lacks falls back to the widest it has.
TEST(FastRender, TheWidestUnitTheProcessorHasIsUsed)
{
    path_guard guard;
    EXPECT_EQ(active_render_path(), widest);
    for (const render_path path : all_paths) {
        force_render_path(path);
        EXPECT_EQ(active_render_path(), std::min(path, widest)) << render_path_name(path);
    }
}

}  // namespace
