#include "display/settings.h"
#include "display/events.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "display/settings_text.h"
#include "display/settings_writer.h"
#include "display/state.h"
#include "tests/display/fake_host.h"

namespace {

using Log = std::vector<std::string>;

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetNowPlaying();
    // Values LoadSettings must overwrite.
    NowPlayingState& state = NowPlaying();
    state.shown = state.cancel = state.forced = true;
    state.automatic = false;
    state.settings.memoryEconomy = false;
    state.settings.keepInterval = state.settings.checkInterval = 1;
    state.settings.color.value = 1;
  }

  FakeHost host;
};

TEST_F(SettingsTest, WithoutASettingsFileEveryDefaultHolds) {
  LoadSettings(host);
  EXPECT_EQ(host.Take(), (Log{
                             "layered 1",
                             "alpha 0",
                             "topmost",
                             "read settings",
                             "font.size 20",
                             "font.name Tahoma",
                             "form.height 50",
                             "label.height 50",
                             "region 1280 50 50",
                             "form.color 0x00E69500",
                             "label.color 0x00E69500",
                             "label.text 0x00000000",
                             "hotkey 0 0x00004006 0x00000058",
                             "hotkey 1 0x00004006 0x00000043",
                             "hotkey 2 0x00004006 0x00000056",
                             "minimise",
                         }));
  const NowPlayingState& state = NowPlaying();
  EXPECT_EQ(state.settings.keepInterval, 3000u);
  EXPECT_EQ(state.settings.checkInterval, 500u);
  EXPECT_TRUE(state.settings.memoryEconomy);
  EXPECT_EQ(state.settings.color.value, 0x00E69500u);
  EXPECT_EQ(state.region, 0x5001u);
  EXPECT_FALSE(state.shown);
  EXPECT_FALSE(state.cancel);
  EXPECT_FALSE(state.forced);
  EXPECT_TRUE(state.automatic);
}

// The file is read once, and every value taken from that one copy.
TEST_F(SettingsTest, ReadsEveryKeyOfTheFile) {
  host.settingsFile =
      "[Main]\r\n"
      "KeepTitle=1500\r\n"
      "CheckTitle=250\r\n"
      "MemEconomy=0\r\n"
      "Color=$FF0000\r\n"
      "LivePosition=2\r\n"
      "Progress=1\r\n"
      "[Font]\r\n"
      "Size=40\r\n"
      "Name=Courier New\r\n";
  host.formWidth = 1024;
  LoadSettings(host);
  EXPECT_EQ(host.Take(), (Log{
                             "layered 1",
                             "alpha 0",
                             "topmost",
                             "read settings",
                             "font.size 40",
                             "font.name Courier New",
                             "form.height 70",
                             "label.height 70",
                             "region 1024 70 50",
                             "form.color 0x00FF0000",
                             "label.color 0x00FF0000",
                             "label.text 0x00000000",
                             "hotkey 0 0x00004006 0x00000058",
                             "hotkey 1 0x00004006 0x00000043",
                             "hotkey 2 0x00004006 0x00000056",
                         }));
  EXPECT_EQ(NowPlaying().settings.keepInterval, 1500u);
  EXPECT_EQ(NowPlaying().settings.checkInterval, 250u);
  EXPECT_FALSE(NowPlaying().settings.memoryEconomy);
  // Only 1 switches either on.
  EXPECT_FALSE(NowPlaying().settings.livePosition);
  EXPECT_TRUE(NowPlaying().settings.progress);
}

// GetPrivateProfileIntA answers 0 for a value that is not a number: the default of Monitor and
// Position, but "FullScreen=abc" must not switch the quiet rule on.
TEST_F(SettingsTest, PlacementValuesFromTheFile) {
  struct Case {
    const char* lines;
    int32_t monitor;
    bool bottom;
    bool overFullScreen;
  };
  for (const Case& c : {Case{"Monitor=-1\nPosition=1\nFullScreen=0", -1, true, false},
                        Case{"Monitor=abc\nPosition=2\nFullScreen=abc", 0, false, true},
                        Case{"Monitor=3 ; right\nFullScreen=", 3, false, true},
                        Case{"FullScreen=\" -0\"", 0, false, false},
                        Case{"Monitor=1x\nPosition=1st\nFullScreen=0, quiet", 1, true, false}}) {
    SCOPED_TRACE(c.lines);
    host.settingsFile = std::string("[Main]\n") + c.lines + "\n";
    LoadSettings(host);
    EXPECT_EQ(NowPlaying().settings.monitor, c.monitor);
    EXPECT_EQ(NowPlaying().settings.bottom, c.bottom);
    EXPECT_EQ(NowPlaying().settings.overFullScreen, c.overFullScreen);
  }
}

