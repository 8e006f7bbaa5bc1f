#include "display/placement.h"

#include "display/scale.h"
#include "display/strips.h"

namespace {

// Without a monitor or an edge of its own the strip stays where start-up put it.
[[nodiscard]] bool StripMoves(const NowPlayingState& state) {
  return state.settings.monitor != kMonitorPrimary || state.settings.bottom ||
         state.settings.monitorWord.bytes[0] != '\0';
}

// Along the bottom the strip spans the work area, clear of a taskbar at either side; along the
// top it spans the whole monitor.
void PlaceStrip(NowPlayingHost& host, NowPlayingState& state, const ScreenArea& monitor) {
  const ScreenRect& span = state.settings.bottom ? monitor.work : monitor.monitor;
  const int32_t width = span.right - span.left;
  const int32_t height = host.FormGetHeight();
  const int32_t top = state.settings.bottom ? span.bottom - height : span.top;
  host.FormSetBounds(span.left, top, width, height);
  state.fitted = {span.left, top, span.right, 0};
  host.LabelSetWidth(width);
  RoundCorners(host, state, width);
}

// The chosen monitor as it is now, or the primary when that one is not there; false when there
// is no monitor at all (every one unplugged, or asleep).
bool FindMonitor(NowPlayingHost& host, const NowPlayingState& state, ScreenArea& monitor) {
  const Settings& settings = state.settings;
  const int32_t number = settings.monitorWord.bytes[0] == kIdentityStart[0]
                             ? IdentifiedMonitor(host, settings.monitorWord.View())
                             : settings.monitor;
  return host.MonitorGetArea(number, monitor) || host.MonitorGetArea(kMonitorPrimary, monitor);
}

// Windows compares device paths without regard to letter case; only ASCII letters fold here, as
// the paths are ASCII ('[' is not '{').
[[nodiscard]] char FoldCase(char letter) {
  return letter >= 'A' && letter <= 'Z' ? static_cast<char>(letter - 'A' + 'a') : letter;
}

// Every monitor in the system's order; with `quiet`, none whose own window in front is a
// full-screen program.
void ListMonitors(NowPlayingHost& host, bool quiet, StripMonitors& monitors) {
  monitors.count = 0;
  ScreenArea area;
  for (int32_t number = 1;
       number <= static_cast<int32_t>(kMostStrips) && host.MonitorGetArea(number, area); ++number) {
    FrontWindow front;
    if (quiet && host.MonitorFrontWindow(number, front) && IsFullScreen(front, area.monitor)) {
      continue;
    }
    monitors.area[monitors.count++] = area;
  }
}

void RestLabel(NowPlayingHost& host, const NowPlayingState& state) {
  host.LabelSetLeft(ScaleToDpi(kLabelRestLeft, state.layoutDpi));
  host.LabelSetTop(ScaleToDpi(kLabelRestTop, state.layoutDpi));
}

}  // namespace

// Among every monitor, not only those Monitor=all gives strips.
int32_t IdentifiedMonitor(NowPlayingHost& host, std::string_view wanted) {
  Text identity;
  for (int32_t number = 1; host.MonitorGetIdentity(number, identity); ++number) {
    const std::string_view found = identity.View();
    size_t at = 0;
    while (at < found.size() && at < wanted.size() && FoldCase(found[at]) == FoldCase(wanted[at])) {
      ++at;
    }
    if (at == found.size() && at == wanted.size()) return number;
  }
  return kMonitorPrimary;
}

uint32_t UsableDpi(uint32_t dpi) {
  return dpi >= kLeastDpi && dpi <= kMostDpi ? dpi : kBaseDpi;
}

void SizeStrip(NowPlayingHost& host, const NowPlayingState& state) {
  // The point number doubles as a pixel count at 96 dpi.
  const uint32_t height = static_cast<uint32_t>(host.FontSize()) + kStripPadding;
  host.FormSetHeight(ScaleToDpi(static_cast<int32_t>(height), state.layoutDpi));
  host.LabelSetHeight(host.FormGetHeight());
}

