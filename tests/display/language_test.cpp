#include "display/language.h"

#include <gtest/gtest.h>

#include <dirent.h>

#include <fstream>
#include <initializer_list>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "display/display_cycle.h"
#include "display/events.h"
#include "display/state.h"
#include "tests/display/fake_host.h"

namespace {

std::string Utf16(const std::string& ascii) {  // as Notepad saves "Unicode", with its mark
  std::string bytes = "\xFF\xFE";
  for (const char c : ascii) bytes += std::string{c, '\0'};
  return bytes;
}

// A UTF-16 file with its mark whose MenuQuit is these units, to the file's end.
std::string Utf16Quit(std::initializer_list<char16_t> units) {
  std::string bytes = Utf16("MenuQuit = ");
  for (const char16_t unit : units)
    bytes += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
  return bytes;
}

std::string FileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

struct ReadRow {
  const char* what;
  std::string file;
  TextId id;
  std::string text;  // what the program says
};

TEST(Language, AFileGivesItsTextsAndEnglishWhereItHasNoneFit) {
  const std::string quit = "Выход";
  const std::string menu = "MenuQuit = " + quit + "\n";
  const std::string padded = menu + "; " + std::string(kLanguageFileMost - menu.size() - 2, 'x');
  const ReadRow rows[] = {
      {"a text", menu, TextId::kMenuQuit, quit},
      {"none: English", "", TextId::kMenuQuit, "Quit"},
      {"a comment", "; MenuQuit = x\n", TextId::kMenuQuit, "Quit"},
      {"any case, blanks around", "  menuQUIT\t=\t " + quit + " \r\n", TextId::kMenuQuit, quit},
      {"CR alone ends a line", "MenuShowNow = a\rMenuQuit = b\r", TextId::kMenuQuit, "b"},
      {"a line without =", "MenuQuit Выход\nMenuQuit = b\n", TextId::kMenuQuit, "b"},
      {"an unknown key", "Menu = a\nMenuQuitX = b\nMenuQuit = c\n", TextId::kMenuQuit, "c"},
      {"the first of a key", "MenuQuit = a\nMenuQuit = b\n", TextId::kMenuQuit, "a"},
      {"an empty text", "MenuQuit =\nMenuQuit = b\n", TextId::kMenuQuit, "b"},
      {"a text that is only blanks", "MenuQuit =  \t \n", TextId::kMenuQuit, "Quit"},
      {"the escapes", "MenuQuit = a\\nb\\\\n\\x\\\n", TextId::kMenuQuit, "a\nb\\n\\x\\"},
      {"= in a text", "MenuQuit = a = b\n", TextId::kMenuQuit, "a = b"},
      {"the UTF-8 mark", "\xEF\xBB\xBF" + menu, TextId::kMenuQuit, quit},
      {"UTF-16", Utf16("MenuShowNow = x\r\nMenuQuit = ab\r\n"), TextId::kMenuQuit, "ab"},
      {"UTF-16 beyond the BMP, and half a pair",
       "\xFF\xFE"
       "a\0=\0b\0\x3D\xD8\x00\xDE\x00\xD8",
       TextId::kMenuQuit, "Quit"},
      // UTF-8 as WideCharToMultiByte gives it, half a pair as U+FFFD.
      {"UTF-16 at every length of UTF-8",
       Utf16Quit({0xA9, 0x7FF, 0x800, 0xFFFD, 0xD800, 0xDC00, 0xDBFF, 0xDFFF}), TextId::kMenuQuit,
       "\xC2\xA9\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBD\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"},
      {"UTF-16: a pair, its units' last bits", Utf16Quit({0xD83D, 0xDE00, 'b'}), TextId::kMenuQuit,
       "\xF0\x9F\x98\x80"
       "b"},
      {"UTF-16: a pair that ends the file", Utf16Quit({'a', 0xD83D, 0xDE00}), TextId::kMenuQuit,
       "a\xF0\x9F\x98\x80"},
      {"UTF-16: half a pair that ends the file", Utf16Quit({'a', 0xD800}), TextId::kMenuQuit,
       "a\xEF\xBF\xBD"},
      {"UTF-16: a low half alone, a high half before a letter or a high half",
       Utf16Quit({0xDC00, 0xD800, 'A', 0xDBFF, 0xDBFF, 0xDFFF}), TextId::kMenuQuit,
       "\xEF\xBF\xBD\xEF\xBF\xBD"
       "A\xEF\xBF\xBD\xF4\x8F\xBF\xBF"},
      {"UTF-16: an odd byte at the end", Utf16Quit({'a', 'b'}) + "c", TextId::kMenuQuit, "ab"},
      {"UTF-8 of every length",
       "MenuQuit = \xDF\xBF\xE0\xA0\x80\xEE\x80\x80\xF0\x90\x80\x80\xF4\x8F\xBF\xBF",
       TextId::kMenuQuit, "\xDF\xBF\xE0\xA0\x80\xEE\x80\x80\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"},
      {"UTF-8: C1 leads an overlong form", "MenuQuit = a\xC1\xBF", TextId::kMenuQuit, "Quit"},
      {"UTF-8: a three-byte overlong form", "MenuQuit = a\xE0\x9F\xBF", TextId::kMenuQuit, "Quit"},
      {"UTF-8: a four-byte overlong form", "MenuQuit = a\xF0\x8F\xBF\xBF", TextId::kMenuQuit,
       "Quit"},
      {"UTF-8: beyond U+10FFFF", "MenuQuit = a\xF4\x90\x80\x80", TextId::kMenuQuit, "Quit"},
      {"UTF-8: F5 leads nothing", "MenuQuit = a\xF5\x80\x80\x80", TextId::kMenuQuit, "Quit"},
      {"UTF-8: the last surrogate", "MenuQuit = a\xED\xBF\xBF", TextId::kMenuQuit, "Quit"},
      {"UTF-8: cut at the file's end", "MenuQuit = a\xE2\x82", TextId::kMenuQuit, "Quit"},
      {"UTF-8: a letter for a continuation", "MenuQuit = a\xE2\x28\xA1", TextId::kMenuQuit, "Quit"},
      {"UTF-8: a continuation alone", "MenuQuit = a\x80", TextId::kMenuQuit, "Quit"},
      {"the most bytes", "MenuQuit = " + std::string(kLanguageTextMost, 'q'), TextId::kMenuQuit,
       std::string(kLanguageTextMost, 'q')},
      {"a byte more", "MenuQuit = " + std::string(kLanguageTextMost + 1, 'q'), TextId::kMenuQuit,
       "Quit"},
      {"a code page's bytes, not UTF-8", "MenuQuit = \xC2\xFB\xF5\xEE\xE4\n", TextId::kMenuQuit,
       "Quit"},
      {"UTF-8 cut short", "MenuQuit = \xD0\n", TextId::kMenuQuit, "Quit"},
      {"an overlong form", "MenuQuit = \xC0\xAF\n", TextId::kMenuQuit, "Quit"},
      {"a surrogate in UTF-8", "MenuQuit = \xED\xA0\x80\n", TextId::kMenuQuit, "Quit"},
      {"a control character",
       "MenuQuit = a\x01"
       "b\n",
       TextId::kMenuQuit, "Quit"},
      {"a zero byte", std::string("MenuQuit = a\0b\n", 15), TextId::kMenuQuit, "Quit"},
      {"its placeholder", "KeySetBefore = уже у %s\n", TextId::kKeySetBefore, "уже у %s"},
      {"a placeholder dropped", "KeySetBefore = уже назначена\n", TextId::kKeySetBefore,
       "already set for %s"},
      {"a placeholder added", "MenuQuit = %s\n", TextId::kMenuQuit, "Quit"},
      {"one of three dropped", "ColourValue = %s %s\n", TextId::kColourValue,
       "red %s, green %s, blue %s"},
      {"another conversion is text", "ColourValue = %d %s %s %s\n", TextId::kColourValue,
       "%d %s %s %s"},
      {"at the most bytes a file may have", padded, TextId::kMenuQuit, quit},
      {"a byte over", padded + "x", TextId::kMenuQuit, "Quit"},
  };
  for (const ReadRow& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(row.text, Language(row.file).Say(row.id));
  }
  EXPECT_STREQ("Quit", Language().Say(TextId::kMenuQuit)) << "English is the program's own";
}

struct CodeRow {
  const char* setting;
  const char* system;
  const char* code;  // "": English
};

TEST(Language, TheSettingChoosesElseTheSystemsDisplayLanguageWithoutItsRegion) {
  const CodeRow rows[] = {
      {"ru", "en-US", "ru"},
      {"", "ru-RU", "ru"},
      {"", "ru", "ru"},
      {"de", "ru-RU", "de"},
      {"English", "ru-RU", ""},
      {"english", "ru-RU", ""},
      {"en", "ru-RU", ""},
      {"", "en-GB", ""},
      {"", "", ""},
      {"pt-BR", "", "pt-BR"},
      {"..\\ru", "ru-RU", ""},
      {"ru.txt", "", ""},
      {"", "zh-Hans-CN", "zh"},
      {"a234567890123456", "", "a234567890123456"},
      {"a2345678901234567", "ru-RU", ""},
  };
  for (const CodeRow& row : rows) {
    SCOPED_TRACE(std::string(row.setting) + " / " + row.system);
    EXPECT_EQ(row.code, LanguageCode(row.setting, row.system));
  }
}

TEST(Language, TheChosenFileIsSpokenAndWithoutOneEnglish) {
  FakeHost host;
  host.languageFiles["ru"] = "MenuQuit = Выход\n";
  host.systemLanguage = "ru-RU";
  TakeLanguage(host, "");
  EXPECT_STREQ("Выход", Say(TextId::kMenuQuit)) << "the system's language";
  TakeLanguage(host, "English");
  EXPECT_STREQ("Quit", Say(TextId::kMenuQuit));
  TakeLanguage(host, "ru");
  TakeLanguage(host, "de");
  EXPECT_STREQ("Quit", Say(TextId::kMenuQuit)) << "no file: English, not the last one";
}

TEST(Language, ValuesGoWhereTheirPlaceholdersStand) {
  EXPECT_EQ("a 1 b 2.", FillIn("a %s b %s.", {"1", "2"}));
  EXPECT_EQ("%d 1", FillIn("%d %s", {"1"}));
  EXPECT_EQ("x  y", FillIn("x %s y", {}));
  EXPECT_EQ(3u, PlaceholderCount("%s%s %s"));
  EXPECT_EQ(1u, PlaceholderCount("%%s"));
  EXPECT_EQ(0u, PlaceholderCount(kTextEntries[static_cast<int>(TextId::kTemplateFields)].english));
}

// The notice of a language other than English goes to the strip in UTF-8; English's as before.
TEST(Language, TheKeysNoticeComesOutInItsLanguage) {
  ResetNowPlaying();
  FakeHost host;
  host.settingsFile = "[Main]\nLanguage=ru\nMemEconomy=0\n[Keys]\nQuit=Ctrl+Q+W\n";
  host.languageFiles["ru"] = "KeyNotAKey = не клавиша\n";
  LoadSettings(host);
  host.Take();
  host.player.Play("1. Song - Winamp");
  DisplayCycle(host);
  const std::vector<std::string> log = host.Take();
  EXPECT_NE(std::find(log.begin(), log.end(),
                      "caption@65001 Tunelamp keys not set: Quit=Ctrl+Q+W не клавиша"),
            log.end());
  host.languageFiles.clear();
  TakeLanguage(host, "");
}

// The template, as the build writes it, reads back as the program's own English, every text.
TEST(LanguageFiles, TheTemplateIsTheProgramsEnglish) {
  const std::string bytes = FileBytes(TUNELAMP_LANG_TEMPLATE);
  ASSERT_FALSE(bytes.empty());
  const Language english(bytes);
  for (uint16_t id = 0; id < kTextCount; ++id) {
    SCOPED_TRACE(kTextEntries[id].key);
    EXPECT_TRUE(english.Has(static_cast<TextId>(id)));
    EXPECT_STREQ(kTextEntries[id].english, english.Say(static_cast<TextId>(id)));
  }
}

// Every language file of lang/ has each key of the template once, no other, and each text fit to
// show (the same placeholders as English's, not too long, UTF-8).
TEST(LanguageFiles, EachHasEveryKeyOfTheTemplateAndNoOther) {
  std::vector<std::string> names;
  DIR* folder = opendir(TUNELAMP_LANG_FOLDER);
  ASSERT_NE(folder, nullptr);
  while (const dirent* entry = readdir(folder)) {
    const std::string name = entry->d_name;
    if (name.size() > 4 && name.substr(name.size() - 4) == ".txt") names.push_back(name);
  }
  closedir(folder);
  EXPECT_NE(std::find(names.begin(), names.end(), "ru.txt"), names.end());
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const std::string bytes = FileBytes(std::string(TUNELAMP_LANG_FOLDER) + "/" + name);
    std::set<std::string> keys;
    std::istringstream lines(bytes);
    for (std::string line; std::getline(lines, line);) {
      if (line.empty() || line[0] == ';' || line == "\r") continue;
      const size_t equals = line.find('=');
      ASSERT_NE(equals, std::string::npos) << line;
      std::string key = line.substr(0, equals);
      while (!key.empty() && key.back() == ' ') key.pop_back();
      bool known = false;
      for (uint16_t id = 0; id < kTextCount; ++id) known = known || key == kTextEntries[id].key;
      EXPECT_TRUE(known) << "a key the template lacks: " << key;
      EXPECT_TRUE(keys.insert(key).second) << "twice: " << key;
    }
    const Language language(bytes);
    for (uint16_t id = 0; id < kTextCount; ++id) {
      EXPECT_TRUE(keys.count(kTextEntries[id].key)) << "missing: " << kTextEntries[id].key;
      EXPECT_TRUE(language.Has(static_cast<TextId>(id))) << "unfit: " << kTextEntries[id].key;
    }
  }
}

}  // namespace
