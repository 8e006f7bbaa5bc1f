#include "display/settings.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "display/title_template.h"
#include "toolkit/format.h"

namespace {

[[nodiscard]] int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Where a value is read: the file, the section and the key, the default as the file would give
// it, and how it is read.
struct Source {
  const IniFile& file;
  std::string_view section;
  std::string_view key;
  const char* fallback;
  SettingKind kind;
};

void ReadText(const Source& source, const char* fallback, SettingText& text) {
  source.file.ReadText(source.section, source.key, fallback, text.bytes, sizeof text.bytes);
}

// GetPrivateProfileIntA, with the default the fallback text gives.
[[nodiscard]] uint32_t ReadNumberOf(const Source& source) {
  return source.file.ReadInt(source.section, source.key,
                             static_cast<int32_t>(ParseInteger(source.fallback)));
}

// GetPrivateProfileIntA answers 0 for a value that is not a number, which for FullScreen would
// switch the quiet rule on: only a value that starts with a number reads as one there.
[[nodiscard]] bool StartsWithNumber(std::string_view text) {
  size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
  return at < text.size() && text[at] >= '0' && text[at] <= '9';
}

// The readers, one for each kind of value (ReadValue chooses).
void ReadNumber(const Source& source, void* value) {
  *static_cast<uint32_t*>(value) = ReadNumberOf(source);
}
void ReadSwitch(const Source& source, void* value) {
  *static_cast<bool*>(value) = ReadNumberOf(source) == 1;
}
// Only exactly 0 keeps quiet: any other number comes out, as always.
void ReadQuiet(const Source& source, void* value) {
  SettingText text;
  ReadText(source, "", text);
  *static_cast<bool*>(value) = !StartsWithNumber(text.View()) || ReadNumberOf(source) != 0;
}

// A word of a colour setting, in any letter case.
[[nodiscard]] bool IsWord(std::string_view text, const char* word) {
  size_t at = 0;
  for (; at < text.size() && word[at] != '\0'; ++at) {
    if ((text[at] | 0x20) != word[at]) return false;
  }
  return at == text.size() && word[at] == '\0';
}

// "accent" for either, "auto" for TextColor.
void ReadColor(const Source& source, void* value) {
  SettingText text;
  ReadText(source, source.fallback, text);
  ColorSetting& color = *static_cast<ColorSetting*>(value);
  color = {0, ColorSource::kAccent};
  if (IsWord(text.View(), kAccentWord)) return;
  color.source = ColorSource::kAuto;
  if (source.kind == SettingKind::kTextColor && IsWord(text.View(), kAutoWord)) return;
  color = {ParseInteger(text.View()), ColorSource::kValue};
}
// A number, as the keys above read it, taken into the range; none: 0.
void ReadPercent(const Source& source, void* value) {
  constexpr int32_t kNone = INT32_MIN;
  int32_t percent = static_cast<int32_t>(source.file.ReadInt(source.section, source.key, kNone));
  if (percent != kNone) {
    percent = percent < kPercentLeast ? kPercentLeast : percent;
    percent = percent > kPercentMost ? kPercentMost : percent;
  }
  *static_cast<int32_t*>(value) = percent == kNone ? 0 : percent;
}
void ReadName(const Source& source, void* value) {
  ReadText(source, source.fallback, *static_cast<SettingText*>(value));
}
// A missing key reads as its default; an empty value as no key.
void ReadKey(const Source& source, void* value) {
  KeySetting& setting = *static_cast<KeySetting*>(value);
  ReadText(source, source.fallback, setting.written);
  setting.key = KeyCombination();
  setting.reading = ReadKeyText(setting.written.View(), setting.key);
}

void ReadTemplate(const Source& source, void* value) {
  auto& text = *static_cast<SettingTemplate*>(value);
  source.file.ReadText(source.section, source.key, source.fallback, text.bytes, sizeof text.bytes);
  text.Set(text.View());
}

// Monitor's words beside its number: "all" in any letter case, or an identity.
void ReadMonitorWord(const IniFile& file, SettingText& word) {
  file.ReadText("Main", "Monitor", "", word.bytes, sizeof word.bytes);
  const std::string_view text = word.View();
  if (IsWord(text, kAllWord)) return;
  if (text.substr(0, 2) != kIdentityStart) word.bytes[0] = '\0';
}

template <typename Value>
void Take(Value& inForce, const Value& read, setting::AtOnce) {
  inForce = read;
}
template <typename Value>
void Take(Value& /*inForce*/, const Value& /*read*/, setting::WhenAway) {}

}  // namespace

void SettingTemplate::Set(std::string_view text) {
  text = CutTemplate(text);
  std::memmove(bytes, text.data(), text.size());
  bytes[text.size()] = '\0';
}

bool operator==(const SettingText& a, const SettingText& b) {
  return a.View() == b.View();
}

bool operator==(const ColorSetting& a, const ColorSetting& b) {
  return a.value == b.value && a.source == b.source;
}

bool operator==(const KeySetting& a, const KeySetting& b) {
  return a.reading == b.reading && a.key.modifiers == b.key.modifiers &&
         a.key.virtualKey == b.key.virtualKey && a.written == b.written;
}

