// The one state record of the program: the view the engine turns into an
// image, and the handles the desktop shell manages.
#pragma once

#include "view.h"

#include <cstdint>

// Platform handles stay opaque here so the engine needs no platform header;
// the shell converts them to HWND, HDC, HBITMAP and HGDIOBJ.
using window_handle = void*;
using dc_handle = void*;
using bitmap_handle = void*;
using gdi_object_handle = void*;

// Every field starts zero, null or false; start-up fills in the view.
class CFractal {
public:
    virtual ~CFractal();

    window_handle window = nullptr;
    dc_handle memory_dc = nullptr;
    bitmap_handle dib_section = nullptr;
    gdi_object_handle previous_bitmap = nullptr;
    std::uint8_t* pixels = nullptr;  // owned by the bitmap, not by this record
    std::int32_t width = 0;
    std::int32_t height = 0;
    double center_x = 0.0;
    double center_y = 0.0;
    double radius = 0.0;
    std::int32_t max_iterations = 0;
    std::int32_t figure_index = 0;
    std::int32_t drag_start_x = 0;
    std::int32_t drag_start_y = 0;
    bool dragging = false;
    bool show_time = false;
    std::int32_t palette_index = 0;
};

// Puts a view into the record; size, pixels, handles and flags stay as they are.
void set_view(CFractal& fractal, const view_parameters& view);

// The view the record holds.
view_parameters view_of(const CFractal& fractal);

// Puts the start-up view and the 640 x 640 size into the record.
void set_default_view(CFractal& fractal);
