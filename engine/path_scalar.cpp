// The scalar path: the definition's own loop, and the reference every other
// path is held to.
#include "path_entries.h"

#include "formulas.h"

#include <cassert>

namespace {

// Every pixel of worker k, through the view's formula, to sink.
template <class Sink>
void run_worker(const CFractal& fractal, const render_layout& layout, int k, const Sink& sink)
{
    assert(fractal.figure_index >= 0 && fractal.figure_index < FIGURE_COUNT);
    [[maybe_unused]] const escape_time_function escape_time = figure_functions[fractal.figure_index];
    [[maybe_unused]] const escape_point_function escape_point = figure_point_functions[fractal.figure_index];
    for (std::int32_t i = 0; i < fractal.height; ++i) {
        const double im = row_im(fractal, layout, i);
        for (std::int32_t x = k; x < fractal.width; x += layout.workers) {
            if constexpr (takes_orbit<Sink>) {
                const double re = column_re(fractal, layout, x);
                double zr;
                double zi;
                const std::int32_t n = escape_point(re, im, fractal.max_iterations, zr, zi);
                sink(x, i, n, zr, zi, re, im);
            } else {
                sink(x, i, escape_time(column_re(fractal, layout, x), im, fractal.max_iterations));
            }
        }
    }
    finish(sink);
}

}  // namespace

namespace {

template <int P, bool Colours>
struct store_on_baseline {
    static void run(const smooth_sink& sink) { store_smooth_batch<P, Colours>(sink); }
};

}  // namespace

auto smooth_store_for(int figure_index, bool colours) -> void (*)(const smooth_sink&)
{
    return smooth_store<store_on_baseline>(figure_index, colours);
}

void render_columns_scalar(const CFractal& fractal, const render_layout& layout, int k)
{
    run_worker(fractal, layout, k, colour_sink{fractal});
}

void count_columns_scalar(const CFractal& fractal, const render_layout& layout, int k, std::int32_t* counts)
{
    run_worker(fractal, layout, k, count_sink{fractal, counts});
}

void smooth_columns_scalar(const CFractal& fractal, const render_layout& layout, int k, double* values)
{
    smooth_batch batch;
    run_worker(fractal, layout, k, smooth_sink{fractal, values, batch, smooth_store_for(fractal.figure_index, values == nullptr)});
}
