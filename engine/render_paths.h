// The ways of computing an image: the scalar definition of formulas.h and
// the vector units, which give the same escape counts several pixels at a
// time. One table holds them; the renderer uses the widest the processor
// has unless another is forced.
#pragma once

#include "image_definition.h"

#include <cstdint>
#include <optional>
#include <string_view>

// The ways of computing counts, narrowest first; each is a row of the table.
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

// The path a name stands for; nothing when the name is no path's.
std::optional<render_path> render_path_from_name(std::string_view name);

// Renders the columns x = k, k + workers, k + 2 workers, ... of every row on
// the active path.
void render_columns(const exact_job& job, int k);

// Writes the escape counts of the same columns to counts[x + width * i].
void count_columns(const exact_job& job, int k, std::int32_t* counts);

// Writes their smooth values, or with values null their smooth colours, as
// smooth_sink does.
void smooth_columns(const exact_job& job, int k, double* values);

// Writes the escape count of every pixel of the view to counts[x + width * i]
// (width * height entries of the grid), computed by the given path (or the best one the
// processor can run), worker after worker on the calling thread.
void compute_counts(const exact_job& job, render_path path, std::int32_t* counts);
