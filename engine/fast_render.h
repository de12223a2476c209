// The vectorised renderer: the same escape counts as the formulas of
// formulas.h, several pixels at a time, on the widest vector unit the
// processor has. The scalar formulas stay the definition and the fallback.
#pragma once

#include "fractal.h"
#include "renderer.h"

#include <cstdint>

// The ways of computing counts, narrowest first.
enum class render_path { scalar, sse2, avx2, avx512 };

// The widest path this processor can run.
render_path best_render_path();

// The path the renderer uses now: the forced one, else the best.
render_path active_render_path();

// Makes the renderer use the given path from now on; a path the processor
// cannot run falls back to the best one it can.
void force_render_path(render_path path);

// "scalar", "sse2", "avx2" or "avx512".
const char* render_path_name(render_path path);

// The path a name stands for; otherwise when the name is null or unknown.
render_path render_path_from_name(const char* name, render_path otherwise);

// Writes the escape count of every pixel of the view to counts[x + width * i]
// (width * height entries), computed by the given path (or the best one the
// processor can run), worker after worker on the calling thread.
void compute_counts(const CFractal& fractal, render_path path, std::int32_t* counts);

// Renders the columns of worker k as render_columns does, on the active
// vector path; false, with nothing drawn, when the scalar path is active.
bool render_columns_fast(const CFractal& fractal, const render_layout& layout, int k);
