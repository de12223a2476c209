// What an image is, beneath every way of computing one: how its pixels map
// onto the plane, how the columns are shared among workers, and how an escape
// count becomes a pixel's colour. Every render path builds on this header and
// on nothing above it.
#pragma once

#include "image_grid.h"
#include "palettes.h"
#include "smooth_colour.h"
#include "smooth_value.h"
#include "view.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <span>

// One image to compute by the double definition: where its pixels lie, the
// view, the pixels' colours (3 bytes each, memory row by memory row; empty
// for a render of counts or values), and the workers that share its
// columns: worker k owns the columns k, k + workers, k + 2 workers, ...
// Every worker count gives the same bytes for the same grid.
struct exact_job {
    image_grid grid;
    view_parameters view;
    std::span<std::uint8_t> pixels;
    int workers = 1;
    std::stop_token stop = {};  // once requested, the workers end, the image unfinished
};

// The viewer's eight workers.
inline constexpr int WORKER_COUNT = 8;

// Real part sampled by column x: the lower-left corner of the pixel's cell.
inline double column_re(const exact_job& job, std::int32_t x)
{
    return (static_cast<double>(column_offset(job.grid, x)) * job.view.radius) / job.grid.column_scale +
           job.view.center_x;
}

// Imaginary part sampled by memory row i; row 0 is the bottom of the screen.
inline double row_im(const exact_job& job, std::int32_t i)
{
    return (static_cast<double>(row_offset(job.grid, i)) * job.view.radius) / job.grid.row_scale + job.view.center_y;
}

// Writes the colour of escape count n to the pixel at column x of memory row i:
// black for a point that did not escape, else palette entry n mod length.
inline void put_pixel(const exact_job& job, std::int32_t x, std::int32_t i, std::int32_t n)
{
    std::uint8_t* pixel = job.pixels.data() + 3 * pixel_index(job.grid, x, i);
    const std::int32_t palette = job.view.palette_index;
    if (n < job.view.max_iterations) {
        const std::uint32_t j = static_cast<std::uint32_t>(n) % palette_lengths[palette];
        std::memcpy(pixel, palette_colors[palette][j], 3);
    } else {
        std::memset(pixel, 0, 3);
    }
}

// Where a render path sends each finished pixel: its colour into the image.
struct colour_sink {
    const exact_job& job;
    void operator()(std::int32_t x, std::int32_t i, std::int32_t n) const { put_pixel(job, x, i, n); }
};

// Or its escape count into counts[x + width * i].
struct count_sink {
    const exact_job& job;
    std::int32_t* counts;
    void operator()(std::int32_t x, std::int32_t i, std::int32_t n) const { counts[pixel_index(job.grid, x, i)] = n; }
};

// Or its smooth value (smooth_value.h) into values[x + width * i], NaN for a
// count at the limit; with values null, the value's colour (smooth_colour.h)
// into the image. The sink takes the point where the orbit left the escape
// radius, z_n with |z_n|^2 > 4, and c, and works out the values a batch at a
// time, through store_batch: a function compiled for the vector unit of the
// path that runs the worker (smooth_store_for). finish(sink) does the last
// batch. A worker owns the batch.
struct smooth_sink {
    const exact_job& job;
    double* values;
    smooth_batch& batch;
    void (*store_batch)(const smooth_sink& sink);

    void operator()(std::int32_t x, std::int32_t i, std::int32_t n, double zr, double zi, double cr, double ci) const
    {
        if (n >= job.view.max_iterations) {
            if (values != nullptr)
                values[pixel_index(job.grid, x, i)] = std::numeric_limits<double>::quiet_NaN();
            else
                std::memset(job.pixels.data() + 3 * pixel_index(job.grid, x, i), 0, 3);
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
        const std::size_t at = pixel_index(sink.job.grid, batch.x[l], batch.i[l]);
        if constexpr (Colours)
            smooth_pixel(sink.job.view.palette_index, nu[l], srgb_light(), sink.job.pixels.data() + 3 * at);
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
inline constexpr bool takes_orbit = requires(const Sink& sink)
{
    sink(0, 0, 0, 0.0, 0.0, 0.0, 0.0);
};

// Hands a pixel's count, with its escaped point z and c where the sink takes
// them, to sink.
template <class Sink>
inline void deliver(const Sink& sink, std::int32_t x, std::int32_t i, std::int32_t n, double zr, double zi, double cr,
                    double ci)
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
