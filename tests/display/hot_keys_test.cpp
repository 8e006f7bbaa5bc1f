#include "display/hot_keys.h"
#include "display/events.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "display/display_cycle.h"
#include "display/language.h"
#include "display/state.h"
#include "tests/display/fake_host.h"

namespace {

using Log = std::vector<std::string>;

class HotKeysTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetNowPlaying();
    NowPlaying().settings.memoryEconomy = false;
    NowPlaying().settings.keepInterval = 3000;
    NowPlaying().settings.checkInterval = 500;
  }

  FakeHost host;
};

TEST_F(HotKeysTest, ShowNowWithoutAPlayerBringsOutTheNotRunningText) {
  OnHotKey(host, 0);
  const Log log = host.Take();
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log[1], std::string("caption@1251 ") + kPlayerNotRunning);
  EXPECT_EQ(log[2], "top 8");
  EXPECT_EQ(log[3], "announce") << "told to screen readers before the first frame";
  EXPECT_EQ(log[log.size() - 2], "timer.interval 3000");
  EXPECT_TRUE(NowPlaying().shown);
  EXPECT_TRUE(NowPlaying().forced);
}

TEST_F(HotKeysTest, ShowNowTwiceWhileTheStripIsOutReplaysTheAppearance) {
  host.player.Play("1. Song - Winamp");
  DisplayCycle(host);
  ASSERT_TRUE(NowPlaying().shown);
  const Log first = host.Take();
  OnHotKey(host, 0);
  EXPECT_EQ(host.Take(), first);
  OnHotKey(host, 0);
  EXPECT_EQ(host.Take(), first);
  EXPECT_TRUE(NowPlaying().shown);
}

TEST_F(HotKeysTest, TheSecondKeySwitchesAutomaticDisplayAndNothingElse) {
  host.player.Play("1. Song - Winamp");
  OnHotKey(host, 1);
  EXPECT_FALSE(NowPlaying().automatic);
  EXPECT_EQ(host.Take(), Log{});
  EXPECT_EQ(host.playerLog, Log{});

  // New titles are not shown now; show-now still works.
  DisplayCycle(host);
  EXPECT_EQ(host.Take(), Log{});
  host.player.caption = "2. Other - Winamp";
  OnHotKey(host, 0);
  EXPECT_TRUE(NowPlaying().shown);
  host.Take();

  OnHotKey(host, 1);
  EXPECT_TRUE(NowPlaying().automatic);
  EXPECT_EQ(host.Take(), Log{});
}

TEST_F(HotKeysTest, TheThirdKeyEndsTheProcessAtOnce) {
  OnHotKey(host, 2);
  EXPECT_EQ(host.Take(), Log{"exit 0"});
  EXPECT_TRUE(host.exited);
  EXPECT_EQ(host.afterExit, Log{});
}

TEST_F(HotKeysTest, OtherIdsAreIgnored) {
  host.player.Play("1. Song - Winamp");
  for (const uint32_t id : {3u, 4u, 0x58u, 0xBFFFu, 0xFFFFFFFFu}) {
    OnHotKey(host, id);
  }
  EXPECT_EQ(host.Take(), Log{});
  EXPECT_EQ(host.playerLog, Log{});
  EXPECT_FALSE(NowPlaying().forced);
  EXPECT_TRUE(NowPlaying().automatic);
}

TEST_F(HotKeysTest, AClickHidesTheStripAtOnceAndAsksForACancel) {
  OnPopupMouseUp(host);
  EXPECT_EQ(host.Take(), Log{"alpha 0"});
  EXPECT_TRUE(NowPlaying().cancel);
  EXPECT_FALSE(NowPlaying().shown);
  EXPECT_EQ(host.playerLog, Log{});
}

// The keys of the fake's settings.ini taken, as the start takes them.
void TakeKeys(FakeHost& host) {
  const Settings settings =
      ReadSettings(host.settingsFile ? IniFile(*host.settingsFile) : IniFile());
  TakeLanguage(host, settings.language.View());
  NowPlaying().keyNotice = RegisterHotKeys(host, settings);
}

