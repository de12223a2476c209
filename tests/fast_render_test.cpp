#include "fast_render.h"

#include "formulas.h"
#include "palettes.h"
#include "renderer.h"
#include "test_views.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#if defined(__x86_64__)
#include <cpuid.h>
#endif

namespace {

constexpr render_path all_paths[] = {render_path::scalar, render_path::sse2, render_path::avx2};

// Restores the renderer's path when a test ends.
struct path_guard {
    render_path saved = active_render_path();
    ~path_guard() { force_render_path(saved); }
};

// The view's record, drawing into pixels.
CFractal record(const test_view& t, std::uint8_t* pixels)
{
    CFractal fractal;
    fractal.pixels = pixels;
    fractal.width = t.width;
    fractal.height = t.height;
    set_view(fractal, t.view);
    return fractal;
}

// The definition's count of every pixel, memory row by memory row.
std::vector<std::int32_t> definition_counts(const CFractal& f)
{
    std::vector<std::int32_t> counts;
    for (std::int32_t i = 0; i < f.height; ++i) {
        for (std::int32_t x = 0; x < f.width; ++x)
            counts.push_back(figure_functions[f.figure_index](column_re(f, x), row_im(f, i), f.max_iterations));
    }
    return counts;
}

// The definition's image: black at the limit, else palette entry n mod length.
std::vector<std::uint8_t> definition_image(const CFractal& f, const std::vector<std::int32_t>& counts)
{
    std::vector<std::uint8_t> image;
    for (const std::int32_t n : counts) {
        const std::uint8_t black[3] = {0, 0, 0};
        const std::uint8_t* colour = black;
        if (n < f.max_iterations)
            colour = palette_colors[f.palette_index][static_cast<std::uint32_t>(n) % palette_lengths[f.palette_index]];
        image.insert(image.end(), colour, colour + 3);
    }
    return image;
}

std::uint64_t fnv1a(const std::vector<std::int32_t>& counts)
{
    std::uint64_t hash = 14695981039346656037u;
    for (const std::int32_t n : counts) {
        for (int b = 0; b < 4; ++b)
            hash = (hash ^ ((static_cast<std::uint32_t>(n) >> (8 * b)) & 0xFF)) * 1099511628211u;
    }
    return hash;
}

// Where two row-major arrays of `per_pixel` entries a pixel first differ; empty when equal.
template <class T>
std::string first_difference(const std::vector<T>& got, const std::vector<T>& want, std::int32_t width,
                             std::size_t per_pixel)
{
    for (std::size_t p = 0; p < want.size(); ++p) {
        if (got[p] != want[p]) {
            const std::size_t pixel = p / per_pixel;
            return "x " + std::to_string(pixel % width) + " row " + std::to_string(pixel / width) + ": " +
                   std::to_string(got[p]) + " instead of " + std::to_string(want[p]);
        }
    }
    return "";
}

// Refuses the odd workers' threads, so the calling thread renders them.
bool start_even_workers(std::thread& thread, const CFractal& fractal, int k)
{
    return k % 2 == 0 && start_worker_thread(thread, fractal, k);
}

TEST(FastRender, EveryPathGivesTheDefinitionsCountsAndImages)
{
    path_guard guard;
    int view_number = 0;
    for (const test_view& t : test_views) {
        const CFractal view = record(t, nullptr);
        const std::vector<std::int32_t> expected = definition_counts(view);
        EXPECT_EQ(fnv1a(expected), t.counts_hash) << t.name << ": the definition itself has changed";
        const std::vector<std::uint8_t> expected_image = definition_image(view, expected);
        for (const render_path path : all_paths) {
            // The scalar path runs the definition's own loop; the long views
            // would only time it again.
            if (path > best_render_path() || (path == render_path::scalar && t.view.max_iterations > 5000))
                continue;
            const std::string label = std::string(t.name) + " on " + render_path_name(path);
            std::vector<std::int32_t> counts(expected.size(), -7);
            compute_counts(view, path, counts.data());
            EXPECT_EQ(first_difference(counts, expected, t.width, 1), "") << label;

            // The whole renderer, with the odd workers refused for every other view.
            std::vector<std::uint8_t> pixels(expected_image.size(), 0xA5);
            const CFractal drawn = record(t, pixels.data());
            force_render_path(path);
            compute_image(drawn, view_number % 2 == 1 ? start_even_workers : start_worker_thread);
            EXPECT_EQ(first_difference(pixels, expected_image, t.width, 3), "") << label << ", image";
        }
        ++view_number;
    }
}

#if defined(__x86_64__)
// Asked of the processor apart from the engine: AVX2 needs the instructions
// (CPUID leaf 7) and the operating system saving the YMM registers (XGETBV).
bool processor_has_avx2()
{
    unsigned a, b, c, d;
    if (!__get_cpuid(1, &a, &b, &c, &d) || !(c & bit_OSXSAVE) || !(c & bit_AVX) || __get_cpuid_max(0, nullptr) < 7)
        return false;
    unsigned xcr0_low, xcr0_high;
    asm volatile("xgetbv" : "=a"(xcr0_low), "=d"(xcr0_high) : "c"(0));
    __cpuid_count(7, 0, a, b, c, d);
    return (xcr0_low & 6) == 6 && (b & bit_AVX2) != 0;
}
#endif

TEST(FastRender, TheWidestUnitTheProcessorHasIsUsed)
{
    path_guard guard;
#if defined(__x86_64__)
    // Every x86-64 processor has SSE2.
    const render_path widest = processor_has_avx2() ? render_path::avx2 : render_path::sse2;
#else
    const render_path widest = render_path::scalar;
#endif
    EXPECT_EQ(active_render_path(), widest);
    // A forced path the processor lacks falls back to the widest it has.
    for (const render_path path : all_paths) {
        force_render_path(path);
        EXPECT_EQ(active_render_path(), path < widest ? path : widest) << render_path_name(path);
        EXPECT_EQ(render_path_from_name(render_path_name(path), render_path::scalar), path);
    }
    EXPECT_EQ(render_path_from_name("AVX2", render_path::sse2), render_path::sse2);
    EXPECT_EQ(render_path_from_name(nullptr, render_path::sse2), render_path::sse2);
}

}  // namespace
