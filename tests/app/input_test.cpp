// Steering from outside: clicks on the strip, the toggle and quit hot keys, and a strip that
// stays out for good.
#include <gtest/gtest.h>

#include "tests/app/harness.h"

namespace e2e {
namespace {

bool Between(int alpha) {
  return alpha > 0 && alpha < 200;
}

// Starts the program in `dir` with a player that plays `title` for ten minutes.
struct Running {
  WorkDir dir;
  Tunelamp app;
  Player player;
  HWND popup = nullptr;

  [[nodiscard]] bool Start(const char* settings, const char* title) {
    dir.Write("settings.ini", settings);
    if (!app.Start(dir)) return false;
    if (title && !player.Start({std::string("list 600 ") + title})) return false;
    popup = app.WaitPopup();
    return popup != nullptr;
  }
};

TEST(Click, RealClickOnTheStripDismissesItAtOnce) {
  Running run;
  ASSERT_TRUE(run.Start("[Main]\nKeepTitle=6000\n", "Golf - Click Me"));
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(run.popup) == 200; }, 15000));
  DWORD out = GetTickCount();

  ASSERT_TRUE(ClickAt(GetSystemMetrics(SM_CXSCREEN) / 2, 20));
  std::vector<Sample> samples = Record(
      run.popup, [](const Sample& s) { return s.alpha == 0; }, 10000);
  ASSERT_EQ(0, samples.back().alpha);
  EXPECT_LT(samples.back().tick - out, 5000u) << "gone before KeepTitle ran out";
  for (const Sample& s : samples) EXPECT_FALSE(Between(s.alpha)) << "no fade: " << s.alpha;

  // The next tick ends the display without an animation and without minimising; the title
  // has not changed, so the strip stays away.
  EXPECT_FALSE(WaitUntil([&] { return AlphaOf(run.popup) != 0; }, 4000));
  EXPECT_FALSE(IsIconic(run.popup));
  EXPECT_EQ(0, run.player.Caption().find("1. Golf - Click Me"));
}

// A click dismisses this display, not the next track: a track that begins a second after the
// click, before KeepTitle has run out, comes out, at once where the player announces it, else
// when KeepTitle is up.
TEST(Click, ATrackThatBeginsAfterAClickComesOut) {
  for (const bool announced : {true, false}) {
    SCOPED_TRACE(announced);
    Running run;
    ASSERT_TRUE(run.Start("[Main]\nKeepTitle=2500\n", "Golf - First|600 Hotel - Second"));
    ASSERT_TRUE(announced || run.player.Send("announce 0"));
    ASSERT_TRUE(WaitUntil([&] { return AlphaOf(run.popup) == 200; }, 15000));
    run.app.Click();
    ASSERT_TRUE(WaitUntil([&] { return AlphaOf(run.popup) == 0; }, 2000));
    PumpFor(1000);
    ASSERT_TRUE(run.player.Send("next"));
    EXPECT_TRUE(WaitUntil([&] { return AlphaOf(run.popup) == 200; }, 14000))
        << "the new title never came out";
    EXPECT_EQ(0u, LabelText(run.popup).find("Hotel - Second")) << LabelText(run.popup);
  }
}

TEST(Click, ClickWhileAppearingLeavesTheStripOut) {
  Running run;
  ASSERT_TRUE(run.Start("[Main]\nKeepTitle=800\n", "Hotel - Halfway"));
  ASSERT_TRUE(WaitUntil([&] { return Between(AlphaOf(run.popup)); }, 15000, 5));
  run.app.Click();
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(run.popup) == 200; }, 5000));
  // Without the click the strip would be gone within KeepTitle and two seconds of fading.
  std::vector<Sample> samples = Record(
      run.popup, [](const Sample& s) { return s.alpha != 200; }, 4500);
  EXPECT_EQ(200, samples.back().alpha) << "the cancelled appearance stays until moved";
}

TEST(HotKeys, QuitDuringAnimationEndsAtOnce) {
  Running run;
  ASSERT_TRUE(run.Start("[Main]\n", "India - Quit"));
  ASSERT_TRUE(WaitUntil([&] { return Between(AlphaOf(run.popup)); }, 15000, 5));
  run.app.HotKey(2);
  DWORD code = 99;
  ASSERT_TRUE(run.app.Proc().WaitExit(5000, &code));
  EXPECT_EQ(0u, code);
  EXPECT_FALSE(IsWindow(run.popup));
}

// A show-now in the fade-out brings the strip out again for the whole of KeepTitle: the display
// it interrupted ends where it was, and takes nothing away.
TEST(HotKeys, ShowNowInTheFadeOutStaysOutForKeepTitle) {
  Running run;
  ASSERT_TRUE(run.Start("[Main]\nKeepTitle=1000\n", "India - Again"));
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(run.popup) == 200; }, 15000));
  ASSERT_TRUE(WaitUntil([&] { return Between(AlphaOf(run.popup)); }, 5000, 5)) << "fading out";
  run.app.HotKey(0);
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(run.popup) == 200; }, 5000));
  EXPECT_EQ("", Holds(run.popup, 200, 800)) << "out for KeepTitle";
}

