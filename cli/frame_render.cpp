#include "frame_render.h"

#include "linear_light.h"

#include "renderer.h"

#include <algorithm>
#include <cstring>
#include <system_error>
#include <thread>

namespace {

// Equal scales: the shorter side spans twice the radius.
render_layout layout_of(std::int32_t width, std::int32_t height, int workers)
{
    const std::int32_t scale = std::min(width, height);
    return {scale, scale, workers};
}

// body(first, end) for consecutive ranges of rows 0 .. rows - 1, one per
// worker, on threads of their own; a range whose thread the platform
// refuses runs on the calling thread. Each pixel's result depends on that
// pixel alone, so the split never changes the bytes.
template <class Body>
void in_parallel(std::int32_t rows, int workers, const Body& body)
{
    const std::int32_t parts = std::max<std::int32_t>(1, std::min<std::int32_t>(rows, workers));
    std::vector<std::thread> threads(static_cast<std::size_t>(parts));
    std::vector<bool> started(threads.size(), false);
    const auto range = [&](std::int32_t p) { body(rows * p / parts, rows * (p + 1) / parts); };
    for (std::int32_t p = 1; p < parts; ++p) {
        try {
            threads[static_cast<std::size_t>(p)] = std::thread(range, p);
            started[static_cast<std::size_t>(p)] = true;
        } catch (const std::system_error&) {
        }
    }
    range(0);
    for (std::int32_t p = 1; p < parts; ++p) {
        if (started[static_cast<std::size_t>(p)])
            threads[static_cast<std::size_t>(p)].join();
        else
            range(p);
    }
}

// Colours counts[x + width * i] into the image, as the definition colours them.
void colour_counts(const CFractal& fractal, const std::int32_t* counts)
{
    for (std::int32_t i = 0; i < fractal.height; ++i) {
        for (std::int32_t x = 0; x < fractal.width; ++x)
            put_pixel(fractal, x, i, counts[pixel_index(fractal, x, i)]);
    }
}

// The pixels of a band of smooth colours by perturbation alone: its counts
// and escaped points stay within a few tens of megabytes.
constexpr std::int32_t SMOOTH_BAND_PIXELS = 1 << 20;

// What a smooth render by perturbation gives per pixel, kept from band to
// band: the count and the escaped point its smooth value comes from.
struct smooth_band {
    std::vector<std::int32_t> counts;
    std::vector<complex_pair<double>> deep;
};

// The smooth values of the image `fractal` (a band of rows of an image
// whole_height tall, or all of one) into values, or with values null their
// colours into its pixels.
void render_smooth(const frame_job& job, const CFractal& fractal, const render_layout& layout, smooth_band& band,
                   double* values)
{
    if (!job.perturbation) {
        compute_image_smooth(fractal, layout, values);
        return;
    }
    const std::size_t pixels = static_cast<std::size_t>(fractal.width) * fractal.height;
    band.counts.resize(pixels);
    band.deep.resize(pixels);
    job.deep.render_band(job.radius, layout.first_row, fractal.height, job.workers, band.counts.data(), job.progress,
                         band.deep.data());
    // The values from the escaped points as the exact paths take them, c
    // from the image's own mapping in doubles: the continuation past the
    // radius needs no more.
    in_parallel(fractal.height, layout.workers, [&](std::int32_t first, std::int32_t end) {
        smooth_batch batch;
        const smooth_sink sink{fractal, values, batch, smooth_store_for(fractal.figure_index, values == nullptr)};
        for (std::int32_t i = first; i < end; ++i) {
            const double ci = row_im(fractal, layout, i);
            for (std::int32_t x = 0; x < fractal.width; ++x) {
                const std::size_t at = pixel_index(fractal, x, i);
                sink(x, i, band.counts[at], band.deep[at].re, band.deep[at].im, column_re(fractal, layout, x), ci);
            }
        }
        finish(sink);
    });
}

// The colours of the image, smooth or not; band holds the deep counts, kept
// from band to band.
void render_colours(const frame_job& job, const CFractal& fractal, const render_layout& layout, smooth_band& band)
{
    if (job.options.smooth) {
        render_smooth(job, fractal, layout, band, nullptr);
    } else if (job.perturbation) {
        band.counts.resize(static_cast<std::size_t>(fractal.width) * fractal.height);
        job.deep.render_band(job.radius, layout.first_row, fractal.height, job.workers, band.counts.data(),
                             job.progress);
        colour_counts(fractal, band.counts.data());
    } else {
        compute_image(fractal, layout);
    }
}

// Each pixel of the output rows first .. first + rows - 1 the mean in linear
// light of its block of the sampled band, whose row 0 is output row first's
// first sampled row.
void average_band(const CFractal& out, std::int32_t first, std::int32_t rows, const std::uint8_t* band,
                  std::int32_t samples, int workers)
{
    const linear_light& l = srgb_light();
    const std::size_t band_width = static_cast<std::size_t>(out.width) * samples;
    const double count = static_cast<double>(samples) * samples;
    in_parallel(rows, workers, [&](std::int32_t from, std::int32_t end) {
        for (std::int32_t r = from; r < end; ++r) {
            for (std::int32_t x = 0; x < out.width; ++x) {
                std::uint8_t* pixel = out.pixels + 3 * pixel_index(out, x, first + r);
                // A block of one colour is that colour: its mean is the colour's
                // light to within an ulp or two, far inside the byte's midpoints.
                const std::uint8_t* corner =
                    band + 3 * (band_width * static_cast<std::size_t>(r * samples) + static_cast<std::size_t>(x) * samples);
                bool uniform = true;
                for (std::int32_t dy = 0; dy < samples && uniform; ++dy) {
                    const std::uint8_t* row = corner + 3 * band_width * static_cast<std::size_t>(dy);
                    for (std::int32_t dx = 0; dx < samples && uniform; ++dx)
                        uniform = std::memcmp(row + 3 * dx, corner, 3) == 0;
                }
                if (uniform) {
                    std::memcpy(pixel, corner, 3);
                    continue;
                }
                for (int c = 0; c < 3; ++c) {
                    double sum = 0.0;
                    for (std::int32_t dy = 0; dy < samples; ++dy) {
                        const std::uint8_t* row =
                            band + 3 * (band_width * static_cast<std::size_t>(r * samples + dy) +
                                        static_cast<std::size_t>(x) * samples);
                        for (std::int32_t dx = 0; dx < samples; ++dx)
                            sum += l.decode(row[3 * dx + c]);
                    }
                    pixel[c] = l.encode(sum / count);
                }
            }
        }
    });
}

}  // namespace

