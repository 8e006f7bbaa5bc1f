#include "display/tray.h"
#include "display/events.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "display/hot_keys.h"
#include "display/state.h"
#include "tests/display/fake_host.h"

namespace {

using Log = std::vector<std::string>;

// Two hosts in the same state: one gets the menu's command, the other the hot key.
struct Steered {
  FakeHost host;
  NowPlayingState state;
};

Steered Steer(std::optional<TrayCommand> command, std::optional<uint32_t> key, bool automatic,
              bool trayIcon) {
  ResetNowPlaying();
  NowPlaying().settings.memoryEconomy = false;
  Steered run;
  run.host.player.Play("3. Band - Song - Winamp", 200, 61000);
  NowPlaying().settings.keepInterval = 3000;
  NowPlaying().settings.checkInterval = 500;
  NowPlaying().automatic = automatic;
  NowPlaying().settings.trayIcon = NowPlaying().iconAdded = run.host.trayIcon = trayIcon;
  if (command) OnTrayCommand(run.host, *command);
  if (key) OnHotKey(run.host, *key);
  run.state = NowPlaying();
  return run;
}

TEST(TrayMenu, EachCommandActsAsItsHotKey) {
  struct Row {
    const char* what;
    TrayCommand command;
    std::optional<uint32_t> key;  // the hot key that does the same, if any
    bool automatic;
    bool trayIcon;
    Log log;  // when there is no key to compare with, or to pin the order down
  };
  const Row rows[] = {
      {"show now, also with automatic display off", TrayCommand::kShowNow, 0u, false, true, {}},
      {"automatic display off", TrayCommand::kAutomatic, 1u, true, true, {}},
      {"automatic display on", TrayCommand::kAutomatic, 1u, false, true, {}},
      {"quit: the icon goes first", TrayCommand::kQuit, 2u, true, true, {"tray 0", "exit 0"}},
      {"quit without an icon", TrayCommand::kQuit, 2u, true, false, {"exit 0"}},
      {"edit settings", TrayCommand::kEditSettings, std::nullopt, true, true, {"edit settings"}},
      {"the menu closed unchosen", TrayCommand::kNone, std::nullopt, true, true, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Steered menu = Steer(row.command, std::nullopt, row.automatic, row.trayIcon);
    const Steered key = Steer(std::nullopt, row.key, row.automatic, row.trayIcon);
    const Log log = menu.host.Take();
    if (row.key) {
      EXPECT_EQ(log, key.host.log);
      EXPECT_EQ(menu.host.playerLog, key.host.playerLog);
    }
    if (!row.log.empty() || !row.key) {
      EXPECT_EQ(log, row.log);
    }
    EXPECT_EQ(menu.state.automatic, key.state.automatic);
    EXPECT_EQ(menu.state.forced, key.state.forced);
    EXPECT_EQ(menu.state.shown, key.state.shown);
    EXPECT_EQ(menu.host.exited, key.host.exited);
    EXPECT_EQ(menu.host.afterExit, Log{});
  }
  // The rows compare like with like: show now did show.
  EXPECT_TRUE(Steer(TrayCommand::kShowNow, std::nullopt, false, true).state.shown);
}

TEST(TrayTooltip, TheTitleIsCutAtAWholeCharacterToFit) {
  const std::u16string surrogatePair = u"\U0001F3B5";  // a note, outside the BMP
  struct Row {
    const char* what;
    std::u16string title;
    std::u16string tip;
  };
  const std::u16string head = u"Tunelamp\n";
  const size_t room = 127 - head.size();
  const std::u16string full(room, u'a');
  const Row rows[] = {
      {"no title yet", u"", u"Tunelamp"},
      {"a short title", u"Band - Song", head + u"Band - Song"},
      {"exactly at the edge", full, head + full},
      {"one past the edge", full + u"b", head + full},
      {"a pair that would be split", full.substr(1) + surrogatePair, head + full.substr(1)},
      {"a pair that just fits", full.substr(2) + surrogatePair + u"x",
       head + full.substr(2) + surrogatePair},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    char16_t tip[kTooltipSize];
    std::fill(std::begin(tip), std::end(tip), u'#');
    const uint32_t length =
        ComposeTooltip(row.title.data(), static_cast<uint32_t>(row.title.size()), tip);
    EXPECT_EQ(std::u16string(tip, length), row.tip);
    EXPECT_EQ(tip[length], u'\0');
    EXPECT_LE(length, 127u);
  }
}

// The program started with its icon, and memory economy off.
void StartWithIcon(FakeHost& host) {
  ResetNowPlaying();
  host.Save("[Main]\nMemEconomy=0\nTrayIcon=1\n");
  LoadSettings(host);
}

// "TaskbarCreated" comes when Explorer starts afresh (the icon is gone), and also when the display
// scale changes or a remote session connects (the icon is still there, and adding it fails). Either
// way the icon is there afterwards, its tooltip follows the title, and it goes with TrayIcon=0 or
// Quit.
TEST(TrayIcon, AfterTaskbarCreatedTheIconIsThereAndGoesWhenItShould) {
  struct Row {
    const char* what;
    bool iconLost;  // Explorer restarted
    std::function<void(FakeHost&)> end;
    Log log;
  };
  const Row rows[] = {
      {"a new scale, then TrayIcon=0 saved",
       false,
       [](FakeHost& h) {
         h.Save("[Main]\nMemEconomy=0\n");
         for (int look = 0; look < 2; ++look) (void)OnSettingsLook(h);
       },
       {"tray 0"}},
      {"a new scale, then Quit", false, [](FakeHost& h) { OnHotKey(h, 2); }, {"tray 0", "exit 0"}},
      {"Explorer restarted, then Quit",
       true,
       [](FakeHost& h) { OnHotKey(h, 2); },
       {"tray 1", "tray 0", "exit 0"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    FakeHost host;
    StartWithIcon(host);
    ASSERT_TRUE(host.trayIcon);
    if (row.iconLost) host.trayIcon = false;
    host.Take();
    OnTaskbarCreated(host);
    EXPECT_TRUE(host.trayIcon);
    host.player.Play("4. Band - New - Winamp");
    OnTimerTick(host);
    EXPECT_EQ(host.tip, "Band - New") << "the tooltip follows the title";
    row.end(host);
    Log icon;
    for (const std::string& entry : host.Take()) {
      if (entry.rfind("tray ", 0) == 0 || entry.rfind("exit", 0) == 0) icon.push_back(entry);
    }
    EXPECT_EQ(icon, row.log);
    EXPECT_FALSE(host.trayIcon) << "no dead icon";
  }
}

// The icon's menu runs a modal loop that dispatches timers and owns the mouse and the keys: no
// animation may run inside it (its frames would take the menu's input), and the menu must not run
// inside an animation's frame (the strip would freeze half-faded). A title that comes while the
// menu is open comes out once it closes; a menu asked for in an animation opens once the strip
// is at rest.
TEST(TrayMenu, TheMenuAndTheAnimationsKeepOutOfEachOther) {
  struct Row {
    const char* what;
    std::function<void(FakeHost&, Log&)> act;  // may note a step of its own in the log
    TrayCommand command;
    Log order;  // how "menu", its closing, the new caption and the end of the animation follow
  };
  // The log so far, and then `step`.
  const auto note = [](FakeHost& h, Log& log, const std::string& step) {
    const Log taken = h.Take();
    log.insert(log.end(), taken.begin(), taken.end());
    log.push_back(step);
  };
  const auto newTitle = [](FakeHost& h) {
    h.player.Play("2. Band - Next - Winamp");
    OnTimerTick(h);
  };
  const Row rows[] = {
      {"a tick with a new title while the menu is open",
       [&](FakeHost& h, Log&) {
         h.duringMenu = [&h, newTitle] { newTitle(h); };
         OnTrayMenu(h);
       },
       TrayCommand::kNone,
       {"menu automatic", "menu closed", "caption Band - Next [0:00] - 0:00", "alpha 200"}},
      {"an announcement while the menu is open, then Quit",
       [&](FakeHost& h, Log&) {
         h.duringMenu = [&h] {
           h.player.Play("2. Band - Next - Winamp");
           OnSongChange(h);
         };
         OnTrayMenu(h);
       },
       TrayCommand::kQuit,
       {"menu automatic", "menu closed", "exit 0"}},
      {"a right click while the strip comes out",
       [&](FakeHost& h, Log&) {
         h.onPump[h.pumps + 40] = [&h] { OnTrayMenu(h); };
         newTitle(h);
       },
       TrayCommand::kNone,
       {"caption Band - Next [0:00] - 0:00", "alpha 200", "menu automatic", "menu closed"}},
      {"a new title while a picker is open comes out when it closes",
       [&](FakeHost& h, Log& log) {
         OnModalLoop(h, true);
         newTitle(h);
         note(h, log, "picker closed");
         OnModalLoop(h, false);
       },
       TrayCommand::kNone,
       {"picker closed", "caption Band - Next [0:00] - 0:00", "alpha 200"}},
      {"the menu over an open picker leaves the held display to the picker's close",
       [&](FakeHost& h, Log& log) {
         OnModalLoop(h, true);
         newTitle(h);
         OnTrayMenu(h);
         note(h, log, "picker closed");
         OnModalLoop(h, false);
       },
       TrayCommand::kNone,
       {"menu automatic", "menu closed", "picker closed", "caption Band - Next [0:00] - 0:00",
        "alpha 200"}},
      {"a picker asked for while the strip comes out opens once it is out",
       [&](FakeHost& h, Log& log) {
         h.onPump[h.pumps + 40] = [&h, &log, note] {
           if (!ModalLoopMayOpen()) note(h, log, "picker waits");
         };
         newTitle(h);
         if (ModalLoopMayOpen()) note(h, log, "picker");
       },
       TrayCommand::kNone,
       {"caption Band - Next [0:00] - 0:00", "picker waits", "alpha 200", "picker"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    FakeHost host;
    StartWithIcon(host);
    host.player.Play("1. Band - First - Winamp");
    OnTimerTick(host);  // out
    OnTimerTick(host);  // and away again
    host.Take();
    host.menuCommand = row.command;
    Log log;
    row.act(host, log);
    const Log rest = host.Take();
    log.insert(log.end(), rest.begin(), rest.end());
    Log order;
    bool frames = false;
    int waitingFrames = -1;  // the frames since a picker was asked for inside the animation
    for (const std::string& entry : log) {
      if (entry.rfind("menu", 0) == 0 || entry.rfind("caption", 0) == 0 || entry == "alpha 200" ||
          entry.rfind("exit", 0) == 0 || entry.rfind("picker", 0) == 0) {
        order.push_back(entry);
      }
      if (entry == "menu automatic") frames = true;
      if (entry == "menu closed") frames = false;
      EXPECT_FALSE(frames && entry == "pump") << "a frame inside the menu's loop";
      if (entry == "picker waits") waitingFrames = 0;
      if (waitingFrames >= 0 && entry == "pump") ++waitingFrames;
      if (entry == "alpha 200") {
        EXPECT_LE(waitingFrames, 1) << "the animation hurries";
      }
    }
    EXPECT_EQ(order, row.order);
  }
}

}  // namespace
