#include "frame_render.h"

#include "linear_light.h"

#include "renderer.h"

#include "worker_fanout.h"

#include <algorithm>
#include <cstring>

namespace {

// Colours counts[x + width * i] into the image, as the definition colours them.
void colour_counts(const exact_job& image, const std::int32_t* counts)
{
    for (std::int32_t i = 0; i < image.grid.height; ++i) {
        for (std::int32_t x = 0; x < image.grid.width; ++x)
            put_pixel(image, x, i, counts[pixel_index(image.grid, x, i)]);
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

// The smooth values of the image (a band of rows of a taller one, or all
// of one) into values, or with values null their colours into its pixels.
void render_smooth(const frame_job& job, const exact_job& image, smooth_band& band, double* values)
{
    if (!job.perturbation) {
        compute_image_smooth(image, values);
        return;
    }
    const std::size_t pixels = static_cast<std::size_t>(image.grid.width) * image.grid.height;
    band.counts.resize(pixels);
    band.deep.resize(pixels);
    job.deep.render_band(job.radius, image.grid, job.workers, band.counts.data(), job.progress, band.deep.data(),
                         job.stop);
    // The values from the escaped points as the exact paths take them, c
    // from the image's own mapping in doubles: the continuation past the
    // radius needs no more.
    fan_out_rows(image.grid.height, image.workers, [&](std::int32_t first, std::int32_t end) {
        smooth_batch batch;
        const smooth_sink sink{image, values, batch, smooth_store_for(image.view.figure_index, values == nullptr)};
        for (std::int32_t i = first; i < end; ++i) {
            const double ci = row_im(image, i);
            for (std::int32_t x = 0; x < image.grid.width; ++x) {
                const std::size_t at = pixel_index(image.grid, x, i);
                sink(x, i, band.counts[at], band.deep[at].re, band.deep[at].im, column_re(image, x), ci);
            }
        }
        finish(sink);
    });
}

// The colours of the image, smooth or not; band holds the deep counts, kept
// from band to band.
void render_colours(const frame_job& job, const exact_job& image, smooth_band& band)
{
    if (job.options.smooth) {
        render_smooth(job, image, band, nullptr);
    } else if (job.perturbation) {
        band.counts.resize(static_cast<std::size_t>(image.grid.width) * image.grid.height);
        job.deep.render_band(job.radius, image.grid, job.workers, band.counts.data(), job.progress, nullptr, job.stop);
        colour_counts(image, band.counts.data());
    } else {
        compute_image(image);
    }
}

// Each pixel of the output rows first .. first + rows - 1 the mean in linear
// light of its block of the sampled band, whose row 0 is output row first's
// first sampled row.
void average_band(const image_grid& out, std::uint8_t* out_pixels, std::int32_t first, std::int32_t rows,
                  const std::uint8_t* band, std::int32_t samples, int workers)
{
    const linear_light& l = srgb_light();
    const std::size_t band_width = static_cast<std::size_t>(out.width) * samples;
    const double count = static_cast<double>(samples) * samples;
    fan_out_rows(rows, workers, [&](std::int32_t from, std::int32_t end) {
        for (std::int32_t r = from; r < end; ++r) {
            for (std::int32_t x = 0; x < out.width; ++x) {
                std::uint8_t* pixel = out_pixels + 3 * pixel_index(out, x, first + r);
                // A block of one colour is that colour: its mean is the colour's
                // light to within an ulp or two, far inside the byte's midpoints.
                const std::uint8_t* corner = band + 3 * (band_width * static_cast<std::size_t>(r * samples) +
                                                         static_cast<std::size_t>(x) * samples);
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
                        const std::uint8_t* row = band + 3 * (band_width * static_cast<std::size_t>(r * samples + dy) +
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

// The frame's image on a grid, with no pixels yet.
exact_job frame_image(const frame_job& job, const image_grid& grid)
{
    return {grid, job.frame.view.exact(), {}, job.workers, job.stop};
}

}  // namespace

std::int32_t band_rows(std::int32_t height, std::int32_t samples)
{
    return std::max<std::int32_t>(1, height / (samples * samples));
}

void render_frame_counts(const frame_job& job, std::vector<std::int32_t>& counts, std::vector<double>& values)
{
    const render_options& o = job.options;
    const exact_job image = frame_image(job, equal_scales_grid(o.width, o.height));
    const std::size_t pixels = static_cast<std::size_t>(o.width) * o.height;
    if (o.smooth) {
        smooth_band band;
        values.resize(pixels);
        render_smooth(job, image, band, values.data());
        return;
    }
    counts.resize(pixels);
    if (job.perturbation)
        job.deep.render(job.radius, job.workers, counts.data(), job.progress, nullptr, job.stop);
    else
        compute_image_counts(image, counts.data());
}

void render_frame_colours(const frame_job& job, std::span<std::uint8_t> pixels)
{
    const std::int32_t n = job.options.samples;
    const image_grid out = equal_scales_grid(job.options.width, job.options.height);
    smooth_band smooth;
    if (n == 1 && !(job.options.smooth && job.perturbation)) {
        exact_job image = frame_image(job, out);
        image.pixels = pixels;
        render_colours(job, image, smooth);
        return;
    }
    // Bands of rows of the image N times larger (N = 1 for smooth colours
    // by perturbation alone, whose counts and points per pixel would
    // otherwise take several times the image's memory).
    const image_grid sampled = equal_scales_grid(out.width * n, out.height * n);
    const std::int32_t rows =
        n > 1 ? band_rows(out.height, n) : std::max<std::int32_t>(1, SMOOTH_BAND_PIXELS / out.width);
    std::vector<std::uint8_t> samples(n > 1 ? static_cast<std::size_t>(sampled.width) * rows * n * 3 : 0);
    for (std::int32_t first = 0; first < out.height && !job.stop.stop_requested(); first += rows) {
        const std::int32_t these = std::min(rows, out.height - first);
        exact_job band = frame_image(job, band_of(sampled, first * n, these * n));
        band.pixels = n > 1 ? std::span<std::uint8_t>(samples).first(3 * pixel_index(band.grid, 0, band.grid.height))
                            : pixels.subspan(3 * pixel_index(out, 0, first), 3 * pixel_index(out, 0, these));
        render_colours(job, band, smooth);
        if (n > 1)
            average_band(out, pixels.data(), first, these, samples.data(), n, job.workers);
    }
}

void render_frame(const frame_job& job, frame_buffers& buffers)
{
    const render_options& o = job.options;
    if (o.format == output_format::npy) {
        render_frame_counts(job, buffers.counts, buffers.values);
        return;
    }
    buffers.pixels.resize(static_cast<std::size_t>(o.width) * o.height * 3);
    render_frame_colours(job, buffers.pixels);
}
