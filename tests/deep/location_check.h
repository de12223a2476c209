// A test location's deep view held to the oracle: the view rendered by
// perturbation in the delta type its radius calls for (and, where the
// location asks, in the other one), each with the approximation table and
// its return skips, with the table alone and without either, and compared
// pixel by pixel with the oracle's decidable counts.
#pragma once

#include "bla_table.h"
#include "oracle.h"
#include "test_locations.h"

#include <cstdint>
#include <string>
#include <vector>

// One way of rendering the view and how it agrees with the oracle.
struct location_mode {
    delta_type type = delta_type::double_precision;
    bool use_table = false;
    bool use_returns = false;
    std::int64_t returns = 0;  // the table's returns, where it had return skips
    oracle_agreement agreement;

    // Every decidable pixel gets the oracle's count: any sound method must.
    bool agrees() const { return agreement.agreeing == agreement.decidable; }
};

struct location_check {
    std::string problem;  // why the view could not be compared; empty when it was
    oracle_view view;
    std::int64_t pixels = 0;
    std::vector<location_mode> modes;  // natural delta type first; returns, table, none

    // The returns of the mode that had most, so a location can show that its skips were tried.
    std::int64_t most_returns() const;
};

// Finds the location's view, renders it with the oracle and in every mode;
// stops at the first problem (no centre found, too few decidable pixels for
// the agreement to mean anything, no reference orbit, a reference that was
// to escape early and did not).
location_check check_location(const test_location& location);

// "double" or "floatexp".
const char* delta_type_name(delta_type type);
