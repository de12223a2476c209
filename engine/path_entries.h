// Entry points of the render paths, one file each. Each computes the columns
// x = k, k + workers, ... of every row of the job and hands every pixel's
// escape count to a sink: its colour into the image, the count itself, or
// its smooth value.
// Call a vector one only when the processor has its instruction set.
#pragma once

#include "image_definition.h"

#include <cstdint>

// The definition itself, one pixel at a time (path_scalar.cpp).
void render_columns_scalar(const exact_job& job, int k);
void count_columns_scalar(const exact_job& job, int k, std::int32_t* counts);
void smooth_columns_scalar(const exact_job& job, int k, double* values);

#if defined(__x86_64__)
void render_columns_sse2(const exact_job& job, int k);
void count_columns_sse2(const exact_job& job, int k, std::int32_t* counts);
void smooth_columns_sse2(const exact_job& job, int k, double* values);
void render_columns_avx2(const exact_job& job, int k);
void count_columns_avx2(const exact_job& job, int k, std::int32_t* counts);
void smooth_columns_avx2(const exact_job& job, int k, double* values);
void render_columns_avx512(const exact_job& job, int k);
void count_columns_avx512(const exact_job& job, int k, std::int32_t* counts);
void smooth_columns_avx512(const exact_job& job, int k, double* values);
#endif
