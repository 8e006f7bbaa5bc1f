// The player's announcement of a new track: right after it sets a new caption, Winamp
// broadcasts the registered window message "WinampSongChange" to every top-level window.
#pragma once

#include <cstdint>

#include "display/host.h"

inline constexpr char kSongChangeMessage[] = "WinampSongChange";
// At most one early run in this time: the timer catches whatever a dropped announcement told.
inline constexpr uint32_t kSongChangeSpacingMs = 100;

// The popup received the announcement: the display cycle runs at once, as a tick of the timer
// would, when the strip is away and idle and the timer still polls; otherwise nothing happens.
void OnSongChange(NowPlayingHost& host);
