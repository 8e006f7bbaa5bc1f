// A window that stands in for a full-screen game or video: a borderless window over the whole
// primary monitor, in front. It lives on a thread of its own, so that a destroy that waits long
// for the window manager never stalls the player.
#pragma once

#include <windows.h>

#include <cstddef>

// Runs `fullscreen 1` or `fullscreen 0` (see README.md). False when `command` is not one of
// them, or the window could not be made; `player` comes to the front when full screen ends.
[[nodiscard]] bool FullScreenCommand(const char* command, size_t length, HWND player);
