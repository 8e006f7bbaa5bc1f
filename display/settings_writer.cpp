#include "display/settings_writer.h"

#include <utility>

#include "display/bytes.h"
#include "display/ini_file.h"
#include "toolkit/format.h"

namespace {

constexpr uint32_t kSecondsMost = 999999;

// As the file's first line ends.
[[nodiscard]] std::string_view LineEnd(std::string_view file) {
  const size_t end = file.find('\n');
  if (end == std::string_view::npos || (end > 0 && file[end - 1] == '\r')) return "\r\n";
  return "\n";
}

void Put(Text& bytes, const SettingEntry& entry, const Text& value) {
  const std::string_view file = bytes.View();
  const char* const section = SectionName(entry.section);
  const IniFile::Place place = IniFile(file).Locate(section, entry.key);
  const std::string_view lineEnd = LineEnd(file);
  Text written(Slice(file, 0, place.at));
  if (place.kind == IniFile::Place::kNoSection) {
    if (!file.empty() && file.back() != '\n' && file.back() != '\r') written += lineEnd;
    written += "[";
    written += section;
    written += "]";
  }
  if (place.kind >= IniFile::Place::kInSection) {
    written += lineEnd;
    written += entry.key;
  }
  if (place.kind != IniFile::Place::kValue) written += "=";
  written += value;
  if (place.kind == IniFile::Place::kNoSection) written += lineEnd;
  written += Slice(file, place.at + place.length);
  bytes = std::move(written);
}

[[nodiscard]] bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

Text WriteChangedSettings(std::string_view file, const Settings& was, const Settings& now) {
  Text bytes(file);
  for (size_t i = 0; i < kSettingCount; ++i) {
    const SettingEntry& entry = kSettingEntries[i];
    const Text value = SettingValueText(now, entry);
    if (value != SettingValueText(was, entry)) Put(bytes, entry, value);
  }
  return bytes;
}

Text SecondsText(uint32_t milliseconds) {
  Text text = IntToText(static_cast<int32_t>(milliseconds / 1000));
  uint32_t part = milliseconds % 1000;
  if (part != 0) text += ".";
  // The thousandths' digits, without the zeros after the last.
  for (; part != 0; part = part % 100 * 10) {
    const char digit = static_cast<char>('0' + part / 100);
    text += std::string_view(&digit, 1);
  }
  return text;
}

bool ReadSeconds(std::string_view text, uint32_t& milliseconds) {
  uint32_t value = 0;     // in thousandths
  uint32_t place = 1000;  // of the next digit; until the point, the digits are whole seconds
  bool point = false;
  for (const char c : text) {
    if (c == '.' || c == ',') {
      if (point) return false;
      point = true;
    } else if (!IsDigit(c)) {
      return false;
    } else if (!point) {
      if (value > (kSecondsMost / 10) * 1000) return false;
      value = value * 10 + static_cast<uint32_t>(c - '0') * 1000;
    } else {
      place /= 10;
      if (place == 0) return false;
      value += static_cast<uint32_t>(c - '0') * place;
    }
  }
  if (text.empty() || text.size() == point) return false;
  milliseconds = value;
  return true;
}
