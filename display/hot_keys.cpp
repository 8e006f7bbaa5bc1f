#include "display/hot_keys.h"

#include "display/display_cycle.h"
#include "display/key_text.h"
#include "display/settings.h"
#include "display/state.h"

namespace {

struct KeyAction {
  int32_t id;
  const char* name;        // its key in [Keys]
  const char* defaultKey;  // as it would be written there
};

constexpr KeyAction kKeyActions[] = {
    {kHotKeyShowNow, "ShowNow", "Ctrl+Shift+X"},
    {kHotKeyAutomatic, "Automatic", "Ctrl+Shift+C"},
    {kHotKeyQuit, "Quit", "Ctrl+Shift+V"},
};
constexpr size_t kKeyActionCount = sizeof kKeyActions / sizeof kKeyActions[0];

constexpr char kNoticeHead[] = "Tunelamp keys not set: ";
// A value that is not a key goes into the notice up to this length.
constexpr size_t kNoticeValueMost = 40;

// The value as written, fit for a one-line ASCII notice: other bytes show as "?".
[[nodiscard]] Text Printable(std::string_view value) {
  Text text;
  for (size_t i = 0; i < value.size() && i < kNoticeValueMost; ++i) {
    const char c = value[i] >= ' ' && value[i] < 0x7F ? value[i] : '?';
    text += std::string_view(&c, 1);
  }
  if (value.size() > kNoticeValueMost) text += "...";
  return text;
}

// A system older than Windows 7 refuses the no-repeat flag: the key is then asked for again
// without it.
[[nodiscard]] HotKeyAnswer Register(NowPlayingHost& host, int32_t id, KeyCombination key) {
  const HotKeyAnswer answer =
      host.FormRegisterHotKey(id, key.modifiers | kModNoRepeat, key.virtualKey);
  if (answer != HotKeyAnswer::kRefused) return answer;
  return host.FormRegisterHotKey(id, key.modifiers, key.virtualKey);
}

}  // namespace

void RegisterHotKeys(NowPlayingHost& host) {
  const bool told = host.SettingsHasSection("Keys");
  Text notice;
  const auto note = [&notice](const Text& what, const Text& why) {
    notice += notice.IsEmpty() ? kNoticeHead : "; ";
    notice += what;
    notice += " ";
    notice += why;
  };
  KeyCombination given[kKeyActionCount];
  for (size_t i = 0; i < kKeyActionCount; ++i) {
    const KeyAction& action = kKeyActions[i];
    // A missing key reads as its default; an empty value as no key.
    char text[kSettingTextSize] = {};
    host.ReadSettingText("Keys", action.name, action.defaultKey, text, sizeof text);
    text[sizeof text - 1] = '\0';
    KeyCombination key;
    const KeyReading reading = ReadKeyText(text, key);
    if (reading == KeyReading::kNone) continue;
    // A mistyped key registers nothing, so it never takes back a key the user gave up.
    if (reading == KeyReading::kUnreadable) {
      note(Text(action.name) + "=" + Printable(text), "not a key");
      continue;
    }
    // The system would answer a second registration of ours as another program's.
    const KeyAction* twin = nullptr;
    for (size_t j = 0; j < i; ++j) {
      if (given[j].virtualKey == key.virtualKey && given[j].modifiers == key.modifiers) {
        twin = &kKeyActions[j];
      }
    }
    if (twin) {
      note(KeyName(key), Text("already set for ") + twin->name);
      continue;
    }
    given[i] = key;
    switch (Register(host, action.id, key)) {
      case HotKeyAnswer::kRegistered:
        break;
      case HotKeyAnswer::kHeldElsewhere:
        note(KeyName(key), "in use by another program");
        break;
      case HotKeyAnswer::kRefused:
        note(KeyName(key), "refused by the system");
        break;
    }
  }
  if (told) NowPlaying().keyNotice = notice;
}

void OnHotKey(NowPlayingHost& host, uint32_t id) {
  NowPlayingState& state = NowPlaying();
  switch (id) {
    case kHotKeyShowNow:
      // Forced, the cycle always goes on; with shown cleared it plays the appearing
      // animation, also over a strip that is already out.
      state.forced = true;
      state.shown = false;
      DisplayCycle(host);
      break;
    case kHotKeyAutomatic:
      state.automatic = !state.automatic;
      break;
    case kHotKeyQuit:
      // Nothing is freed or unregistered: the system reclaims it all with the process. The
      // icon is the exception: the notification area would keep a dead one until a pointer
      // passes over it.
      if (state.trayIcon) host.TraySetIcon(false);
      state.exiting = true;
      host.ExitProcess(0);
      return;
    default:
      break;
  }
}

void OnPopupMouseUp(NowPlayingHost& host) {
  NowPlayingState& state = NowPlaying();
  host.FormSetAlphaBlendValue(0);
  // A running animation stops at its next loop test; otherwise the next run of the cycle
  // that goes on skips its animation.
  state.cancel = true;
  // A strip that is out has been read: clicked away, its display is over.
  if (state.shown) state.keyNotice = Text();
}
