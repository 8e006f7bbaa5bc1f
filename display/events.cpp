#include "display/events.h"

#include "display/colors.h"
#include "display/discord_follow.h"
#include "display/display_cycle.h"
#include "display/hot_keys.h"
#include "display/ini_file.h"
#include "display/language.h"
#include "display/placement.h"
#include "display/settings.h"
#include "display/settings_watch.h"
#include "display/share_file.h"
#include "display/song_change.h"
#include "display/state.h"
#include "display/strips.h"
#include "display/tray.h"

namespace {

// No display under way: the strip is neither out nor coming out or going away.
[[nodiscard]] bool Away(const NowPlayingState& state) {
  return !state.shown && state.cycleRuns == 0;
}

// settings.ini read once, every value from that one copy: with no file, every default. False,
// leaving `values` alone, when the file could not be read now: held shut, or gone since the
// watch's last look found it (the next look sees it gone).
[[nodiscard]] bool ReadSettingsFile(NowPlayingHost& host, const NowPlayingState& state,
                                    Settings& values) {
  Text bytes;
  const SettingsRead read = host.ReadSettingsFile(bytes);
  if (read == SettingsRead::kFailed) return false;
  if (read == SettingsRead::kNoFile && (state.seenHere.present || state.seenBeside.present)) {
    return false;
  }
  values = ReadSettings(read == SettingsRead::kRead ? IniFile(bytes.View()) : IniFile());
  return true;
}

// Settings read during a display take effect once the strip is away: the look, the place, the
// memory economy, the position's and the line's following, and the keys' notice.
void TakeWaitingSettings(NowPlayingHost& host, NowPlayingState& state) {
  if (!state.settingsWaiting || !Away(state) || state.exiting) return;
  state.settingsWaiting = false;
  const Settings was = state.settings;
  state.settings = state.waiting;
  const Settings& now = state.settings;
  // Monitor=all's other strips are made anew, in the new look, at the next display.
  UseStrips(host, state, 1);
  if (now.monitor != was.monitor || now.bottom != was.bottom ||
      now.monitorWord != was.monitorWord) {
    state.screenChanged = true;
  }
  if (now.fontPoints != was.fontPoints || now.fontName != was.fontName) {
    host.FontSetSize(now.fontPoints, state.layoutDpi);
    host.FontSetName(Text(now.fontName.bytes));
    // A minimised window would not keep a new size: the strip is sized once it is restored.
    state.relayout = true;
  }
  PaintStrip(host, state);
  // The line that is off is not shown.
  if (was.progress && !now.progress) host.ProgressSetBounds(0, 0, 0, 0);
  if (state.noticeWaiting) state.keyNotice = state.waitingNotice;
  state.noticeWaiting = false;
  if (now.memoryEconomy == was.memoryEconomy) return;
  // Minimised as a display ends, or restored without taking the keyboard from anyone.
  if (now.memoryEconomy) {
    host.FormHide();
    host.FormMinimiseWithoutActivation();
  } else {
    host.FormRestoreWithoutActivation();
  }
}

// A saved file read again. The keys are given back and asked for anew at once (what could not
// be had is told at the next display, not in the middle of this one), the icon comes or goes,
// and the intervals apply at the timer's next arming; the rest waits for the strip to be away.
void TakeSavedSettings(NowPlayingHost& host, NowPlayingState& state, const Settings& read) {
  const Settings& coming = state.settingsWaiting ? state.waiting : state.settings;
  if (read == coming) return;
  // Before the keys, whose notice is said in it.
  if (read.language != state.settings.language) TakeLanguage(host, read.language.View());
  if (!(read.showNowKey == state.settings.showNowKey &&
        read.automaticKey == state.settings.automaticKey &&
        read.quitKey == state.settings.quitKey && read.keysTold == state.settings.keysTold)) {
    UnregisterHotKeys(host);
    state.waitingNotice = RegisterHotKeys(host, read);
    state.noticeWaiting = true;
  }
  TakeAtOnce(state.settings, read);
  SetTrayIcon(host, state);
  state.waiting = read;
  state.settingsWaiting = true;
  TakeWaitingSettings(host, state);
}

// Runs the display cycle; then, once no run is under way, what waits for its end.
void RunDisplayCycle(NowPlayingHost& host) {
  NowPlayingState& state = NowPlaying();
  // Any run probes the player, so a run held by a modal loop is done by this one.
  state.runHeld = false;
  DisplayCycle(host);
  if (state.cycleRuns != 0 || state.exiting) return;
  state.loopWanted = false;
  TakeWaitingSettings(host, state);
  TakeDiscordNotice(state);
  FollowTitleInTooltip(host, state);
  if (state.menuWanted) {
    state.menuWanted = false;
    OnTrayMenu(host);
  }
}

// A run asked for inside a modal loop waits for it to close: its frames would take the loop's
// mouse and keys away.
[[nodiscard]] bool HeldByModalLoop(NowPlayingState& state) {
  if (state.modalLoops == 0) return false;
  state.runHeld = true;
  return true;
}

}  // namespace

