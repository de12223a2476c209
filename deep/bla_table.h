// The bilinear approximation table: merged steps of the perturbed orbit,
// d_{m+l} = A d_m + B dc, each valid while |d_m| stays below a radius.
//
// Level k holds the skips of 2^k steps that start at m = 1 + j 2^k (k >= 1;
// a single step, level 0, is cheaper done plainly). They start at 1, not
// 0, because a rebased pixel is at element 0, whose step (z^p + c from
// z = 0) is not linear, and is then at element 1, where every level starts.
//
// The coefficients depend on the orbit alone; the radii also on the largest
// |dc| of the frame, so a zoom movie keeps the coefficients and builds new
// radii for each frame.
#pragma once

#include "complex_pair.h"
#include "floatexp.h"
#include "orbit_elements.h"

#include <bit>
#include <cassert>
#include <cstdint>
#include <vector>

// The number type of a frame's deltas.
enum class delta_type { double_precision, extended_range };

// A skip's coefficients: d_{m+l} = a d_m + b dc.
struct bla_coefficient {
    complex_pair<floatexp> a;
    complex_pair<floatexp> b;
};

// Relative size of the terms a skip may neglect: the double's precision.
inline constexpr double bla_tolerance = 0x1p-53;

// Where the skips of each level begin in a table's flat arrays.
struct bla_layout {
    int levels = 0;                     // levels 1 .. levels are present
    std::vector<std::int64_t> offsets;  // offsets[k] is level k's first entry; offsets[levels + 1] the total

    // The level-k entry that starts at m (m - 1 a multiple of 2^k).
    std::int64_t index(int k, std::int64_t m) const { return offsets[k] + ((m - 1) >> k); }
};

// The layout of a table for an orbit of the given number of elements.
bla_layout make_bla_layout(std::int64_t elements);

// The frame-independent part: every skip's A and B.
struct bla_coefficients {
    bla_layout layout;
    std::vector<bla_coefficient> entries;
};

bla_coefficients build_bla_coefficients(const orbit_elements& orbit);

// The single step from element m: A = p z^(p-1), B = 1.
complex_pair<floatexp> single_step_a(int exponent, complex_pair<floatexp> z);

// How far |d| may go at element z with the neglected terms of one step
// below bla_tolerance times the linear one; zero where the pixel could
// leave the escape radius within the step's precision.
floatexp single_step_radius(int exponent, complex_pair<floatexp> z);

// The validity radius of skip x followed by skip y, for |dc| <= max_dc.
floatexp merged_radius(floatexp radius_x, floatexp radius_y, floatexp modulus_a_x, floatexp modulus_b_x,
                       floatexp max_dc);

// A skip found by a lookup: its length in steps and its entry.
struct bla_step {
    std::int64_t length = 0;
    std::int64_t index = 0;
};

// A skip as double deltas take it: its coefficients and the orbit's element
// where it lands in one cache line, so that the step it finds and the next
// escape test wait on one read, not on a second one from the orbit far from
// the last.
struct alignas(64) double_skip {
    complex_pair<double> a;
    complex_pair<double> b;
    complex_pair<double> end;  // the orbit's element m + 2^k
};

// Skips between the orbit's returns. Near a deep minibrot the pixels come
// back close to 0 at the same elements as the reference does, again and
// again: there the delta has outgrown the element, no linear step holds,
// and the pixel steps plainly. The levels above, aligned to powers of two,
// cross the stretch between two such returns in some seven skips and two
// plain steps. A return skip starts at a return i (a "through" skip, for a
// pixel whose delta is small enough there to take it linearly) or at the
// element after it ("after", for the pixel that stepped through plainly),
// and ends on the 2^j-th next return: one skip a stretch.
//
// The returns are the elements where a frame's probe pixels had to step
// plainly (add_frame_returns, deep_render.h), so they are the frame's own,
// whatever its bands and workers.
struct alignas(64) double_return_skip {
    complex_pair<double> a;
    complex_pair<double> b;
    complex_pair<double> end;  // the orbit's element where the skip lands
    double radius = 0.0;       // 0 where a double cannot hold the skip
};

