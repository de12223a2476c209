// The perturbation loop of perturbation.h for double deltas, written once
// over a set of lane operations L: the types vec and flags (one truth value
// per lane: all-ones lanes for SSE2 and AVX2, an opmask for AVX-512), the
// constants width and vectors, and load, store, set1, add, sub, mul,
// greater, greater_equal, less, equal, either, both, choose, select, bits
// and gather_pair: the same lanes_*.h as the exact kernel's. Each unit's
// file includes lane_target.h, with its instruction set, and its unit's
// lanes before this. Everything here has internal linkage, so no copy built
// for a wider unit can stand in for a baseline one.
//
// Every lane follows perturbed_escape_time_of's iteration with the same IEEE
// operations in the same order, so its count is the scalar loop's. A round
// takes one iteration in every lane: the escape and limit tests, the
// rebase, and the plain step. A lane that finishes reports its count and
// takes the next pixel.
#pragma once

#include "perturbation.h"
#include "perturbation_vector.h"

#include "lane_storage.h"
#include "lane_target.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>

namespace {

// A complex number per lane, with complex_pair's operations in the same
// order of real operations. The unit's vector types are the compiler's own
// vector types, so these are written with its operators and no target of
// their own: inlined into a unit's function, they are that unit's
// instructions, and perturbed_step can take them as it takes complex_pair.
template <class L>
struct lane_complex {
    typename L::vec re;
    typename L::vec im;
};

template <class L>
[[gnu::always_inline]] inline lane_complex<L> operator+(lane_complex<L> a, lane_complex<L> b)
{
    return {a.re + b.re, a.im + b.im};
}

template <class L>
[[gnu::always_inline]] inline lane_complex<L> operator*(lane_complex<L> a, lane_complex<L> b)
{
    return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}

template <class L>
[[gnu::always_inline]] inline lane_complex<L> square(lane_complex<L> a)
{
    const typename L::vec t = a.re * a.im;
    return {a.re * a.re - a.im * a.im, t + t};
}

// x * k rounds as the scalar x * k does: k converts to double exactly.
template <class L>
[[gnu::always_inline]] inline lane_complex<L> mul_small(lane_complex<L> a, int k)
{
    const double f = static_cast<double>(k);
    return {a.re * f, a.im * f};
}

// Returns a bare vector, which a function of no target may not (that would
// change how the vector is returned): a function of the unit's target.
template <class L>
LANE_INLINE inline typename L::vec norm(lane_complex<L> a)
{
    return a.re * a.re + a.im * a.im;
}

// modulus_less(w, d) per lane, given nw = norm(w). The scaled comparison of
// two tiny moduli is worked out only when some lane needs it. A NaN delta
// (an idle lane) compares as not less.
template <class L>
LANE_INLINE inline typename L::flags lane_modulus_less(lane_complex<L> w, typename L::vec nw, lane_complex<L> d)
{
    const typename L::vec nb = norm(d);
    const typename L::vec tiny = L::set1(SMALL_NORM);
    const typename L::flags small = L::less(nb, tiny);
    typename L::flags result = L::less(nw, nb);
    if (L::bits(small) != 0) [[unlikely]] {
        const typename L::vec up = L::set1(SMALL_MODULUS_SCALE);
        const lane_complex<L> wu{L::mul(w.re, up), L::mul(w.im, up)};
        const lane_complex<L> du{L::mul(d.re, up), L::mul(d.im, up)};
        result = L::choose(small, L::both(L::less(nw, tiny), L::less(norm(wu), norm(du))), result);
    }
    return result;
}

// The pixels of one worker, one entry per lane. m and n are held as doubles
// (exact: both stay below 2^32), so that they share the vectors' compares
// and selects with the deltas on every unit.
template <int N>
struct alignas(LANE_ALIGNMENT) deep_lane_group {
    double dr[N];  // the delta; NaN in an idle lane
    double di[N];
    double cr[N];  // dc
    double ci[N];
    double m[N];   // element of the reference
    double n[N];   // steps taken; -infinity in an idle lane, which never reaches the limit
    double rn[N];  // the steps of a lane that finished in the round
    double wr[N];  // and the point it finished at
    double wi[N];
    std::int32_t x[N];
    std::int32_t i[N];
};

// Computes worker k's pixels with exponent P.
template <class L, int P>
LANE_FUNCTION void run_deep_lanes(const deep_lane_job& job, int k)
{
    using vec = typename L::vec;
    using flags = typename L::flags;
    constexpr int W = L::width;
    constexpr int N = L::vectors * W;
    const deep_frame& frame = *job.frame;
    const std::int32_t limit = frame.limit;
    const std::int64_t last = job.last;
    const double* const z = &job.z[0].re;

    aligned_lanes<deep_lane_group<N>> lanes;
    deep_lane_group<N>& g = lanes.get();

    worker_pixels pixels(frame.grid, job.workers, k, frame.stop);
    int active = 0;
    // Puts the next pixel into lane l at the loop's start (m = 1, d = dc,
    // n = 0), or makes the lane idle.
    const auto fill = [&](int l) {
        std::int32_t x;
        std::int32_t i;
        if (pixels.next(x, i)) {
            const complex_pair<double> dc = pixel_delta(frame, x, i, 0.0);
            g.dr[l] = g.cr[l] = dc.re;
            g.di[l] = g.ci[l] = dc.im;
            g.m[l] = 1.0;
            g.n[l] = 0.0;
            g.x[l] = x;
            g.i[l] = i;
            return true;
        }
        g.dr[l] = g.di[l] = std::numeric_limits<double>::quiet_NaN();
        g.cr[l] = g.ci[l] = 0.0;
        g.m[l] = 0.0;
        g.n[l] = -std::numeric_limits<double>::infinity();
        g.x[l] = g.i[l] = 0;
        return false;
    };
    for (int l = 0; l < N; ++l)
        active += fill(l) ? 1 : 0;

    const vec zero_r = L::set1(job.z[0].re);
    const vec zero_i = L::set1(job.z[0].im);
    while (active > 0) {
#pragma GCC unroll 4
        for (int v = 0; v < L::vectors; ++v) {
            const int o = v * W;
            lane_complex<L> d{L::load(g.dr + o), L::load(g.di + o)};
            const lane_complex<L> dc{L::load(g.cr + o), L::load(g.ci + o)};
            vec m = L::load(g.m + o);
            const vec n = L::load(g.n + o);
            lane_complex<L> zm;
            L::gather_pair(z, m, zm.re, zm.im);
            const lane_complex<L> w = zm + d;
            const vec nw = norm(w);
            const flags finished =
                L::either(L::greater(nw, L::set1(4.0)), L::greater_equal(n, L::set1(static_cast<double>(limit))));
            const flags rebase =
                L::either(L::equal(m, L::set1(static_cast<double>(last))), lane_modulus_less<L>(w, nw, d));
            d = {L::select(rebase, w.re, d.re), L::select(rebase, w.im, d.im)};
            m = L::select(rebase, L::set1(0.0), m);
            zm = {L::select(rebase, zero_r, zm.re), L::select(rebase, zero_i, zm.im)};
            const lane_complex<L> next = perturbed_step<P>(zm, d, dc);
            L::store(g.dr + o, next.re);
            L::store(g.di + o, next.im);
            L::store(g.m + o, L::add(m, L::set1(1.0)));
            L::store(g.n + o, L::add(n, L::set1(1.0)));
            const unsigned done = static_cast<unsigned>(L::bits(finished));
            if (done == 0) [[likely]]
                continue;
            L::store(g.rn + o, n);
            L::store(g.wr + o, w.re);
            L::store(g.wi + o, w.im);
            for (unsigned e = done; e != 0; e &= e - 1) {
                const int l = o + __builtin_ctz(e);
                const std::size_t at = pixel_index(frame.grid, g.x[l], g.i[l]);
                job.counts[at] = static_cast<std::int32_t>(g.rn[l]);
                if (job.points)
                    job.points[at] = {g.wr[l], g.wi[l]};
                if (!fill(l))
                    --active;
            }
        }
    }
}

// Runs worker k with the loop of the orbit's exponent.
template <class L>
LANE_FUNCTION void run_deep_lanes_for(const deep_lane_job& job, int k)
{
    switch (job.exponent) {
    case 2:
        return run_deep_lanes<L, 2>(job, k);
    case 3:
        return run_deep_lanes<L, 3>(job, k);
    default:
        return run_deep_lanes<L, 4>(job, k);
    }
}

}  // namespace
