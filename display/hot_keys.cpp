#include "display/hot_keys.h"

#include "display/key_text.h"
#include "display/language.h"

namespace {

struct KeyAction {
  int32_t id;
  const char* name;  // its key in [Keys]
  KeySetting Settings::*setting;
};

constexpr KeyAction kKeyActions[] = {
    {kHotKeyShowNow, "ShowNow", &Settings::showNowKey},
    {kHotKeyAutomatic, "Automatic", &Settings::automaticKey},
    {kHotKeyQuit, "Quit", &Settings::quitKey},
};
constexpr size_t kKeyActionCount = sizeof kKeyActions / sizeof kKeyActions[0];

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

Text RegisterHotKeys(NowPlayingHost& host, const Settings& settings) {
  Text notice;
  const auto note = [&notice](const Text& what, std::string_view why) {
    if (!notice.IsEmpty()) notice += "; ";
    notice += what;
    notice += " ";
    notice += why;
  };
  KeyCombination given[kKeyActionCount];
  for (size_t i = 0; i < kKeyActionCount; ++i) {
    const KeyAction& action = kKeyActions[i];
    const KeySetting& setting = settings.*action.setting;
    const KeyCombination key = setting.key;
    if (setting.reading == KeyReading::kNone) continue;
    // A mistyped key registers nothing, so it never takes back a key the user gave up.
    if (setting.reading == KeyReading::kUnreadable) {
      note(Text(action.name) + "=" + Printable(setting.written.View()), Say(TextId::kKeyNotAKey));
      continue;
    }
    // Never asked for: the key would be gone from every program's typing, across restarts.
    if (TakesTheKeyboard(key)) {
      note(KeyName(key), Say(TextId::kKeyTakesTheKeyboard));
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
      note(KeyName(key), FillIn(Say(TextId::kKeySetBefore), {twin->name}).View());
      continue;
    }
    given[i] = key;
    switch (Register(host, action.id, key)) {
      case HotKeyAnswer::kRegistered:
        break;
      case HotKeyAnswer::kHeldElsewhere:
        note(KeyName(key), Say(TextId::kKeyHeldElsewhere));
        break;
      case HotKeyAnswer::kRefused:
        note(KeyName(key), Say(TextId::kKeyRefused));
        break;
    }
  }
  if (!settings.keysTold || notice.IsEmpty()) return Text();
  return FillIn(Say(TextId::kKeysNotSet), {notice.View()});
}

void UnregisterHotKeys(NowPlayingHost& host) {
  for (const KeyAction& action : kKeyActions) host.FormUnregisterHotKey(action.id);
}
