#include "display/settings_watch.h"
#include "display/events.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "display/display_cycle.h"
#include "display/hot_keys.h"
#include "display/language.h"
#include "display/settings.h"
#include "display/state.h"
#include "tests/display/fake_host.h"

namespace {

using Log = std::vector<std::string>;

// What the log holds of the keys, the strip's colour, height and line, the window and the timer.
Log Changes(const Log& log) {
  Log changes;
  for (const std::string& entry : log) {
    for (const char* kind : {"hotkey ", "unhotkey ", "form.color ", "form.height ", "hide",
                             "restore", "show", "minimise", "timer", "tray ", "progress "})
      if (entry.rfind(kind, 0) == 0) changes.push_back(entry);
  }
  return changes;
}

// One tick of the watch timer, half a second after the last.
Log Look(FakeHost& host) {
  host.now += kSettingsLookMs;
  (void)OnSettingsLook(host);
  return Changes(host.Take());
}

Log operator+(Log a, const Log& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const Log kGivenBack = {"unhotkey 0", "unhotkey 1", "unhotkey 2"};
const Log kDefaultKeys = {"hotkey 0 0x00004006 0x00000058", "hotkey 1 0x00004006 0x00000043",
                          "hotkey 2 0x00004006 0x00000056"};
const Log kF7Keys = {"hotkey 0 0x00004003 0x00000076", "hotkey 1 0x00004006 0x00000043",
                     "hotkey 2 0x00004006 0x00000056"};
const Log kOrange = {"form.color 0x00E69500"};

// Away, a change is read at the first look that finds both files as the one before did, from
// one read of the file; the keys are given back and taken anew when they changed. A file that
// cannot be read then keeps the settings in force until it can. Nothing else is read or done at
// rest.
TEST(SettingsWatch, FileEventsAndWhatTheyChange) {
  const std::string keys = "[Keys]\nShowNow=Ctrl+Alt+F7\n";
  struct Row {
    const char* what;
    std::optional<std::string> atStart;
    std::function<void(FakeHost&)> event;
    Log read;
    bool heldShut = false;      // another program holds the file shut when it is to be read
    bool progress = false;      // the progress line afterwards
    const char* quit = "Quit";  // the icon's menu's Quit afterwards, in the language spoken
  };
  const Row rows[] = {
      {"no file, then one", std::nullopt,
       [](FakeHost& h) { h.Save("[Main]\nColor=$FF\n[Font]\nSize=30\n"); },
       Log{"form.color 0x000000FF"}},
      {"a file, then none: the defaults, keys included", "[Main]\nMemEconomy=0\n" + keys,
       [](FakeHost& h) { h.Save(std::nullopt); },
       kGivenBack + kDefaultKeys + kOrange + Log{"hide", "minimise"}},
      {"keys changed, only beside the program, held shut at first", std::nullopt,
       [&](FakeHost& h) { h.Save("[Main]\nMemEconomy=0\n" + keys, true); },
       kGivenBack + kF7Keys + kOrange + Log{"restore"}, true},
      {"the icon switched on", std::nullopt, [](FakeHost& h) { h.Save("[Main]\nTrayIcon=1\n"); },
       Log{"tray 1"} + kOrange},
      {"the icon stays while the file is held shut", "[Main]\nTrayIcon=1\n",
       [](FakeHost& h) { h.Save("[Main]\nTrayIcon=1\nColor=$FF\n"); }, Log{"form.color 0x000000FF"},
       true},
      {"half written when first seen", std::nullopt,
       [&](FakeHost& h) {
         h.Save("[Main]\nColor=$0");
         (void)Look(h);
         h.Save("[Main]\nColor=$FF00\n");
       },
       Log{"form.color 0x0000FF00"}},
      {"only beside the program, replaced as it is read: kept until the new one is read",
       std::nullopt,
       [](FakeHost& h) {
         h.Save("[Main]\nColor=$FF\n", true);
         (void)Look(h);
         (void)Look(h);
         h.Save("[Main]\nColor=$FF\n", true);
         (void)Look(h);
         h.savedDuringRead = "[Main]\nColor=$FF00\n";
       },
       Log{"form.color 0x0000FF00"}, true},
      {"the progress line switched off, and its line with it", "[Main]\nProgress=1\n",
       [](FakeHost& h) { h.Save("[Main]\nProgress=0\n"); }, kOrange + Log{"progress 0 0 0 0"}},
      {"a language chosen, spoken at once", std::nullopt,
       [](FakeHost& h) {
         h.languageFiles["ru"] = "MenuQuit = Выход\n";
         h.Save("[Main]\nLanguage=ru\n");
       },
       kOrange, false, false, "Выход"},
      {"English chosen again", "[Main]\nLanguage=ru\n",
       [](FakeHost& h) { h.Save("[Main]\nLanguage=English\n"); }, kOrange},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    ResetNowPlaying();
    FakeHost host;
    host.languageFiles["ru"] = "MenuQuit = Выход\n";
    host.Save(row.atStart);
    LoadSettings(host);
    const bool icon = host.trayIcon;
    host.Take();
    row.event(host);
    EXPECT_EQ(Look(host), Log{}) << "perhaps still being written";
    host.settingsLocked = row.heldShut;
    EXPECT_EQ(row.heldShut ? Look(host) : Log{}, Log{}) << "tried again at the next look";
    EXPECT_EQ(host.trayIcon, icon);
    host.settingsLocked = false;
    EXPECT_EQ(Look(host), row.read);
    EXPECT_EQ(NowPlaying().settings.progress, row.progress);
    EXPECT_STREQ(Say(TextId::kMenuQuit), row.quit);
    EXPECT_EQ(host.heldKeys.size(), 3u) << "the keys given up are free";
    const int queries = host.stampQueries;
    for (int look = 0; look < 120; ++look) ASSERT_EQ(Look(host), Log{}) << "a minute at rest";
    EXPECT_EQ(host.stampQueries - queries, 120) << "one query of the stamps a look";
  }
}

// A FAT volume keeps 2-second file times: a save of the same size within them leaves the stamps
// as they were. It is read all the same, once that time has passed.
TEST(SettingsWatch, ASaveThatRepeatsTheStampsIsReadToo) {
  ResetNowPlaying();
  FakeHost host;
  host.fatTimes = true;
  host.Save("[Main]\nColor=$00FF\n");
  LoadSettings(host);
  host.Take();
  host.Save("[Main]\nColor=$FF00\n");
  Log seen;
  for (int look = 0; look < 6; ++look) seen = seen + Look(host);
  EXPECT_EQ(seen, Log{"form.color 0x0000FF00"});
}

// A display under way ends as it began: the keys and the interval change at once, the colour once
// the strip has gone away, and the new keys' notice waits for the next display.
TEST(SettingsWatch, ASaveDuringADisplayTakesEffectAtItsEnd) {
  ResetNowPlaying();
  FakeHost host;
  LoadSettings(host);
  host.Save("[Main]\nColor=$FF\nKeepTitle=1000\n[Font]\nSize=30\n[Keys]\nQuit=Ctrl+Shift+X\n");
  (void)Look(host);
  host.onPump[50] = [&] {
    host.now += kSettingsLookMs;
    (void)OnSettingsLook(host);
  };
  host.player.Play("1. Song - Winamp");
  OnTimerTick(host);
  EXPECT_EQ(Changes(host.Take()),
            (Log{"timer.enabled 0", "hide", "restore", "show"} + kGivenBack +
             Log{kDefaultKeys[0], kDefaultKeys[1], "timer.interval 1000", "timer.enabled 1"}));
  EXPECT_EQ(NowPlaying().keyNotice, "");
  OnTimerTick(host);
  EXPECT_EQ(Changes(host.Take()), (Log{"timer.enabled 0", "hide", "minimise", "timer.interval 500",
                                       "timer.enabled 1", "form.color 0x000000FF"}));
  // The new size once the strip is restored for its next display.
  OnHotKey(host, kHotKeyShowNow);
  EXPECT_EQ(Changes(host.Take()),
            (Log{"timer.enabled 0", "hide", "restore", "show", "form.height 60",
                 "timer.interval 1000", "timer.enabled 1"}));
  EXPECT_EQ(NowPlaying().keyNotice, "Tunelamp keys not set: Ctrl+Shift+X already set for ShowNow");
}

// Saved back to the default place, the strip leaves the bottom edge at its next display.
TEST(SettingsWatch, ThePlaceSavedBackToTheTopMovesTheStripThere) {
  ResetNowPlaying();
  FakeHost host;
  host.Save("[Main]\nPosition=1\nMemEconomy=0\n");
  LoadSettings(host);
  OnHotKey(host, kHotKeyShowNow);
  OnTimerTick(host);
  host.Save("[Main]\nMemEconomy=0\n");
  (void)Look(host);
  (void)Look(host);
  OnHotKey(host, kHotKeyShowNow);
  const Log log = host.Take();
  EXPECT_EQ(std::count(log.begin(), log.end(), "form.bounds 0 0 1280 50"), 1);
}

}  // namespace
