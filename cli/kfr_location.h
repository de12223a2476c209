// Location files (.kfr), as deep-zoom programs write them: "Key: value" lines, of which
// Re and Im (the centre), Zoom, Iterations and Power are read and the rest
// ignored. Zoom z is the magnification at which the image's half-height is
// 2 / z, so the radius here (half the shorter side) is 2 / z: the same view
// for a square or landscape image.
#pragma once

#include "render_options.h"

#include <string>
#include <string_view>

// Puts the location into options' view (centre texts, radius, iterations,
// figure from Power 2, 3 or 4); false, with one line and options unchanged,
// when a key is missing, doubled or unreadable.
bool parse_kfr_location(std::string_view text, render_options& options, std::string& message);

// The view as a location file that parse_kfr_location reads back as the
// same view: Re, Im, Zoom (2 / radius, 17 digits), Iterations and Power.
std::string kfr_location_text(const render_view& view);
