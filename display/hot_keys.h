// The three global hot keys: the keys that settings.ini sets, taken from the system, and what
// could not be had.
#pragma once

#include <cstdint>

#include "display/host.h"
#include "display/settings.h"
#include "toolkit/text.h"

// Hot-key ids (the WParam of WM_HOTKEY).
inline constexpr int32_t kHotKeyShowNow = 0;    // Ctrl+Shift+X by default
inline constexpr int32_t kHotKeyAutomatic = 1;  // Ctrl+Shift+C
inline constexpr int32_t kHotKeyQuit = 2;       // Ctrl+Shift+V

// Registers the three keys of `settings`, without auto-repeat where the system knows that flag.
// Answers the notice of the keys that could not be had ("Tunelamp keys not set: ..."), in the
// language spoken (UTF-8), when the file has a [Keys] section; without one, or when all is well,
// an empty text.
[[nodiscard]] Text RegisterHotKeys(NowPlayingHost& host, const Settings& settings);

// Gives the three keys back to the system.
void UnregisterHotKeys(NowPlayingHost& host);
