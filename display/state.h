// The process-wide values of the now-playing unit, shared by the title probe, the display
// cycle, the settings and the hot keys.
#pragma once

#include <cstdint>

#include "display/host.h"
#include "toolkit/text.h"

// Every value settings.ini gives but the keys, as read (settings.h).
struct SettingValues {
  uint32_t keepInterval = 0;
  uint32_t checkInterval = 0;
  bool memoryEconomy = false;
  uint32_t color = 0;
  int32_t fontPoints = 0;
  Text fontName;
  int32_t monitor = 0;
  bool bottom = false;
  bool overFullScreen = true;
  bool livePosition = false;
  bool progress = false;
};

struct NowPlayingState {
  // Refreshed by every probe, also with 0; the display cycle sends its queries here.
  uint32_t playerWindow = 0;
  // The title last reported as new; heads the popup's caption.
  Text lastTitle;

  bool shown = false;          // the strip is out (after the last completed animation)
  bool cancel = false;         // a click asked to abort the animation or the display
  bool forced = false;         // a display was asked for by hand
  bool automatic = true;       // new titles are shown without being asked for
  bool memoryEconomy = false;  // hide and minimise the form while the strip is away

  uint32_t keepInterval = 0;   // timer interval while the strip is out
  uint32_t checkInterval = 0;  // timer interval while it is away
  uint32_t color = 0;          // the parsed Color setting
  uint32_t region = 0;         // the rounded region, owned by the window from then on

  // Where the strip comes out, and whether over a full-screen program (see placement.h).
  int32_t monitor = 0;         // 0 the primary, 1..n, -1 the foreground window's, -2 the pointer's
  bool bottom = false;         // along the bottom of the work area instead of the top
  bool overFullScreen = true;  // new titles come out also over a full-screen program
  bool trayIcon = false;       // [Main] TrayIcon=1: an icon in the notification area

  // Resolutions in dots per inch (see placement.h).
  uint32_t layoutDpi = 96;   // the one the font, the height, the corners and the label's edges have
  uint32_t stripDpi = 96;    // the strip's, as last reported by the system or found at a display
  uint32_t dpiReading = 96;  // its monitor's, as read at the start or the last display

  // While the strip is out, once a second: [Main] LivePosition=1 brings the caption's position
  // up to date, Progress=1 the line along its bottom edge. `showsTrack`: the strip shows a title
  // (not a notice, nor the player's absence), which the two follow.
  bool livePosition = false;
  bool progress = false;
  bool showsTrack = false;
  // The user's accessibility settings as the last display found them (display_cycle.cpp).
  bool animations = true;     // the strip fades and slides; else it comes and goes at once
  bool highContrast = false;  // drawn in the system's window colours, and fully opaque

  // Which of the keys set in settings.ini could not be had, and why: shown instead of the
  // title by the first display, until it has gone again. Empty when all is well.
  Text keyNotice;

  // What the player's announcements look at (song_change.h).
  bool settingsLoaded = false;  // the settings loader has run
  // The timer is enabled with an interval above 0, as the cycle last left it; start-up
  // starts it at 100 ms.
  bool ticking = true;
  uint32_t cycleRuns = 0;        // runs of the display cycle under way, nested ones included
  bool songChangeRan = false;    // an announcement has run the cycle before, ...
  uint32_t songChangeRunAt = 0;  // ... at this tick count

  // A screen that changes (placement.h): where the strip was last put (its left, top and right
  // edges), and whether the system reported a new screen or work area since, or the place was
  // set anew.
  ScreenRect fitted;
  bool screenChanged = false;
  bool relayout = false;  // a new font waits for the next display to size the strip

  // Saved settings (settings_watch.h): the files as the last look found them, a change not yet
  // read, and values read during a display that wait for its end.
  FileStamp seenHere;
  FileStamp seenBeside;
  bool settling = false;
  bool settingsWaiting = false;
  SettingValues waiting;
  Text waitingNotice;

  // Set just before ExitProcess: in the program that call never returns, but a host whose
  // ExitProcess does return must find the logic touching nothing more.
  bool exiting = false;
};

// The one instance of the process.
[[nodiscard]] NowPlayingState& NowPlaying();

// Puts every value back as it is when the process starts.
void ResetNowPlaying();
