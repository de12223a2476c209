// The query of an image request, GET /image?KEY=VALUE&...: the command line's
// flags without their dashes, read through the same flag table, so that a
// value is taken or refused exactly as on the command line.
#pragma once

#include "render_options.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

using query_pairs = std::vector<std::pair<std::string, std::string>>;

// The pairs of a query string ("a=1&b=2"), %XX and '+' decoded; false, with
// a one-line message, when an escape is malformed.
bool split_query(std::string_view query, query_pairs& pairs, std::string& message);

// The keys an image takes: center-x, center-y, radius, iterations, figure,
// palette, size, samples, smooth (any value means on), method and format
// (png, bmp or npy; png by default).
bool is_image_key(std::string_view key);

// The options of the image the pairs ask for, on top of base (the server's
// own: workers, memory limit, largest size); false, with the command line's
// one-line message without its program name, for a refused value, an
// unknown or doubled key, or a size above the server's largest.
bool read_image_query(const query_pairs& pairs, const render_options& base, render_options& options,
                      std::string& message);

// The query of a view, in the keys the pages use: center-x, center-y,
// radius, iterations, figure, palette, every digit kept.
std::string view_query(const render_view& view);
