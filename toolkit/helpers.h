// System helpers of the toolkit: the screen's width and the resolution of colour values.
#pragma once

#include <cstdint>

// A Windows colour 0x00BBGGRR, or, with the top bit set, system colour n as 0x80000000 + n.
using TColor = uint32_t;

inline constexpr TColor kSystemColorFlag = 0x80000000u;
inline constexpr TColor kButtonFaceColor = kSystemColorFlag | 15u;  // COLOR_BTNFACE

// Width of the primary display in pixels, read afresh on every call.
[[nodiscard]] int32_t ScreenWidth();

// A system colour becomes its current RGB value (only the low byte selects it); any other
// colour is returned unchanged.
[[nodiscard]] TColor ResolveColor(TColor color);
