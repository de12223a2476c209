// Exact arithmetic on decimal texts, for moving a view: a centre plus a
// number of pixels, and a radius halved or doubled, with every digit kept
// and one rounding, to a stated quantum, where a division leaves a rest.
// Texts are of decimal_number.h's grammar.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// center + (twice_pixels / 2) * 2 radius / scale: the point `twice_pixels`
// half pixels from the centre on a grid whose shorter side, `scale` pixels,
// spans twice the radius. Rounded half to even at 10^(e - 20), e the
// decimal exponent of the radius's leading digit, unless the centre has more
// digits, which are kept; nothing when a text is not a decimal.
std::optional<std::string> decimal_moved(std::string_view center, std::string_view radius, std::int64_t twice_pixels,
                                         std::int32_t scale);

// radius * 2^steps (steps of either sign), exactly: a halving is a product by
// 5 and a shift of the decimal point.
std::optional<std::string> decimal_scaled(std::string_view radius, int steps);