void LoadSettings(NowPlayingHost& host) {
  NowPlayingState& state = NowPlaying();
  // Invisible from here on, until the display cycle brings the strip out.
  host.FormSetAlphaBlend(true);
  host.FormSetAlphaBlendValue(0);
  state.shown = false;
  host.FormSetWindowPosTopmost();
  state.cancel = false;

  StartWatchingSettings(host, state);
  // A file that cannot be read now (another program holds it) is read at the watch's first look.
  if (!ReadSettingsFile(host, state, state.settings)) SettingsReadFailed(state);
  const Settings& settings = state.settings;
  // The strip starts on the primary monitor, and is laid out for its resolution.
  state.layoutDpi = state.stripDpi = state.dpiReading = UsableDpi(host.FormGetDpi());
  host.FontSetSize(settings.fontPoints, state.layoutDpi);
  host.FontSetName(Text(settings.fontName.bytes));
  SizeStrip(host, state);
  // Start-up put the strip at the origin, as wide as the screen.
  const int32_t width = host.FormGetWidth();
  state.fitted = {0, 0, width, 0};
  RoundCorners(host, state, width);
  PaintStrip(host, state);

  TakeLanguage(host, settings.language.View());
  state.keyNotice = RegisterHotKeys(host, settings);
  SetTrayIcon(host, state);

  state.forced = false;
  state.automatic = true;
  state.settingsLoaded = true;
  if (settings.memoryEconomy) host.FormMinimiseWithoutActivation();
  FollowPlayerInFile(host, state, FileLook::kOther);
}

void OnTimerTick(NowPlayingHost& host) {
  // The file first: a new track is in it before the strip tells of it.
  FollowPlayerInFile(host, NowPlaying(), FileLook::kOther);
  if (HeldByModalLoop(NowPlaying())) return;
  RunDisplayCycle(host);
}

void OnShareTick(NowPlayingHost& host) {
  FollowPlayerInFile(host, NowPlaying(), FileLook::kOwnTick);
}

void OnLiveTick(NowPlayingHost& host) {
  FollowTrack(host);
}

bool OnSettingsLook(NowPlayingHost& host) {
  NowPlayingState& state = NowPlaying();
  if (!state.settingsLoaded || state.exiting) return !state.exiting;
  if (LookAtSettings(host, state)) {
    Settings read;
    if (ReadSettingsFile(host, state, read)) {
      TakeSavedSettings(host, state, read);
      FollowPlayerInFile(host, state, FileLook::kOther);
    } else {
      SettingsReadFailed(state);
    }
  }
  return SettingsWatchBusy(state);
}

