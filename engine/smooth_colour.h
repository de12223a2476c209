// Smooth colouring's colours: the continuous value nu of smooth_value.h
// between two palette entries, mixed as light adds up.
#pragma once

#include "linear_light.h"

#include <cstdint>

// The colour of nu: the interpolation in linear light between palette
// entries floor(nu) mod L and floor(nu) + 1 mod L, by the fraction of nu;
// black for NaN. Three bytes, blue-green-red, at pixel.
// palette_index names the palette.
void smooth_pixel(std::int32_t palette_index, double nu, const linear_light& light, std::uint8_t* pixel);
