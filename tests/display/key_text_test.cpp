#include "display/key_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr const char* kNone = "(none)";
constexpr const char* kUnreadable = "(unreadable)";

struct Row {
  const char* text;
  const char* name;  // KeyName of what was read, or kNone / kUnreadable
  uint32_t modifiers;
  uint32_t virtualKey;
};

const Row kRows[] = {
    {"Ctrl+Shift+X", "Ctrl+Shift+X", 6, 0x58},
    {"Ctrl+Shift+C", "Ctrl+Shift+C", 6, 0x43},
    {"ctrl+shift+v", "Ctrl+Shift+V", 6, 0x56},
    {"  Shift + CONTROL +\ta ", "Ctrl+Shift+A", 6, 0x41},
    {"Win+Shift+Alt+Ctrl+Z", "Ctrl+Alt+Shift+Win+Z", 15, 0x5A},
    {"x+alt", "Alt+X", 1, 0x58},
    {"Ctrl+Ctrl+0", "Ctrl+0", 2, 0x30},
    {"Win+9", "Win+9", 8, 0x39},
    {"Pause", "Pause", 0, 0x13},
    {"Ctrl+Alt+F1", "Ctrl+Alt+F1", 3, 0x70},
    {"shift+f9", "Shift+F9", 4, 0x78},
    {"F10", "F10", 0, 0x79},
    {"Ctrl+F24", "Ctrl+F24", 2, 0x87},
    {"Ctrl+Alt+NumPad0", "Ctrl+Alt+NumPad0", 3, 0x60},
    {"alt+numpad9", "Alt+NumPad9", 1, 0x69},
    {"Ctrl+Insert", "Ctrl+Insert", 2, 0x2D},
    {"Ctrl+delete", "Ctrl+Delete", 2, 0x2E},
    {"Ctrl+HOME", "Ctrl+Home", 2, 0x24},
    {"Ctrl+End", "Ctrl+End", 2, 0x23},
    {"Ctrl+PageUp", "Ctrl+PageUp", 2, 0x21},
    {"Ctrl+pagedown", "Ctrl+PageDown", 2, 0x22},
    {"Alt+Up", "Alt+Up", 1, 0x26},
    {"Alt+Down", "Alt+Down", 1, 0x28},
    {"Alt+Left", "Alt+Left", 1, 0x25},
    {"Alt+Right", "Alt+Right", 1, 0x27},
    {"Ctrl+Space", "Ctrl+Space", 2, 0x20},
    {"medianext", "MediaNext", 0, 0xB0},
    {"Ctrl+BrowserBack", "Ctrl+BrowserBack", 2, 0xA6},
    {"None", kNone, 0, 0},
    {" nONe ", kNone, 0, 0},
    {"", kNone, 0, 0},
    {" \t ", kNone, 0, 0},
    // Unknown words.
    {"Ctrl+Shit+X", kUnreadable, 0, 0},
    {"Ctrl+Shift+Esc", kUnreadable, 0, 0},
    {"Ctrl+None", kUnreadable, 0, 0},
    {"Ctrl+F0", kUnreadable, 0, 0},
    {"Ctrl+F01", kUnreadable, 0, 0},
    {"Ctrl+F25", kUnreadable, 0, 0},
    {"Ctrl+F100", kUnreadable, 0, 0},
    {"Ctrl+NumPad10", kUnreadable, 0, 0},
    {"Ctrl+Page Up", kUnreadable, 0, 0},
    {"Ctrl+\xC4", kUnreadable, 0, 0},
    {"Ctrl-Shift-X", kUnreadable, 0, 0},
    // Two keys, no key, an empty part.
    {"Ctrl+X+Y", kUnreadable, 0, 0},
    {"X+F1", kUnreadable, 0, 0},
    {"Ctrl+Shift", kUnreadable, 0, 0},
    {"Win", kUnreadable, 0, 0},
    {"Ctrl++X", kUnreadable, 0, 0},
    {"Ctrl+X+", kUnreadable, 0, 0},
    {"+", kUnreadable, 0, 0},
};

TEST(KeyText, EveryValueReadsAsItsKeyNoneOrUnreadable) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.text);
    KeyCombination key{99, 99};
    const KeyReading reading = ReadKeyText(row.text, key);
    if (row.name == kNone || row.name == kUnreadable) {
      EXPECT_EQ(reading, row.name == kNone ? KeyReading::kNone : KeyReading::kUnreadable);
      EXPECT_EQ(key.modifiers, 99u) << "left alone";
      continue;
    }
    ASSERT_EQ(reading, KeyReading::kKey);
    EXPECT_EQ(key.modifiers, row.modifiers);
    EXPECT_EQ(key.virtualKey, row.virtualKey);
    EXPECT_EQ(KeyName(key), row.name);
    // The canonical name reads back to the same key.
    KeyCombination again;
    ASSERT_EQ(ReadKeyText(KeyName(key).View(), again), KeyReading::kKey);
    EXPECT_EQ(again.modifiers, key.modifiers);
    EXPECT_EQ(again.virtualKey, key.virtualKey);
  }
}

}  // namespace
