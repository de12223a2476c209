#include "fractal.h"

CFractal::~CFractal() = default;

void set_default_view(CFractal& fractal)
{
    fractal.width = IMAGE_WIDTH;
    fractal.height = IMAGE_HEIGHT;
    fractal.max_iterations = DEFAULT_MAX_ITERATIONS;
    fractal.center_x = DEFAULT_CENTER_X;
    fractal.center_y = DEFAULT_CENTER_Y;
    fractal.radius = DEFAULT_RADIUS;
}
