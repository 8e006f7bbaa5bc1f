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

void LoadSettings(NowPlayingHost& host) {
  NowPlayingState& state = NowPlaying();
  // Invisible from here on, until the display cycle brings the strip out.
  host.FormSetAlphaBlend(true);
  host.FormSetAlphaBlendValue(0);
  state.shown = false;
  host.FormSetWindowPosTopmost();
  state.cancel = false;

  state.keepInterval = host.ReadSettingInt("Main", "KeepTitle", kDefaultKeepTitle);
  state.checkInterval = host.ReadSettingInt("Main", "CheckTitle", kDefaultCheckTitle);
  state.memoryEconomy = host.ReadSettingInt("Main", "MemEconomy", 1) == 1;
  char text[kSettingTextSize] = {};
  host.ReadSettingText("Main", "Color", kDefaultColor, text, sizeof text);
  text[sizeof text - 1] = '\0';
  state.color = ParseInteger(std::string_view(text));

  // The strip starts on the primary monitor, and is laid out for its resolution.
  state.layoutDpi = state.stripDpi = state.dpiReading = UsableDpi(host.FormGetDpi());
  const int32_t points =
      static_cast<int32_t>(host.ReadSettingInt("Font", "Size", kDefaultFontSize));
  host.FontSetSize(points, state.layoutDpi);
  char name[kSettingTextSize] = {};
  host.ReadSettingText("Font", "Name", kDefaultFontName, name, sizeof name);
  name[sizeof name - 1] = '\0';
  host.FontSetName(Text(name));
  LoadPlacement(host);

  SizeStrip(host, state);
  RoundCorners(host, state, host.FormGetWidth());
  host.FormSetColor(state.color);
  host.LabelSetColor(host.FormColor());

  RegisterHotKeys(host);

  state.forced = false;
  state.automatic = true;
  state.settingsLoaded = true;
  if (state.memoryEconomy) host.FormShowWindow(kSwShowMinNoActive);
}