std::int32_t band_rows(std::int32_t height, std::int32_t samples)
{
    return std::max<std::int32_t>(1, height / (samples * samples));
}

void render_frame_counts(const frame_job& job, std::vector<std::int32_t>& counts, std::vector<double>& values)
{
    const render_options& o = job.options;
    CFractal fractal;
    fractal.width = o.width;
    fractal.height = o.height;
    set_view(fractal, job.frame.view);
    const render_layout layout = layout_of(o.width, o.height, job.workers);
    if (o.smooth) {
        smooth_band band;
        values.resize(static_cast<std::size_t>(o.width) * o.height);
        render_smooth(job, fractal, layout, band, values.data());
        return;
    }
    counts.resize(static_cast<std::size_t>(o.width) * o.height);
    if (job.perturbation)
        job.deep.render(job.radius, job.workers, counts.data(), job.progress);
    else
        compute_image_counts(fractal, layout, counts.data());
}

void render_frame_colours(const frame_job& job, const CFractal& fractal)
{
    const std::int32_t n = job.options.samples;
    smooth_band smooth;
    if (n == 1 && !(job.options.smooth && job.perturbation)) {
        render_colours(job, fractal, layout_of(fractal.width, fractal.height, job.workers), smooth);
        return;
    }
    // Bands of rows of the image N times larger (N = 1 for smooth colours
    // by perturbation alone, whose counts and points per pixel would
    // otherwise take several times the image's memory).
    const std::int32_t width = fractal.width * n;
    const std::int32_t height = fractal.height * n;
    const std::int32_t rows = n > 1 ? band_rows(fractal.height, n)
                                    : std::max<std::int32_t>(1, SMOOTH_BAND_PIXELS / fractal.width);
    std::vector<std::uint8_t> pixels(n > 1 ? static_cast<std::size_t>(width) * rows * n * 3 : 0);
    CFractal band;
    band.width = width;
    set_view(band, job.frame.view);
    for (std::int32_t first = 0; first < fractal.height; first += rows) {
        const std::int32_t these = std::min(rows, fractal.height - first);
        band.height = these * n;
        band.pixels = n > 1 ? pixels.data() : fractal.pixels + 3 * pixel_index(fractal, 0, first);
        render_layout layout = layout_of(width, height, job.workers);
        layout.first_row = first * n;
        layout.whole_height = height;
        render_colours(job, band, layout, smooth);
        if (n > 1)
            average_band(fractal, first, these, pixels.data(), n, job.workers);
    }
}
