#include "linear_light.h"

#include "portable_math.h"

#include <algorithm>

double srgb_to_linear(double v)
{
    if (v <= 0.04045)
        return v / 12.92;
    return portable_exp(2.4 * portable_log((v + 0.055) / 1.055));
}

linear_light::linear_light()
{
    for (int v = 0; v < 256; ++v)
        linear_[static_cast<std::size_t>(v)] = srgb_to_linear(v / 255.0);
    for (int v = 0; v < 255; ++v)
        midpoints_[static_cast<std::size_t>(v)] = srgb_to_linear((v + 0.5) / 255.0);
    midpoints_[255] = 2.0;
    for (int k = 0; k <= BUCKETS; ++k)
        bucket_start_[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(
            std::upper_bound(midpoints_.begin(), midpoints_.end(), static_cast<double>(k) / BUCKETS) -
            midpoints_.begin());
}

const linear_light& srgb_light()
{
    static const linear_light table;
    return table;
}
