#include "formulas.h"

// Each step keeps the squares of the escape test for the next point, as the
// definition does; the parenthesisation below is the evaluation order.

std::int32_t escape_time_power2(double re, double im, std::int32_t limit)
{
    double zr = re;
    double zi = im;
    for (std::int32_t n = 0;; ++n) {
        const double zr2 = zr * zr;
        const double zi2 = zi * zi;
        if (zr2 + zi2 > 4.0 || n >= limit)
            return n;
        const double next_zi = (zi * zr + zi * zr) + im;
        const double next_zr = (zr2 - zi2) + re;
        zr = next_zr;
        zi = next_zi;
    }
}

std::int32_t escape_time_power3(double re, double im, std::int32_t limit)
{
    double zr = re;
    double zi = im;
    for (std::int32_t n = 0;; ++n) {
        const double zr2 = zr * zr;
        const double zi2 = zi * zi;
        if (zr2 + zi2 > 4.0 || n >= limit)
            return n;
        const double next_zr = zr * (zr2 - 3.0 * zi2) + re;
        const double next_zi = zi * (3.0 * zr2 - zi2) + im;
        zr = next_zr;
        zi = next_zi;
    }
}

std::int32_t escape_time_power4(double re, double im, std::int32_t limit)
{
    double zr = re;
    double zi = im;
    for (std::int32_t n = 0;; ++n) {
        const double zr2 = zr * zr;
        const double zi2 = zi * zi;
        if (zr2 + zi2 > 4.0 || n >= limit)
            return n;
        const double next_zr = ((zr2 - 6.0 * zi2) * zr2 + zi2 * zi2) + re;
        const double next_zi = (zr2 - zi2) * (4.0 * (zi * zr)) + im;
        zr = next_zr;
        zi = next_zi;
    }
}
