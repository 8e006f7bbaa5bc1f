#include "display/settings.h"

namespace {

// Text values are read into 256 bytes, as the program always read them: 255 and the terminator.
constexpr uint32_t kTextSize = 256;

[[nodiscard]] int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

[[nodiscard]] Text ReadText(const IniFile& file, const char* section, const char* key,
                            const char* fallback) {
  char text[kTextSize];
  file.ReadText(section, key, fallback, text, sizeof text);
  return Text(text);
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
  value = !StartsWithNumber(ReadText(file, section, key, "").View()) ||
          file.ReadInt(section, key, DefaultNumber(fallback)) != 0;
}
void Read(const IniFile& file, const char* section, const char* key, const char* fallback,
          uint32_t& value, setting::Color) {
  value = ParseInteger(ReadText(file, section, key, fallback).View());
}
void Read(const IniFile& file, const char* section, const char* key, const char* fallback,
          Text& value, setting::Name) {
  value = ReadText(file, section, key, fallback);
}
// A missing key reads as its default; an empty value as no key.
void Read(const IniFile& file, const char* section, const char* key, const char* fallback,
          KeySetting& value, setting::Key) {
  value.written = ReadText(file, section, key, fallback);
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

namespace setting {
uint32_t Default(const char* text, Number) {
  return ParseInteger(text);
}
bool Default(const char* text, Switch) {
  return ParseInteger(text) == 1;
}
bool Default(const char* text, Quiet) {
  return ParseInteger(text) != 0;
}
uint32_t Default(const char* text, Color) {
  return ParseInteger(text);
}
Text Default(const char* text, Name) {
  return Text(text);
}
KeySetting Default(const char* text, Key) {
  KeySetting value;
  value.written = Text(text);
  value.reading = ReadKeyText(text, value.key);
  return value;
}
}  // namespace setting

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
  Settings values;
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