TEST(HotKeys, ToggleSuppressesAutomaticDisplayButNotShowNow) {
  Running run;
  ASSERT_TRUE(run.Start("[Main]\nKeepTitle=800\nCheckTitle=200\n", nullptr));
  run.app.HotKey(1);  // automatic display off, before any title comes
  ASSERT_TRUE(run.player.Start({"list 600 Juliet - Hidden Song|600 Kilo - Shown Song"}));
  EXPECT_FALSE(WaitUntil([&] { return AlphaOf(run.popup) != 0; }, 3000));
  EXPECT_EQ("", LabelText(run.popup));

  run.app.HotKey(0);
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(run.popup) == 200; }, 15000));
  EXPECT_EQ(0u, LabelText(run.popup).find("Juliet - Hidden Song [10:00] - 0:"));
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(run.popup) == 0; }, 15000));

  // Back on: the next title comes out by itself. The key is posted and the player's
  // announcement of the title sent, and sent messages are taken first: let the key go in first.
  run.app.HotKey(1);
  PumpFor(kSettleMs);
  ASSERT_TRUE(run.player.Send("next"));
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(run.popup) == 200; }, 15000));
  EXPECT_EQ(0u, LabelText(run.popup).find("Kilo - Shown Song [10:00] - 0:"));
}

TEST(Settings, KeepTitleZeroKeepsTheStripOut) {
  Running run;
  ASSERT_TRUE(run.Start("[Main]\nKeepTitle=0\nCheckTitle=300\n", "Lima - Forever"));
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(run.popup) == 200; }, 15000));
  EXPECT_EQ("", Holds(run.popup, 200, 4000)) << "stays out";

  // A click hides it at once, and nothing brings it back by itself.
  run.app.Click();
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(run.popup) == 0; }, 3000));
  EXPECT_EQ("", Holds(run.popup, 0, 2000));

  // Show-now first clears the waiting cancel; the strip then comes out and stays out again.
  run.app.HotKey(0);
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(run.popup) == 200; }, 15000));
  EXPECT_EQ("", Holds(run.popup, 200, 3000)) << "stays out";
  EXPECT_EQ(0u, LabelText(run.popup).find("Lima - Forever [10:00] - "));
}

// A player whose window stops answering keeps the program waiting only briefly: hot keys and
// clicks still work, and the player's next title comes out once it answers again.
TEST(HungPlayer, HotKeysAndClicksStillWorkAndNewsFollowsTheRecovery) {
  Running run;
  ASSERT_TRUE(
      run.Start("[Main]\nKeepTitle=1000\nCheckTitle=200\n", "Mike - Before|600 November - After"));
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(run.popup) == 200; }, 15000));
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(run.popup) == 0; }, 15000));

  // Long enough for the dismissed strip's next tick to pass while the player still hangs: a
  // new title that a tick finds while the strip is out is only shown after the next change.
  ASSERT_TRUE(run.player.Send("hang 12000"));
  PumpFor(600);  // the checks meet the hung player
  run.app.HotKey(0);
  EXPECT_TRUE(WaitUntil([&] { return AlphaOf(run.popup) > 0; }, 2000)) << "show-now in 2 s";
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(run.popup) == 200; }, 5000));
  EXPECT_EQ(0u, LabelText(run.popup).find("Mike - Before [0:00] - 0:00")) << "no answers";
  PumpFor(kSettleMs);
  run.app.Click();
  EXPECT_TRUE(WaitUntil([&] { return AlphaOf(run.popup) == 0; }, 1000)) << "a click dismisses it";

  ASSERT_TRUE(run.player.Send("next"));  // taken once the player answers again
  EXPECT_TRUE(WaitUntil(
      [&] {
        return AlphaOf(run.popup) == 200 &&
               LabelText(run.popup).find("November - After [10:00] - 0:0") == 0;
      },
      15000))
      << LabelText(run.popup);

  // Hung for good, then killed: the program carries on, and says there is no player.
  ASSERT_TRUE(run.player.Send("hang forever"));
  PumpFor(600);
  run.player.Proc().Kill();
  run.app.HotKey(0);
  EXPECT_TRUE(WaitUntil(
      [&] { return AlphaOf(run.popup) == 200 && LabelTextWide(run.popup) == kNotRunning; }, 15000));

  // The quit hot key ends the program in 2 s, also while a player hangs.
  Player stuck;
  ASSERT_TRUE(stuck.Start({"list 600 Oscar - Stuck"}));
  ASSERT_TRUE(stuck.Send("hang forever"));
  PumpFor(600);
  run.app.HotKey(2);
  DWORD code = 99;
  EXPECT_TRUE(run.app.Proc().WaitExit(2000, &code));
  EXPECT_EQ(0u, code);
}

}  // namespace
}  // namespace e2e
