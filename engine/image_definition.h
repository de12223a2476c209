// What an image is, beneath every way of computing one: how its pixels map
// onto the plane, how the columns are shared among workers, and how an escape
// count becomes a pixel's colour. Every render path builds on this header and
// on nothing above it.
#pragma once

#include "fractal.h"
#include "palettes.h"
#include "smooth_colour.h"
#include "smooth_value.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

// How an image maps onto the plane and is shared among workers: column x
// samples re = ((2x - W) r) / column_scale + center_x, memory row i samples
// im = ((2i - H) r) / row_scale + center_y, and worker k owns the columns
// k, k + workers, k + 2 workers, ... Every worker count gives the same bytes
// for the same scales. An image may be a band of a taller one: its memory
// rows are that image's rows first_row, first_row + 1, ..., each sampled
// where the taller image samples it.
struct render_layout {
    std::int32_t column_scale;
    std::int32_t row_scale;
    int workers;
    std::int32_t first_row = 0;
    std::int32_t whole_height = 0;  // the taller image's height; 0: the image is whole
};

// The viewer's eight workers.
inline constexpr int WORKER_COUNT = 8;

// The most workers a layout may ask for; their handles live on the stack.
inline constexpr int MAX_WORKERS = 1024;

// The viewer's layout: each side divided by its own length, eight workers.
inline render_layout viewer_layout(const CFractal& fractal)
{
    return {fractal.width, fractal.height, WORKER_COUNT};
}

// Real part sampled by column x: the lower-left corner of the pixel's cell.
// The integer 2x - W is formed first, then converted; the order of the
// operations is part of the definition of the image.
inline double column_re(const CFractal& fractal, const render_layout& layout, std::int32_t x)
{
    return (static_cast<double>(2 * x - fractal.width) * fractal.radius) / layout.column_scale + fractal.center_x;
}

// Imaginary part sampled by memory row i; row 0 is the bottom of the screen.
inline double row_im(const CFractal& fractal, const render_layout& layout, std::int32_t i)
{
    const std::int32_t height = layout.whole_height != 0 ? layout.whole_height : fractal.height;
    return (static_cast<double>(2 * (i + layout.first_row) - height) * fractal.radius) / layout.row_scale +
           fractal.center_y;
}

// Index of pixel (x, i) in a buffer of one entry per pixel, memory row by memory row.
inline std::size_t pixel_index(const CFractal& fractal, std::int32_t x, std::int32_t i)
{
    return static_cast<std::size_t>(x) + static_cast<std::size_t>(fractal.width) * static_cast<std::size_t>(i);
}

// Writes the colour of escape count n to the pixel at column x of memory row i:
// black for a point that did not escape, else palette entry n mod length.
inline void put_pixel(const CFractal& fractal, std::int32_t x, std::int32_t i, std::int32_t n)
{
    std::uint8_t* pixel = fractal.pixels + 3 * pixel_index(fractal, x, i);
    if (n < fractal.max_iterations) {
        const std::uint32_t j = static_cast<std::uint32_t>(n) % palette_lengths[fractal.palette_index];
        std::memcpy(pixel, palette_colors[fractal.palette_index][j], 3);
    } else {
        std::memset(pixel, 0, 3);
    }
}

// Where a render path sends each finished pixel: its colour into the image.
struct colour_sink {
    const CFractal& fractal;
    void operator()(std::int32_t x, std::int32_t i, std::int32_t n) const { put_pixel(fractal, x, i, n); }
};

// Or its escape count into counts[x + width * i].
struct count_sink {
    const CFractal& fractal;
    std::int32_t* counts;
    void operator()(std::int32_t x, std::int32_t i, std::int32_t n) const { counts[pixel_index(fractal, x, i)] = n; }
};

// Or its smooth value (smooth_value.h) into values[x + width * i], NaN for a
// count at the limit; with values null, the value's colour (smooth_colour.h)
// into the image. The sink takes the point where the orbit left the escape
// radius, z_n with |z_n|^2 > 4, and c, and works out the values a batch at a
// time, through store_batch: a function compiled for the vector unit of the
// path that runs the worker (smooth_store_for). finish(sink) does the last
// batch. A worker owns the batch.
struct smooth_sink {
    const CFractal& fractal;
    double* values;
    smooth_batch& batch;
    void (*store_batch)(const smooth_sink& sink);

    void operator()(std::int32_t x, std::int32_t i, std::int32_t n, double zr, double zi, double cr, double ci) const
    {
        if (n >= fractal.max_iterations) {
            if (values != nullptr)
                values[pixel_index(fractal, x, i)] = std::numeric_limits<double>::quiet_NaN();
            else
                std::memset(fractal.pixels + 3 * pixel_index(fractal, x, i), 0, 3);
            return;
        }
        batch.add(x, i, n, zr, zi, cr, ci);
        if (batch.size == SMOOTH_LANES)
            flush();
    }

    void flush() const
    {
        if (batch.size != 0)
            store_batch(*this);
    }
};

// store_batch for exponent P, into values or with Colours into the image:
// instantiated by each path in a function of its own target, so that the
// batch's vectors are the path's.
template <int P, bool Colours>
[[gnu::always_inline]] inline void store_smooth_batch(const smooth_sink& sink)
{
    smooth_batch& batch = sink.batch;
    batch.pad();
    double nu[SMOOTH_LANES];
    smooth_values<P>(batch, nu);
    for (int l = 0; l < batch.size; ++l) {
        const std::size_t at = pixel_index(sink.fractal, batch.x[l], batch.i[l]);
        if constexpr (Colours)
            smooth_pixel(sink.fractal, nu[l], srgb_light(), sink.fractal.pixels + 3 * at);
        else
            sink.values[at] = nu[l];
    }
    batch.size = 0;
}

// The store_batch of a path, Store<P, Colours>, for a figure and for where
// the sink puts its results.
template <template <int, bool> class Store>
auto smooth_store(int figure_index, bool colours) -> void (*)(const smooth_sink&)
{
    using store = void (*)(const smooth_sink&);
    constexpr store table[2][3] = {{Store<2, false>::run, Store<3, false>::run, Store<4, false>::run},
                                   {Store<2, true>::run, Store<3, true>::run, Store<4, true>::run}};
    return table[colours ? 1 : 0][figure_index];
}

// The baseline's store_batch (for the scalar path, and for values from the
// orbits of other renderers).
auto smooth_store_for(int figure_index, bool colours) -> void (*)(const smooth_sink&);

// Whether a sink takes the escaped point and c as well as the count.
template <class Sink>
inline constexpr bool takes_orbit = requires(const Sink& sink) { sink(0, 0, 0, 0.0, 0.0, 0.0, 0.0); };

// Hands a pixel's count, with its escaped point z and c where the sink takes
// them, to sink.
template <class Sink>
inline void deliver(const Sink& sink, std::int32_t x, std::int32_t i, std::int32_t n,
                                           double zr, double zi, double cr, double ci)
{
    if constexpr (takes_orbit<Sink>)
        sink(x, i, n, zr, zi, cr, ci);
    else
        sink(x, i, n);
}

// Lets a sink finish the work it holds, once a worker has handed it every pixel.
template <class Sink>
inline void finish(const Sink& sink)
{
    if constexpr (requires { sink.flush(); })
        sink.flush();
}
