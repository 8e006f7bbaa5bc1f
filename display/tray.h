// The icon in the notification area ([Main] TrayIcon=1): whether it is there, and its tooltip.
#pragma once

#include <cstdint>

#include "display/host.h"
#include "display/state.h"

// Adds the icon when the settings in force want it and the notification area does not hold it;
// takes it away when they do not.
void SetTrayIcon(NowPlayingHost& host, NowPlayingState& state);

// "TaskbarCreated": Explorer started afresh with an empty notification area, or it changed the
// display scale or took a remote session in with every icon still in place. An icon that is
// there is modified (it may have a new size); one that is not is added.
void RestoreTrayIcon(NowPlayingHost& host, NowPlayingState& state);

// The tooltip shows the last title: brought up to date when that has changed.
void FollowTitleInTooltip(NowPlayingHost& host, NowPlayingState& state);

// The process ends: the notification area would keep a dead icon until a pointer passes over it.
void RemoveTrayIcon(NowPlayingHost& host, NowPlayingState& state);

// The program's name, which heads the tooltip (and names it in the registry's Run key).
inline constexpr char16_t kProgramName[] = u"Tunelamp";

// The tooltip's room: 127 UTF-16 units and the terminator.
inline constexpr uint32_t kTooltipSize = 128;

// "Tunelamp", a line break and the title (UTF-16, `length` units), cut at a whole character
// to fit the room; without a title just "Tunelamp". Zero-terminated; answers its length.
uint32_t ComposeTooltip(const char16_t* title, uint32_t length, char16_t (&tip)[kTooltipSize]);
