#include "display/language.h"

#include "display/bytes.h"

namespace {

Language spoken;

[[nodiscard]] char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

[[nodiscard]] bool SameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

[[nodiscard]] std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

void AppendUtf8(Text& text, uint32_t code) {
  char bytes[4];
  size_t count = 1;
  if (code < 0x80) {
    bytes[0] = static_cast<char>(code);
  } else if (code < 0x800) {
    bytes[0] = static_cast<char>(0xC0 | code >> 6);
    count = 2;
  } else if (code < 0x10000) {
    bytes[0] = static_cast<char>(0xE0 | code >> 12);
    count = 3;
  } else {
    bytes[0] = static_cast<char>(0xF0 | code >> 18);
    count = 4;
  }
  for (size_t i = 1; i < count; ++i) {
    bytes[i] = static_cast<char>(0x80 | (code >> (6 * (count - 1 - i)) & 0x3F));
  }
  text += std::string_view(bytes, count);
}

// UTF-16 little-endian after its mark, as UTF-8; half a pair of surrogates is U+FFFD, as
// Windows converts it.
[[nodiscard]] Text Utf16ToUtf8(std::string_view bytes) {
  Text text;
  const auto unit = [&](size_t at) {
    return static_cast<uint32_t>(static_cast<unsigned char>(bytes[at]) |
                                 static_cast<unsigned char>(bytes[at + 1]) << 8);
  };
  for (size_t at = 2; at + 1 < bytes.size(); at += 2) {
    uint32_t code = unit(at);
    if (code >= 0xD800 && code < 0xE000) {
      const uint32_t low = at + 3 < bytes.size() ? unit(at + 2) : 0;
      if (code < 0xDC00 && low >= 0xDC00 && low < 0xE000) {
        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        at += 2;
      } else {
        code = 0xFFFD;
      }
    }
    AppendUtf8(text, code);
  }
  return text;
}

// Well-formed UTF-8 without control characters other than the line break and the tab: what a
// control shows as the translator wrote it.
[[nodiscard]] bool Showable(std::string_view text) {
  for (size_t at = 0; at < text.size();) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) {
      if (lead < 0x20 && lead != '\n' && lead != '\t') return false;
      ++at;
      continue;
    }
    const size_t count = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    if (lead < 0xC2 || lead > 0xF4 || at + count > text.size()) return false;
    uint32_t code = lead & (0x7F >> count);
    for (size_t i = 1; i < count; ++i) {
      const auto next = static_cast<unsigned char>(text[at + i]);
      if ((next & 0xC0) != 0x80) return false;
      code = code << 6 | (next & 0x3F);
    }
    // Overlong forms, surrogates, beyond U+10FFFF.
    if ((count == 3 && code < 0x800) || (count == 4 && (code < 0x10000 || code > 0x10FFFF)) ||
        (code >= 0xD800 && code < 0xE000)) {
      return false;
    }
    at += count;
  }
  return true;
}

// A text as the file writes it: "\n" a line break, "\\" a backslash; any other backslash stays.
[[nodiscard]] Text Unescape(std::string_view written) {
  Text text;
  size_t from = 0;
  for (size_t at = 0; at + 1 < written.size(); ++at) {
    if (written[at] != '\\' || (written[at + 1] != 'n' && written[at + 1] != '\\')) continue;
    text += Slice(written, from, at - from);
    text += written[at + 1] == 'n' ? "\n" : "\\";
    from = ++at + 1;
  }
  text += Slice(written, from);
  return text;
}

// A code is a file's name without a path: letters, digits, "-" and "_", at most 16 of them.
[[nodiscard]] bool MayBeCode(std::string_view code) {
  if (code.empty() || code.size() > 16) return false;
  for (const char c : code) {
    const char l = Lower(c);
    if (!((l >= 'a' && l <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_')) return false;
  }
  return true;
}

}  // namespace

Language::Language(std::string_view file) {
  if (file.size() > kLanguageFileMost) return;
  Text converted;
  if (file.size() >= 2 && file[0] == '\xFF' && file[1] == '\xFE') {
    converted = Utf16ToUtf8(file);
    file = converted.View();
  } else if (Slice(file, 0, 3) == "\xEF\xBB\xBF") {
    file.remove_prefix(3);
  }
  while (!file.empty()) {
    const size_t end = file.find_first_of("\r\n");
    const std::string_view line = Trim(Slice(file, 0, end));
    file.remove_prefix(end == std::string_view::npos ? file.size() : end + 1);
    const size_t equals = line.find('=');
    if (line.empty() || line.front() == ';' || equals == std::string_view::npos) continue;
    const std::string_view key = Trim(Slice(line, 0, equals));
    for (uint16_t id = 0; id < kTextCount; ++id) {
      if (!SameWord(key, kTextEntries[id].key)) continue;
      Text text = Unescape(Trim(Slice(line, equals + 1)));
      if (texts_[id].IsEmpty() && text.Length() <= kLanguageTextMost && Showable(text.View()) &&
          PlaceholderCount(text.View()) == PlaceholderCount(kTextEntries[id].english)) {
        texts_[id] = static_cast<Text&&>(text);
      }
      break;
    }
  }
}

const char* Language::Say(TextId id) const {
  const auto at = static_cast<uint16_t>(id);
  return texts_[at].IsEmpty() ? kTextEntries[at].english : texts_[at].CStr();
}

Text LanguageCode(std::string_view setting, std::string_view systemLanguage) {
  std::string_view code = Trim(setting);
  if (code.empty()) {
    code = Slice(systemLanguage, 0, systemLanguage.find('-'));
  }
  if (!MayBeCode(code) || SameWord(code, "English") || SameWord(code, "en")) return Text();
  return Text(code);
}

void TakeLanguage(NowPlayingHost& host, std::string_view setting) {
  const Text code = LanguageCode(setting, host.LanguageOfSystem().View());
  Text bytes;
  spoken = !code.IsEmpty() && host.LanguageReadFile(code.View(), bytes) ? Language(bytes.View())
                                                                        : Language();
}

const Language& SpokenLanguage() {
  return spoken;
}

Text FillIn(std::string_view format, std::initializer_list<std::string_view> values) {
  Text text;
  const std::string_view* value = values.begin();
  for (size_t at = format.find("%s"); at != std::string_view::npos; at = format.find("%s")) {
    text += Slice(format, 0, at);
    if (value != values.end()) text += *value++;
    format.remove_prefix(at + 2);
  }
  text += format;
  return text;
}

size_t PlaceholderCount(std::string_view text) {
  size_t count = 0;
  for (size_t at = text.find("%s"); at != std::string_view::npos; at = text.find("%s", at + 2)) {
    ++count;
  }
  return count;
}
