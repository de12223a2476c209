#include "fractal.h"

CFractal::~CFractal() = default;

void set_view(CFractal& fractal, const view_parameters& view)
{
    fractal.center_x = view.center_x;
    fractal.center_y = view.center_y;
    fractal.radius = view.radius;
    fractal.max_iterations = view.max_iterations;
    fractal.figure_index = view.figure_index;
    fractal.palette_index = view.palette_index;
}

view_parameters view_of(const CFractal& fractal)
{
    return {fractal.center_x,       fractal.center_y,     fractal.radius,
            fractal.max_iterations, fractal.figure_index, fractal.palette_index};
}

void set_default_view(CFractal& fractal)
{
    fractal.width = IMAGE_WIDTH;
    fractal.height = IMAGE_HEIGHT;
    set_view(fractal, {});
}
