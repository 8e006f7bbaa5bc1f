#include "display/ini_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

struct IniCase {
  const char* what;
  std::optional<std::string> file;  // nullopt: no file
  const char* section;
  const char* key;
  const char* defaultText;
  std::string text;  // GetPrivateProfileStringA into 256 bytes
  uint32_t number;   // GetPrivateProfileIntA with the default 7777
};

// Every answer below is what Wine's GetPrivateProfileStringA and GetPrivateProfileIntA gave
// for the same file, measured once on this project's machines.
const std::vector<IniCase>& Cases() {
  static const std::vector<IniCase> cases = {
      {"missing file", std::nullopt, "Main", "KeepTitle", "'q' ", "q", 7777u},
      {"empty file", "", "Main", "KeepTitle", "'q' ", "q", 7777u},
      {"only a UTF-8 mark", "\xef\xbb\xbf", "Main", "KeepTitle", "D", "D", 7777u},
      {"UTF-8 mark", "\xef\xbb\xbf[Main]\nKeepTitle=100\n", "Main", "KeepTitle", "D", "100", 100u},
      {"UTF-8 mark and blanks", "\xef\xbb\xbf  [Main]\nKeepTitle=100\n", "Main", "KeepTitle", "D",
       "100", 100u},
      {"two UTF-8 marks", "\xef\xbb\xbf\xef\xbb\xbf[Main]\nKeepTitle=100\n", "Main", "KeepTitle",
       "D", "D", 7777u},
      {"CRLF", "[Main]\r\nKeepTitle=100\r\nColor=$FF0000\r\n", "Main", "Color", "D", "$FF0000", 0u},
      {"LF", "[Main]\nKeepTitle=100\nColor=$FF0000\n", "Main", "KeepTitle", "D", "100", 100u},
      {"CR", "[Main]\rKeepTitle=8\rColor=x\r", "Main", "KeepTitle", "D", "8", 8u},
      {"blank lines", "\r\n\r\n[Main]\r\r\n\nKeepTitle=7\r", "Main", "KeepTitle", "D", "7", 7u},
      {"no line end", "[Main]\nKeepTitle=9", "Main", "KeepTitle", "D", "9", 9u},
      {"case of names", "[mAIN]\nkeeptitle=42\n", "Main", "KeepTitle", "D", "42", 42u},
      {"case of names to the end of the alphabet", "[FONT]\nSIZE=40\n", "Font", "Size", "D", "40",
       40u},
      {"blanks around names and values", "  [Main]  \n\t KeepTitle\t=\t 9 \t\n", "Main",
       "KeepTitle", "D", "9", 9u},
      {"blanks inside the brackets", "[ \tMain ]\nK=1\n", "Main", "K", "D", "1", 1u},
      {"text after the bracket", "[Main]junk\nK=2\n", "Main", "K", "D", "2", 2u},
      {"the name runs to the last bracket", "[Main]x]\nK=2\n", "Main", "K", "D", "D", 7777u},
      {"a header without a bracket", "[Other]\nK=1\n[Main\nK=3\n", "Main", "K", "D", "D", 7777u},
      {"a header without a bracket stays in the section", "[Other]\nX=1\n[Main\nK=3\n", "Other",
       "K", "D", "3", 3u},
      {"another section", "[Font]\nK=1\n[Main]\nK=2\n", "Main", "K", "D", "2", 2u},
      {"keys before any section", "K=1\n[Main]\n", "Main", "K", "D", "D", 7777u},
      {"a key in the next section", "[Main]\n[Font]\nK=1\n", "Main", "K", "D", "D", 7777u},
      {"the first of two keys", "[Main]\nK=1\nK=2\n", "Main", "K", "D", "1", 1u},
      {"the first of two sections", "[Main]\nK=1\n[Main]\nK=2\n", "Main", "K", "D", "1", 1u},
      {"a second section is not read", "[Main]\nA=1\n[Main]\nK=2\n", "Main", "K", "D", "D", 7777u},
      {"a key without a value first", "[Main]\nK\nK=5\n", "Main", "K", "D", "D", 7777u},
      {"an empty value", "[Main]\nK=\n", "Main", "K", "D", "", 7777u},
      {"an empty quoted value", "[Main]\nK=\"\"\n", "Main", "K", "D", "", 7777u},
      {"double quotes", "[Main]\nK=\"12\"\n", "Main", "K", "D", "12", 12u},
      {"single quotes", "[Main]\nK='abc'\n", "Main", "K", "D", "abc", 0u},
      {"quotes keep inner blanks", "[Main]\nK = \" x \" \n", "Main", "K", "D", " x ", 0u},
      {"unmatched quotes", "[Main]\nK=\"Ta'\n", "Main", "K", "D", "\"Ta'", 0u},
      {"an opening quote only", "[Main]\nK=\"abc\n", "Main", "K", "D", "\"abc", 0u},
      {"a single quote character", "[Main]\nK=\"\n", "Main", "K", "D", "\"", 0u},
      {"one pair only", "[Main]\nK=\"\"x\"\"\n", "Main", "K", "D", "\"x\"", 0u},
      {"quotes in the default", "[Main]\n", "Main", "K", "'q'", "q", 7777u},
      {"trailing blanks of the default", "[Main]\n", "Main", "K", "d  ", "d", 7777u},
      {"an equals sign in the value", "[Main]\nK=a=b\n", "Main", "K", "D", "a=b", 0u},
      {"a doubled equals sign", "[Main]\nKeepTitle==3\n", "Main", "KeepTitle", "D", "=3", 0u},
      {"a comment is a key of its own", "[Main]\n;K=5\n", "Main", "K", "D", "D", 7777u},
      {"comments after a value stay", "[Main]\nK=6 ; six\n", "Main", "K", "D", "6 ; six", 6u},
      {"hexadecimal", "[Main]\nK=0x1F\n", "Main", "K", "D", "0x1F", 31u},
      {"hexadecimal with a capital X", "[Main]\nK=0X1F\n", "Main", "K", "D", "0X1F", 0u},
      {"a dollar", "[Main]\nK=$1F\n", "Main", "K", "D", "$1F", 0u},
      {"binary", "[Main]\nK=0b101\n", "Main", "K", "D", "0b101", 5u},
      {"octal", "[Main]\nK=0o17\n", "Main", "K", "D", "0o17", 15u},
      {"negative", "[Main]\nK=-5\n", "Main", "K", "D", "-5", 4294967291u},
      {"negative hexadecimal", "[Main]\nK=-0x10\n", "Main", "K", "D", "-0x10", 4294967280u},
      {"plus", "[Main]\nK=+7\n", "Main", "K", "D", "+7", 7u},
      {"digits then junk", "[Main]\nK=12abc\n", "Main", "K", "D", "12abc", 12u},
      {"no digits", "[Main]\nK=abc\n", "Main", "K", "D", "abc", 0u},
      {"a quoted number", "[Main]\nK=\" 12\"\n", "Main", "K", "D", " 12", 12u},
      {"control characters before the number", "[Main]\nK=\x01\x02 12\n", "Main", "K", "D",
       "\x01\x02 12", 12u},
      {"wraps around", "[Main]\nK=4294967297\n", "Main", "K", "D", "4294967297", 1u},
      {"wraps around many times", "[Main]\nK=99999999999\n", "Main", "K", "D", "99999999999",
       1215752191u},
      {"29 characters count", "[Main]\nK=00000000000000000000000000005\n", "Main", "K", "D",
       "00000000000000000000000000005", 5u},
      {"the 30th does not", "[Main]\nK=000000000000000000000000000005\n", "Main", "K", "D",
       "000000000000000000000000000005", 0u},
      {"1000 characters", std::string("[Main]\nK=") + std::string(1000, 'a') + "\n", "Main", "K",
       "D", std::string(255, 'a'), 0u},
      {"255 characters", std::string("[Main]\nK=") + std::string(255, 'c') + "\n", "Main", "K", "D",
       std::string(255, 'c'), 0u},
      {"254 quoted", std::string("[Main]\nK=\"") + std::string(254, 'e') + "\"\n", "Main", "K", "D",
       std::string(254, 'e'), 0u},
      {"255 quoted lose one more", std::string("[Main]\nK=\"") + std::string(255, 'd') + "\"\n",
       "Main", "K", "D", std::string(254, 'd'), 0u},
      {"a zero byte ends a value",
       std::string("[Main]\nK=12\x00"
                   "34\n",
                   15),
       "Main", "K", "D", "12", 12u},
      {"a zero byte ends a name", std::string("[Main]\nK\x00junk=4\n", 16), "Main", "K", "D", "4",
       4u},
      {"a zero byte ends a section name", std::string("[Main\x00x]\nK=3\n", 13), "Main", "K", "D",
       "3", 3u},
      {"Ctrl+Z is a blank", "[Main]\nK=\x1ax\x1a\n", "Main", "K", "D", "x", 0u},
      {"no-break spaces are not", "[Main]\nK=\xa0x\xa0\n", "Main", "K", "D", "\xa0x\xa0", 0u},
      {"bytes above 127 pass", "[Font]\nName=T\xe9st\n", "Font", "Name", "D", "T\xe9st", 0u},
      {"tabs and vertical tabs",
       "[Main]\n\x0bK\x0c=\t\x0b"
       "5\x0c\n",
       "Main", "K", "D", "5", 5u},
  };
  return cases;
}

