// The orbit of a view's centre at arbitrary precision, rounded for the
// perturbation loop.
//
// Element 0 is 0 and element n + 1 is the definition's z_n (z_0 = c), so
// that element k + 1 = (element k)^p + c for every k: a pixel whose point
// has come close to 0 can restart from element 0 (rebasing) and follow the
// same orbit again. The orbit ends at the first element outside the escape
// radius, or at the definition's z_limit.
#pragma once

#include "complex_pair.h"
#include "floatexp.h"
#include "orbit_elements.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

struct orbit_request {
    std::string_view center_re;  // decimal text: sign, digits, point, exponent (e or E)
    std::string_view center_im;
    int exponent = 2;             // 2, 3 or 4
    std::int32_t limit = 1000;    // 1 to 2147483647
    std::int64_t precision = 64;  // bits
    std::stop_token stop = {};    // once requested, the orbit is given up
};

struct reference_orbit {
    int exponent = 2;
    bool escaped = false;                          // the last element is outside the escape radius
    std::vector<complex_pair<double>> values;      // each element rounded to double
    std::vector<complex_pair<floatexp>> extended;  // the same to 53 bits at any magnitude

    std::int64_t size() const { return static_cast<std::int64_t>(values.size()); }
    // Index of the last element; a pixel at it must rebase before it steps.
    std::int64_t last() const { return size() - 1; }

    orbit_elements elements() const { return {exponent, values, extended}; }
};

// The orbit's elements in the loop's number type.
inline const complex_pair<double>* orbit_values(const reference_orbit& orbit, double) { return orbit.values.data(); }
inline const complex_pair<floatexp>* orbit_values(const reference_orbit& orbit, floatexp)
{
    return orbit.extended.data();
}

// Called now and then with the number of elements computed so far.
using orbit_progress = std::function<void(std::int64_t elements_done)>;

// How often the progress callback is called, in elements.
inline constexpr std::int64_t orbit_progress_interval = 1 << 14;

// The orbit of the centre, computed at request.precision bits; nothing when
// a centre text is not a number, the request is out of range, or its stop
// was requested (looked at every orbit_progress_interval elements).
std::optional<reference_orbit> compute_reference_orbit(const orbit_request& request,
                                                       const orbit_progress& progress = {});

// The precision in bits a view needs: enough to resolve its pixel spacing
// 2r/S (S = min(width, height)) plus view_precision_margin, rounded up to a
// multiple of 64.
std::int64_t view_precision(floatexp radius, std::int32_t width, std::int32_t height);

// Bits beyond the pixel spacing: 53 + 11. The reference's rounding errors
// reach every pixel as an error of its delta, which the loop carries to 53
// bits, so the reference must resolve 2^-53 of a pixel; 11 bits more cover
// a centre of modulus up to 4 (the precision is relative to it) and the
// growth of the reference's rounding errors along the orbit beyond the
// growth of the deltas themselves.
inline constexpr std::int64_t view_precision_margin = 64;

// Bytes an orbit of the given number of elements takes, so that a view can
// be refused before any work. An orbit of a limit L has at most L + 2
// elements.
std::int64_t orbit_bytes(std::int64_t elements);
