// The settings loader: reads settings.ini at the start, gives the popup its final look,
// registers the hot keys and sets the display flags to their starting values.
#pragma once

#include <cstdint>
#include <string_view>

#include "display/host.h"
#include "display/state.h"

// Hot-key ids; the keys come from [Keys] (hot_keys.h).
inline constexpr int32_t kHotKeyShowNow = 0;    // Ctrl+Shift+X by default
inline constexpr int32_t kHotKeyAutomatic = 1;  // Ctrl+Shift+C
inline constexpr int32_t kHotKeyQuit = 2;       // Ctrl+Shift+V

inline constexpr uint32_t kDefaultKeepTitle = 3000;
inline constexpr uint32_t kDefaultCheckTitle = 500;
inline constexpr char kDefaultColor[] = "$e69500";
inline constexpr int32_t kDefaultFontSize = 20;
inline constexpr char kDefaultFontName[] = "Tahoma";
inline constexpr uint32_t kSettingTextSize = 256;  // 255 characters and the terminator

// The integer syntax of the Color setting: "$" / "x" / "0x" hexadecimal, or decimal with an
// optional sign; parsing stops before the first character that does not fit or would
// overflow, keeping what it gathered. A "-" negates only a text read to its end.
[[nodiscard]] uint32_t ParseInteger(std::string_view text);

// Reads [Main] TrayIcon, after the keys, and adds or takes away the icon at once.
void TakeTrayIcon(NowPlayingHost& host);

void LoadSettings(NowPlayingHost& host);

// Every value but the keys, in the order the start reads them. At the start (`fontAtOnce`) the
// label's font takes its size and name as each is read.
void ReadSettings(NowPlayingHost& host, SettingValues& values, bool fontAtOnce = false);
// Into the process's values: the intervals; the look, the place and the memory economy.
void TakeTimings(NowPlayingState& state, const SettingValues& values);
void TakePlace(NowPlayingState& state, const SettingValues& values);
