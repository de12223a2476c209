// The elements of a reference orbit as its users read them, apart from how
// the orbit was computed: element 0 is 0 and element k + 1 = (element k)^p
// + c (reference_orbit.h).
#pragma once

#include "complex_pair.h"
#include "floatexp.h"

#include <cstdint>
#include <span>

struct orbit_elements {
    int exponent = 2;
    std::span<const complex_pair<double>> values;      // each element rounded to double
    std::span<const complex_pair<floatexp>> extended;  // the same to 53 bits at any magnitude

    std::int64_t size() const { return static_cast<std::int64_t>(values.size()); }
};
