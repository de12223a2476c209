// The modal parameter dialog opened by the right button.
#pragma once

#include "win32.h"

// Opens the dialog owned by the main window; returns once it has closed.
void open_parameter_dialog(CFractal& fractal);
