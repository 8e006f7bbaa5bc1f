#include "display/placement.h"

#include "display/settings.h"

namespace {

// GetPrivateProfileIntA answers 0 for a value that is not a number, which for FullScreen would
// switch the quiet rule on: only a value that starts with a number reads as one here.
[[nodiscard]] bool StartsWithNumber(NowPlayingHost& host, const char* key) {
  char text[kSettingTextSize] = {};
  host.ReadSettingText("Main", key, "", text, sizeof text);
  text[sizeof text - 1] = '\0';
  const char* at = text;
  while (*at == ' ' || *at == '\t') ++at;
  if (*at == '-' || *at == '+') ++at;
  return *at >= '0' && *at <= '9';
}

// Without a monitor or an edge of its own the strip stays where start-up put it.
[[nodiscard]] bool StripMoves(const NowPlayingState& state) {
  return state.monitor != kMonitorPrimary || state.bottom;
}

}  // namespace

void LoadPlacement(NowPlayingHost& host) {
  NowPlayingState& state = NowPlaying();
  // A value that is not a number reads as 0 here, which is the default of both.
  state.monitor = static_cast<int32_t>(host.ReadSettingInt("Main", "Monitor", kMonitorPrimary));
  state.bottom = host.ReadSettingInt("Main", "Position", 0) == kPositionBottom;
  // Only exactly 0 keeps quiet: any other number comes out, as always.
  state.overFullScreen =
      !StartsWithNumber(host, "FullScreen") || host.ReadSettingInt("Main", "FullScreen", 1) != 0;
}

bool ChooseMonitor(NowPlayingHost& host, const NowPlayingState& state, ScreenArea& monitor) {
  if (!StripMoves(state) && state.overFullScreen) return true;
  if (!host.MonitorGetArea(state.monitor, monitor)) {
    (void)host.MonitorGetArea(kMonitorPrimary, monitor);
  }
  return state.forced || state.overFullScreen || !host.FullScreenInFront(monitor);
}

void PlaceStrip(NowPlayingHost& host, NowPlayingState& state, const ScreenArea& monitor) {
  if (!StripMoves(state)) return;
  const int32_t width = monitor.right - monitor.left;
  const int32_t height = host.FormGetHeight();
  host.FormSetBounds(monitor.left, state.bottom ? monitor.workBottom - height : monitor.top, width,
                     height);
  host.LabelSetWidth(width);
  // The window frees the region it had when it takes the new one.
  state.region = host.FormSetRoundRegion(width, height, kCornerEllipse);
}
