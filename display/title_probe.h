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

// The title in the caption of the player's window `window`, as the probe cuts it out; a caption
// that reads more than one way reads as `last`, the title already known, when one of its
// readings is. False, leaving `title` undefined, when the caption shows no title that can be read.
[[nodiscard]] bool ReadCaptionTitle(NowPlayingHost& host, uint32_t window, const Text& last,
                                    Text& title);

// The player window to follow, also NowPlaying().playerWindow from then on: the one window, or of
// several, the one that plays (player_choice.h); 0 when there is none.
[[nodiscard]] uint32_t FollowPlayer(NowPlayingHost& host);

// True when the player runs, is not stopped and shows a title other than the last one,
// which it then becomes. Refreshes NowPlaying().playerWindow (FollowPlayer) and playingState on
// every call.
[[nodiscard]] bool ProbeTitle(NowPlayingHost& host);
