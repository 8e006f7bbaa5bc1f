// The player's announcement of a new track: right after it sets a new caption, Winamp
// broadcasts the registered window message "WinampSongChange" to every top-level window.
#pragma once

#include <cstdint>

#include "display/host.h"
#include "display/state.h"

inline constexpr char kSongChangeMessage[] = "WinampSongChange";
// At most one early run in this time: the timer catches whatever a dropped announcement told.
inline constexpr uint32_t kSongChangeSpacingMs = 100;

// Whether an announcement runs the display cycle now, as a tick of the timer would: only when
// the strip is away and idle and the timer still polls. A run counts towards the spacing.
[[nodiscard]] bool AnnouncementRuns(NowPlayingHost& host, NowPlayingState& state);
