// The named views the renderer is measured on, with the speed-up each must reach.
#pragma once

#include "fractal.h"

struct bench_view {
    const char* name;
    view_parameters view;
    double target_ratio;  // fast : scalar time; 0 when the view is measured against the peak instead
    double wide_ratio;    // AVX-512 : AVX2 speed it must reach; 0 for none
};

inline const bench_view bench_views[] = {
    {"start-up", {0.0, 0.0, 2.0, 1000, 0}, 5.0, 1.0},
    {"seahorse-valley", {-0.743643887037151, 0.131825904205330, 0.000014628, 60000, 0}, 8.0, 1.0},
    {"cardioid", {-0.2, 0.0, 0.3, 60000, 0}, 300.0, 1.0},
    {"exponent-3", {0.0, 0.0, 2.0, 1000, 1}, 0.0, 0.0},
    {"exponent-4", {0.3, 0.5, 0.05, 5000, 2}, 100.0, 1.0},
    {"deep-boundary", {-0.743643887037151, 0.131825904205330, 1e-12, 60000, 0}, 0.0, 2.0},
};

// The view whose raw stepping rate is compared with the peak loop's.
inline constexpr int PEAK_VIEW = 5;

// Share of its unit's peak rate a vector path must reach on PEAK_VIEW.
inline constexpr double PEAK_TARGET = 0.7;