void RoundCorners(NowPlayingHost& host, NowPlayingState& state, int32_t width) {
  // The window frees the region it had when it takes the new one.
  const int32_t ellipse = ScaleToDpi(kCornerEllipse, state.layoutDpi);
  state.region = host.FormSetRoundRegion(width, host.FormGetHeight(), ellipse);
}

bool ChooseMonitor(NowPlayingHost& host, const NowPlayingState& state, ScreenArea& monitor) {
  if (!StripMoves(state) && state.settings.overFullScreen && !state.screenChanged) return true;
  if (!FindMonitor(host, state, monitor)) return false;
  if (state.forced || state.settings.overFullScreen) return true;
  FrontWindow front;
  return !host.FrontWindowGet(front) || !IsFullScreen(front, monitor.monitor);
}

bool ChooseMonitors(NowPlayingHost& host, const NowPlayingState& state, StripMonitors& monitors) {
  monitors.count = 1;
  if (!AllMonitors(state.settings)) return ChooseMonitor(host, state, monitors.area[0]);
  ListMonitors(host, !state.forced && !state.settings.overFullScreen, monitors);
  return monitors.count != 0;
}

bool IsFullScreen(const FrontWindow& window, const ScreenRect& monitor) {
  const bool framed =
      (window.style & kWindowCaption) == kWindowCaption || (window.style & kWindowSizingFrame) != 0;
  return !framed && window.rect.left <= monitor.left && window.rect.top <= monitor.top &&
         window.rect.right >= monitor.right && window.rect.bottom >= monitor.bottom;
}

bool FitStrip(NowPlayingHost& host, NowPlayingState& state, const ScreenArea& monitor) {
  // A reading that differs from the last one is news; one that does not leaves what the system
  // reported meanwhile (WM_DPICHANGED) standing.
  // The monitor was read for this display when the strip has a place of its own or the system
  // reported a new screen.
  const bool read = StripMoves(state) || state.screenChanged;
  const uint32_t reading = UsableDpi(read ? monitor.dpi : host.FormGetDpi());
  if (reading != state.dpiReading) state.dpiReading = state.stripDpi = reading;
  const bool rescaled = state.stripDpi != state.layoutDpi || state.relayout;
  state.relayout = false;
  if (rescaled) {
    state.layoutDpi = state.stripDpi;
    host.FontSetSize(host.FontSize(), state.layoutDpi);
    SizeStrip(host, state);
  }
  // A strip at the default place moves only when it is not along its monitor's top edge.
  const ScreenRect& span = monitor.monitor;
  const bool moved =
      state.screenChanged && (span.left != state.fitted.left || span.top != state.fitted.top ||
                              span.right != state.fitted.right);
  state.screenChanged = false;
  if (StripMoves(state) || moved) {
    PlaceStrip(host, state, monitor);
  } else if (rescaled) {
    RoundCorners(host, state, host.FormGetWidth());
  }
  return rescaled;
}

void RefitStrip(NowPlayingHost& host, NowPlayingState& state) {
  state.screenChanged = true;
  ++state.screenChanges;
  if (state.exiting) return;
  if (AllMonitors(state.settings)) {
    // A monitor that went takes its strip with it, also at rest; one that came gets its strip at
    // the next display.
    StripMonitors monitors;
    ListMonitors(host, false, monitors);
    if (monitors.count < state.stripsMade) UseStrips(host, state, monitors.count);
    if (!state.shown || monitors.count == 0) return;
    EachStrip(host, state, [&](uint32_t strip) {
      if (FitStrip(host, state, monitors.area[strip])) RestLabel(host, state);
    });
    return;
  }
  ScreenArea monitor;
  if (!state.shown || !FindMonitor(host, state, monitor)) return;
  if (FitStrip(host, state, monitor)) RestLabel(host, state);
}

void NoteStripDpi(NowPlayingState& state, uint32_t dpi) {
  if (dpi >= kLeastDpi && dpi <= kMostDpi) state.stripDpi = dpi;
}
