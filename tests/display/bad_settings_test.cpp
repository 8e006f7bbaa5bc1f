// settings.ini is a file anybody can edit: whatever it holds, the settings loader must end
// with values it can use. Each row is one kind of damaged or odd file and what the popup
// gets from it: the two intervals, memory economy, the colour, the font and the heights.
#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "display/settings.h"
#include "display/events.h"
#include "display/state.h"
#include "tests/display/fake_host.h"

namespace {

struct SettingsRow {
  const char* what;
  std::optional<std::string> file;  // nullopt: there is no settings.ini
  uint32_t keep;
  uint32_t check;
  bool economy;
  uint32_t color;
  int32_t fontSize;
  std::string fontName;
  int32_t height;  // of the form, and of the label, which takes it from the form's window
};

constexpr uint32_t kOrange = 0x00E69500;  // the default colour

// Bytes that are no INI text: no line holds a "[" and a "]" together, so no section opens.
std::string Junk(size_t size, uint32_t seed) {
  std::mt19937 random(seed);
  std::string junk;
  for (size_t i = 0; i < size; ++i) {
    char c = static_cast<char>(random() & 0xFF);
    if (c == '[') c = '{';
    junk += c;
  }
  return junk;
}

// A literal with its zero bytes.
template <size_t N>
std::string Bytes(const char (&literal)[N]) {
  return std::string(literal, N - 1);
}

std::string Repeat(const std::string& piece, size_t count) {
  std::string text;
  text.reserve(piece.size() * count);
  for (size_t i = 0; i < count; ++i) text += piece;
  return text;
}

const std::string kAllKeys =
    "[Main]\nKeepTitle=300\nCheckTitle=50\nMemEconomy=0\nColor=255\n[Font]\nSize=12\nName=Arial\n";

std::vector<SettingsRow> Rows() {
  const std::string fiveMegabytes = Repeat("; a comment line that nobody reads\n", 5u << 20 >> 5);
  const std::string name300 = "N" + std::string(299, 'n');
  return {
      {"no file", std::nullopt, 3000, 500, true, kOrange, 20, "Tahoma", 50},
      {"an empty file", "", 3000, 500, true, kOrange, 20, "Tahoma", 50},
      {"only blank lines", "\n\r\n  \t\n\n", 3000, 500, true, kOrange, 20, "Tahoma", 50},
      {"binary junk", Junk(4096, 1), 3000, 500, true, kOrange, 20, "Tahoma", 50},
      {"binary junk with zero bytes", std::string(512, '\0') + Junk(512, 2), 3000, 500, true,
       kOrange, 20, "Tahoma", 50},
      {"junk before good sections", Junk(2048, 3) + "\n" + kAllKeys, 300, 50, false, 0xFF, 12,
       "Arial", 42},
      {"LF line ends", kAllKeys, 300, 50, false, 0xFF, 12, "Arial", 42},
      {"CRLF line ends",
       "[Main]\r\nKeepTitle=300\r\nCheckTitle=50\r\nMemEconomy=0\r\nColor=255\r\n[Font]\r\n"
       "Size=12\r\nName=Arial\r\n",
       300, 50, false, 0xFF, 12, "Arial", 42},
      {"CR line ends", "[Main]\rKeepTitle=300\rCheckTitle=50\r[Font]\rName=Arial\r", 300, 50, true,
       kOrange, 20, "Arial", 50},
      {"a UTF-8 byte-order mark", "\xEF\xBB\xBF" + kAllKeys, 300, 50, false, 0xFF, 12, "Arial", 42},
      {"a byte-order mark and CRLF", "\xEF\xBB\xBF[Main]\r\nKeepTitle=1234\r\n", 1234, 500, true,
       kOrange, 20, "Tahoma", 50},
      {"no line end after the last value", "[Main]\nKeepTitle=42", 42, 500, true, kOrange, 20,
       "Tahoma", 50},
      {"a 5 MB file with the keys at its end", "[Main]\n" + fiveMegabytes + "KeepTitle=800\n", 800,
       500, true, kOrange, 20, "Tahoma", 50},
      {"a 5 MB value", "[Main]\nColor=" + std::string(5u << 20, '7') + "\nKeepTitle=900\n", 900,
       500, true, 777777777, 20, "Tahoma", 50},
      // Integer keys are read as text of at most 29 characters, then wrap around in 32 bits.
      {"values of 1000 characters",
       "[Main]\nKeepTitle=" + std::string(1000, '7') + "\nCheckTitle=" + std::string(1000, '1') +
           "\nMemEconomy=" + std::string(1000, '1') + "\nColor=$" + std::string(999, 'F') +
           "\n[Font]\nSize=" + std::string(1000, '3') + "\nName=" + std::string(1000, 'n') + "\n",
       3519487089u, 1729917383u, false, 0xFFFFFFFF, 894784853, std::string(255, 'n'),
       static_cast<int32_t>(894784853u + 30u)},
      {"a font name of 300 characters", "[Font]\nName=" + name300 + "\n", 3000, 500, true, kOrange,
       20, name300.substr(0, 255), 50},
      {"a font name of 255 characters", "[Font]\nName=" + name300.substr(0, 255) + "\n", 3000, 500,
       true, kOrange, 20, name300.substr(0, 255), 50},
      {"an empty font name", "[Font]\nName=\n", 3000, 500, true, kOrange, 20, "", 50},
      {"a font name with bytes above 127", "[Font]\nName=\xD2\xE0\xF5\xEE\xEC\xE0\n", 3000, 500,
       true, kOrange, 20, "\xD2\xE0\xF5\xEE\xEC\xE0", 50},
      {"negative numbers", "[Main]\nKeepTitle=-1\nCheckTitle=-500\nMemEconomy=-1\nColor=-1\n",
       0xFFFFFFFF, 4294966796u, false, 0xFFFFFFFF, 20, "Tahoma", 50},
      {"huge numbers",
       "[Main]\nKeepTitle=99999999999\nCheckTitle=4294967296\nMemEconomy=4294967297\n"
       "Color=99999999999\n",
       1215752191u, 0, true, 999999999, 20, "Tahoma", 50},
      {"hexadecimal and signs in integer keys",
       "[Main]\nKeepTitle=0x10\nCheckTitle=+77\nMemEconomy=0b1\n", 16, 77, true, kOrange, 20,
       "Tahoma", 50},
      {"numbers with a tail", "[Main]\nKeepTitle=250ms\nCheckTitle= 60 \n", 250, 60, true, kOrange,
       20, "Tahoma", 50},
      {"words instead of numbers", "[Main]\nKeepTitle=long\nCheckTitle=often\nColor=blue\n", 0, 0,
       true, 0, 20, "Tahoma", 50},
      {"empty values", "[Main]\nKeepTitle=\nCheckTitle=\nMemEconomy=\nColor=\n[Font]\nSize=\n",
       3000, 500, true, 0, 20, "Tahoma", 50},
      {"keys without =", "[Main]\nKeepTitle\nCheckTitle\n[Font]\nName\n", 3000, 500, true, kOrange,
       20, "Tahoma", 50},
      {"Size -5", "[Font]\nSize=-5\n", 3000, 500, true, kOrange, -5, "Tahoma", 25},
      {"Size 0", "[Font]\nSize=0\n", 3000, 500, true, kOrange, 0, "Tahoma", 30},
      {"Size -30", "[Font]\nSize=-30\n", 3000, 500, true, kOrange, -30, "Tahoma", 0},
      {"the most negative Size", "[Font]\nSize=-2147483648\n", 3000, 500, true, kOrange, INT32_MIN,
       "Tahoma", INT32_MIN + 30},
      {"the largest Size", "[Font]\nSize=2147483647\n", 3000, 500, true, kOrange, INT32_MAX,
       "Tahoma", static_cast<int32_t>(2147483647u + 30u)},
      {"duplicated keys: the first counts",
       "[Main]\nKeepTitle=111\nKeepTitle=222\n[Font]\nName=First\nName=Second\n", 111, 500, true,
       kOrange, 20, "First", 50},
      {"a duplicated section: only the first is read",
       "[Main]\nKeepTitle=111\n[Font]\nSize=10\n[Main]\nKeepTitle=222\nCheckTitle=333\n", 111, 500,
       true, kOrange, 10, "Tahoma", 40},
      {"keys before any section", "KeepTitle=5\nName=Arial\n[Main]\nCheckTitle=6\n", 3000, 6, true,
       kOrange, 20, "Tahoma", 50},
      {"names in other letter cases", "[MAIN]\nkeeptitle=5\n[font]\nNAME=Verdana\n", 5, 500, true,
       kOrange, 20, "Verdana", 50},
      {"blanks around names and values", "  [ Main ]  \n\t KeepTitle \t=\t 5 \t\n", 5, 500, true,
       kOrange, 20, "Tahoma", 50},
      {"quoted values", "[Main]\nColor=\"$FF\"\n[Font]\nName='Courier New'\n", 3000, 500, true,
       0xFF, 20, "Courier New", 50},
      {"an unclosed section header", "[Main\nKeepTitle=5\n", 3000, 500, true, kOrange, 20, "Tahoma",
       50},
      {"a zero byte inside a value",
       Bytes("[Main]\nKeepTitle=12\0"
             "34\n"),
       12, 500, true, kOrange, 20, "Tahoma", 50},
  };
}

class BadSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetNowPlaying(); }
};