void OnHotKey(NowPlayingHost& host, uint32_t id) {
  NowPlayingState& state = NowPlaying();
  switch (id) {
    case kHotKeyShowNow:
      // Forced, the cycle always goes on; with shown cleared it plays the appearing
      // animation, also over a strip that is already out. Inside a running animation this
      // display takes the strip over, and the other ends where it stands.
      state.forced = true;
      state.shown = false;
      if (!HeldByModalLoop(state)) RunDisplayCycle(host);
      break;
    case kHotKeyAutomatic:
      state.automatic = !state.automatic;
      break;
    case kHotKeyQuit:
      // Nothing is freed or unregistered: the system reclaims it all with the process. The
      // icon is the exception.
      RemoveTrayIcon(host, state);
      EndPresence(host, state.discord);
      StopFile(host, state);
      state.exiting = true;
      host.ExitProcess(0);
      return;
    default:
      break;
  }
}

void OnPopupMouseUp(NowPlayingHost& host) {
  NowPlayingState& state = NowPlaying();
  // A click on any strip takes them all away.
  EachStrip(host, state, [&](uint32_t) { host.FormSetAlphaBlendValue(0); });
  // A running animation stops at its next loop test; otherwise the next run of the cycle
  // that goes on skips its animation.
  state.cancel = true;
  // A strip that is out has been read: clicked away, its display is over.
  if (state.shown) state.keyNotice = Text();
}

void OnSongChange(NowPlayingHost& host) {
  NowPlayingState& state = NowPlaying();
  FollowPlayerInFile(host, state, FileLook::kOther);
  if (!AnnouncementRuns(host, state) || HeldByModalLoop(state)) return;
  RunDisplayCycle(host);
}

void OnTrayClick(NowPlayingHost& host) {
  OnHotKey(host, kHotKeyShowNow);
}

void OnTrayMenu(NowPlayingHost& host) {
  NowPlayingState& state = NowPlaying();
  if (state.exiting) return;
  // Inside an animation the menu waits for its run to end; the animation hurries to its end.
  if (state.cycleRuns != 0) {
    state.menuWanted = true;
    return;
  }
  OnModalLoop(host, true);
  const TrayCommand command = host.TrayMenu(state.automatic);
  --state.modalLoops;
  OnTrayCommand(host, command);
  // Opened over another modal loop (a picker's), the menu leaves a held run to the outermost.
  if (state.modalLoops == 0 && state.runHeld && !state.exiting) RunDisplayCycle(host);
}

void OnTrayCommand(NowPlayingHost& host, TrayCommand command) {
  switch (command) {
    case TrayCommand::kShowNow:
      OnHotKey(host, kHotKeyShowNow);
      break;
    case TrayCommand::kAutomatic:
      OnHotKey(host, kHotKeyAutomatic);
      break;
    case TrayCommand::kSettingsWindow:
      host.SettingsWindow();
      break;
    case TrayCommand::kEditSettings:
      host.SettingsEdit();
      break;
    case TrayCommand::kQuit:
      OnHotKey(host, kHotKeyQuit);
      break;
    case TrayCommand::kNone:
      break;
  }
}

void OnTaskbarCreated(NowPlayingHost& host) {
  NowPlayingState& state = NowPlaying();
  if (!state.exiting) RestoreTrayIcon(host, state);
}

void OnModalLoop(NowPlayingHost& host, bool open) {
  NowPlayingState& state = NowPlaying();
  if (open) {
    ++state.modalLoops;
    return;
  }
  if (state.modalLoops > 0) --state.modalLoops;
  if (state.modalLoops == 0 && state.runHeld && !state.exiting) RunDisplayCycle(host);
}

bool ModalLoopMayOpen() {
  NowPlayingState& state = NowPlaying();
  if (state.cycleRuns == 0) return true;
  state.loopWanted = true;
  return false;
}

void OnAccentChanged() {
  NowPlaying().accentChanged = true;
}

void OnDiscordTick(NowPlayingHost& host) {
  RunDiscord(host, NowPlaying());
}

void OnScreenChanged(NowPlayingHost& host) {
  NowPlayingState& state = NowPlaying();
  if (!state.exiting) RefitStrip(host, state);
}

void OnDpiChanged(uint32_t dpi) {
  NoteStripDpi(NowPlaying(), dpi);
}
