// The SSE2 path: two doubles per vector, on every x86-64 processor.
#include "path_entries.h"

#if defined(__x86_64__)

#define LANE_TARGET "sse2"
#include "lane_target.h"
#include "lanes_sse2.h"

#include "vector_kernel.h"

void render_columns_sse2(const exact_job& job, int k)
{
    const colour_sink sink{job};
    run_worker_for_figure<sse2_lanes>(job, k, sink);
}

void count_columns_sse2(const exact_job& job, int k, std::int32_t* counts)
{
    const count_sink sink{job, counts};
    run_worker_for_figure<sse2_lanes>(job, k, sink);
}

void smooth_columns_sse2(const exact_job& job, int k, double* values)
{
    smooth_batch batch;
    const smooth_sink sink{job, values, batch, smooth_store<store_on_path>(job.view.figure_index, values == nullptr)};
    run_worker_for_figure<sse2_lanes>(job, k, sink);
}

#endif