TEST_F(BadSettingsTest, EveryFileGivesUsableValues) {
  for (const SettingsRow& row : Rows()) {
    SCOPED_TRACE(row.what);
    ResetNowPlaying();
    FakeHost host;
    host.settingsFile = row.file;
    LoadSettings(host);
    const NowPlayingState& state = NowPlaying();
    EXPECT_EQ(state.settings.keepInterval, row.keep);
    EXPECT_EQ(state.settings.checkInterval, row.check);
    EXPECT_EQ(state.settings.memoryEconomy, row.economy);
    EXPECT_EQ(state.settings.color.value, row.color);
    EXPECT_EQ(host.fontPoints, row.fontSize);
    EXPECT_EQ(host.formHeight, row.height);

    // What the popup was handed, as the fake recorded it.
    const std::vector<std::string> log = host.Take();
    auto handed = [&log](const std::string& prefix) {
      std::vector<std::string> values;
      for (const std::string& entry : log) {
        if (entry.rfind(prefix, 0) == 0) values.push_back(entry.substr(prefix.size()));
      }
      return values;
    };
    EXPECT_EQ(handed("font.name "), std::vector<std::string>{row.fontName});
    EXPECT_EQ(handed("label.height "), std::vector<std::string>{std::to_string(row.height)});
    EXPECT_EQ(handed("form.color "), std::vector<std::string>{FakeHost::Hex(row.color)});
    EXPECT_EQ(handed("label.color "), std::vector<std::string>{FakeHost::Hex(row.color)});
    EXPECT_EQ(handed("minimise").size(), row.economy ? 1u : 0u);
    // Whatever the file, the popup still gets its three hot keys and starts hidden.
    EXPECT_EQ(handed("hotkey ").size(), 3u);
    EXPECT_EQ(handed("alpha "), std::vector<std::string>{"0"});
    EXPECT_TRUE(state.automatic);
    EXPECT_FALSE(state.shown || state.cancel || state.forced);
  }
}

}  // namespace
