#include "display/settings_watch.h"

namespace {

[[nodiscard]] bool Same(const FileStamp& a, const FileStamp& b) {
  return a.present == b.present && a.written == b.written && a.size == b.size;
}

// A read's stamps may be repeated by a save within their grain: one more read once it has passed.
void Confirm(NowPlayingHost& host, NowPlayingState& state) {
  state.confirming = true;
  state.confirmAt = host.GetTickCount() + kStampGrainMs;
}

}  // namespace

void StartWatchingSettings(NowPlayingHost& host, NowPlayingState& state) {
  host.SettingsGetStamps(state.seenHere, state.seenBeside);
  Confirm(host, state);
}

bool LookAtSettings(NowPlayingHost& host, NowPlayingState& state) {
  FileStamp here;
  FileStamp beside;
  host.SettingsGetStamps(here, beside);
  if (!Same(here, state.seenHere) || !Same(beside, state.seenBeside)) {
    state.seenHere = here;
    state.seenBeside = beside;
    state.settling = true;
    return false;
  }
  // Unchanged for a look: an editor that was saving has finished.
  if (state.settling) {
    state.settling = false;
    Confirm(host, state);
    return true;
  }
  if (!state.confirming || static_cast<int32_t>(host.GetTickCount() - state.confirmAt) < 0) {
    return false;
  }
  state.confirming = false;
  return true;
}

bool SettingsWatchBusy(const NowPlayingState& state) {
  return state.settling || state.confirming;
}

void SettingsReadFailed(NowPlayingState& state) {
  state.settling = true;
}
