// The display cycle: what the popup timer's tick runs. It moves the strip.
#pragma once

#include <cstdint>
#include <string_view>

#include "display/host.h"

inline constexpr uint32_t kAnimationMs = 2000;
inline constexpr uint32_t kFramePauseMs = 10;
inline constexpr int32_t kAlphaShown = 200;   // of the 255 a layered window allows
inline constexpr int32_t kAlphaOpaque = 255;  // the resting alpha in high contrast
// The progress line's height, at 96 dpi.
inline constexpr int32_t kProgressHeight = 3;
// How often the strip that is out follows the player's position.
inline constexpr uint32_t kLiveTickMs = 1000;

// "WinAMP не запущен!" in Windows-1251, 18 bytes: the label shows these words on every
// system, whatever its code page.
inline constexpr char kPlayerNotRunning[] = "WinAMP \xED\xE5 \xE7\xE0\xEF\xF3\xF9\xE5\xED!";
inline constexpr uint32_t kPlayerNotRunningCodePage = 1251;
inline constexpr uint32_t kCodePageUtf8 = 65001;

// Probes the player, then brings the strip out, takes it away or leaves it, and re-arms the
// timer. A run that takes the strip over from one under way (a show-now inside its animation)
// ends that one where it stands.
void DisplayCycle(NowPlayingHost& host);

// Once a second while the strip is out with [Main] LivePosition or Progress on: asks the player
// for length and position and shows them; the title stays.
void FollowTrack(NowPlayingHost& host);

// The track's fields, read once for a title with the template `format`, when `mayAsk`.
void ReadFieldsOnce(NowPlayingHost& host, std::string_view format, bool mayAsk);

// The text the strip shows for the track with the title template `format` (Text=): in UTF-8
// (answers true); without a template, or when it gives nothing but blanks, "<title> [m:ss] -
// m:ss" in the process's code page (false). The track's fields are read at the first call for a
// new title that has a template, when `mayAsk`.
[[nodiscard]] bool TrackText(NowPlayingHost& host, std::string_view format, int32_t lengthSeconds,
                             int32_t positionSeconds, bool mayAsk, Text& text);
