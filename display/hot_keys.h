// The user's steering: the three global hot keys and a click on the strip.
#pragma once

#include <cstdint>

#include "display/host.h"

// Registers the three keys of [Keys] in settings.ini (missing ones: Ctrl+Shift+X, C and V),
// without auto-repeat where the system knows that flag. When the file has a [Keys] section,
// a key that could not be had becomes the notice of the first display; without one, a
// failure stays silent.
void RegisterHotKeys(NowPlayingHost& host);

// WM_HOTKEY on the form; `id` is the message's WParam. 0 shows now, 1 switches automatic
// display, 2 ends the process; other ids are ignored.
void OnHotKey(NowPlayingHost& host, uint32_t id);

// A mouse button released over the strip: it vanishes at once and the cycle cancels.
void OnPopupMouseUp(NowPlayingHost& host);
