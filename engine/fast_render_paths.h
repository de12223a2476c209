// Entry points of the vector paths, one file per instruction set. Each
// renders the columns x = k, k + 8, ... of every row; call one only when
// the processor has its instruction set.
#pragma once

#include "fractal.h"

#include <cstdint>

#if defined(__x86_64__)

// Colours the pixels with put_pixel.
void render_columns_sse2(const CFractal& fractal, int k);
void render_columns_avx2(const CFractal& fractal, int k);

// Stores the escape counts to counts[x + width * i].
void count_columns_sse2(const CFractal& fractal, int k, std::int32_t* counts);
void count_columns_avx2(const CFractal& fractal, int k, std::int32_t* counts);

#endif
