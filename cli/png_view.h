// The view a PNG was rendered from, kept in a tEXt chunk of its own so that
// the file can be rendered again.
#pragma once

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
