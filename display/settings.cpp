#include "display/settings.h"

#include "display/hot_keys.h"
#include "display/placement.h"
#include "display/state.h"

namespace {

[[nodiscard]] int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

uint32_t ParseInteger(std::string_view text) {
  size_t at = 0;
  while (at < text.size() && text[at] == ' ') ++at;

  uint32_t value = 0;
  const auto hexPrefix = [&]() -> size_t {
    if (at < text.size() && (text[at] == '$' || text[at] == 'x' || text[at] == 'X')) return 1;
    if (at + 1 < text.size() && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X')) {
      return 2;
    }
    return 0;
  }();
  if (hexPrefix != 0) {
    for (at += hexPrefix; at < text.size(); ++at) {
      const int digit = HexDigit(text[at]);
      // A ninth significant digit would push bits out of the top.
      if (digit < 0 || value > 0x0FFFFFFFu) break;
      value = value << 4 | static_cast<uint32_t>(digit);
    }
    return value;
  }

  bool negative = false;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) {
    negative = text[at] == '-';
    ++at;
  }
  for (; at < text.size(); ++at) {
    const char c = text[at];
    if (c < '0' || c > '9' || value > 214748364u) break;
    value = value * 10 + static_cast<uint32_t>(c - '0');
  }
  // An unparsable tail leaves the digits before it, without the sign.
  if (negative && at == text.size()) value = 0u - value;
  return value;
}

void ReadSettings(NowPlayingHost& host, SettingValues& values, bool fontAtOnce) {
  values.keepInterval = host.ReadSettingInt("Main", "KeepTitle", kDefaultKeepTitle);
  values.checkInterval = host.ReadSettingInt("Main", "CheckTitle", kDefaultCheckTitle);
  values.memoryEconomy = host.ReadSettingInt("Main", "MemEconomy", 1) == 1;
  char text[kSettingTextSize] = {};
  host.ReadSettingText("Main", "Color", kDefaultColor, text, sizeof text);
  text[sizeof text - 1] = '\0';
  values.color = ParseInteger(std::string_view(text));

  values.fontPoints = static_cast<int32_t>(host.ReadSettingInt("Font", "Size", kDefaultFontSize));
  if (fontAtOnce) host.FontSetSize(values.fontPoints, NowPlaying().layoutDpi);
  host.ReadSettingText("Font", "Name", kDefaultFontName, text, sizeof text);
  text[sizeof text - 1] = '\0';
  values.fontName = Text(text);
  if (fontAtOnce) host.FontSetName(values.fontName);
  ReadPlacement(host, values);
  values.livePosition = host.ReadSettingInt("Main", "LivePosition", 0) == 1;
  values.progress = host.ReadSettingInt("Main", "Progress", 0) == 1;
}

void TakeTimings(NowPlayingState& state, const SettingValues& values) {
  state.keepInterval = values.keepInterval;
  state.checkInterval = values.checkInterval;
}

void TakePlace(NowPlayingState& state, const SettingValues& values) {
  state.memoryEconomy = values.memoryEconomy;
  state.color = values.color;
  state.monitor = values.monitor;
  state.bottom = values.bottom;
  state.overFullScreen = values.overFullScreen;
  state.livePosition = values.livePosition;
  state.progress = values.progress;
}

void TakeTrayIcon(NowPlayingHost& host) {
  NowPlayingState& state = NowPlaying();
  state.trayIcon = host.ReadSettingInt("Main", "TrayIcon", 0) == 1;
  host.TraySetIcon(state.trayIcon);
}

void LoadSettings(NowPlayingHost& host) {
  NowPlayingState& state = NowPlaying();
  // Invisible from here on, until the display cycle brings the strip out.
  host.FormSetAlphaBlend(true);
  host.FormSetAlphaBlendValue(0);
  state.shown = false;
  host.FormSetWindowPosTopmost();
  state.cancel = false;

  // The files as they are before the reading: a save from here on is read again.
  host.SettingsGetStamps(state.seenHere, state.seenBeside);
  // The strip starts on the primary monitor, and is laid out for its resolution.
  state.layoutDpi = state.stripDpi = state.dpiReading = UsableDpi(host.FormGetDpi());
  SettingValues values;
  ReadSettings(host, values, true);
  TakeTimings(state, values);
  TakePlace(state, values);

  SizeStrip(host, state);
  // Start-up put the strip at the origin, as wide as the screen.
  const int32_t width = host.FormGetWidth();
  state.fitted = {0, 0, width, 0};
  RoundCorners(host, state, width);
  host.FormSetColor(state.color);
  host.LabelSetColor(host.FormColor());

  RegisterHotKeys(host);
  TakeTrayIcon(host);

  state.forced = false;
  state.automatic = true;
  state.settingsLoaded = true;
  if (state.memoryEconomy) host.FormShowWindow(kSwShowMinNoActive);
}
