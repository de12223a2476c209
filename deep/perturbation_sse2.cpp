// The deep loop on SSE2: two lanes per vector, on every x86-64 processor.
// SSE2 has no gather: each lane's element is one 16-byte load of its pair.
#include "perturbation_vector.h"

#if defined(__x86_64__)

#include <emmintrin.h>

#define LANES_TARGET "sse2"
#include "perturbation_lanes.h"

namespace {

struct sse2_lanes {
    using vec = __m128d;
    using flags = __m128d;  // all ones in a set lane
    // Independent pixels in flight, enough to cover the latency of a round.
    static constexpr int vectors = 4;
    static constexpr int width = 2;
    LANES_INLINE static vec load(const double* p) { return _mm_loadu_pd(p); }
    LANES_INLINE static void store(double* p, vec a) { _mm_storeu_pd(p, a); }
    LANES_INLINE static vec set1(double a) { return _mm_set1_pd(a); }
    LANES_INLINE static vec add(vec a, vec b) { return _mm_add_pd(a, b); }
    LANES_INLINE static vec sub(vec a, vec b) { return _mm_sub_pd(a, b); }
    LANES_INLINE static vec mul(vec a, vec b) { return _mm_mul_pd(a, b); }
    // Clears the sign bit, as std::abs does.
    // Ordered compares: false where either is NaN.
    LANES_INLINE static flags greater(vec a, vec b) { return _mm_cmpgt_pd(a, b); }
    LANES_INLINE static flags greater_equal(vec a, vec b) { return _mm_cmpge_pd(a, b); }
    LANES_INLINE static flags less(vec a, vec b) { return _mm_cmplt_pd(a, b); }
    LANES_INLINE static flags equal(vec a, vec b) { return _mm_cmpeq_pd(a, b); }
    LANES_INLINE static flags either(flags a, flags b) { return _mm_or_pd(a, b); }
    LANES_INLINE static flags both(flags a, flags b) { return _mm_and_pd(a, b); }
    // f ? a : b, lane by lane, for flags and for values.
    LANES_INLINE static flags choose(flags f, flags a, flags b) { return select(f, a, b); }
    LANES_INLINE static vec select(flags f, vec a, vec b) { return _mm_or_pd(_mm_and_pd(f, a), _mm_andnot_pd(f, b)); }
    LANES_INLINE static int bits(flags f) { return _mm_movemask_pd(f); }
    // The pairs base[2 m], base[2 m + 1] of each lane's element m.
    LANES_INLINE static void gather_pair(const double* base, vec m, vec& re, vec& im)
    {
        const vec a = _mm_loadu_pd(base + 2 * _mm_cvttsd_si64(m));
        const vec b = _mm_loadu_pd(base + 2 * _mm_cvttsd_si64(_mm_unpackhi_pd(m, m)));
        re = _mm_unpacklo_pd(a, b);
        im = _mm_unpackhi_pd(a, b);
    }
};

}  // namespace

void render_deep_columns_sse2(const deep_lane_job& job, int k) { run_deep_lanes_for<sse2_lanes>(job, k); }

#endif
