#include "display/tray.h"
#include "display/events.h"

#include <gtest/gtest.h>

#include <algorithm>
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

}  // namespace
