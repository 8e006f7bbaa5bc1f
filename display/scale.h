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
  const int64_t product = static_cast<int64_t>(value) * static_cast<int64_t>(dpi);
  const int64_t half = kBaseDpi / 2;
  const int64_t scaled = (product < 0 ? product - half : product + half) / kBaseDpi;
  return scaled > INT32_MAX || scaled < INT32_MIN ? -1 : static_cast<int32_t>(scaled);
}
