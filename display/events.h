// Every way into the now-playing logic: the start, the timers, the keys, a click, the icon and its
// menu, the player's announcement, a saved settings file and a new screen. Each decides what
// runs and in which order (a reload's order among them); the parts below never call back up.
#pragma once

#include <cstdint>

#include "display/host.h"

// The form's OnCreate: reads settings.ini, gives the popup its final look, registers the hot
// keys and sets the display flags to their starting values.
void LoadSettings(NowPlayingHost& host);

// The popup timer's tick: a run of the display cycle.
void OnTimerTick(NowPlayingHost& host);
// The now-playing file's timer ticks (share_file.h): the file follows the player.
void OnShareTick(NowPlayingHost& host);
// The live timer's tick (LivePosition, Progress): the strip that is out follows the player.
void OnLiveTick(NowPlayingHost& host);
// The settings watch's tick: a saved settings.ini is read again once its change has settled.
// Answers whether the watch wants another look: a change still settling, a read to be made once
// more, or a file held shut. (Where the system tells of changes, the looks can then rest.)
[[nodiscard]] bool OnSettingsLook(NowPlayingHost& host);

// WM_HOTKEY on the form; `id` is the message's WParam. 0 shows now, 1 switches automatic
// display, 2 ends the process; other ids are ignored.
void OnHotKey(NowPlayingHost& host, uint32_t id);
// A mouse button released over the strip: it vanishes at once and the cycle cancels.
void OnPopupMouseUp(NowPlayingHost& host);

// The player announced a new caption ("WinampSongChange"): the display cycle runs at once, as a
// tick of the timer would, when the strip is away and idle and the timer still polls.
void OnSongChange(NowPlayingHost& host);

// A click on the icon: shows now.
void OnTrayClick(NowPlayingHost& host);
// A right click on the icon (or its context key): its menu, once no animation runs.
void OnTrayMenu(NowPlayingHost& host);
// A command of the menu: the same as the hot keys; Quit takes the icon away first; Settings opens
// the settings window.
void OnTrayCommand(NowPlayingHost& host, TrayCommand command);
// "TaskbarCreated" reached the program.
void OnTaskbarCreated(NowPlayingHost& host);

// A modal loop of the program's own opens or closes (a system dialog of the settings window):
// no animation runs inside it; a display asked for meanwhile runs once the outermost has closed.
void OnModalLoop(NowPlayingHost& host, bool open);
// Whether such a loop may open now: not inside an animation, which would stop where it stands
// until the loop closed. Otherwise the animation hurries to its end, and the caller asks again
// once it has.
[[nodiscard]] bool ModalLoopMayOpen();

// The Windows accent colour changed (WM_DWMCOLORIZATIONCOLORCHANGED, or WM_SETTINGCHANGE with
// "ImmersiveColorSet"): the strip takes it at its next display.
void OnAccentChanged();

// Discord's timer ticked, or its pipe has news (presence.h).
void OnDiscordTick(NowPlayingHost& host);

// WM_DISPLAYCHANGE, or a new work area (WM_SETTINGCHANGE with SPI_SETWORKAREA).
void OnScreenChanged(NowPlayingHost& host);
// WM_DPICHANGED, with the new resolution of the strip's window.
void OnDpiChanged(uint32_t dpi);