TEST(IniFile, AnswersAsTheProfileFunctions) {
  for (const IniCase& c : Cases()) {
    SCOPED_TRACE(c.what);
    const IniFile ini = c.file ? IniFile(*c.file) : IniFile();
    char buffer[256];
    std::memset(buffer, 0x55, sizeof buffer);
    const uint32_t length = ini.ReadText(c.section, c.key, c.defaultText, buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer), c.text);
    EXPECT_EQ(length, c.text.size());
    EXPECT_EQ(ini.ReadInt(c.section, c.key, 7777), c.number);
  }
}

// As Wine's GetPrivateProfileSectionNamesA listed the sections of the same files.
TEST(IniFile, FindsSectionsAlsoWithoutKeys) {
  struct Case {
    const char* file;
    bool keys;
  };
  for (const Case& c : {Case{"[Main]\n[Keys]", true}, Case{"\xef\xbb\xbf  [ keys ]junk\r\n", true},
                        Case{"[Keys\nQuit=c\n", false}, Case{"[Keys]x]\n", false},
                        Case{"Keys=1\n[Main]\n", false}, Case{"", false}}) {
    SCOPED_TRACE(c.file);
    EXPECT_EQ(IniFile(c.file).HasSection("Keys"), c.keys);
  }
}

TEST(IniFile, CutsTextToTheBuffer) {
  const std::string file = "[Main]\nK=abcdef\nQ=\"abc\"\n";
  const IniFile ini(file);
  struct Case {
    const char* key;
    uint32_t size;
    const char* text;
  };
  // A quoted value cut exactly before its closing quote loses one byte more, as in Windows.
  for (const Case& c : {Case{"K", 7, "abcdef"}, Case{"K", 4, "abc"}, Case{"K", 2, "a"},
                        Case{"K", 1, ""}, Case{"Q", 5, "abc"}, Case{"Q", 4, "ab"},
                        Case{"Q", 3, "ab"}, Case{"Q", 2, "a"}, Case{"X", 2, "d"}}) {
    SCOPED_TRACE(std::string(c.key) + " " + std::to_string(c.size));
    char buffer[16];
    std::memset(buffer, 0x55, sizeof buffer);
    EXPECT_EQ(ini.ReadText("Main", c.key, "def", buffer, c.size), std::strlen(c.text));
    EXPECT_STREQ(buffer, c.text);
    EXPECT_EQ(buffer[c.size], 0x55);  // nothing written past the buffer
  }
  char untouched = 0x55;
  EXPECT_EQ(ini.ReadText("Main", "K", "def", &untouched, 0), 0u);
  EXPECT_EQ(untouched, 0x55);
  EXPECT_EQ(ini.ReadText("Main", "K", "def", nullptr, 10), 0u);
  char buffer[8];
  EXPECT_EQ(ini.ReadText("Main", "X", nullptr, buffer, sizeof buffer), 0u);
  EXPECT_STREQ(buffer, "");
}

