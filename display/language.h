// The language the program speaks: English, which it carries, or the texts of a language file
// (lang\<code>.txt beside tunelamp.exe), English wherever the file has none fit to show.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "display/host.h"
#include "display/texts.h"
#include "toolkit/text.h"

// A larger file is not read: English.
inline constexpr size_t kLanguageFileMost = 256 * 1024;
// The most bytes of one text (UTF-8, after its escapes): a longer one is English.
inline constexpr size_t kLanguageTextMost = 512;

class Language {
 public:
  Language() = default;  // English
  // A language file's texts: UTF-8 (its mark skipped), or UTF-16 little-endian with its mark.
  // "; " starts a comment line, every other line is "KEY = text", "\n" in a text a line break
  // and "\\" a backslash. Left out, so English: a line without "=", an unknown key (a second
  // one of a key), an empty text, one over kLanguageTextMost bytes or not UTF-8, one with
  // another count of "%s" than English's; the whole file when it is over kLanguageFileMost.
  explicit Language(std::string_view file);

  // The text, never empty: the file's, or English.
  [[nodiscard]] const char* Say(TextId id) const;
  // Whether the file gave that text.
  [[nodiscard]] bool Has(TextId id) const { return !texts_[static_cast<uint16_t>(id)].IsEmpty(); }

 private:
  Text texts_[kTextCount];
};

// The language file's code that Language= chooses: as written ("ru"); "English", "en" and a
// value that cannot be a file's name give English (an empty code). Empty, the Windows user's
// display language without its region ("ru-RU": "ru").
[[nodiscard]] Text LanguageCode(std::string_view setting, std::string_view systemLanguage);

// The language that Language= chooses, from its file, is the one the program speaks from now on.
void TakeLanguage(NowPlayingHost& host, std::string_view setting);
[[nodiscard]] const Language& SpokenLanguage();
[[nodiscard]] inline const char* Say(TextId id) {
  return SpokenLanguage().Say(id);
}

// `format` with each "%s" in turn replaced by the next of `values` (none left: nothing).
[[nodiscard]] Text FillIn(std::string_view format, std::initializer_list<std::string_view> values);
// How many "%s" a text has.
[[nodiscard]] size_t PlaceholderCount(std::string_view text);
