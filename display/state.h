// The process-wide values of the now-playing unit: what every part of the logic reads and moves.
// Plain data: the parts below the ways in (events.h) each own the fields they say they own.
// Made as NowPlayingState() (value-initialised): a field without a value of its own below starts
// as zero, false or empty.
#pragma once

#include <cstdint>

#include "display/host.h"
#include "display/presence.h"
#include "display/settings.h"
#include "toolkit/text.h"

// Monitor=all shows as many strips as there are monitors, at most this many.
inline constexpr uint32_t kMostStrips = 8;

// What each strip keeps of its own while another is the one the host's calls go to (strips.h):
// the fields of the same names below.
struct StripPlace {
  uint32_t layoutDpi = 96;
  uint32_t stripDpi = 96;
  uint32_t dpiReading = 96;
  bool relayout = false;
  ScreenRect fitted;
};

// A player window the probe looks at while several are open: the title it showed last, and the
// probe at which that title came.
struct PlayerTrack {
  uint32_t window;
  Text title;
  uint32_t changedAt;
};

// The now-playing file (share_file.h): what it was last written with and holds, and the track its
// own look last saw, with that track's fields.
struct ShareFileState {
  Text path;  // File=, FileText= and FileStopped= as the file was last written with them
  Text format;
  Text stopped;
  bool holds;         // written since the start or since those settings changed
  Text written;       // what it then holds
  bool wrotePlaying;  // the track it was written for: playing, and its title
  Text wroteTitle;
  bool held;     // the last write was refused by a reader: it is tried again
  bool givenUp;  // refused for good: left alone until the settings change
  Text notice;   // why, told at the next display
  Text title;
  TrackFields fields;
  bool fieldsRead;
  uint32_t interval;  // its timer, as last set
  // A look under way, and another asked for inside it (an announcement the player sent while it
  // was asked): that one is made once this one ends.
  bool looking;
  bool lookAgain;
};

struct NowPlayingState {
  // Refreshed by every probe, also with 0; the display cycle sends its queries here.
  uint32_t playerWindow;
  // While several players are open: each one's last title (title_probe.cpp), and the probes so
  // far.
  PlayerTrack players[kMostPlayers];
  uint32_t playersSeen;
  uint32_t probes;
  // The followed player's answer to the playing-state query at the last probe (0 also when there
  // is no player).
  int32_t playingState;
  // The title last reported as new; heads the popup's caption.
  Text lastTitle;
  // Its fields, read at its first display with a title template (display_cycle.h); and the
  // length and position the strip last showed, in seconds, which the settings window's preview
  // shows.
  TrackFields fields;
  bool fieldsRead;
  int32_t shownLength;
  int32_t shownPosition;

  bool shown;             // the strip is out (after the last completed animation)
  bool cancel;            // a click asked to abort the animation or the display
  bool forced;            // a display was asked for by hand
  bool automatic = true;  // new titles are shown without being asked for

  // The settings in force, and those read during a display whose WhenAway values wait for its
  // end (settings.h).
  Settings settings = DefaultSettings();
  Settings waiting;
  bool settingsWaiting;
  uint32_t region;  // the rounded region, owned by the window from then on

  // Resolutions in dots per inch (see placement.h).
  uint32_t layoutDpi = 96;   // the one the font, the height, the corners and the label's edges have
  uint32_t stripDpi = 96;    // the strip's, as last reported by the system or found at a display
  uint32_t dpiReading = 96;  // its monitor's, as read at the start or the last display

  // The strip shows a title (not a notice, nor the player's absence), which the live position
  // and the progress line follow.
  bool showsTrack;
  // The user's accessibility settings as the last display found them (display_cycle.cpp).
  bool animations = true;  // the strip fades and slides; else it comes and goes at once
  bool highContrast;       // drawn in the system's window colours, and fully opaque
  // The Windows accent colour changed since the strip was last painted (colors.h).
  bool accentChanged;

  // Which of the keys set in settings.ini could not be had, and why: shown instead of the
  // title by the first display, until it has gone again. Empty when all is well. A notice of
  // keys taken anew during a display waits for the next one.
  Text keyNotice;
  Text waitingNotice;
  bool noticeWaiting;

  // The runs of the display cycle under way, nested ones included; the displays begun so far
  // (a run that takes the strip over from a running one ends the older one where it stands).
  uint32_t cycleRuns;
  uint32_t displays;
  // The timer is enabled with an interval above 0, as the cycle last left it; start-up
  // starts it at 100 ms.
  bool ticking = true;

  // The ways in (events.h): the settings have been loaded; the player's last announcement that
  // ran the cycle; a modal loop of the program's own is open (the icon's menu), which no
  // animation may run inside, and a run held until it closes; the menu, or another modal loop
  // (a picker), asked for while a run was under way.
  bool settingsLoaded;
  bool songChangeRan;
  uint32_t songChangeRunAt;
  uint32_t modalLoops;
  bool runHeld;
  bool menuWanted;
  bool loopWanted;

  // A screen that changes (placement.h): where the strip was last put (its left, top and right
  // edges), and whether the system reported a new screen or work area since, or the place was
  // set anew.
  ScreenRect fitted;
  bool screenChanged;
  uint32_t screenChanges;  // new screens reported so far
  bool relayout;           // a new font waits for the next display to size the strip

  // The settings watch (settings_watch.h).
  FileStamp seenHere;
  FileStamp seenBeside;
  bool settling;
  bool confirming;
  uint32_t confirmAt;

  // The icon in the notification area (tray.h): the notification area holds it; the title
  // its tooltip shows.
  bool iconAdded;
  Text tipTitle;

  // Monitor=all (strips.h): the strips of the display (the form is strip 0), those made so far,
  // the one the host's calls go to, and the resolutions of each while it is not that one.
  uint32_t strips = 1;
  uint32_t stripsMade = 1;
  uint32_t strip;
  StripPlace places[kMostStrips];

  // Discord's "Listening to" (presence.h), and the title it last followed (discord_follow.h).
  DiscordLink discord;
  Text discordTitle;
  ShareFileState file;

  // Set just before ExitProcess: in the program that call never returns, but a host whose
  // ExitProcess does return must find the logic touching nothing more.
  bool exiting;
};

// The one instance of the process.
[[nodiscard]] NowPlayingState& NowPlaying();

// Puts every value back as it is when the process starts.
void ResetNowPlaying();