// Only the caption lines of a log.
Log Captions(const Log& log) {
  Log captions;
  for (const std::string& entry : log) {
    if (entry.rfind("caption", 0) == 0) captions.push_back(entry);
  }
  return captions;
}

struct KeysRow {
  const char* what;
  std::optional<std::string> file;
  std::map<std::pair<uint32_t, uint32_t>, HotKeyAnswer> answers;
  bool refuseNoRepeat;
  Log calls;  // the hot-key requests, in order
  std::string notice;
  std::map<std::string, std::string> languages = {};  // lang\<code>.txt
};

constexpr HotKeyAnswer kHeld = HotKeyAnswer::kHeldElsewhere;
constexpr HotKeyAnswer kRefused = HotKeyAnswer::kRefused;
const Log kDefaultCalls = {"hotkey 0 0x00004006 0x00000058", "hotkey 1 0x00004006 0x00000043",
                           "hotkey 2 0x00004006 0x00000056"};

TEST_F(HotKeysTest, KeysFromTheFileTheirRequestsAndTheNotice) {
  const KeysRow rows[] = {
      {"no file: the defaults, failures silent",
       std::nullopt,
       {{{0x4006, 0x58}, kHeld}, {{0x4006, 0x43}, kRefused}, {{6, 0x43}, kRefused}},
       false,
       {"hotkey 0 0x00004006 0x00000058", "hotkey 1 0x00004006 0x00000043",
        "hotkey 1 0x00000006 0x00000043", "hotkey 2 0x00004006 0x00000056"},
       ""},
      {"no MOD_NOREPEAT before Windows 7: each key asked again without it",
       "[Keys]\n",
       {},
       true,
       {"hotkey 0 0x00004006 0x00000058", "hotkey 0 0x00000006 0x00000058",
        "hotkey 1 0x00004006 0x00000043", "hotkey 1 0x00000006 0x00000043",
        "hotkey 2 0x00004006 0x00000056", "hotkey 2 0x00000006 0x00000056"},
       ""},
      {"an empty [Keys] section: the defaults, and a failure is told",
       "[Main]\nKeepTitle=1\n[keys]\n",
       {{{0x4006, 0x56}, kHeld}},
       false,
       kDefaultCalls,
       "Tunelamp keys not set: Ctrl+Shift+V in use by another program"},
      {"keys of the user's, one missing, one None",
       "[Keys]\nShowNow = ctrl + alt + f7\nAutomatic=None\n",
       {},
       false,
       {"hotkey 0 0x00004003 0x00000076", "hotkey 2 0x00004006 0x00000056"},
       ""},
      {"an empty value is no key", "[Keys]\nShowNow=\nAutomatic=\nQuit=\n", {}, false, {}, ""},
      {"not a key, refused both ways, held elsewhere",
       "[Keys]\nShowNow=Ctrl+Shit+X\nAutomatic=Ctrl+Alt+Pause\nQuit=Shift+F13\n",
       {{{0x4003, 0x13}, kRefused}, {{3, 0x13}, kRefused}, {{0x4004, 0x7C}, kHeld}},
       true,
       {"hotkey 1 0x00004003 0x00000013", "hotkey 1 0x00000003 0x00000013",
        "hotkey 2 0x00004004 0x0000007C"},
       "Tunelamp keys not set: ShowNow=Ctrl+Shit+X not a key; Ctrl+Alt+Pause refused by the "
       "system; Shift+F13 in use by another program"},
      {"one key for two actions",
       "[Keys]\nShowNow=Alt+F7\nAutomatic=NumPad5\nQuit=alt + F7\n",
       {},
       false,
       {"hotkey 0 0x00004001 0x00000076"},
       "Tunelamp keys not set: NumPad5 needs Ctrl, Alt or Win; Alt+F7 already set for ShowNow"},
      {"in the language chosen, UTF-8; a text of it that drops the action's name in English",
       "[Main]\nLanguage=ru\n[Keys]\nShowNow=Alt+F7\nAutomatic=NumPad5\nQuit=alt + F7\n",
       {},
       false,
       {"hotkey 0 0x00004001 0x00000076"},
       "Клавиши не назначены: NumPad5 нужны Ctrl, Alt или Win; Alt+F7 already set for ShowNow",
       {{"ru",
         "KeysNotSet = Клавиши не назначены: %s\nKeyTakesTheKeyboard = нужны Ctrl, Alt или "
         "Win\nKeySetBefore = уже назначена\n"}}},
      {"Shift alone is no modifier; Win is; F13 to F24 and the media keys stand alone",
       "[Keys]\nShowNow=Shift+F5\nAutomatic=Win+X\nQuit=MediaPlayPause\n",
       {},
       false,
       {"hotkey 1 0x00004008 0x00000058", "hotkey 2 0x00004000 0x000000B3"},
       "Tunelamp keys not set: Shift+F5 needs Ctrl, Alt or Win"},
      {"one key with other modifiers is another key",
       "[Keys]\nShowNow=Alt+F7\nAutomatic=Ctrl+F7\n",
       {},
       false,
       {"hotkey 0 0x00004001 0x00000076", "hotkey 1 0x00004002 0x00000076",
        "hotkey 2 0x00004006 0x00000056"},
       ""},
      {"a long value in other letters",
       "[Keys]\nQuit=\xC4" + std::string(45, 'q') + "\n",
       {},
       false,
       {"hotkey 0 0x00004006 0x00000058", "hotkey 1 0x00004006 0x00000043"},
       "Tunelamp keys not set: Quit=?" + std::string(39, 'q') + "... not a key"},
  };
  for (const KeysRow& row : rows) {
    SCOPED_TRACE(row.what);
    ResetNowPlaying();
    NowPlaying().settings.memoryEconomy = false;
    FakeHost fake;
    fake.settingsFile = row.file;
    fake.hotKeyAnswers = row.answers;
    fake.refuseNoRepeat = row.refuseNoRepeat;
    fake.languageFiles = row.languages;
    TakeKeys(fake);
    Log calls;
    for (const std::string& entry : fake.Take()) {
      if (entry.rfind("hotkey ", 0) == 0) calls.push_back(entry);
    }
    EXPECT_EQ(calls, row.calls);
    EXPECT_EQ(NowPlaying().keyNotice, row.notice);
  }
}

