// The player can scroll its title in the taskbar: its caption then turns one character at a
// time as a circle of "12. Artist - Title - Winamp *** ", either alone or followed by the
// whole caption again. Read either way, one track must still give one title.
#pragma once

#include <cstdint>
#include <string_view>

#include "toolkit/text.h"

// What ends the title in every playing caption, and begins the scroll mark.
inline constexpr std::string_view kWinampMark = " - Winamp";

enum class ScrollStep : uint8_t {
  NotTurned,  // no turned caption: the usual cut applies
  Turned,     // `Unturned` holds the caption it turns
  Broken,     // turned, but cut short: it cannot be rebuilt whole, and gives no title
};

// The caption a turned one turns ("12. Artist - Title - Winamp"). A title that itself ends in
// " - Winamp" makes one step read two ways: `other` then holds the second reading.
struct Unturned {
  Text caption;
  Text other;  // empty: one reading only
};

// `cut`: the caption filled the buffer to its end, so its end is lost, and perhaps half a
// character with it.
[[nodiscard]] ScrollStep Unscroll(std::string_view caption, bool cut, Unturned& unturned);
