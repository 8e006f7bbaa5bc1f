#include "display/key_text.h"

#include "display/bytes.h"
#include "toolkit/format.h"

namespace {

struct Word {
  const char* name;
  uint32_t code;
};

// In the order a key's name gives them.
constexpr Word kModifiers[] = {
    {"Ctrl", kModControl}, {"Alt", kModAlt}, {"Shift", kModShift}, {"Win", kModWin}};

constexpr Word kNamedKeys[] = {{"Insert", 0x2D},
                               {"Delete", 0x2E},
                               {"Home", 0x24},
                               {"End", 0x23},
                               {"PageUp", 0x21},
                               {"PageDown", 0x22},
                               {"Up", 0x26},
                               {"Down", 0x28},
                               {"Left", 0x25},
                               {"Right", 0x27},
                               {"Space", 0x20},
                               {"Pause", 0x13},
                               // The keys that may stand alone (MayStandAlone).
                               {"BrowserBack", 0xA6},
                               {"BrowserForward", 0xA7},
                               {"BrowserRefresh", 0xA8},
                               {"BrowserStop", 0xA9},
                               {"BrowserSearch", 0xAA},
                               {"BrowserFavorites", 0xAB},
                               {"BrowserHome", 0xAC},
                               {"MediaNext", 0xB0},
                               {"MediaPrevious", 0xB1},
                               {"MediaStop", 0xB2},
                               {"MediaPlayPause", 0xB3}};

constexpr uint32_t kVkF1 = 0x70;
constexpr uint32_t kVkF13 = 0x7C;
constexpr uint32_t kFunctionKeys = 24;
// VK_BROWSER_BACK to VK_BROWSER_HOME, VK_MEDIA_NEXT_TRACK to VK_MEDIA_PLAY_PAUSE; the volume keys
// between them are left to the system's volume.
constexpr uint32_t kVkBrowserFirst = 0xA6;
constexpr uint32_t kVkBrowserLast = 0xAC;
constexpr uint32_t kVkMediaFirst = 0xB0;
constexpr uint32_t kVkMediaLast = 0xB3;
constexpr uint32_t kVkNumPad0 = 0x60;
constexpr std::string_view kNumPad = "NumPad";

[[nodiscard]] char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

[[nodiscard]] bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

[[nodiscard]] bool SameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Upper(a[i]) != Upper(b[i])) return false;
  }
  return true;
}

[[nodiscard]] std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

[[nodiscard]] uint32_t ModifierOfWord(std::string_view word) {
  if (SameWord(word, "Control")) return kModControl;
  for (const Word& modifier : kModifiers) {
    if (SameWord(word, modifier.name)) return modifier.code;
  }
  return 0;
}

// The virtual key that `word` names, or 0.
[[nodiscard]] uint32_t KeyOfWord(std::string_view word) {
  if (word.empty()) return 0;
  const char first = Upper(word[0]);
  if (word.size() == 1) return (first >= 'A' && first <= 'Z') || IsDigit(first) ? first : 0;
  for (const Word& named : kNamedKeys) {
    if (SameWord(word, named.name)) return named.code;
  }
  // F1 to F24, without leading zeros.
  if (first == 'F' && word.size() <= 3 && word[1] != '0' && IsDigit(word[1]) &&
      (word.size() == 2 || IsDigit(word[2]))) {
    const uint32_t number = word.size() == 2
                                ? static_cast<uint32_t>(word[1] - '0')
                                : static_cast<uint32_t>((word[1] - '0') * 10 + (word[2] - '0'));
    return number <= kFunctionKeys ? kVkF1 + number - 1 : 0;
  }
  if (word.size() == kNumPad.size() + 1 && SameWord(Slice(word, 0, kNumPad.size()), kNumPad) &&
      IsDigit(word.back())) {
    return kVkNumPad0 + static_cast<uint32_t>(word.back() - '0');
  }
  return 0;
}

}  // namespace

KeyReading ReadKeyText(std::string_view text, KeyCombination& key) {
  text = TrimBlanks(text);
  if (text.empty() || SameWord(text, "None")) return KeyReading::kNone;
  KeyCombination read;
  for (;;) {
    const size_t plus = text.find('+');
    const std::string_view word = TrimBlanks(Slice(text, 0, plus));
    const uint32_t modifier = ModifierOfWord(word);
    if (modifier != 0) {
      read.modifiers |= modifier;
    } else {
      const uint32_t virtualKey = KeyOfWord(word);
      // An unknown word, an empty part or a second key.
      if (virtualKey == 0 || read.virtualKey != 0) return KeyReading::kUnreadable;
      read.virtualKey = virtualKey;
    }
    if (plus == std::string_view::npos) break;
    text = Slice(text, plus + 1);
  }
  if (read.virtualKey == 0) return KeyReading::kUnreadable;
  key = read;
  return KeyReading::kKey;
}

Text KeyName(KeyCombination key) {
  Text name;
  for (const Word& modifier : kModifiers) {
    if (key.modifiers & modifier.code) {
      name += modifier.name;
      name += "+";
    }
  }
  const uint32_t vk = key.virtualKey;
  if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) {
    const char letter = static_cast<char>(vk);
    name += std::string_view(&letter, 1);
  } else if (vk >= kVkF1 && vk < kVkF1 + kFunctionKeys) {
    name += "F";
    name += IntToText(static_cast<int32_t>(vk - kVkF1 + 1));
  } else if (vk >= kVkNumPad0 && vk <= kVkNumPad0 + 9) {
    name += kNumPad;
    name += IntToText(static_cast<int32_t>(vk - kVkNumPad0));
  } else {
    for (const Word& named : kNamedKeys) {
      if (named.code == vk) name += named.name;
    }
  }
  return name;
}

bool MayStandAlone(uint32_t virtualKey) {
  return (virtualKey >= kVkF13 && virtualKey < kVkF1 + kFunctionKeys) ||
         (virtualKey >= kVkBrowserFirst && virtualKey <= kVkBrowserLast) ||
         (virtualKey >= kVkMediaFirst && virtualKey <= kVkMediaLast);
}

bool TakesTheKeyboard(KeyCombination key) {
  return (key.modifiers & (kModControl | kModAlt | kModWin)) == 0 && !MayStandAlone(key.virtualKey);
}
