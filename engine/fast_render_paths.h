// Entry points of the vector paths, one file per instruction set. Each
// renders the columns x = k, k + workers, ... of every row (the viewer's
// layout for the counts); call one only when the processor has its
// instruction set.
#pragma once

#include "fractal.h"
#include "renderer.h"

#include <cstdint>

#if defined(__x86_64__)

// Colours the pixels with put_pixel.
void render_columns_sse2(const CFractal& fractal, const render_layout& layout, int k);
void render_columns_avx2(const CFractal& fractal, const render_layout& layout, int k);
void render_columns_avx512(const CFractal& fractal, const render_layout& layout, int k);

// Stores the escape counts to counts[x + width * i].
void count_columns_sse2(const CFractal& fractal, int k, std::int32_t* counts);
void count_columns_avx2(const CFractal& fractal, int k, std::int32_t* counts);
void count_columns_avx512(const CFractal& fractal, int k, std::int32_t* counts);

#endif
