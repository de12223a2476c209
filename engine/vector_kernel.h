// The escape-time kernel of the vector paths, written once over a set of lane
// operations L: the types vec, counts and flags (one truth value per lane:
// a vector of all-ones lanes for SSE2 and AVX2, an opmask register for
// AVX-512); the constants width and vectors; load, store, load_counts,
// store_counts, zero_counts, set1, add, sub, mul, xor_bits, all_lanes,
// and_not_equal, bits, and the escape operations still_inside, count,
// add_counts and add_or_keep (lanes_*.h). Each path's file includes
// lane_target.h, with its instruction set, and its unit's lanes before this.
// Everything here has internal linkage, so no copy built for a wider unit can
// stand in for a baseline one.
//
// A worker keeps L::vectors vectors of orbits in flight, all stepped under
// one group step counter. The hot loop does the definition's step and escape
// test, a one-compare filter for a return to the saved point, and counts the
// steps that decide each lane's escape count. It leaves only when the filter
// fires or after a period of steps; then escaped lanes report and take the
// next pixel, lanes back at their saved point report the limit, and due
// saves (Brent's scheme) are made.
#pragma once

#include "image_definition.h"
#include "lane_storage.h"
#include "lane_target.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

// Age of a lane at its first save for the cycle check; each later save comes
// at twice the age of the one before (Brent's scheme). Saves wait for the
// next visit of the handler, which only delays the check.
inline constexpr std::int64_t FIRST_SAVE = 16;

// Steps of one round of the hot loop, and the bounds of the steps between two
// visits of the handler, whole rounds. Short orbits want short periods (escaped
// lanes idle until the next visit), long orbits long ones (a visit costs
// about BREAK_COST lane steps).
inline constexpr std::int64_t ROUND_STEPS = 4;
inline constexpr std::int64_t MIN_PERIOD = ROUND_STEPS;
inline constexpr std::int64_t MAX_PERIOD = 128;
inline constexpr std::int64_t BREAK_COST = 32;

inline constexpr std::int64_t NO_EVENT = std::numeric_limits<std::int64_t>::max();
inline constexpr double NOT_A_POINT = std::numeric_limits<double>::quiet_NaN();

// The pixels of worker k, with their c.
class pixel_stream {
public:
    pixel_stream(const exact_job& job, int k) : job_(job), walk_(job.grid, job.workers, k, job.stop) {}

    // The next pixel and its c; false when the worker has no more.
    bool next(std::int32_t& x, std::int32_t& i, double& re, double& im)
    {
        if (!walk_.next(x, i))
            return false;
        if (i != row_) {
            row_ = i;
            im_ = row_im(job_, i);
        }
        re = column_re(job_, x);
        im = im_;
        return true;
    }

private:
    const exact_job& job_;
    worker_pixels walk_;
    std::int32_t row_ = -1;
    double im_ = 0.0;
};

// The orbits of one worker, one entry per lane.
template <int N>
struct alignas(LANE_ALIGNMENT) lane_group {
    double zr[N];  // current point; once the orbit has escaped, any value, or with Keep the point it left at
    double zi[N];
    double cr[N];
    double ci[N];
    double sr[N];  // saved point of the cycle check, NaN before the first save
    double si[N];
    double sx[N];             // bit-wise xor of sr and si
    std::int64_t inside[N];   // steps taken inside the radius: the escape count once escaped
    std::int64_t start[N];    // group step at which the lane held z0 = c
    std::int64_t save_at[N];  // age of the next save
    std::int64_t event[N];    // group step of the next save or of the limit; NO_EVENT when idle
    std::int32_t x[N];
    std::int32_t i[N];
};

