// Saved settings take effect while the program runs: a look at settings.ini every half second,
// on a timer of its own, reads the file again once a change has settled.
#pragma once

#include <cstdint>

#include "display/host.h"

inline constexpr uint32_t kSettingsLookMs = 500;

// The watch timer's tick. A change (a file's last write time or size, a file appearing or going
// away, in either place) is read at the first look that finds the files as the one before.
void WatchSettings(NowPlayingHost& host);

// The end of a run of the display cycle: values read during a display take effect once the
// strip is away.
void ApplyWaitingSettings(NowPlayingHost& host);
