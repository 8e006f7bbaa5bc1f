// The player can scroll its title in the taskbar: its caption then turns one character at a
// time as a circle of "12. Artist - Title - Winamp *** ", either alone or followed by the
// whole caption again. Read either way, one track must still give one title.
#pragma once

#include <string_view>

#include "toolkit/text.h"

// What ends the title in every playing caption, and begins the scroll mark.
inline constexpr std::string_view kWinampMark = " - Winamp";

// True when `caption` is such a turned caption; `unturned` then holds the caption it turns
// ("12. Artist - Title - Winamp"). Any other caption is left for the usual cut.
[[nodiscard]] bool Unscroll(std::string_view caption, Text& unturned);
