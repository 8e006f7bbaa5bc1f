// The icon in the notification area ([Main] TrayIcon=1): its menu's commands and its tooltip.
#pragma once

#include <cstdint>

#include "display/host.h"

// The menu's commands, in the menu's order; 0 is no command (the menu closed unchosen).
enum class TrayCommand : uint32_t { kNone = 0, kShowNow, kAutomatic, kEditSettings, kQuit };

// A command of the menu, or a click on the icon (kShowNow): the same as the hot keys, and
// Quit takes the icon away first.
void OnTrayCommand(NowPlayingHost& host, TrayCommand command);

// The tooltip's room: 127 UTF-16 units and the terminator.
inline constexpr uint32_t kTooltipSize = 128;

// "Tunelamp", a line break and the title (UTF-16, `length` units), cut at a whole character
// to fit the room; without a title just "Tunelamp". Zero-terminated; answers its length.
uint32_t ComposeTooltip(const char16_t* title, uint32_t length, char16_t (&tip)[kTooltipSize]);