// One step of the definition for exponent P on a vector of lanes: tests z for
// escape, moves z to the next point and clears in quiet the lanes that may be
// back at the saved point. The escape test only narrows the lanes still
// inside, which count their steps; z itself moves on in every lane, so that
// the test stays off the chain from one z to the next (a masked or NaN-making
// add there put a compare's latency on every step). An escaped lane's point
// runs off to infinity and NaN, which the loop no longer reads; with Keep it
// stays where it left the radius instead (both parts), for the sinks that take
// the escaped point. Keep changes which value the escaped lanes hold, never
// the arithmetic of the lanes inside.
template <class L, int P, bool Filter, bool Keep>
LANE_INLINE inline void step_lanes(typename L::vec& zr, typename L::vec& zi, typename L::counts& counter,
                                   typename L::flags& inside, typename L::vec cr, typename L::vec ci,
                                   typename L::vec sx, typename L::flags& quiet)
{
    using vec = typename L::vec;
    const vec zr2 = L::mul(zr, zr);
    const vec zi2 = L::mul(zi, zi);
    // The definition's "> 4" leaves; a NaN modulus (a NaN c never gets here)
    // could only come from an escaped lane, which has left already.
    inside = L::still_inside(inside, L::add(zr2, zi2), L::set1(4.0));
    counter = L::count(counter, inside);
    vec next_zr;
    vec next_zi;
    if constexpr (P == 2) {
        const vec t = L::mul(zi, zr);
        next_zi = L::add(t, t);
        next_zr = L::sub(zr2, zi2);
    } else if constexpr (P == 3) {
        const vec three = L::set1(3.0);
        next_zr = L::mul(zr, L::sub(zr2, L::mul(three, zi2)));
        next_zi = L::mul(zi, L::sub(L::mul(three, zr2), zi2));
    } else {
        next_zr = L::add(L::mul(L::sub(zr2, L::mul(L::set1(6.0), zi2)), zr2), L::mul(zi2, zi2));
        next_zi = L::mul(L::sub(zr2, zi2), L::mul(L::set1(4.0), L::mul(zi, zr)));
    }
    if constexpr (Keep) {
        next_zr = L::add_or_keep(inside, next_zr, cr, zr);
        next_zi = L::add_or_keep(inside, next_zi, ci, zi);
    } else {
        next_zr = L::add(next_zr, cr);
        next_zi = L::add(next_zi, ci);
    }
    // One compare for both components: points with the same bits have the same
    // xor, and inside the radius the xor is never a NaN. When it fires, the
    // loop leaves and the lanes are checked with the definition's ==.
    if constexpr (Filter)
        quiet = L::and_not_equal(quiet, L::xor_bits(next_zr, next_zi), sx);
    zr = next_zr;
    zi = next_zi;
}

// Steps the whole group from group step `step` until the filter flags a lane
// or the group reaches step `until`. Returns the group step reached; live_bits
// gets one bit per lane that has not escaped, back_bits one bit per lane whose
// point equals its saved point under the definition's ==.
template <class L, int P, bool Keep, int N>
LANE_INLINE inline std::int64_t advance_group(lane_group<N>& g, std::int64_t step, std::int64_t until,
                                              std::uint32_t& live_bits, std::uint32_t& back_bits)
{
    using vec = typename L::vec;
    using flags = typename L::flags;
    constexpr int W = L::width;
    constexpr std::uint32_t all = (1u << W) - 1;
    constexpr int V = N / W;
    vec zr[V];
    vec zi[V];
    typename L::counts counter[V];
    // Every lane is inside on entry: the visit before gave each escaped lane
    // its next pixel, and a retired lane idles at z = 0.
    flags inside[V];
#pragma GCC unroll 8
    for (int v = 0; v < V; ++v) {
        zr[v] = L::load(g.zr + v * W);
        zi[v] = L::load(g.zi + v * W);
        counter[v] = L::zero_counts();
        inside[v] = L::all_lanes();
    }
    bool signalled;
    // ROUND_STEPS steps a round, the filter on the last only: a lane whose
    // orbit has entered a cycle of period p comes back to its saved point at
    // the saved age plus ROUND_STEPS p, a whole number of rounds on, so every
    // cycle is still found, at worst one save later, and the filter's work
    // (and the loop's test) is a quarter of a step's.
    for (;;) {
        // c and the saved points are read from the lane data every round: an
        // empty asm hides that they do not change, or the compiler would hold
        // them in registers it lacks and spill them to the stack, where a
        // 64-byte slot on Windows straddles cache lines (the lane data is
        // aligned, the Windows x64 stack only to 16 bytes).
        const lane_group<N>* lanes = &g;
        asm("" : "+r"(lanes));
        flags quiet = L::all_lanes();
#pragma GCC unroll 8
        for (int r = 0; r < ROUND_STEPS - 1; ++r) {
#pragma GCC unroll 8
            for (int v = 0; v < V; ++v)
                step_lanes<L, P, false, Keep>(zr[v], zi[v], counter[v], inside[v], L::load(lanes->cr + v * W),
                                              L::load(lanes->ci + v * W), L::load(lanes->sx + v * W), quiet);
        }
#pragma GCC unroll 8
        for (int v = 0; v < V; ++v)
            step_lanes<L, P, true, Keep>(zr[v], zi[v], counter[v], inside[v], L::load(lanes->cr + v * W),
                                         L::load(lanes->ci + v * W), L::load(lanes->sx + v * W), quiet);
        step += ROUND_STEPS;
        signalled = L::bits(quiet) != all;
        if (signalled || step == until)
            break;
    }
    live_bits = 0;
    back_bits = 0;
#pragma GCC unroll 8
    for (int v = 0; v < V; ++v) {
        L::store(g.zr + v * W, zr[v]);
        L::store(g.zi + v * W, zi[v]);
        L::store_counts(g.inside + v * W, L::add_counts(L::load_counts(g.inside + v * W), counter[v]));
        live_bits |= static_cast<std::uint32_t>(L::bits(inside[v])) << (v * W);
        if (signalled) {
            const std::uint32_t differ = L::bits(L::and_not_equal(L::all_lanes(), zr[v], L::load(g.sr + v * W))) |
                                         L::bits(L::and_not_equal(L::all_lanes(), zi[v], L::load(g.si + v * W)));
            back_bits |= (all & ~differ) << (v * W);
        }
    }
    return step;
}

