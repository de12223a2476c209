// The view a PNG was rendered from, kept in a tEXt chunk of its own so that
// the file can be rendered again.
#pragma once

#include "render_options.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The chunk's keyword.
inline constexpr std::string_view VIEW_KEYWORD = "Quellarin view";

// The PNG with a tEXt chunk of VIEW_KEYWORD and text right after its header.
std::vector<std::uint8_t> with_view_text(const std::vector<std::uint8_t>& png, std::string_view text);

// Finds the text of the one VIEW_KEYWORD chunk in a whole PNG file; false,
// with one line, when the file is not a whole, sound PNG (every chunk in
// bounds and its checksum right, up to IEND) or holds no such chunk or two.
bool read_view_text(const std::uint8_t* data, std::size_t size, std::string& text, std::string& message);

// Reads a view's "key=value" lines (center-x, center-y, radius, iterations,
// figure, palette, size and version, then method if the view was rendered
// by a forced method) into options, with the same checks as the command
// line; version may be any text. False, with one line, and options
// unchanged otherwise.
bool parse_view_text(std::string_view text, render_options& options, std::string& message);

// The lines parse_view_text reads. A view rendered by the double definition
// stores its numbers in their shortest exact form, which is all that
// definition reads; one rendered by perturbation stores its centre and
// radius as given, every digit.
std::string format_view_text(const render_options& options, bool perturbation, std::string_view version);