TEST_F(SettingsTest, MemoryEconomyIsOnOnlyForExactlyOne) {
  struct Case {
    const char* value;
    bool on;
  };
  for (const Case& c :
       {Case{"0", false}, Case{"1", true}, Case{"2", false}, Case{"-1", false}, Case{" 01 ", true},
        Case{"1abc", true}, Case{"", true}, Case{"yes", false}}) {
    SCOPED_TRACE(c.value);
    host.settingsFile = std::string("[Main]\nMemEconomy=") + c.value + "\n";
    NowPlaying().settings.memoryEconomy = !c.on;
    LoadSettings(host);
    EXPECT_EQ(NowPlaying().settings.memoryEconomy, c.on);
    EXPECT_EQ(host.Take().back() == "minimise", c.on);
  }
}

// Only 1 puts the icon in the notification area; a load without it takes the icon away again.
TEST_F(SettingsTest, TheTrayIconIsOnOnlyForOne) {
  const std::pair<const char*, bool> cases[] = {{"1", true},    {" 1x", true}, {"0", false},
                                                {"yes", false}, {"2", false},  {"", false}};
  for (const auto& [value, on] : cases) {
    SCOPED_TRACE(value);
    host.settingsFile = std::string("[Main]\nMemEconomy=0\nTrayIcon=") + value + "\n";
    LoadSettings(host);
    EXPECT_EQ(NowPlaying().settings.trayIcon, on);
    EXPECT_EQ(host.trayIcon, on);
    host.settingsFile = "[Main]\nMemEconomy=0\n";
    host.Take();
    LoadSettings(host);
    EXPECT_EQ(host.Take().back() == "tray 0", on);
  }
}

// The file that "Edit settings" writes holds every key at its default (TrayIcon aside): loading
// it does what loading no file does, and puts the icon up.
TEST_F(SettingsTest, TheWrittenFileHoldsTheDefaults) {
  LoadSettings(host);
  Log expected = host.Take();
  FakeHost written;
  written.settingsFile = std::string(DefaultSettingsText().View());
  LoadSettings(written);
  expected.insert(expected.end() - 1, "tray 1");
  EXPECT_EQ(written.Take(), expected);
  EXPECT_EQ(NowPlaying().keyNotice, "") << "no key of it is refused";
  // Read back, every value: also those the start does nothing with until a display.
  const Settings read = ReadSettings(IniFile(DefaultSettingsText().View()));
  Settings defaults = DefaultSettings();
  defaults.trayIcon = true;
  defaults.keysTold = true;
  EXPECT_EQ(read, defaults);
  EXPECT_TRUE(read.overFullScreen) << "titles over full-screen programs";
  EXPECT_EQ(read.opacity, 0) << "no opacity: the strip rests at 200";
  // Every setting has its line, also one whose missing line would read the same.
  const std::string text(DefaultSettingsText().View());
#define EXPECT_LINE(when, type, name, kind, section, key, fallback, comment) \
  EXPECT_NE(text.find(std::string("\n") + key + "="), std::string::npos) << key;
  TUNELAMP_SETTINGS(EXPECT_LINE)
#undef EXPECT_LINE
}

TEST_F(SettingsTest, ThePopupTakesItsHeightFromTheFontAndTheWindow) {
  // The label takes the height the window really has, and so does the region.
  host.settingsFile = "[Font]\nSize=12\n";
  host.formHeightReadback = 44;
  LoadSettings(host);
  const Log log = host.Take();
  EXPECT_NE(std::find(log.begin(), log.end(), "form.height 42"), log.end());
  EXPECT_NE(std::find(log.begin(), log.end(), "label.height 44"), log.end());
  EXPECT_NE(std::find(log.begin(), log.end(), "region 1280 44 50"), log.end());
}

TEST_F(SettingsTest, TheLabelTakesTheColourTheFormHolds) {
  host.settingsFile = "[Main]\nColor=255\n";
  LoadSettings(host);
  const Log log = host.Take();
  EXPECT_NE(std::find(log.begin(), log.end(), "form.color 0x000000FF"), log.end());
  EXPECT_NE(std::find(log.begin(), log.end(), "label.color 0x000000FF"), log.end());
  EXPECT_EQ(NowPlaying().settings.color.value, 0xFFu);
}