// Any bytes at all: the reader ends, stays inside its buffers (the sanitizers watch) and
// answers a zero-terminated text of the length it reports.
TEST(IniFile, IsSafeWithAnyBytes) {
  std::mt19937 random(20240611);
  const std::vector<std::string> pieces = {"[",
                                           "]",
                                           "=",
                                           "Main",
                                           "KeepTitle",
                                           "K",
                                           " ",
                                           "\t",
                                           "\r",
                                           "\n",
                                           "\"",
                                           "'",
                                           "0x",
                                           "-",
                                           "1",
                                           std::string(1, '\0'),
                                           "\xef\xbb\xbf",
                                           "\x1a",
                                           "\xff",
                                           "\xa0"};
  for (int round = 0; round < 3000; ++round) {
    std::string file;
    const int count = static_cast<int>(random() % 50);
    for (int i = 0; i < count; ++i) {
      if (random() % 4 == 0) {
        file += static_cast<char>(random() % 256);
      } else {
        file += pieces[random() % pieces.size()];
      }
    }
    const IniFile ini(file);
    for (const uint32_t size : {256u, 30u, 3u, 2u, 1u}) {
      std::vector<char> buffer(size + 1, 0x55);
      const uint32_t length = ini.ReadText("Main", "KeepTitle", "'x'", buffer.data(), size);
      ASSERT_LT(length, size);
      ASSERT_EQ(std::strlen(buffer.data()), length);
      ASSERT_EQ(buffer[size], 0x55);
    }
    (void)ini.ReadInt("Main", "K", 5);
  }
}

TEST(IniFile, ReadsLargeFilesInOnePass) {
  const auto started = std::chrono::steady_clock::now();
  for (const char fill : {'\n', '[', '=', 'a', ' ', '\r', ']'}) {
    std::string file = "[Main]\n" + std::string(4 << 20, fill) + "\nK=1\n";
    const IniFile ini(file);
    char buffer[256];
    (void)ini.ReadText("Main", "K", "", buffer, sizeof buffer);
    (void)ini.ReadInt("Main", "K", 0);
  }
  // Generous: a reader that went back over its lines would take minutes.
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
}

}  // namespace
