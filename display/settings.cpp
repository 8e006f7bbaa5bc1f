#include "display/settings.h"

namespace {

[[nodiscard]] int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void ReadText(const IniFile& file, const char* section, const char* key, const char* fallback,
              SettingText& text) {
  file.ReadText(section, key, fallback, text.bytes, sizeof text.bytes);
}

[[nodiscard]] int32_t DefaultNumber(const char* fallback) {
  return static_cast<int32_t>(ParseInteger(fallback));
}

// GetPrivateProfileIntA answers 0 for a value that is not a number, which for FullScreen would
// switch the quiet rule on: only a value that starts with a number reads as one there.
[[nodiscard]] bool StartsWithNumber(std::string_view text) {
  size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
  return at < text.size() && text[at] >= '0' && text[at] <= '9';
}

template <typename Number>
void Read(const IniFile& file, const char* section, const char* key, const char* fallback,
          Number& value, setting::Number) {
  value = static_cast<Number>(file.ReadInt(section, key, DefaultNumber(fallback)));
}
void Read(const IniFile& file, const char* section, const char* key, const char* fallback,
          bool& value, setting::Switch) {
  value = file.ReadInt(section, key, DefaultNumber(fallback)) == 1;
}
// Only exactly 0 keeps quiet: any other number comes out, as always.
void Read(const IniFile& file, const char* section, const char* key, const char* fallback,
          bool& value, setting::Quiet) {
  SettingText text;
  ReadText(file, section, key, "", text);
  value =
      !StartsWithNumber(text.View()) || file.ReadInt(section, key, DefaultNumber(fallback)) != 0;
}
void Read(const IniFile& file, const char* section, const char* key, const char* fallback,
          uint32_t& value, setting::Color) {
  SettingText text;
  ReadText(file, section, key, fallback, text);
  value = ParseInteger(text.View());
}
void Read(const IniFile& file, const char* section, const char* key, const char* fallback,
          SettingText& value, setting::Name) {
  ReadText(file, section, key, fallback, value);
}
// A missing key reads as its default; an empty value as no key.
void Read(const IniFile& file, const char* section, const char* key, const char* fallback,
          KeySetting& value, setting::Key) {
  ReadText(file, section, key, fallback, value.written);
  value.key = KeyCombination();
  value.reading = ReadKeyText(value.written.View(), value.key);
}

template <typename Value>
void Take(Value& inForce, const Value& read, setting::AtOnce) {
  inForce = read;
}
template <typename Value>
void Take(Value& /*inForce*/, const Value& /*read*/, setting::WhenAway) {}

}  // namespace

bool operator==(const SettingText& a, const SettingText& b) {
  return a.View() == b.View();
}

bool operator==(const KeySetting& a, const KeySetting& b) {
  return a.reading == b.reading && a.key.modifiers == b.key.modifiers &&
         a.key.virtualKey == b.key.virtualKey && a.written == b.written;
}

bool operator==(const Settings& a, const Settings& b) {
#define TUNELAMP_SAME_SETTING(when, type, name, kind, section, key, fallback) a.name == b.name&&
  return TUNELAMP_SETTINGS(TUNELAMP_SAME_SETTING) a.keysTold == b.keysTold;
#undef TUNELAMP_SAME_SETTING
}

Settings ReadSettings(const IniFile& file) {
  Settings values = {};
#define TUNELAMP_READ_SETTING(when, type, name, kind, section, key, fallback) \
  Read(file, section, key, fallback, values.name, setting::kind{});
  TUNELAMP_SETTINGS(TUNELAMP_READ_SETTING)
#undef TUNELAMP_READ_SETTING
  values.keysTold = file.HasSection("Keys");
  return values;
}

void TakeAtOnce(Settings& inForce, const Settings& read) {
#define TUNELAMP_TAKE_SETTING(when, type, name, kind, section, key, fallback) \
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
