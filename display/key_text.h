// Keys as the user writes them in settings.ini ("Ctrl+Shift+X") and as the program names
// them back: modifiers in the order Ctrl, Alt, Shift, Win, then the key.
#pragma once

#include <cstdint>
#include <string_view>

#include "toolkit/text.h"

// RegisterHotKey's modifiers.
inline constexpr uint32_t kModAlt = 1;
inline constexpr uint32_t kModControl = 2;
inline constexpr uint32_t kModShift = 4;
inline constexpr uint32_t kModWin = 8;
inline constexpr uint32_t kModNoRepeat = 0x4000;  // Windows 7 and later

struct KeyCombination {
  uint32_t modifiers = 0;  // kMod... bits
  uint32_t virtualKey = 0;
};

enum class KeyReading : uint8_t {
  kKey,         // a key, with any modifiers
  kNone,        // "None" or nothing: no key for that action
  kUnreadable,  // an unknown word, no key, two keys, an empty part
};

// Modifiers and one key joined by "+", in any letter case, blanks around the parts allowed.
// `key` is set only for kKey.
[[nodiscard]] KeyReading ReadKeyText(std::string_view text, KeyCombination& key);

// "Ctrl+Alt+N": the form ReadKeyText reads back to the same combination.
[[nodiscard]] Text KeyName(KeyCombination key);

// F13 to F24 and the media and browser keys: no program types with them, so they may be a global
// key on their own.
[[nodiscard]] bool MayStandAlone(uint32_t virtualKey);
// A global key without Ctrl, Alt or Win (Shift alone does not count) that is not one of those
// would take a key that programs type with away from every program.
[[nodiscard]] bool TakesTheKeyboard(KeyCombination key);
