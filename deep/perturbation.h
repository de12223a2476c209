// The per-pixel loop of a deep view: the pixel's orbit as the reference
// orbit plus a small delta, d_{n+1} = (Z_n + d_n)^p - Z_n^p + dc, in double
// or floatexp deltas.
//
// The pixel's point is w = Z_m + d at reference element m; its own step
// count n is kept apart from m. Each step tests w as the definition orders
// it (escape strictly beyond |w|^2 = 4, then the limit). Where |w| < |d|
// the delta has grown larger than the point itself and would lose its
// precision to cancellation, and at the end of the reference there is no
// next element: in both cases the pixel rebases, d <- w and m <- 0, and
// follows the reference from its start (element 0 is 0). So no pixel ever
// needs a second reference.
#pragma once

#include "bla_table.h"
#include "complex_pair.h"
#include "reference_orbit.h"

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <type_traits>
#include <vector>

// (z + d)^P - z^P + dc, expanded so that no large terms cancel: the
// difference of powers keeps d as a factor. Written once for every number
// the loop runs in (complex_pair of double or floatexp, and a vector unit's
// lanes, whose +, *, square and mul_small are the same real operations in
// the same order), so that every one of them takes the same step bit for
// bit. Always inlined: within a vector unit's function its operations are
// that unit's.
template <int P, class Complex>
[[gnu::always_inline]] inline Complex perturbed_step(Complex z, Complex d, Complex dc)
{
    if constexpr (P == 2) {
        // (2z + d) d
        return (mul_small(z, 2) + d) * d + dc;
    } else if constexpr (P == 3) {
        // (3 z (z + d) + d^2) d
        return (mul_small(z * (z + d), 3) + square(d)) * d + dc;
    } else {
        static_assert(P == 4);
        // (w^2 - z^2)(w^2 + z^2) with w = z + d, and w^2 - z^2 = (2z + d) d
        return ((mul_small(z, 2) + d) * d) * (square(z + d) + square(z)) + dc;
    }
}

inline floatexp as_floatexp(double x) { return to_floatexp(x); }
inline floatexp as_floatexp(floatexp x) { return x; }

// What pixels' loops did, for a view's profile (the benchmark's): where
// the steps went, and how often a pixel rebased or looked in the table for
// nothing.
struct perturbation_tally {
    std::int64_t plain_steps = 0;
    std::int64_t skips = 0;          // table skips taken
    std::int64_t skipped_steps = 0;  // the steps they stand for
    std::int64_t rebases = 0;
    std::int64_t missed_lookups = 0;  // lookups that found no skip
    std::int64_t return_skips = 0;    // skips of those between returns
    // When not null, gets the element of every plain step that no linear
    // step would have taken: the pixel's returns.
    std::vector<std::int64_t>* returns = nullptr;
};

