// The one state record of the program: the view the engine turns into an
// image, and the handles the desktop shell manages.
#pragma once

#include <cstdint>
#include <string>

// Platform handles stay opaque here so the engine needs no platform header;
// the shell converts them to HWND, HDC, HBITMAP and HGDIOBJ.
using window_handle = void*;
using dc_handle = void*;
using bitmap_handle = void*;
using gdi_object_handle = void*;

// The start-up view.
inline constexpr std::int32_t IMAGE_WIDTH = 640;
inline constexpr std::int32_t IMAGE_HEIGHT = 640;
inline constexpr double DEFAULT_CENTER_X = 0.0;
inline constexpr double DEFAULT_CENTER_Y = 0.0;
inline constexpr double DEFAULT_RADIUS = 2.0;
inline constexpr std::int32_t DEFAULT_MAX_ITERATIONS = 1000;

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

// What a view of the plane consists of, wherever a view is held: the
// window's record, the renderer's options, a stored file, a benchmark. By
// default the start-up view (centre 0 + 0i, radius 2, 1000 iterations,
// first figure, first palette). Fields are added at the end, with defaults,
// so that brace-initialised views keep their meaning.
struct view_parameters {
    double center_x = DEFAULT_CENTER_X;
    double center_y = DEFAULT_CENTER_Y;
    double radius = DEFAULT_RADIUS;
    std::int32_t max_iterations = DEFAULT_MAX_ITERATIONS;
    std::int32_t figure_index = 0;
    std::int32_t palette_index = 0;
    // The centre and the radius as the decimal texts they were given in,
    // every digit kept, for views deeper than a double can hold; empty where
    // the double above is the whole value. Only the command-line renderer
    // reads them.
    std::string center_x_text = {};
    std::string center_y_text = {};
    std::string radius_text = {};

    // Field by field; the doubles by value, so 0.0 equals -0.0 and a NaN nothing.
    bool operator==(const view_parameters&) const = default;
};

// Puts a view into the record; size, pixels, handles and flags stay as they are.
void set_view(CFractal& fractal, const view_parameters& view);

// The view the record holds.
view_parameters view_of(const CFractal& fractal);

// Puts the start-up view and the 640 x 640 size into the record.
void set_default_view(CFractal& fractal);
