// The strip's lengths are given for a screen of 96 dots per inch (100 % scale) and scaled to
// the resolution of the monitor it comes out on, so that it looks the same at every scale.
#pragma once

#include <cstdint>

inline constexpr uint32_t kBaseDpi = 96;
// What a monitor can report: 25 % to 1000 % of the base. Anything else is not a resolution.
inline constexpr uint32_t kLeastDpi = 24;
inline constexpr uint32_t kMostDpi = 960;

// `value` × `dpi` ÷ 96, rounded to the nearest integer with halves away from zero, and -1 when
// the result does not fit: Win32's MulDiv(value, dpi, 96). At 96 every value comes back as it is.
[[nodiscard]] constexpr int32_t ScaleToDpi(int32_t value, uint32_t dpi) {
  // In floating point, which holds these products exactly.
  const double product = static_cast<double>(value) * dpi;
  const double half = kBaseDpi / 2;
  const double scaled = (product < 0 ? product - half : product + half) / kBaseDpi;
  if (scaled >= 2147483648.0 || scaled <= -2147483649.0) return -1;
  return static_cast<int32_t>(scaled);  // toward zero, after the half added away from it
}