// A return skip found by a lookup: its length, its entry, and the return it lands on.
struct return_step {
    std::int64_t length = 0;
    std::int64_t index = 0;
    std::int64_t lands_on = 0;
    bool at_return = false;  // no skip: the pixel is at a return that no skip takes it through
    std::int64_t at = 0;     // and that return
};

// Return skips go to at most the 2^return_levels-th next return: beyond
// that the aligned levels' long skips do as well.
inline constexpr int return_levels = 4;

// A frame keeps return skips only while its returns are at most one in
// return_spacing elements, so that they take little memory and each saves
// several lookups.
inline constexpr std::int64_t return_spacing = 32;

// One frame's table: the coefficients (kept by the caller) and radii for
// its largest |dc|, in the frame's delta type. A skip whose coefficients a
// double cannot hold is never valid with double deltas.
class bla_table {
public:
    bla_table(const orbit_elements& orbit, const bla_coefficients& coefficients, floatexp max_dc, delta_type type);

    delta_type type() const { return type_; }
    const bla_layout& layout() const { return coefficients_->layout; }
    const bla_coefficients& coefficients() const { return *coefficients_; }
    floatexp radius(std::int64_t index) const { return radii_[static_cast<std::size_t>(index)]; }

    // The longest skip from element m of at most room steps that is valid
    // for a delta with magnitude_bound(d) = bound; length 0 when none is.
    template <class T>
    bla_step find(std::int64_t m, std::int64_t room, T bound) const
    {
        if (m < 1 || room < 2)
            return {};
        const bla_layout& layout = coefficients_->layout;
        const auto offset = static_cast<std::uint64_t>(m - 1);
        int top = std::bit_width(static_cast<std::uint64_t>(room)) - 1;
        if (offset != 0 && std::countr_zero(offset) < top)
            top = std::countr_zero(offset);
        if (top > layout.levels)
            top = layout.levels;
        for (int k = top; k >= 1; --k) {
            const std::int64_t index = layout.index(k, m);
            // room never passes the orbit's last element, so neither does the skip.
            assert(index < layout.offsets[k + 1]);
            if (below_radius(bound, index))
                return {std::int64_t{1} << k, index};
        }
        return {};
    }

    // A d + B dc for the skip found.
    complex_pair<double> apply(const bla_step& step, complex_pair<double> d, complex_pair<double> dc) const
    {
        const double_skip& skip = double_skips_[static_cast<std::size_t>(step.index)];
        return skip.a * d + skip.b * dc;
    }
    complex_pair<floatexp> apply(const bla_step& step, complex_pair<floatexp> d, complex_pair<floatexp> dc) const
    {
        const bla_coefficient& c = coefficients_->entries[static_cast<std::size_t>(step.index)];
        return c.a * d + c.b * dc;
    }

    // The orbit's element where the skip found lands, for double deltas.
    complex_pair<double> end(const bla_step& step) const
    {
        return double_skips_[static_cast<std::size_t>(step.index)].end;
    }

    // Builds the return skips between the given returns (ascending
    // elements, 0 first); none when they are too dense to pay.
    void add_returns(const orbit_elements& orbit, std::vector<std::int64_t> returns);
    bool has_returns() const { return !returns_.empty(); }
    const std::vector<std::int64_t>& returns() const { return returns_; }