// Two values that differ are spelt differently.
bool operator==(const Settings& a, const Settings& b) {
  for (size_t i = 0; i < kSettingCount; ++i) {
    if (SettingValueText(a, kSettingEntries[i]) != SettingValueText(b, kSettingEntries[i])) {
      return false;
    }
  }
  return a.keysTold == b.keysTold;
}

constexpr const char* kSectionNames[] = {"Main", "Font", "Keys", "Share"};

const char* SectionName(uint8_t section) {
  return kSectionNames[section];
}

namespace {

// Not constexpr: a section that SectionOf does not find makes the list below no constant, which
// the compiler refuses.
uint8_t NoSuchSection() {
  return 0;
}

// The index of the section named exactly `name`.
[[nodiscard]] constexpr uint8_t SectionOf(std::string_view name) {
  for (uint8_t at = 0; at < sizeof kSectionNames / sizeof kSectionNames[0]; ++at) {
    if (name == kSectionNames[at]) return at;
  }
  return NoSuchSection();
}

// One reader for each kind: the compiler tells of a kind without one.
void ReadValue(const Source& source, void* value) {
  switch (source.kind) {
    case SettingKind::kNumber:
      return ReadNumber(source, value);
    case SettingKind::kSwitch:
      return ReadSwitch(source, value);
    case SettingKind::kQuiet:
      return ReadQuiet(source, value);
    case SettingKind::kColor:
    case SettingKind::kTextColor:
      return ReadColor(source, value);
    case SettingKind::kPercent:
      return ReadPercent(source, value);
    case SettingKind::kName:
      return ReadName(source, value);
    case SettingKind::kKey:
      return ReadKey(source, value);
    case SettingKind::kTemplate:
      return ReadTemplate(source, value);
    case SettingKind::kMonitor:
      return ReadNumber(source, value);
  }
}

}  // namespace

constexpr SettingEntry kSettingEntries[] = {
#define TUNELAMP_SETTING_ENTRY(when, type, name, kind, section, key, fallback, comment) \
  {key, fallback, offsetof(Settings, name), SectionOf(section), SettingKind::k##kind},
    TUNELAMP_SETTINGS(TUNELAMP_SETTING_ENTRY)
#undef TUNELAMP_SETTING_ENTRY
};
const size_t kSettingCount = sizeof kSettingEntries / sizeof kSettingEntries[0];

Settings ReadSettings(const IniFile& file) {
  Settings values = {};
  for (const SettingEntry& entry : kSettingEntries) {
    const Source source = {file, SectionName(entry.section), entry.key, entry.fallback, entry.kind};
    ReadValue(source, reinterpret_cast<char*>(&values) + entry.offset);
  }
  values.keysTold = file.HasSection("Keys");
  ReadMonitorWord(file, values.monitorWord);
  return values;
}

Text SettingValueText(const Settings& settings, const SettingEntry& entry) {
  const void* const value = reinterpret_cast<const char*>(&settings) + entry.offset;
  switch (entry.kind) {
    case SettingKind::kNumber:
    case SettingKind::kPercent:
      return IntToText(*static_cast<const int32_t*>(value));
    case SettingKind::kSwitch:
    case SettingKind::kQuiet:
      return *static_cast<const bool*>(value) ? "1" : "0";
    case SettingKind::kColor:
    case SettingKind::kTextColor: {
      const auto& color = *static_cast<const ColorSetting*>(value);
      if (color.source == ColorSource::kAccent) return kAccentWord;
      if (color.source == ColorSource::kAuto) return kAutoWord;
      return FormatText("$%06x", {color.value});
    }
    case SettingKind::kName:
      return static_cast<const SettingText*>(value)->bytes;
    case SettingKind::kKey:
      return static_cast<const KeySetting*>(value)->written.bytes;
    case SettingKind::kMonitor:
      if (settings.monitorWord.bytes[0] != '\0') return settings.monitorWord.bytes;
      return IntToText(*static_cast<const int32_t*>(value));
    case SettingKind::kTemplate: {
      // The profile functions drop the blanks around a value and one pair of quotes around it:
      // a value they would change is quoted.
      const std::string_view bytes = static_cast<const SettingTemplate*>(value)->View();
      const Text text(bytes);
      const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
      const bool quoted =
          !bytes.empty() &&
          (blank(bytes.front()) || blank(bytes.back()) ||
           ((bytes.front() == '"' || bytes.front() == '\'') && bytes.back() == bytes.front()));
      return quoted ? Text("\"") + text + "\"" : text;
    }
  }
  return Text();
}

void TakeAtOnce(Settings& inForce, const Settings& read) {
#define TUNELAMP_TAKE_SETTING(when, type, name, kind, section, key, fallback, comment) \
  Take(inForce.name, read.name, setting::when{});
  TUNELAMP_SETTINGS(TUNELAMP_TAKE_SETTING)
#undef TUNELAMP_TAKE_SETTING
  inForce.keysTold = read.keysTold;
}

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
