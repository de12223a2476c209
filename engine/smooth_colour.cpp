#include "smooth_colour.h"

#include "palettes.h"

#include <cmath>

void smooth_pixel(std::int32_t palette_index, double nu, const linear_light& light, std::uint8_t* pixel)
{
    if (std::isnan(nu)) {
        pixel[0] = pixel[1] = pixel[2] = 0;
        return;
    }
    // nu lies within a step or two of a count from 0 to 2^31 - 1, so its
    // whole part fits an int64 and one remainder finds both entries.
    const std::int64_t length = palette_lengths[palette_index];
    const double whole = std::floor(nu);
    const double t = nu - whole;
    const std::int64_t j = static_cast<std::int64_t>(whole) % length;
    const std::int64_t j0 = j < 0 ? j + length : j;
    const std::int64_t j1 = j0 + 1 == length ? 0 : j0 + 1;
    const std::uint8_t* a = palette_colors[palette_index][j0];
    const std::uint8_t* b = palette_colors[palette_index][j1];
    for (int ch = 0; ch < 3; ++ch)
        pixel[ch] = light.encode((1.0 - t) * light.decode(a[ch]) + t * light.decode(b[ch]));
}
