// Where the strip comes out: on which monitor, along which edge, and whether a new title keeps
// quiet while a full-screen program is in front. With every setting at its default nothing
// here asks the system anything: the strip keeps the place and width start-up gave it.
#pragma once

#include <cstdint>

#include "display/host.h"
#include "display/state.h"

inline constexpr int32_t kMonitorPrimary = 0;
inline constexpr int32_t kPositionBottom = 1;
inline constexpr int32_t kCornerEllipse = 50;

// Reads [Main] Monitor, Position and FullScreen, after the other keys.
void LoadPlacement(NowPlayingHost& host);

// Before the strip comes out: finds its monitor (the primary when the chosen one is not there)
// and answers false when a new title must keep quiet because a full-screen program covers that
// monitor. A display asked for by hand always comes out.
[[nodiscard]] bool ChooseMonitor(NowPlayingHost& host, const NowPlayingState& state,
                                 ScreenArea& monitor);

// Once the form is restored and still invisible: moves it along the chosen edge of `monitor`,
// as wide as the monitor; the label and the rounded region take the new width.
void PlaceStrip(NowPlayingHost& host, NowPlayingState& state, const ScreenArea& monitor);
