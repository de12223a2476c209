// What each part of the program accepts as a view: the parameter dialog, the
// mouse wheel and the command-line renderer. Every check of a view's range
// is one of these functions, and every text that states a range is made from
// the same constants.
#pragma once

#include "formulas.h"
#include "palettes.h"

#include <cmath>
#include <cstdint>

// A closed range of integers.
struct integer_range {
    std::int32_t low;
    std::int32_t high;
    constexpr bool contains(std::int32_t value) const { return value >= low && value <= high; }
};

// The smallest radius any view may approach: below it neighbouring pixels
// of the double definition stop being distinct numbers.
inline constexpr double RADIUS_FLOOR = 1e-14;
inline constexpr double MAX_RADIUS = 4.0;
// The dialog's bound on each coordinate of the centre.
inline constexpr double DIALOG_CENTER_BOUND = 2.0;
inline constexpr integer_range ITERATION_RANGE = {1, 60000};
inline constexpr integer_range FIGURE_RANGE = {0, FIGURE_COUNT - 1};
inline constexpr integer_range PALETTE_RANGE = {0, PALETTE_COUNT - 1};

// The dialog: each coordinate within +-2, a radius above the floor, 1 to
// 60000 iterations. Written so that a NaN fails every check.
constexpr bool dialog_accepts_center(double v) { return v >= -DIALOG_CENTER_BOUND && v <= DIALOG_CENTER_BOUND; }
constexpr bool dialog_accepts_radius(double r) { return r > RADIUS_FLOOR && r <= MAX_RADIUS; }
constexpr bool dialog_accepts_iterations(std::int32_t c) { return ITERATION_RANGE.contains(c); }

// The wheel takes the floor itself, where the dialog takes only what lies
// above it: the viewer has always let one notch in from a typed 2e-14 land
// exactly on 1e-14.
constexpr bool wheel_accepts_radius(double r) { return r >= RADIUS_FLOOR && r <= MAX_RADIUS; }

// The command-line renderer: any finite centre; a radius the double
// definition holds (the dialog's) for its exact method, and for perturbation
// any down to 1e-100000, where a reference orbit would need hundreds of
// thousands of bits; any positive 32-bit iteration limit.
inline constexpr integer_range RENDERER_ITERATION_RANGE = {1, 2147483647};
inline constexpr std::int32_t DEEP_RADIUS_FLOOR_EXPONENT = -100000;  // of ten
inline bool renderer_accepts_center(double v) { return std::isfinite(v); }
constexpr bool exact_method_accepts_radius(double r) { return dialog_accepts_radius(r); }
constexpr bool renderer_accepts_iterations(std::int32_t n) { return RENDERER_ITERATION_RANGE.contains(n); }
constexpr bool accepts_figure(std::int32_t f) { return FIGURE_RANGE.contains(f); }
constexpr bool accepts_palette(std::int32_t p) { return PALETTE_RANGE.contains(p); }
