#include "display/song_change.h"
#include "display/events.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "display/display_cycle.h"
#include "display/hot_keys.h"
#include "display/settings.h"
#include "display/state.h"
#include "tests/display/fake_host.h"

namespace {

using Log = std::vector<std::string>;

// Also lets a test act while the probe waits for the player's caption, as a broadcast
// delivered to a thread that waits in SendMessageTimeoutA is.
class AnnouncingHost : public FakeHost {
 public:
  std::function<void()> whileReadingCaption;

  PlayerAnswer PlayerGetCaption(uint32_t window, char* buffer, uint32_t size) override {
    if (whileReadingCaption) std::exchange(whileReadingCaption, nullptr)();
    return FakeHost::PlayerGetCaption(window, buffer, size);
  }
};

class SongChangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetNowPlaying();
    NowPlaying().settings.memoryEconomy = false;
    host.settingsFile = "[Main]\nMemEconomy=0\n";
    LoadSettings(host);
    host.Take();
  }

  // The log of a run that shows `caption` from an idle strip, from a state saved before it.
  Log TickLog(const std::string& caption) {
    const NowPlayingState before = NowPlaying();
    AnnouncingHost tick;
    tick.now = host.now;
    tick.player = host.player;
    tick.player.Play(caption);
    DisplayCycle(tick);
    NowPlaying() = before;
    return tick.Take();
  }

  AnnouncingHost host;
};

TEST_F(SongChangeTest, RunsTheCycleOnlyOverAnIdleStripWhileTheTimerPolls) {
  struct Case {
    const char* name;
    std::function<void(AnnouncingHost&)> before;
    bool runs;
  };
  const auto display = [](AnnouncingHost& h) {
    h.player.Play("1. First - Winamp");
    DisplayCycle(h);
  };
  const Case cases[] = {
      {"at start, polling every 100 ms", [](AnnouncingHost&) {}, true},
      {"away after a display",
       [&](AnnouncingHost& h) {
         display(h);
         DisplayCycle(h);
       },
       true},
      // The probe runs; the timer keeps its interval and phase.
      {"away, nothing new",
       [&](AnnouncingHost& h) {
         h.player.Play("2. Second - Winamp");
         DisplayCycle(h);
         DisplayCycle(h);
       },
       true},
      {"before the settings are loaded",
       [](AnnouncingHost&) { NowPlaying().settingsLoaded = false; }, false},
      {"strip out", display, false},
      // Its display is over: the new title comes out at once.
      {"strip out, clicked away",
       [&](AnnouncingHost& h) {
         display(h);
         OnPopupMouseUp(h);
       },
       true},
      {"away, polling ended (CheckTitle=0)",
       [&](AnnouncingHost& h) {
         NowPlaying().settings.checkInterval = 0;
         display(h);
         DisplayCycle(h);
       },
       false},
      {"the process is ending", [](AnnouncingHost&) { NowPlaying().exiting = true; }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    c.before(host);
    host.now += 1000;
    host.Take();
    host.playerLog.clear();
    const Log tick = c.runs ? TickLog("2. Second - Winamp") : Log{};
    host.player.Play("2. Second - Winamp");
    OnSongChange(host);
    EXPECT_EQ(host.Take(), tick) << "as the timer's tick would";
    EXPECT_EQ(host.playerLog.empty(), !c.runs);
  }
}

TEST_F(SongChangeTest, NeverRunsInsideARunOfTheCycle) {
  // In a frame of the appearing animation.
  host.player.Play("1. First - Winamp");
  host.onPump[20] = [this] {
    host.player.Play("2. Second - Winamp");
    host.playerLog.clear();
    OnSongChange(host);
  };
  DisplayCycle(host);
  EXPECT_EQ(host.playerLog, Log{});

  // While the probe waits for the player's caption, the strip away.
  DisplayCycle(host);
  host.player.Play("3. Third - Winamp");
  host.whileReadingCaption = [this] { OnSongChange(host); };
  host.playerLog.clear();
  DisplayCycle(host);
  EXPECT_EQ(std::count(host.playerLog.begin(), host.playerLog.end(), "find"), 1);
  EXPECT_TRUE(NowPlaying().shown) << "the run itself showed the new title";
}

TEST_F(SongChangeTest, AtMostOneRunIn100Ms) {
  struct Case {
    uint32_t first;               // tick count of the first announcement, which runs
    std::vector<uint32_t> later;  // ms after it
    std::vector<bool> runs;
  };
  const Case cases[] = {
      {100000, {99, 100, 150, 199, 200}, {false, true, false, false, true}},
      // Dropped announcements do not count: 120 ms after the last run it runs again.
      {100000, {60, 120}, {false, true}},
      // Across the tick count's wrap-around.
      {0xFFFFFFC0u, {50, 100}, {false, true}},
      // The first announcement of all runs, also less than 100 ms after the system started.
      {50, {49, 100}, {false, true}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.later.size());
    SetUp();
    host.playerLog.clear();
    host.now = c.first;
    OnSongChange(host);
    ASSERT_EQ(host.playerLog, Log{"find"});
    for (size_t k = 0; k < c.later.size(); ++k) {
      SCOPED_TRACE(c.later[k]);
      host.playerLog.clear();
      host.now = c.first + c.later[k];
      OnSongChange(host);
      EXPECT_EQ(!host.playerLog.empty(), c.runs[k]);
    }
  }
}

}  // namespace
