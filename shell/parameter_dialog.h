// The modal parameter dialog opened by the right button.
#pragma once

#include "win32.h"

// Opens the dialog owned by the main window; returns once it has closed.
void open_parameter_dialog(CFractal& fractal);

INT_PTR CALLBACK parameter_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// Fills the controls from the CFractal of the dialog's owner.
bool fill_parameter_dialog(HWND dialog);

// Validates all four numbers at once; applies everything and recomputes only
// when all are in range. Closes the dialog either way; true when applied.
bool apply_parameter_dialog(HWND dialog);