// An empty value is an empty text, not a missing key: it parses to 0, black.
TEST_F(SettingsTest, ColorValuesFromTheFile) {
  struct Case {
    const char* line;
    uint32_t color;
  };
  for (const Case& c :
       {Case{"Color=255", 0x000000FF}, Case{"Color=$FF0000", 0x00FF0000},
        Case{"Color=0x00FF00", 0x0000FF00}, Case{"Color=12abc", 12}, Case{"Color = \"$10\" ", 0x10},
        Case{"Color=", 0}, Case{"color=-12", 0xFFFFFFF4}, Case{"Colour=1", 0x00E69500}}) {
    SCOPED_TRACE(c.line);
    host.settingsFile = std::string("[main]\n") + c.line + "\n";
    LoadSettings(host);
    EXPECT_EQ(NowPlaying().settings.color.value, c.color);
  }
}

// "accent" and "auto" in any letter case (auto for TextColor only); Opacity into 10 to 100.
TEST_F(SettingsTest, ColourWordsTextColourAndOpacityFromTheFile) {
  using S = ColorSource;
  struct Case {
    const char* lines;
    ColorSetting color, text;
    int32_t opacity;
  };
  for (const Case& c : {
           Case{"Color=accent", {0, S::kAccent}, {0, S::kValue}, 0},
           Case{"Color=ACCENT\nTextColor=Auto\nOpacity=50", {0, S::kAccent}, {0, S::kAuto}, 50},
           Case{"Color=auto\nTextColor=$ffffff\nOpacity=5",
                {0, S::kValue},
                {0xFFFFFF, S::kValue},
                10},
           Case{"TextColor=accent\nOpacity=150", {0xE69500, S::kValue}, {0, S::kAccent}, 100},
           Case{"Opacity=", {0xE69500, S::kValue}, {0, S::kValue}, 0},
           Case{"Opacity=abc", {0xE69500, S::kValue}, {0, S::kValue}, 10},
       }) {
    SCOPED_TRACE(c.lines);
    host.settingsFile = std::string("[Main]\n") + c.lines + "\n";
    LoadSettings(host);
    EXPECT_EQ(NowPlaying().settings.color, c.color);
    EXPECT_EQ(NowPlaying().settings.textColor, c.text);
    EXPECT_EQ(NowPlaying().settings.opacity, c.opacity);
  }
}