    // The longest return skip from element m of at most room steps, valid
    // for bound; length 0 when none is. cursor is the first return at or
    // after m - 1 of a pixel going up the orbit (0 after a rebase), and
    // moves with it.
    template <class T>
    return_step find_return(std::int64_t m, std::int64_t& cursor, std::int64_t room, T bound) const
    {
        const auto count = static_cast<std::int64_t>(returns_.size());
        while (cursor < count && returns_[static_cast<std::size_t>(cursor)] < m - 1)
            ++cursor;
        if (cursor >= count)
            return {};
        std::int64_t i = cursor;
        int kind = 1;  // through
        if (returns_[static_cast<std::size_t>(i)] == m - 1) {
            // After return i; where the next return is m itself, through that one.
            if (i + 1 < count && returns_[static_cast<std::size_t>(i + 1)] == m)
                ++i;
            else
                kind = 0;
        } else if (returns_[static_cast<std::size_t>(i)] != m) {
            return {};
        }
        // The radii shrink as the skips grow, so the valid ones come first.
        return_step found{.at_return = kind == 1, .at = i};
        for (int j = 0; j <= return_levels && i + (std::int64_t{1} << j) < count; ++j) {
            const std::int64_t index = return_index(i, j, kind);
            const std::int64_t lands_on = i + (std::int64_t{1} << j);
            const std::int64_t length = returns_[static_cast<std::size_t>(lands_on)] - m;
            if (length > room || !return_valid(bound, index))
                break;
            found = {length, index, lands_on};
        }
        return found;
    }

    complex_pair<double> apply(const return_step& step, complex_pair<double> d, complex_pair<double> dc) const
    {
        const double_return_skip& skip = double_returns_[static_cast<std::size_t>(step.index)];
        return skip.a * d + skip.b * dc;
    }
    complex_pair<floatexp> apply(const return_step& step, complex_pair<floatexp> d, complex_pair<floatexp> dc) const
    {
        const bla_coefficient& c = return_coefficients_[static_cast<std::size_t>(step.index)];
        return c.a * d + c.b * dc;
    }
    complex_pair<double> end(const return_step& step) const
    {
        return double_returns_[static_cast<std::size_t>(step.index)].end;
    }
    // The orbit's element after return i, for double deltas.
    complex_pair<double> after_return(std::int64_t i) const { return after_returns_[static_cast<std::size_t>(i)]; }

    // The radius of the return skip found, as its delta type sees it.
    floatexp radius(const return_step& step) const
    {
        const auto k = static_cast<std::size_t>(step.index);
        return type_ == delta_type::double_precision ? to_floatexp(double_returns_[k].radius) : return_radii_[k];
    }

private:
    // A return's skips lie together, in the order a lookup tries them, and
    // the returns in the order the pixels pass them: a pixel going up the
    // orbit reads the return skips as one stream.
    static std::int64_t return_index(std::int64_t i, int j, int kind)
    {
        return (i * (return_levels + 1) + j) * 2 + kind;
    }

    bool return_valid(double bound, std::int64_t index) const
    {
        return bound < double_returns_[static_cast<std::size_t>(index)].radius;
    }
    bool return_valid(floatexp bound, std::int64_t index) const
    {
        return magnitude_less(bound, return_radii_[static_cast<std::size_t>(index)]);
    }

    bool below_radius(double bound, std::int64_t index) const
    {
        return bound < double_radii_[static_cast<std::size_t>(index)];
    }
    bool below_radius(floatexp bound, std::int64_t index) const
    {
        return magnitude_less(bound, radii_[static_cast<std::size_t>(index)]);
    }

    const bla_coefficients* coefficients_;
    delta_type type_;
    floatexp max_dc_;
    std::vector<floatexp> radii_;
    // Only for double deltas: the radii on their own, eight to a cache line,
    // since a lookup tries several levels and takes one (0 where a double
    // cannot hold the skip), and the skips.
    std::vector<double> double_radii_;
    std::vector<double_skip> double_skips_;
    // The return skips: returns_ ascending; the entry of kind k (0 after,
    // 1 through) from return i to return i + 2^j at return_index(i, j, k),
    // of radius 0 where there is no return i + 2^j.
    std::vector<std::int64_t> returns_;
    std::vector<complex_pair<double>> after_returns_;   // only for double deltas
    std::vector<bla_coefficient> return_coefficients_;  // only for extended deltas
    std::vector<floatexp> return_radii_;
    std::vector<double_return_skip> double_returns_;  // only for double deltas
};

// Bytes of the coefficients and one frame's radii, double skips and return
// skips (at most) for an orbit of the given number of elements.
std::int64_t bla_table_bytes(std::int64_t elements);
