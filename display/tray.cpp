#include "display/tray.h"

namespace {

[[nodiscard]] bool IsHighSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit < 0xDC00;
}

// Every request carries the icon and the tooltip with the last title.
[[nodiscard]] bool Notify(NowPlayingHost& host, NowPlayingState& state, TrayAction action) {
  state.tipTitle = state.lastTitle;
  return host.TrayNotify(action, state.tipTitle);
}

}  // namespace

void SetTrayIcon(NowPlayingHost& host, NowPlayingState& state) {
  if (state.settings.trayIcon) {
    // Without a notification area this fails, and the program runs on without the icon until
    // one announces itself ("TaskbarCreated").
    if (!state.iconAdded) state.iconAdded = Notify(host, state, TrayAction::kAdd);
  } else {
    RemoveTrayIcon(host, state);
  }
}

void RestoreTrayIcon(NowPlayingHost& host, NowPlayingState& state) {
  if (!state.settings.trayIcon) return;
  state.iconAdded =
      Notify(host, state, TrayAction::kModify) || Notify(host, state, TrayAction::kAdd);
}

void FollowTitleInTooltip(NowPlayingHost& host, NowPlayingState& state) {
  if (state.iconAdded && state.tipTitle != state.lastTitle) {
    (void)Notify(host, state, TrayAction::kModify);
  }
}

void RemoveTrayIcon(NowPlayingHost& host, NowPlayingState& state) {
  if (!state.iconAdded) return;
  (void)Notify(host, state, TrayAction::kDelete);
  state.iconAdded = false;
}

uint32_t ComposeTooltip(const char16_t* title, uint32_t length, char16_t (&tip)[kTooltipSize]) {
  uint32_t at = 0;
  for (const char16_t* c = kProgramName; *c; ++c) tip[at++] = *c;
  if (length > 0) {
    tip[at++] = u'\n';
    const uint32_t room = kTooltipSize - 1 - at;
    uint32_t count = length < room ? length : room;
    // A character outside the Basic Multilingual Plane is two units: never keep half of one.
    if (count < length && count > 0 && IsHighSurrogate(title[count - 1])) --count;
    for (uint32_t i = 0; i < count; ++i) tip[at++] = title[i];
  }
  tip[at] = u'\0';
  return at;
}
