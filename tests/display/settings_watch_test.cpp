#include "display/settings_watch.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "display/display_cycle.h"
#include "display/settings.h"
#include "display/state.h"
#include "tests/display/fake_host.h"

namespace {

using Log = std::vector<std::string>;

// What the program did, without what it read.
Log Actions(const Log& log) {
  Log actions;
  for (const std::string& entry : log) {
    if (entry.rfind("read ", 0) != 0 && entry.rfind("section? ", 0) != 0) actions.push_back(entry);
  }
  return actions;
}

Log Values(const Log& log, const std::string& prefix) {
  Log values;
  for (const std::string& entry : log) {
    if (entry.rfind(prefix + " ", 0) == 0) values.push_back(entry.substr(prefix.size() + 1));
  }
  return values;
}

void Start(FakeHost& host, std::optional<std::string> file) {
  ResetNowPlaying();
  host.Save(std::move(file));
  LoadSettings(host);
  host.Take();
}

// One tick of the watch timer, half a second after the last.
Log Look(FakeHost& host) {
  host.now += kSettingsLookMs;
  WatchSettings(host);
  return Actions(host.Take());
}

const Log kKeysGivenBack = {"unhotkey 0", "unhotkey 1", "unhotkey 2"};
const Log kDefaultKeys = {"hotkey 0 0x00004006 0x00000058", "hotkey 1 0x00004006 0x00000043",
                          "hotkey 2 0x00004006 0x00000056"};

Log operator+(Log a, const Log& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Away, a change is read at the first look that finds the files as the one before: the keys at
// once, then the look of the strip; what is asked for again is exactly the start's.
TEST(SettingsWatch, FileEventsAndWhatTheyChange) {
  struct Row {
    const char* what;
    std::optional<std::string> atStart;
    std::function<void(FakeHost&)> event;
    Log read;  // at the second look
    std::string notice;
  };
  const std::string keys = "[Keys]\nShowNow=Ctrl+Alt+F7\n";
  const Log orange = {"font.size 20",          "font.name Tahoma",  "form.height 50",
                      "label.height 50",       "region 1280 50 50", "form.color 0x00E69500",
                      "label.color 0x00E69500"};
  const Row rows[] = {
      {"no file, then one", std::nullopt,
       [](FakeHost& h) { h.Save("[Main]\nColor=$0000FF\n[Font]\nSize=30\nName=Courier\n"); },
       kKeysGivenBack + kDefaultKeys +
           Log{"font.size 30", "font.name Courier", "form.height 60", "label.height 60",
               "region 1280 60 50", "form.color 0x000000FF", "label.color 0x000000FF"},
       ""},
      {"a file, then none: the defaults, keys included",
       "[Main]\nColor=$0000FF\nMemEconomy=0\n" + keys, [](FakeHost& h) { h.Save(std::nullopt); },
       kKeysGivenBack + kDefaultKeys + orange + Log{"show 0", "show 6"}, ""},
      {"keys changed, and one of them held by another program", std::nullopt,
       [&](FakeHost& h) {
         h.hotKeyAnswers[{0x4006, 0x43}] = HotKeyAnswer::kHeldElsewhere;
         h.Save(keys);
       },
       kKeysGivenBack +
           Log{"hotkey 0 0x00004003 0x00000076", "hotkey 1 0x00004006 0x00000043",
               "hotkey 2 0x00004006 0x00000056"} +
           orange,
       "Tunelamp keys not set: Ctrl+Shift+C in use by another program"},
      {"only beside the program", std::nullopt,
       [&](FakeHost& h) { h.Save("[Main]\nMemEconomy=0\n" + keys, true); },
       kKeysGivenBack +
           Log{"hotkey 0 0x00004003 0x00000076", "hotkey 1 0x00004006 0x00000043",
               "hotkey 2 0x00004006 0x00000056"} +
           orange + Log{"show 4"},
       ""},
      {"the same bytes saved again", keys, [&](FakeHost& h) { h.Save(keys); },
       kKeysGivenBack +
           Log{"hotkey 0 0x00004003 0x00000076", "hotkey 1 0x00004006 0x00000043",
               "hotkey 2 0x00004006 0x00000056"} +
           orange,
       ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    FakeHost host;
    Start(host, row.atStart);
    row.event(host);
    EXPECT_EQ(Look(host), Log{}) << "still being written, maybe";
    EXPECT_EQ(Look(host), row.read);
    EXPECT_EQ(NowPlaying().keyNotice, row.notice);
    EXPECT_EQ(Look(host), Log{}) << "read once";
    // The keys given up are free again: only the ones now set are held.
    EXPECT_EQ(host.heldKeys.size(), row.notice.empty() ? 3u : 2u);
  }
}

TEST(SettingsWatch, AHalfWrittenFileIsReadOnlyOnceTheEditorHasFinished) {
  FakeHost host;
  Start(host, std::nullopt);
  host.Save("[Main]\nColor=$00");
  EXPECT_EQ(Look(host), Log{});
  host.now += 200;
  host.Save("[Main]\nColor=$00FF00\n");  // the rest, before the next look
  EXPECT_EQ(Look(host), Log{});
  const Log read = Look(host);
  EXPECT_EQ(std::count(read.begin(), read.end(), "form.color 0x0000FF00"), 1) << read.size();
  EXPECT_EQ(NowPlaying().color, 0x0000FF00u);
}

TEST(SettingsWatch, AFileHeldShutIsTriedAgainAtTheNextLook) {
  FakeHost host;
  Start(host, std::nullopt);
  host.Save("[Main]\nCheckTitle=0\n");
  host.settingsLocked = true;
  EXPECT_EQ(Look(host), Log{});
  EXPECT_EQ(Look(host), Log{});
  EXPECT_EQ(Look(host), Log{});
  host.settingsLocked = false;
  // Away, the display timer is armed with the new interval at once.
  const Log read = Look(host);
  ASSERT_GE(read.size(), 2u);
  EXPECT_EQ(Log(read.end() - 2, read.end()), (Log{"timer.interval 0", "timer.enabled 1"}));
  EXPECT_FALSE(NowPlaying().ticking);
}

// A display under way finishes exactly as it began: the keys change at once, the look once the
// strip has gone away, and the new keys' notice comes at the next display.
TEST(SettingsWatch, ASaveDuringADisplayWaitsForItsEnd) {
  FakeHost host;
  Start(host, std::nullopt);
  host.player.Play("1. Song - Winamp");
  host.Save("[Main]\nColor=$0000FF\nKeepTitle=1000\n[Keys]\nQuit=Ctrl+Shift+X\n");
  EXPECT_EQ(Look(host), Log{});
  // The second look comes while the strip fades in.
  host.onPump[50] = [&] {
    host.now += kSettingsLookMs;
    WatchSettings(host);
  };
  DisplayCycle(host);
  Log appear = host.Take();
  EXPECT_EQ(Values(appear, "form.color"), Log{});
  EXPECT_EQ(Values(appear, "unhotkey"), (Log{"0", "1", "2"}));
  EXPECT_EQ(appear.back(), "timer.enabled 1");
  EXPECT_EQ(appear[appear.size() - 2], "timer.interval 1000") << "the next arming";
  EXPECT_EQ(NowPlaying().keyNotice, "");

  DisplayCycle(host);  // away again
  Log away = host.Take();
  const auto faded = std::find(away.begin(), away.end(), "alpha 0");
  ASSERT_NE(faded, away.end());
  EXPECT_EQ(Values(Log(away.begin(), faded), "form.color"), Log{});
  EXPECT_EQ(Values(Log(faded, away.end()), "form.color"), Log{"0x000000FF"});
  EXPECT_EQ(NowPlaying().keyNotice, "Tunelamp keys not set: Ctrl+Shift+X already set for ShowNow");
}

// At rest the watch asks for the two files' stamps once a look and does nothing else.
TEST(SettingsWatch, AtRestALookCostsOneQueryOfTheStamps) {
  FakeHost host;
  Start(host, "[Main]\nKeepTitle=1000\n");
  const uint32_t minute = host.now + 60000;
  int looks = 0;
  while (host.now < minute) {
    EXPECT_EQ(Look(host), Log{});
    ++looks;
  }
  EXPECT_EQ(looks, 120);
  EXPECT_EQ(host.stampQueries, 121) << "one at the start, one a look";
  EXPECT_EQ(host.openTries, 0);
}

}  // namespace