// Only the values that changed change: in place, in a new line after the last of its section
// that is no comment, after a key without "=", or in a new section at the end; every other
// byte (the mark, comments, spacing, case, line ends, other sections) stays.
TEST(SettingsWriter, OnlyTheChangedValuesChangeAndEveryOtherByteStays) {
  struct Row {
    std::string file;
    void (*change)(Settings&);
    std::string written;
  };
  const Row rows[] = {
      {"\xEF\xBB\xBF; mine\n[main]\n  keeptitle =  4000   \n; below\nColor=$FF\n\n; next\n"
       "[Other]\nx=1\n[Font]\nName\n",
       [](Settings& s) {
         s.keepInterval = 2500;
         s.textColor = {0, ColorSource::kAuto};
         std::snprintf(s.fontName.bytes, sizeof s.fontName.bytes, "Verdana");
         std::snprintf(s.quitKey.written.bytes, sizeof s.quitKey.written.bytes, "None");
       },
       "\xEF\xBB\xBF; mine\n[main]\n  keeptitle =  2500   \n; below\nColor=$FF\nTextColor=auto\n\n"
       "; next\n[Other]\nx=1\n[Font]\nName=Verdana\n[Keys]\nQuit=None\n"},
      {"[Main]\r\nKeepTitle=1",
       [](Settings& s) {
         s.color = {0x123456, ColorSource::kValue};
       },
       "[Main]\r\nKeepTitle=1\r\nColor=$123456"},
      {"", [](Settings& s) { s.opacity = 50; }, "[Main]\r\nOpacity=50\r\n"},
      {"; x", [](Settings& s) { s.bottom = true; }, "; x\r\n[Main]\r\nPosition=1\r\n"},
      // A template that the profile functions would read otherwise is quoted.
      {"[Main]\nText=%title%\n", [](Settings& s) { s.titleFormat.Set("'['%title%']'"); },
       "[Main]\nText=\"'['%title%']'\"\n"},
      {"", [](Settings& s) { s.titleFormat.Set("%title% "); }, "[Main]\r\nText=\"%title% \"\r\n"},
      {"[Main]\nText=%title%\n", [](Settings& s) { s.titleFormat.Set("\"%title%\""); },
       "[Main]\nText=\"\"%title%\"\"\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.file);
    const Settings was = ReadSettings(IniFile(row.file));
    Settings now = was;
    row.change(now);
    const Text written = WriteChangedSettings(row.file, was, now);
    EXPECT_EQ(std::string(written.View()), row.written);
    EXPECT_EQ(WriteChangedSettings(row.file, was, was), std::string_view(row.file));
    EXPECT_EQ(ReadSettings(IniFile(written.View())).titleFormat.View(), now.titleFormat.View());
  }
}

TEST(SettingsWriter, SecondsAsAUserWritesThem) {
  for (const auto& [ms, text] : std::vector<std::pair<uint32_t, const char*>>{
           {3000, "3"}, {500, "0.5"}, {250, "0.25"}, {1234, "1.234"}, {5, "0.005"}, {0, "0"}}) {
    EXPECT_EQ(SecondsText(ms), text);
    uint32_t read = 1;
    EXPECT_TRUE(ReadSeconds(text, read) && read == ms) << text;
  }
  for (const auto& [text, ms] : std::vector<std::pair<const char*, uint32_t>>{{"0,5", 500},
                                                                              {".5", 500},
                                                                              {"2.", 2000},
                                                                              {"999999", 999999000},
                                                                              {"", 1},
                                                                              {"1.2345", 1},
                                                                              {"1..2", 1},
                                                                              {"3 s", 1},
                                                                              {"1000000", 1},
                                                                              {".", 1}}) {
    uint32_t read = 1;
    EXPECT_EQ(ReadSeconds(text, read), ms != 1) << text;
    EXPECT_EQ(read, ms) << text;
  }
}

TEST(ParseInteger, ReadsTheColourSyntax) {
  struct Case {
    const char* text;
    uint32_t value;
  };
  const std::vector<Case> cases = {
      {"255", 0x000000FF},
      {"$FF0000", 0x00FF0000},
      {"$e69500", 0x00E69500},
      {"0x00FF00", 0x0000FF00},
      {"0X00ff00", 0x0000FF00},
      {"x1F", 0x1F},
      {"X1f", 0x1F},
      {"12abc", 12},
      {"-12", 0xFFFFFFF4},
      {"-12abc", 12},
      {"+12", 12},
      {"-$10", 0},
      {"+0x10", 0},
      {"-0", 0},
      {"-", 0},
      {"+", 0},
      {"", 0},
      {"abc", 0},
      {"$", 0},
      {"0x", 0},
      {"0", 0},
      {"00012", 12},
      {"   42", 42},
      {"\t42", 0},
      {"42 ", 42},
      {"4 2", 4},
      {"$ 1", 0},
      // Hexadecimal: at most 8 significant digits, leading zeros do not count.
      {"$FFFFFFFF", 0xFFFFFFFF},
      {"$123456789", 0x12345678},
      {"$1234567890ABC", 0x12345678},
      {"$00000000012345678", 0x12345678},
      {"0x1FFFFFFFF", 0x1FFFFFFF},
      {"$FFFFFFFFF", 0xFFFFFFFF},
      {"$80000000", 0x80000000},
      // Decimal: no digit after a value above 214748364.
      {"2147483647", 2147483647},
      {"2147483648", 2147483648u},
      {"2147483649", 2147483649u},
      {"2147483650", 214748365},
      {"99999999999", 999999999},
      {"4294967295", 429496729},
      {"-2147483648", 0x80000000},
      {"-2147483650", 214748365},
      {"00000000000000000000255", 255},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseInteger(c.text), c.value) << '"' << c.text << '"';
  }
}

TEST(ParseInteger, StopsAtAZeroByteOnlyWhenTheCallerCutsThere) {
  // The settings loader cuts the buffer at its first zero byte; the parser itself reads
  // the bytes it is given.
  EXPECT_EQ(ParseInteger(std::string_view("12\0"
                                          "3",
                                          4)),
            12u);
  EXPECT_EQ(ParseInteger(std::string_view("-12\0", 4)), 12u);
}

}  // namespace
