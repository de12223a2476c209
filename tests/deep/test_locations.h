// The places deep views are tested at, and how each was found.
//
// A centre is given as text, or found at test time by Newton's method
// (location_finder.h) from a recipe: a Misiurewicz point of the given
// preperiod and period reached from a rough guess, or a minibrot reached by
// walking from a small nucleus towards a Misiurewicz point, `steps` times,
// each step one period of the point's cycle longer. The starting guesses
// were read off plain double-precision Newton runs over a grid of the
// plane near each point (the nucleus of the given period closest to it).
// The view's centre is the point found, moved by offset times the radius.
#pragma once

#include "oracle.h"

#include <cstdint>
#include <optional>
#include <span>

enum class centre_recipe { text, misiurewicz, walk };

struct test_location {
    const char* name;
    int exponent;
    centre_recipe recipe;
    const char* re;  // the centre, or the guess of the Misiurewicz point
    const char* im;
    int preperiod = 0;  // of the Misiurewicz point
    int period = 0;
    const char* start_re = nullptr;  // the walk's first nucleus, and its period
    const char* start_im = nullptr;
    int start_period = 0;
    int steps = 0;
    double offset_re = 0.0;
    double offset_im = 0.0;
    const char* radius = "1";
    std::int32_t width = 48;
    std::int32_t height = 27;
    std::int32_t limit = 1000;
    bool both_delta_types = false;  // also rendered with the delta type the radius does not call for
    bool reference_escapes_early = false;
    bool has_returns = false;  // its frames have return skips
};

// Every location deep views are held to the oracle at, shallow to deep.
std::span<const test_location> deep_test_locations();

// The view of a location, its centre found to the oracle's precision and 64
// bits more; nothing when Newton's method does not converge.
std::optional<oracle_view> make_view(const test_location& location);
