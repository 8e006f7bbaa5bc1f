#include "display/tray.h"

#include "display/hot_keys.h"
#include "display/settings.h"

namespace {

constexpr char16_t kTooltipHead[] = u"Tunelamp";

[[nodiscard]] bool IsHighSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit < 0xDC00;
}

}  // namespace

void OnTrayCommand(NowPlayingHost& host, TrayCommand command) {
  switch (command) {
    case TrayCommand::kShowNow:
      OnHotKey(host, kHotKeyShowNow);
      break;
    case TrayCommand::kAutomatic:
      OnHotKey(host, kHotKeyAutomatic);
      break;
    case TrayCommand::kEditSettings:
      host.SettingsEdit();
      break;
    case TrayCommand::kQuit:
      // The quit key takes the icon away too, and ends the process.
      OnHotKey(host, kHotKeyQuit);
      break;
    case TrayCommand::kNone:
      break;
  }
}

uint32_t ComposeTooltip(const char16_t* title, uint32_t length, char16_t (&tip)[kTooltipSize]) {
  uint32_t at = 0;
  for (const char16_t* c = kTooltipHead; *c; ++c) tip[at++] = *c;
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
