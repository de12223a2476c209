// The AVX-512 path: eight doubles per vector, the lanes' truth values in
// opmask registers. Only AVX-512F is enabled here; its FMA instructions are
// never asked for and -ffp-contract=off keeps the compiler from forming
// them, so every multiply and add rounds on its own as in the definition.
#include "path_entries.h"

#if defined(__x86_64__)

#define LANE_TARGET "avx512f"
#include "lane_target.h"
#include "lanes_avx512.h"

#include "vector_kernel.h"

void render_columns_avx512(const exact_job& job, int k)
{
    const colour_sink sink{job};
    run_worker_for_figure<avx512_lanes>(job, k, sink);
}

void count_columns_avx512(const exact_job& job, int k, std::int32_t* counts)
{
    const count_sink sink{job, counts};
    run_worker_for_figure<avx512_lanes>(job, k, sink);
}

void smooth_columns_avx512(const exact_job& job, int k, double* values)
{
    smooth_batch batch;
    const smooth_sink sink{job, values, batch, smooth_store<store_on_path>(job.view.figure_index, values == nullptr)};
    run_worker_for_figure<avx512_lanes>(job, k, sink);
}

#endif
