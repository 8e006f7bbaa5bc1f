// Monitor=all: a strip on every monitor, as one display. The logic speaks to one strip at a time
// through the host; these choose which, and keep what each strip has of its own (its
// resolutions and place). With one strip nothing is ever chosen: the form is the strip, as it
// always was.
#pragma once

#include <cstdint>

#include "display/host.h"
#include "display/state.h"

[[nodiscard]] bool AllMonitors(const Settings& settings);

// The monitors a display comes out on, in the order of their strips.
struct StripMonitors {
  ScreenArea area[kMostStrips];
  uint32_t count;
};

// The host's calls go to strip `strip` from here on; one not made yet is made, invisible.
void SelectStrip(NowPlayingHost& host, NowPlayingState& state, uint32_t strip);

// The display has `count` strips; those made beyond them go, windows and all.
void UseStrips(NowPlayingHost& host, NowPlayingState& state, uint32_t count);

// `step` for every strip of the display, each chosen in turn, then the form again. One loop for
// every step (a thunk per step), not one made for each.
void EachStripCall(NowPlayingHost& host, NowPlayingState& state,
                   void (*call)(const void* step, uint32_t strip), const void* step);
template <typename Step>
void EachStrip(NowPlayingHost& host, NowPlayingState& state, const Step& step) {
  EachStripCall(
      host, state,
      [](const void* each, uint32_t strip) { (*static_cast<const Step*>(each))(strip); }, &step);
}
