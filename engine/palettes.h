// The fifteen colour palettes of the dialog's colour list.
#pragma once

#include <cstdint>

inline constexpr int PALETTE_COUNT = 15;
inline constexpr int PALETTE_MAX_LENGTH = 96;

// [palette][entry][blue, green, red]; entries past a palette's length are zero.
extern const std::uint8_t palette_colors[PALETTE_COUNT][PALETTE_MAX_LENGTH][3];

// How many entries of each palette are used.
inline constexpr std::uint32_t palette_lengths[PALETTE_COUNT] = {24, 48, 96, 62, 62, 63, 79, 95, 2, 2, 2, 1, 6, 14, 30};

// The entries of the dialog's colour list, in table order. The number in a
// name counts the colours of a ramp, which the longer palettes run up and back.
inline constexpr const char16_t* palette_names[PALETTE_COUNT] = {
    u"24色",    u"48色",    u"96色",    u"青白32色", u"赤黄32色", u"緑白紫63色", u"青白黄赤79色", u"赤黄白水青95色",
    u"赤水2色", u"青黄2色", u"緑紫2色", u"白1色",    u"白黒4色",  u"白黒8色",    u"白黒16色",
};
