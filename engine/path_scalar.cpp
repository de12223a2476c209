// The scalar path: the definition's own loop, and the reference every other
// path is held to.
#include "path_entries.h"

#include "formulas.h"

#include <cassert>

namespace {

// Every pixel of worker k, through the view's formula, to sink.
template <class Sink>
void run_worker(const exact_job& job, int k, const Sink& sink)
{
    assert(job.view.figure_index >= 0 && job.view.figure_index < FIGURE_COUNT);
    [[maybe_unused]] const escape_time_function escape_time = figure_functions[job.view.figure_index];
    [[maybe_unused]] const escape_point_function escape_point = figure_point_functions[job.view.figure_index];
    for (std::int32_t i = 0; i < job.grid.height && !job.stop.stop_requested(); ++i) {
        const double im = row_im(job, i);
        for (std::int32_t x = k; x < job.grid.width; x += job.workers) {
            if constexpr (takes_orbit<Sink>) {
                const double re = column_re(job, x);
                double zr;
                double zi;
                const std::int32_t n = escape_point(re, im, job.view.max_iterations, zr, zi);
                sink(x, i, n, zr, zi, re, im);
            } else {
                sink(x, i, escape_time(column_re(job, x), im, job.view.max_iterations));
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

void render_columns_scalar(const exact_job& job, int k) { run_worker(job, k, colour_sink{job}); }

void count_columns_scalar(const exact_job& job, int k, std::int32_t* counts)
{
    run_worker(job, k, count_sink{job, counts});
}

void smooth_columns_scalar(const exact_job& job, int k, double* values)
{
    smooth_batch batch;
    run_worker(job, k, smooth_sink{job, values, batch, smooth_store_for(job.view.figure_index, values == nullptr)});
}
