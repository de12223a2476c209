#include "frame_render.h"

#include "linear_light.h"
#include "smooth_colour.h"

#include "renderer.h"

#include <algorithm>

namespace {

// Equal scales: the shorter side spans twice the radius.
render_layout layout_of(std::int32_t width, std::int32_t height, int workers)
{
    const std::int32_t scale = std::min(width, height);
    return {scale, scale, workers};
}

const linear_light& light()
{
    static const linear_light table;
    return table;
}

// Colours counts[x + width * i] into the image, as the definition colours them.
void colour_counts(const CFractal& fractal, const std::int32_t* counts)
{
    for (std::int32_t i = 0; i < fractal.height; ++i) {
        for (std::int32_t x = 0; x < fractal.width; ++x)
            put_pixel(fractal, x, i, counts[pixel_index(fractal, x, i)]);
    }
}

// What a smooth render gives per pixel: the count and the escaped point.
struct escapes {
    std::vector<std::int32_t> counts;
    std::vector<double> points;                // exact: re, im per pixel
    std::vector<complex_pair<double>> deep;    // by perturbation
    double re(std::size_t at) const { return deep.empty() ? points[2 * at] : deep[at].re; }
    double im(std::size_t at) const { return deep.empty() ? points[2 * at + 1] : deep[at].im; }
};

// The counts and escaped points of the image `fractal` (a band of rows of an
// image whole_height tall, or all of one), with its layout.
void render_escapes(const frame_job& job, const CFractal& fractal, const render_layout& layout, escapes& out)
{
    const std::size_t pixels = static_cast<std::size_t>(fractal.width) * fractal.height;
    out.counts.resize(pixels);
    if (job.perturbation) {
        out.deep.resize(pixels);
        job.deep.render_band(job.radius, layout.first_row, fractal.height, job.workers, out.counts.data(),
                             job.progress, out.deep.data());
    } else {
        out.points.resize(2 * pixels);
        compute_image_escapes(fractal, layout, out.counts.data(), out.points.data());
    }
}

// nu of each pixel: c from the image's own mapping, in doubles (for a deep
// view the continuation past the radius needs no more).
template <class Each>
void for_each_smooth(const CFractal& fractal, const render_layout& layout, const escapes& e, Each each)
{
    const int exponent = fractal.figure_index + 2;
    for (std::int32_t i = 0; i < fractal.height; ++i) {
        const double ci = row_im(fractal, layout, i);
        for (std::int32_t x = 0; x < fractal.width; ++x) {
            const std::size_t at = pixel_index(fractal, x, i);
            each(at, smooth_count(exponent, e.counts[at], fractal.max_iterations, e.re(at), e.im(at),
                                  column_re(fractal, layout, x), ci));
        }
    }
}

// The colours of the image, smooth or not.
void render_colours(const frame_job& job, const CFractal& fractal, const render_layout& layout)
{
    if (job.options.smooth) {
        escapes e;
        render_escapes(job, fractal, layout, e);
        for_each_smooth(fractal, layout, e,
                        [&](std::size_t at, double nu) { smooth_pixel(fractal, nu, light(), fractal.pixels + 3 * at); });
    } else if (job.perturbation) {
        std::vector<std::int32_t> counts(static_cast<std::size_t>(fractal.width) * fractal.height);
        job.deep.render_band(job.radius, layout.first_row, fractal.height, job.workers, counts.data(), job.progress);
        colour_counts(fractal, counts.data());
    } else {
        compute_image(fractal, layout);
    }
}

// Each pixel of the output rows first .. first + rows - 1 the mean in linear
// light of its block of the sampled band, whose row 0 is output row first's
// first sampled row.
void average_band(const CFractal& out, std::int32_t first, std::int32_t rows, const std::uint8_t* band,
                  std::int32_t samples)
{
    const linear_light& l = light();
    const std::size_t band_width = static_cast<std::size_t>(out.width) * samples;
    const double count = static_cast<double>(samples) * samples;
    for (std::int32_t r = 0; r < rows; ++r) {
        for (std::int32_t x = 0; x < out.width; ++x) {
            std::uint8_t* pixel = out.pixels + 3 * pixel_index(out, x, first + r);
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
}

}  // namespace

std::int32_t band_rows(std::int32_t height, std::int32_t samples)
{
    return std::max<std::int32_t>(1, height / (4 * samples * samples));
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
        escapes e;
        render_escapes(job, fractal, layout, e);
        values.resize(e.counts.size());
        for_each_smooth(fractal, layout, e, [&](std::size_t at, double nu) { values[at] = nu; });
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
    if (n == 1) {
        render_colours(job, fractal, layout_of(fractal.width, fractal.height, job.workers));
        return;
    }
    const std::int32_t width = fractal.width * n;
    const std::int32_t height = fractal.height * n;
    const std::int32_t rows = band_rows(fractal.height, n);
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * rows * n * 3);
    CFractal band;
    band.pixels = pixels.data();
    band.width = width;
    set_view(band, job.frame.view);
    for (std::int32_t first = 0; first < fractal.height; first += rows) {
        const std::int32_t these = std::min(rows, fractal.height - first);
        band.height = these * n;
        render_layout layout = layout_of(width, height, job.workers);
        layout.first_row = first * n;
        layout.whole_height = height;
        render_colours(job, band, layout);
        average_band(fractal, first, these, pixels.data(), n);
    }
}
