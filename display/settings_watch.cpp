#include "display/settings_watch.h"

#include <utility>

#include "display/hot_keys.h"
#include "display/placement.h"
#include "display/settings.h"
#include "display/state.h"

namespace {

[[nodiscard]] bool Same(const FileStamp& a, const FileStamp& b) {
  return a.present == b.present && a.written == b.written && a.size == b.size;
}

// No display under way: the strip is neither out nor coming out or going away.
[[nodiscard]] bool Away(const NowPlayingState& state) {
  return !state.shown && state.cycleRuns == 0;
}

void Reload(NowPlayingHost& host, NowPlayingState& state) {
  SettingValues& values = state.waiting;
  ReadSettings(host, values);
  TakeTimings(state, values);
  // The keys are given back and asked for anew at once; what could not be had is told at the
  // next display, not in the middle of this one.
  for (int32_t id = kHotKeyShowNow; id <= kHotKeyQuit; ++id) host.FormUnregisterHotKey(id);
  Text standing = std::move(state.keyNotice);  // what a display under way may show
  RegisterHotKeys(host);
  state.waitingNotice = std::move(state.keyNotice);
  state.keyNotice = std::move(standing);
  TakeTrayIcon(host);
  state.settingsWaiting = true;
  ApplyWaitingSettings(host);
}

}  // namespace

void WatchSettings(NowPlayingHost& host) {
  NowPlayingState& state = NowPlaying();
  if (!state.settingsLoaded || state.exiting) return;
  FileStamp here;
  FileStamp beside;
  host.SettingsGetStamps(here, beside);
  if (!Same(here, state.seenHere) || !Same(beside, state.seenBeside)) {
    state.seenHere = here;
    state.seenBeside = beside;
    state.settling = true;
    return;
  }
  // Unchanged for a look: an editor that was saving has finished. A file that another program
  // holds shut is tried again at the next look.
  if (!state.settling || !host.SettingsCanOpen()) return;
  state.settling = false;
  Reload(host, state);
}

// The look, the place and the memory economy, on a strip that is away. The place and the size
// are taken at the next display.
void ApplyWaitingSettings(NowPlayingHost& host) {
  NowPlayingState& state = NowPlaying();
  if (!state.settingsWaiting || !Away(state) || state.exiting) return;
  state.settingsWaiting = false;
  const SettingValues& values = state.waiting;
  if (values.monitor != state.monitor || values.bottom != state.bottom) state.screenChanged = true;
  const bool economyWas = state.memoryEconomy;
  TakePlace(state, values);
  host.FontSetSize(values.fontPoints, state.layoutDpi);
  host.FontSetName(values.fontName);
  // A minimised window would not keep a new size: the strip is sized once it is restored.
  state.relayout = true;
  host.FormSetColor(state.color);
  host.LabelSetColor(host.FormColor());
  state.keyNotice = state.waitingNotice;
  if (state.memoryEconomy == economyWas) return;
  // Minimised as a display ends, or restored without taking the keyboard from anyone.
  if (state.memoryEconomy) {
    host.FormShowWindow(kSwHide);
    host.FormShowWindow(kSwShowMinNoActive);
  } else {
    host.FormShowWindow(kSwShowNoActivate);
  }
}
