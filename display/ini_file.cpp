#include "display/ini_file.h"

#include <cstring>

#include "display/bytes.h"

// The rules follow what the Windows profile functions do with a file in the ANSI code page,
// as measured against Wine's, on which the program is tested: a UTF-8 byte-order mark is
// skipped; lines end at any run of CR and LF; blanks around lines, names and values are
// dropped; "[name]" opens a section, the name running to the last "]" of the line; names
// compare without regard to ASCII case, and only up to a zero byte; a key without "=" has
// no value. (Windows also reads UTF-16 files and converts the text after a UTF-8 mark to
// the ANSI code page; here those bytes are taken as they are.)

namespace {

// Besides the C blanks: Ctrl+Z, an old end-of-file mark.
[[nodiscard]] bool IsBlank(char c) {
  switch (static_cast<unsigned char>(c)) {
    case ' ':
    case '\t':
    case '\n':
    case '\v':
    case '\f':
    case '\r':
    case 0x1A:
      return true;
    default:
      return false;
  }
}

[[nodiscard]] std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The profile functions hand text around zero-terminated: a zero byte ends it.
[[nodiscard]] std::string_view UpToZero(std::string_view text) {
  const size_t zero = text.find('\0');
  return Slice(text, 0, zero);
}

[[nodiscard]] char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

[[nodiscard]] bool SameName(std::string_view a, std::string_view b) {
  a = UpToZero(a);
  b = UpToZero(b);
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Copies `value` as the profile functions copy an entry: one pair of enclosing quotes
// (both ' or both ") is dropped and the text is cut to size - 1 bytes. As in Windows, the
// last byte copied is taken for the closing quote whenever size is at least the length
// after the opening quote, so a quoted value cut exactly there loses one more byte.
[[nodiscard]] uint32_t CopyEntry(std::string_view value, char* buffer, uint32_t size) {
  value = UpToZero(value);
  bool quoted = false;
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    quoted = true;
    value.remove_prefix(1);
  }
  size_t count = value.size() < size - 1 ? value.size() : size - 1;
  if (quoted && size >= value.size() && count > 0) --count;
  if (count > 0) std::memcpy(buffer, value.data(), count);
  buffer[count] = '\0';
  return static_cast<uint32_t>(count);
}

// The file's lines, each without its end and the blanks around it; blank lines are skipped.
class Lines {
 public:
  explicit Lines(std::string_view bytes) : rest_(bytes) {
    if (Slice(rest_, 0, kUtf8Bom.size()) == kUtf8Bom) rest_.remove_prefix(kUtf8Bom.size());
  }

  [[nodiscard]] bool Next(std::string_view& line) {
    while (!rest_.empty()) {
      const size_t end = rest_.find_first_of("\r\n");
      line = Trim(Slice(rest_, 0, end));
      rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end);
      while (!rest_.empty() && (rest_.front() == '\r' || rest_.front() == '\n')) {
        rest_.remove_prefix(1);
      }
      if (!line.empty()) return true;
    }
    return false;
  }

 private:
  std::string_view rest_;
};

// "[name]" opens a section; the name runs to the last "]" of the line.
[[nodiscard]] bool SectionName(std::string_view line, std::string_view& name) {
  if (line.front() != '[') return false;
  const size_t close = line.rfind(']');
  if (close == std::string_view::npos) return false;
  name = Trim(Slice(line, 1, close - 1));
  return true;
}

}  // namespace

IniFile::Place IniFile::Locate(std::string_view section, std::string_view key) const {
  const auto end = [this](std::string_view part) {
    return static_cast<size_t>(part.data() - bytes_.data()) + part.size();
  };
  Place place = {Place::kNoSection, bytes_.size(), 0};
  Lines lines(bytes_);
  bool inside = false;
  std::string_view line;
  while (lines.Next(line)) {
    std::string_view name;
    if (SectionName(line, name)) {
      // Only the first section of a name counts; a later one of the same name is not read.
      if (inside) break;
      inside = SameName(name, section);
      if (inside) place = {Place::kInSection, end(line), 0};
      continue;
    }
    if (!inside) continue;

    const size_t equals = line.find('=');
    if (SameName(Trim(Slice(line, 0, equals)), key)) {
      // The first key of the name answers, also when it has no value (then: the default).
      if (equals == std::string_view::npos) return {Place::kNoEquals, end(line), 0};
      const std::string_view value = Trim(Slice(line, equals + 1));
      return {Place::kValue, end(value) - value.size(), value.size()};
    }
    if (line.front() != ';') place.at = end(line);
  }
  return place;
}

bool IniFile::Find(std::string_view section, std::string_view key, std::string_view& value) const {
  const Place place = Locate(section, key);
  if (place.kind != Place::kValue) return false;
  value = Slice(bytes_, place.at, place.length);
  return true;
}

bool IniFile::HasSection(std::string_view section) const {
  Lines lines(bytes_);
  std::string_view line;
  std::string_view name;
  while (lines.Next(line)) {
    if (SectionName(line, name) && SameName(name, section)) return true;
  }
  return false;
}

uint32_t IniFile::ReadText(std::string_view section, std::string_view key, const char* defaultValue,
                           char* buffer, uint32_t size) const {
  if (!buffer || size == 0) return 0;
  // Trailing spaces of the default are dropped.
  std::string_view fallback = defaultValue ? std::string_view(defaultValue) : std::string_view();
  while (!fallback.empty() && fallback.back() == ' ') fallback.remove_suffix(1);

  std::string_view value;
  return CopyEntry(Find(section, key, value) ? value : fallback, buffer, size);
}

uint32_t IniFile::ReadInt(std::string_view section, std::string_view key,
                          int32_t defaultValue) const {
  // The value is read as text into 30 characters first, so only 29 of them count.
  char text[30];
  if (ReadText(section, key, "", text, sizeof text) == 0)
    return static_cast<uint32_t>(defaultValue);

  const char* at = text;
  while (*at != '\0' && static_cast<unsigned char>(*at) <= ' ') ++at;
  bool negative = false;
  if (*at == '+' || *at == '-') negative = *at++ == '-';
  uint32_t base = 10;
  if (at[0] == '0' && (at[1] == 'x' || at[1] == 'o' || at[1] == 'b')) {
    base = at[1] == 'x' ? 16 : at[1] == 'o' ? 8 : 2;
    at += 2;
  }
  uint32_t value = 0;
  for (;; ++at) {
    const char c = *at;
    uint32_t digit = 99;
    if (c >= '0' && c <= '9')
      digit = static_cast<uint32_t>(c - '0');
    else if (c >= 'a' && c <= 'z')
      digit = static_cast<uint32_t>(c - 'a' + 10);
    else if (c >= 'A' && c <= 'Z')
      digit = static_cast<uint32_t>(c - 'A' + 10);
    if (digit >= base) break;
    value = value * base + digit;  // wraps around, as Windows does
  }
  return negative ? 0u - value : value;
}