TEST_F(HotKeysTest, TheNoticeTakesTheTitlesPlaceForTheFirstDisplayOnly) {
  host.settingsFile = "[Keys]\nQuit=Ctrl+Q+W\n";
  TakeKeys(host);
  const std::string notice = "caption Tunelamp keys not set: Quit=Ctrl+Q+W not a key";
  host.player.Play("1. Song - Winamp");
  DisplayCycle(host);  // appears
  DisplayCycle(host);  // goes away
  EXPECT_EQ(Captions(host.Take()), (Log{notice, notice}));

  host.player.caption = "2. Next - Winamp";
  DisplayCycle(host);
  EXPECT_EQ(Captions(host.Take()), Log{"caption Next [0:00] - 0:00"});
}

TEST_F(HotKeysTest, AClickOnTheNoticeEndsItsDisplay) {
  host.settingsFile = "[Keys]\nQuit=Ctrl+Q+W\n";
  TakeKeys(host);
  // Clicked while away, the strip was not read: the notice waits for the next display.
  OnPopupMouseUp(host);
  OnHotKey(host, 0);
  OnHotKey(host, 0);
  const Log captions = Captions(host.Take());
  ASSERT_EQ(captions.size(), 2u);
  EXPECT_EQ(captions[1], "caption Tunelamp keys not set: Quit=Ctrl+Q+W not a key");

  OnPopupMouseUp(host);
  OnHotKey(host, 0);
  EXPECT_EQ(Captions(host.Take()), Log{std::string("caption@1251 ") + kPlayerNotRunning});
}

}  // namespace
