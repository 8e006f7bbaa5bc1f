#include "display/hot_keys.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/display_cycle.h"
#include "display/state.h"
#include "tests/display/fake_host.h"

namespace {

using Log = std::vector<std::string>;

class HotKeysTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetNowPlaying();
    NowPlaying().keepInterval = 3000;
    NowPlaying().checkInterval = 500;
  }

  FakeHost host;
};

TEST_F(HotKeysTest, ShowNowWithoutAPlayerBringsOutTheNotRunningText) {
  OnHotKey(host, 0);
  const Log log = host.Take();
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log[1], std::string("caption@1251 ") + kPlayerNotRunning);
  EXPECT_EQ(log[2], "top 8");
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

}  // namespace