// The escape count of the pixel at reference offset dc, for the orbit's
// exponent P, with the table's skips when UseTable; with a tally, its
// counts are added to it.
template <class T, int P, bool UseTable, bool Tallied = false>
std::int32_t perturbed_escape_time_of(const reference_orbit& orbit, const bla_table* table, complex_pair<T> dc,
                                      std::int32_t limit, complex_pair<double>* escaped,
                                      perturbation_tally* tally = nullptr)
{
    assert(orbit.size() >= 2 && orbit.exponent == P);
    const complex_pair<T>* z = orbit_values(orbit, T{});
    const std::int64_t last = orbit.last();
    // Element 1 is the definition's z_0 = c: the pixel's own z_0 is c + dc.
    std::int64_t m = 1;
    complex_pair<T> d = dc;
    std::int32_t n = 0;
    complex_pair<T> zm = z[m];
    std::int64_t cursor = 0;  // into the table's returns
    for (;;) {
        const complex_pair<T> w = zm + d;
        if (outside_escape_radius(w)) {
            if (escaped) {
                if constexpr (std::is_same_v<T, double>)
                    *escaped = w;
                else
                    *escaped = to_double(w);
            }
            return n;
        }
        if (n >= limit)
            return n;
        if (m == last || modulus_less(w, d)) {
            if constexpr (Tallied)
                ++tally->rebases;
            d = w;
            m = 0;
            zm = z[0];
            cursor = 0;
        }
        // The return the pixel is at and steps plainly through, if any: the
        // element after it comes with the table's returns, not from the orbit.
        std::int64_t through_return = -1;
        if constexpr (UseTable) {
            // A skip may end on the limit or the last element, never pass them:
            // the tests it skips could not have ended the orbit (the radii
            // keep w inside the escape radius and larger than d).
            const std::int64_t room = std::min<std::int64_t>(last - m, limit - n);
            if (table->has_returns()) {
                const return_step skip = table->find_return(m, cursor, room, magnitude_bound(d));
                if (skip.at_return)
                    through_return = skip.at;
                if (skip.length != 0) {
                    if constexpr (Tallied)
                        ++tally->skips, ++tally->return_skips, tally->skipped_steps += skip.length;
                    d = table->apply(skip, d, dc);
                    m += skip.length;
                    n += static_cast<std::int32_t>(skip.length);
                    cursor = skip.lands_on;
                    if constexpr (std::is_same_v<T, double>)
                        zm = table->end(skip);
                    else
                        zm = z[m];
                    continue;
                }
            }
            // At a return that no skip crosses the pixel steps plainly: an
            // aligned skip from there would begin with the same step, which
            // is all but never linear there.
            const bla_step skip = through_return >= 0 ? bla_step{} : table->find(m, room, magnitude_bound(d));
            if constexpr (Tallied) {
                if (skip.length == 0)
                    ++tally->missed_lookups;
                else
                    ++tally->skips, tally->skipped_steps += skip.length;
            }
            if (skip.length != 0) {
                assert(skip.length <= room);
                d = table->apply(skip, d, dc);
                m += skip.length;
                n += static_cast<std::int32_t>(skip.length);
                if constexpr (std::is_same_v<T, double>)
                    zm = table->end(skip);
                else
                    zm = z[m];
                continue;
            }
        }
        if constexpr (Tallied) {
            ++tally->plain_steps;
            if (tally->returns &&
                !magnitude_less(as_floatexp(magnitude_bound(d)), single_step_radius(P, orbit.extended[m])))
                tally->returns->push_back(m);
        }
        d = perturbed_step<P>(zm, d, dc);
        ++m;
        ++n;
        if constexpr (UseTable && std::is_same_v<T, double>)
            zm = through_return >= 0 ? table->after_return(through_return) : z[m];
        else
            zm = z[m];
    }
}

// The escape count of the pixel at c = the orbit's centre + dc, with the
// meaning of the definition's (limit: did not escape). A null table takes
// every step plainly; a table must be for deltas of type T. Where the pixel
// escapes, escaped (unless null) gets the point past the escape radius.
template <class T>
std::int32_t perturbed_escape_time(const reference_orbit& orbit, const bla_table* table, complex_pair<T> dc,
                                   std::int32_t limit, complex_pair<double>* escaped = nullptr)
{
    switch (orbit.exponent) {
    case 2:
        return table ? perturbed_escape_time_of<T, 2, true>(orbit, table, dc, limit, escaped)
                     : perturbed_escape_time_of<T, 2, false>(orbit, table, dc, limit, escaped);
    case 3:
        return table ? perturbed_escape_time_of<T, 3, true>(orbit, table, dc, limit, escaped)
                     : perturbed_escape_time_of<T, 3, false>(orbit, table, dc, limit, escaped);
    default:
        return table ? perturbed_escape_time_of<T, 4, true>(orbit, table, dc, limit, escaped)
                     : perturbed_escape_time_of<T, 4, false>(orbit, table, dc, limit, escaped);
    }
}

// The same with the table's skips and a tally, for a frame's probe pixels
// and a view's profile: slower, and the same count.
template <class T>
std::int32_t tallied_escape_time(const reference_orbit& orbit, const bla_table& table, complex_pair<T> dc,
                                 std::int32_t limit, perturbation_tally& tally)
{
    switch (orbit.exponent) {
    case 2:
        return perturbed_escape_time_of<T, 2, true, true>(orbit, &table, dc, limit, nullptr, &tally);
    case 3:
        return perturbed_escape_time_of<T, 3, true, true>(orbit, &table, dc, limit, nullptr, &tally);
    default:
        return perturbed_escape_time_of<T, 4, true, true>(orbit, &table, dc, limit, nullptr, &tally);
    }
}

extern template std::int32_t perturbed_escape_time<double>(const reference_orbit&, const bla_table*,
                                                           complex_pair<double>, std::int32_t, complex_pair<double>*);
extern template std::int32_t perturbed_escape_time<floatexp>(const reference_orbit&, const bla_table*,
                                                             complex_pair<floatexp>, std::int32_t,
                                                             complex_pair<double>*);
