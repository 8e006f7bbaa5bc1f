// The title probe: finds the player, asks whether it plays and cuts the track title out of
// its window caption.
#pragma once

#include <cstdint>

#include "display/host.h"

// Winamp's queries, each a SendMessageA(WM_USER, wParam, lParam) to its main window.
struct PlayerQuery {
  uint32_t wParam;
  int32_t lParam;
};
inline constexpr PlayerQuery kQueryPlayingState{0, 104};  // 0 stopped, 1 playing, 3 paused
inline constexpr int32_t kPlayingStatePlaying = 1;
inline constexpr PlayerQuery kQueryTrackLength{1, 105};  // seconds
inline constexpr PlayerQuery kQueryPosition{0, 105};     // milliseconds

inline constexpr uint32_t kCaptionBufferSize = 1024;
// A caption that may not fit those 1024 bytes is read again whole, into at most this many
// (4,095 bytes and the terminator): the taskbar's scroll of a title of 2,000 bytes fits.
inline constexpr uint32_t kCaptionMostSize = 4096;

// True when the player runs, is not stopped and shows a title other than the last one,
// which it then becomes. Refreshes NowPlaying().playerWindow and playingState on every call: of
// several players, the one that plays (player_choice.h).
[[nodiscard]] bool ProbeTitle(NowPlayingHost& host);