// Gives lane l the next pixel that does not settle at once, sending those that
// do (escaped at z0, or a NaN c) to the sink; false when the worker has no
// pixels left, and the lane then idles at z = c = 0, never flagged.
template <int N, class Sink>
inline bool fill_lane(lane_group<N>& g, int l, pixel_stream& pixels, std::int64_t step, std::int32_t limit,
                      const Sink& sink)
{
    std::int32_t x;
    std::int32_t i;
    double re;
    double im;
    while (pixels.next(x, i, re, im)) {
        const double modulus = re * re + im * im;
        if (modulus <= 4.0) {
            g.zr[l] = re;
            g.zi[l] = im;
            g.cr[l] = re;
            g.ci[l] = im;
            g.sr[l] = g.si[l] = g.sx[l] = NOT_A_POINT;
            g.inside[l] = 0;
            g.start[l] = step;
            g.save_at[l] = FIRST_SAVE;
            g.event[l] = step + (limit < FIRST_SAVE ? limit : FIRST_SAVE);
            g.x[l] = x;
            g.i[l] = i;
            return true;
        }
        // A NaN modulus stays NaN for ever: such a point runs to the limit.
        deliver(sink, x, i, modulus > 4.0 ? 0 : limit, re, im, re, im);
    }
    g.zr[l] = g.zi[l] = g.cr[l] = g.ci[l] = 0.0;
    g.sr[l] = g.si[l] = g.sx[l] = NOT_A_POINT;
    g.inside[l] = 0;
    g.event[l] = NO_EVENT;
    return false;
}

// Makes lane l's current point the saved point of its cycle check.
template <int N>
inline void save_point(lane_group<N>& g, int l)
{
    g.sr[l] = g.zr[l];
    g.si[l] = g.zi[l];
    std::uint64_t r;
    std::uint64_t i;
    std::memcpy(&r, &g.zr[l], sizeof r);
    std::memcpy(&i, &g.zi[l], sizeof i);
    r ^= i;
    std::memcpy(&g.sx[l], &r, sizeof r);
}

