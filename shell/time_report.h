// Computing the image with the optional report of how long it took.
#pragma once

#include "fractal.h"

// Renders the current view; with show_time on, shows the elapsed time in a
// modal box owned by the main window and returns after it is dismissed.
void compute_and_report(CFractal& fractal);