// Computes every pixel of worker k of the job with exponent P and hands its count to sink.
template <class L, int P, class Sink>
LANE_FUNCTION void run_worker(const exact_job& job, int k, const Sink& sink)
{
    constexpr int W = L::width;
    constexpr int N = L::vectors * W;
    static_assert(N <= 32, "one bit per lane");
    const std::int32_t limit = job.view.max_iterations;
    pixel_stream pixels(job, k);
    if (limit <= 0) {
        std::int32_t x;
        std::int32_t i;
        double re;
        double im;
        while (pixels.next(x, i, re, im))
            deliver(sink, x, i, 0, re, im, re, im);
        return;
    }

    aligned_lanes<lane_group<N>> lanes;
    lane_group<N>& g = lanes.get();
    std::int64_t step = 0;
    std::uint32_t active = 0;
    std::int64_t next_event = NO_EVENT;
    // Puts the next pixel into lane l, or retires the lane.
    auto refill = [&](int l) {
        if (fill_lane(g, l, pixels, step, limit, sink)) {
            active |= 1u << l;
            next_event = g.event[l] < next_event ? g.event[l] : next_event;
        } else {
            active &= ~(1u << l);
        }
    };
    for (int l = 0; l < N; ++l)
        refill(l);

    std::int64_t period = MIN_PERIOD;
    while (active != 0) {
        std::uint32_t live_bits;
        std::uint32_t back_bits;
        const std::int64_t until = step + period;
        step = advance_group<L, P, takes_orbit<Sink>>(g, step, until, live_bits, back_bits);
        int finished = 0;

        // Escaped lanes: the count is the steps taken inside; past the limit
        // it reads as the limit.
        for (std::uint32_t lanes = active & ~live_bits; lanes != 0; lanes &= lanes - 1) {
            const int l = __builtin_ctz(lanes);
            const std::int64_t n = g.inside[l];
            deliver(sink, g.x[l], g.i[l], n < limit ? static_cast<std::int32_t>(n) : limit, g.zr[l], g.zi[l], g.cr[l],
                    g.ci[l]);
            refill(l);
            ++finished;
        }
        // Lanes back at the saved point repeat for ever.
        for (std::uint32_t lanes = back_bits & active & live_bits; lanes != 0; lanes &= lanes - 1) {
            const int l = __builtin_ctz(lanes);
            deliver(sink, g.x[l], g.i[l], limit, 0.0, 0.0, 0.0, 0.0);
            refill(l);
            ++finished;
        }
        // Saves that have come due, and lanes at their limit.
        if (step >= next_event) {
            std::uint32_t due = 0;
            for (int l = 0; l < N; ++l)
                due |= static_cast<std::uint32_t>(g.event[l] <= step) << l;
            for (; due != 0; due &= due - 1) {
                const int l = __builtin_ctz(due);
                if (step - g.start[l] >= limit) {
                    deliver(sink, g.x[l], g.i[l], limit, 0.0, 0.0, 0.0, 0.0);
                    refill(l);
                    ++finished;
                    continue;
                }
                save_point(g, l);
                g.save_at[l] *= 2;
                g.event[l] = g.start[l] + (limit < g.save_at[l] ? limit : g.save_at[l]);
            }
            next_event = NO_EVENT;
            for (int l = 0; l < N; ++l)
                next_event = g.event[l] < next_event ? g.event[l] : next_event;
        }
        if (step == until) {
            // Aim at a few lanes finishing per visit.
            if (finished * period < 2 * BREAK_COST && period < MAX_PERIOD)
                period *= 2;
            else if (finished * period > 8 * BREAK_COST && period > MIN_PERIOD)
                period /= 2;
        }
    }
}

// A batch of smooth values or colours on this path's vectors.
template <int P, bool Colours>
struct store_on_path {
    LANE_FUNCTION static void run(const smooth_sink& sink) { store_smooth_batch<P, Colours>(sink); }
};

// Runs worker k with the kernel of the view's exponent, and lets the sink
// finish.
template <class L, class Sink>
LANE_FUNCTION void run_worker_for_figure(const exact_job& job, int k, const Sink& sink)
{
    switch (job.view.figure_index) {
    case 0:
        run_worker<L, 2>(job, k, sink);
        break;
    case 1:
        run_worker<L, 3>(job, k, sink);
        break;
    default:
        run_worker<L, 4>(job, k, sink);
        break;
    }
    finish(sink);
}

}  // namespace
