#include "display/display_cycle.h"
#include "display/events.h"

#include "display/colors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "display/hot_keys.h"
#include "display/placement.h"
#include "display/scale.h"
#include "display/settings.h"
#include "display/state.h"
#include "tests/display/fake_host.h"

namespace {

using Log = std::vector<std::string>;

constexpr uint32_t kPopupStyle = 0x80000000;   // WS_POPUP
constexpr uint32_t kFramedStyle = 0x00CF0000;  // WS_OVERLAPPEDWINDOW
constexpr uint32_t kMaximised = 0x01000000;    // WS_MAXIMIZE
constexpr uint32_t kThinBorder = 0x00800000;   // WS_BORDER

Log operator+(Log a, const Log& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Frames `from` to `to` - 1 of an undisturbed appearing animation over a label `width`
// pixels wide: the alpha rises by one every 10 ms (toward `rest` over the same 200 steps) while
// the label slides in from the right.
Log AppearingFrames(int32_t width, int from = 0, int to = 200, int rest = 200) {
  Log frames;
  for (int step = from; step < to; ++step) {
    frames.push_back("alpha " + std::to_string(step * rest / 200));
    frames.push_back("left " + std::to_string(width + 20 - width * step / 200));
    frames.push_back("pump");
    frames.push_back("sleep 10");
  }
  return frames;
}

// The same for the disappearing animation: the label slides down out of the strip.
Log DisappearingFrames(int32_t height, int from = 0, int to = 200, int rest = 200) {
  Log frames;
  for (int step = from; step < to; ++step) {
    const int level = 200 - step;
    frames.push_back("alpha " + std::to_string(level * rest / 200));
    frames.push_back("top " + std::to_string(height + 8 - height * level / 200));
    frames.push_back("pump");
    frames.push_back("sleep 10");
  }
  return frames;
}

Log Values(const Log& log, const std::string& prefix) {
  Log values;
  for (const std::string& entry : log) {
    if (entry.rfind(prefix + " ", 0) == 0) values.push_back(entry.substr(prefix.size() + 1));
  }
  return values;
}

class DisplayCycleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetNowPlaying();
    NowPlaying().settings.memoryEconomy = false;
    NowPlaying().settings.keepInterval = 3000;
    NowPlaying().settings.checkInterval = 500;
    host.labelWidth = 999;
    host.labelHeight = 37;
  }

  // Brings the strip out with a new title, then forgets what that logged.
  void BringOut(const std::string& caption = "1. Artist - Song - Winamp") {
    host.player.Play(caption, 245, 83000);
    DisplayCycle(host);
    ASSERT_TRUE(NowPlaying().shown);
    host.Take();
    host.playerLog.clear();
  }

  // A display of a new title and its going away: what it logged up to its first frame.
  Log display(const std::string& caption) {
    host.player.Play(caption);
    DisplayCycle(host);
    Log log = host.Take();
    DisplayCycle(host);
    host.Take();
    log.erase(std::find(log.begin(), log.end(), "alpha 0"), log.end());
    return log;
  }

  static constexpr const char* kCaption = "caption Some Artist - Some Song [4:05] - 1:23";
  const Log appearing =
      Log{"top 8", "announce"} + AppearingFrames(999) + Log{"alpha 200", "left 20"};
  const Log disappearing = Log{"left 20"} + DisappearingFrames(37) + Log{"alpha 0"};

  FakeHost host;
};

TEST_F(DisplayCycleTest, ANewTitleBringsTheStripOutAndKeepsItThere) {
  host.player.Play("7. Some Artist - Some Song - Winamp [Extra]", 245, 83000);
  DisplayCycle(host);
  EXPECT_EQ(host.Take(), (Log{"timer.enabled 0", kCaption} + appearing +
                          Log{"timer.interval 3000", "timer.enabled 1"}));
  EXPECT_EQ(host.playerLog,
            (Log{"find", "query 0 104", "gettext 1024", "query 1 105", "query 0 105"}));
  EXPECT_TRUE(NowPlaying().shown);
  EXPECT_EQ(host.now, 100000u + 2000u);
}

TEST_F(DisplayCycleTest, TheNextTickTakesTheStripAwayWithAFreshCaption) {
  BringOut("7. Some Artist - Some Song - Winamp");
  host.player.positionMs = 85000;
  NowPlaying().forced = true;  // the end of a disappearing animation clears it
  DisplayCycle(host);
  EXPECT_EQ(host.Take(), (Log{"timer.enabled 0", "caption Some Artist - Some Song [4:05] - 1:25"} +
                          disappearing + Log{"timer.interval 500", "timer.enabled 1"}));
  EXPECT_FALSE(NowPlaying().shown);
  EXPECT_FALSE(NowPlaying().forced);

  // Away and nothing new: the timer keeps running as it is.
  DisplayCycle(host);
  EXPECT_EQ(host.Take(), Log{});
}

TEST_F(DisplayCycleTest, TheLabelSlidesInFromBeyondTheRightEdge) {
  host.player.Play("1. Song - Winamp");
  DisplayCycle(host);
  const Log lefts = Values(host.Take(), "left");
  ASSERT_EQ(lefts.size(), 201u);  // 200 frames and the resting place
  // (999 + 20) - 999 * step / 200, truncated.
  EXPECT_EQ(lefts[0], "1019");
  EXPECT_EQ(lefts[1], "1015");
  EXPECT_EQ(lefts[100], "520");
  EXPECT_EQ(lefts[199], "25");
  EXPECT_EQ(lefts[200], "20");
}

TEST_F(DisplayCycleTest, TheLabelSlidesDownOutOfTheStrip) {
  BringOut();
  DisplayCycle(host);
  const Log log = host.Take();
  const Log tops = Values(log, "top");
  ASSERT_EQ(tops.size(), 200u);
  // (37 + 8) - 37 * level / 200, truncated, with the level falling from 200.
  EXPECT_EQ(tops[0], "8");
  EXPECT_EQ(tops[1], "9");
  EXPECT_EQ(tops[100], "27");
  EXPECT_EQ(tops[199], "45");
  const Log alphas = Values(log, "alpha");
  ASSERT_EQ(alphas.size(), 201u);
  EXPECT_EQ(alphas[0], "200");
  EXPECT_EQ(alphas[199], "1");
  EXPECT_EQ(alphas[200], "0");
}

TEST_F(DisplayCycleTest, AFrameReadLateCountsAsTheLastStep) {
  // The loop test reads 0 ms, the frame's own reading 2015 ms: step 201 counts as 200.
  host.player.Play("1. Song - Winamp");
  host.clockJumps[3] = 2015;
  DisplayCycle(host);
  EXPECT_EQ(host.Take(), (Log{"timer.enabled 0", "caption Song [0:00] - 0:00", "top 8", "announce",
                              "alpha 200", "left 20", "pump", "sleep 10", "alpha 200", "left 20",
                              "timer.interval 3000", "timer.enabled 1"}));

  // Far too late, the step would not even fit the alpha's byte.
  host.clockJumps[host.clockReads + 3] = 100000;
  DisplayCycle(host);
  EXPECT_EQ(host.Take(),
            (Log{"timer.enabled 0", "caption Song [0:00] - 0:00", "left 20", "alpha 0", "top 45",
                 "pump", "sleep 10", "alpha 0", "timer.interval 500", "timer.enabled 1"}));
}

TEST_F(DisplayCycleTest, ATickCountThatWrapsAroundChangesNoFrame) {
  host.player.Play("1. Song - Winamp");
  DisplayCycle(host);
  DisplayCycle(host);
  const Log steady = host.Take();

  for (const uint32_t before : {995u, 1000u, 1u, 2005u}) {
    SCOPED_TRACE(before);
    ResetNowPlaying();
    NowPlaying().settings.memoryEconomy = false;
    NowPlaying().settings.keepInterval = 3000;
    NowPlaying().settings.checkInterval = 500;
    host.now = 0u - before;  // wraps `before` ms into the animation
    DisplayCycle(host);
    DisplayCycle(host);
    EXPECT_EQ(host.Take(), steady);
  }
}

TEST_F(DisplayCycleTest, ComposesTheCaptionFromTitleLengthAndPosition) {
  struct Case {
    int32_t length;
    int32_t position;
    std::string caption;
  };
  const std::vector<Case> cases = {
      {245, 83000, "T [4:05] - 1:23"},
      {59, 0, "T [0:59] - 0:00"},
      {60, 60000, "T [1:00] - 1:00"},
      {3600, 59999, "T [60:00] - 0:59"},
      // A stream, or a file still opening, has no length: -1. A position below 0 is 0:00.
      {-1, 0, "T - 0:00"},
      {-1, 754000, "T - 12:34"},
      {0, -999, "T [0:00] - 0:00"},
      {0, -1000, "T [0:00] - 0:00"},
      {INT32_MIN, INT32_MIN, "T - 0:00"},
      {INT32_MAX, INT32_MAX, "T [35791394:07] - 35791:23"},
  };
  // The template the README names for it gives the same text, in UTF-8.
  for (const char* format : {"", "%caption%[ '['%length%']'] - %position%"}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.caption + format);
      ResetNowPlaying();
      NowPlaying().settings.memoryEconomy = false;
      NowPlaying().settings.titleFormat.Set(format);
      host.player.Play("1. T - Winamp", c.length, c.position);
      DisplayCycle(host);
      EXPECT_EQ(Values(host.Take(), *format ? "caption@65001" : "caption"), Log{c.caption});
    }
  }
}

// With a template the player's fields are read once for each new title, at its first display
// (not on the ticks between, nor when the strip goes or follows the position), and not from a
// player that left the length unanswered. The caption's title comes in the process's code page,
// the fields in UTF-8: the strip shows both.
TEST_F(DisplayCycleTest, ATemplateShowsTheFieldsReadOncePerTitle) {
  const auto shown = [&] { return Values(host.Take(), "caption@65001"); };
  const auto reads = [&] {
    return std::count(host.playerLog.begin(), host.playerLog.end(), "fields");
  };
  const std::string song =
      "\xD0\x9F\xD1\x91\xD1\x82\xD1\x80 - \xD0\x9F\xD0\xB5\xD1\x81\xD0\xBD\xD1\x8F";
  NowPlaying().settings.titleFormat.Set("[%artist% - ]%title% %position%");
  NowPlaying().settings.livePosition = true;
  TrackFields tags;
  tags[TrackField::kArtist] = "\xD0\x9F\xD1\x91\xD1\x82\xD1\x80";  // "Пётр"
  host.player.fields = tags;
  host.processCodePage = 1251;
  host.player.Play("1. \xCF\xE5\xF1\xED\xFF - Winamp", 245, 83000);  // "Песня"
  DisplayCycle(host);
  EXPECT_EQ(shown(), Log{song + " 1:23"});
  host.player.positionMs = 84000;
  OnLiveTick(host);
  DisplayCycle(host);  // away
  DisplayCycle(host);  // idle
  EXPECT_EQ(shown(), (Log{song + " 1:24", song + " 1:24"}));
  EXPECT_EQ(reads(), 1);
  // The next title, from a player that tells no fields: its caption's title.
  host.player.fields.reset();
  host.player.Play("2. Other - Winamp", 245, 1000);
  host.player.hangAfterMessages = 2;  // the length unanswered
  DisplayCycle(host);
  EXPECT_EQ(shown(), Log{"Other 0:00"});
  EXPECT_EQ(reads(), 1);
}

// With LivePosition or Progress the strip that is out follows the player once a second: a
// length that was unknown fills in, the title stays as it came out, and the line along the
// bottom edge is position / length of the strip's width, 3 px high at 96 dpi.
TEST_F(DisplayCycleTest, TheStripOutFollowsThePlayerOnceASecond) {
  struct Row {
    bool live;
    bool progress;
    uint32_t dpi;
    int32_t stripHeight;
    int32_t lineTop;  // the line along the bottom edge
    int32_t lineHeight;
  };
  const std::vector<Row> rows = {
      {true, false, 96, 50, 0, 0}, {false, true, 96, 50, 47, 3}, {true, true, 144, 75, 70, 5}};
  const auto line = [](const Row& row, int width) {
    return row.progress ? Log{"0 " + std::to_string(row.lineTop) + " " + std::to_string(width) +
                              " " + std::to_string(row.lineHeight)}
                        : Log{};
  };
  const auto entries = [](const std::string& kind, Log values) {
    for (std::string& value : values) value = kind + " " + value;
    return values;
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.dpi);
    ResetNowPlaying();
    NowPlaying().settings.memoryEconomy = false;
    NowPlaying().settings.keepInterval = 3000;
    NowPlaying().settings.memoryEconomy = true;
    host.minimised = true;
    NowPlaying().settings.livePosition = row.live;
    NowPlaying().settings.progress = row.progress;
    NowPlaying().layoutDpi = NowPlaying().stripDpi = NowPlaying().dpiReading = row.dpi;
    host.formDpi = row.dpi;
    host.labelWidth = 1280;
    host.labelHeight = row.stripHeight;
    host.player.Play("1. Radio - Song - Winamp", -1, 5000);
    DisplayCycle(host);
    Log log = host.Take();
    EXPECT_EQ(Log(log.begin(), log.begin() + 2), (Log{"timer.enabled 0", "live.enabled 0"}));
    // The length unknown: no line.
    const Log atDisplay = Log{"caption Radio - Song - 0:05"} + entries("progress", line(row, 0));
    EXPECT_EQ(Log(log.begin() + 2, log.begin() + 2 + static_cast<long>(atDisplay.size())),
              atDisplay);
    // The line is drawn with Progress alone: LivePosition without it draws none.
    EXPECT_EQ(Values(log, "progress"), line(row, 0));
    EXPECT_EQ(log.back(), "live.enabled 1");
    // A second later: the length known, the player on another title.
    host.player.Play("2. Radio - Other Song - Winamp", 200, 50000);
    OnLiveTick(host);
    EXPECT_EQ(host.Take(), (row.live ? Log{"caption Radio - Song [3:20] - 0:50"} : Log{}) +
                               entries("progress", line(row, 320)));
    // Past the end the line is whole; the next tick of the popup's timer takes the strip away.
    host.player.positionMs = 250000;
    OnLiveTick(host);
    EXPECT_EQ(Values(host.Take(), "progress"), line(row, 1280));
    // A track of length 0 has no line.
    host.player.lengthSeconds = 0;
    OnLiveTick(host);
    EXPECT_EQ(Values(host.Take(), "progress"), line(row, 0));
    // Clicked away, the strip follows the player no more.
    OnPopupMouseUp(host);
    OnLiveTick(host);
    EXPECT_EQ(host.Take(), (Log{"alpha 0", "live.enabled 0"}));
    // (On the title it came out with: a new one would come out anew.)
    host.player.caption = "1. Radio - Song - Winamp";
    DisplayCycle(host);
    log = host.Take();
    EXPECT_EQ(log[1], "live.enabled 0");
    EXPECT_EQ(Values(log, "live.enabled"), Log{"0"});
    OnLiveTick(host);
    EXPECT_EQ(host.Take(), Log{"live.enabled 0"});
  }
}

TEST_F(DisplayCycleTest, WithoutAPlayerAForcedDisplayShowsThatItIsNotRunning) {
  NowPlaying().forced = true;
  DisplayCycle(host);
  const std::string cp1251 =
      "WinAMP \xED\xE5 \xE7\xE0\xEF\xF3\xF9\xE5\xED!";  // "WinAMP не запущен!"
  ASSERT_EQ(cp1251.size(), 18u);
  ASSERT_EQ(sizeof kPlayerNotRunning, 19u);
  EXPECT_EQ(host.Take(), (Log{"timer.enabled 0", "caption@1251 " + cp1251} + appearing +
                          Log{"timer.interval 3000", "timer.enabled 1"}));
  // Both queries still go out, to no window.
  EXPECT_EQ(host.playerLog, (Log{"find", "query 1 105", "query 0 105"}));
}

TEST_F(DisplayCycleTest, AForcedDisplayOfAStoppedPlayerUsesTheLastTitle) {
  BringOut("1. Old Song - Winamp");
  DisplayCycle(host);  // away again
  host.Take();
  host.player.caption = "2. New Song - Winamp [Stopped]";
  host.player.state = 0;
  host.player.lengthSeconds = 100;
  host.player.positionMs = -1;
  NowPlaying().forced = true;
  DisplayCycle(host);
  EXPECT_EQ(Values(host.Take(), "caption"), Log{"Old Song [1:40] - 0:00"});
}

TEST_F(DisplayCycleTest, APlayerThatClosesAfterTheProbeAnswersNothing) {
  host.player.Play("1. Song - Winamp", 245, 83000);
  host.player.vanishAfterMessages = 2;  // the state and the caption, then gone
  DisplayCycle(host);
  EXPECT_EQ(Values(host.Take(), "caption"), Log{"Song [0:00] - 0:00"});
}

// A player that stops answering costs one wait per run: after an unanswered length the
// position is not asked for. Both read as 0.
TEST_F(DisplayCycleTest, APlayerThatHangsAfterTheProbeIsAskedNoMoreInThatRun) {
  struct Case {
    int answered;  // messages answered before the player hangs
    const char* caption;
    Log queries;
  };
  const Case cases[] = {
      {2, "Song [0:00] - 0:00", {"find", "query 0 104", "gettext 1024", "query 1 105"}},
      {3,
       "Song [4:05] - 0:00",
       {"find", "query 0 104", "gettext 1024", "query 1 105", "query 0 105"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answered);
    ResetNowPlaying();
    NowPlaying().settings.memoryEconomy = false;
    NowPlaying().settings.keepInterval = 3000;
    host.playerLog.clear();
    host.player.Play("1. Song - Winamp", 245, 83000);
    host.player.hangAfterMessages = c.answered;
    DisplayCycle(host);
    EXPECT_EQ(Values(host.Take(), "caption"), Log{c.caption});
    EXPECT_EQ(host.playerLog, c.queries);
  }
}

TEST_F(DisplayCycleTest, MemoryEconomyRestoresTheFormToAppearAndMinimisesItAfter) {
  NowPlaying().settings.memoryEconomy = true;
  host.player.Play("7. Some Artist - Some Song - Winamp", 245, 83000);
  DisplayCycle(host);
  EXPECT_EQ(host.Take(),
            (Log{"timer.enabled 0", kCaption, "top 8", "hide", "restore", "show", "announce"} +
             AppearingFrames(999) +
             Log{"alpha 200", "left 20", "timer.interval 3000", "timer.enabled 1"}));
  DisplayCycle(host);
  EXPECT_EQ(host.Take(), (Log{"timer.enabled 0", kCaption} + disappearing +
                          Log{"hide", "minimise", "timer.interval 500", "timer.enabled 1"}));
}

// Read at each display. Without animations the strip comes and goes at once, at rest, after the
// same stay; in high contrast (here white on black) it takes the window colours and rests opaque,
// its fades as long as ever, and Color comes back once high contrast is off.
TEST_F(DisplayCycleTest, FollowsTheUsersAnimationAndContrastSettings) {
  const Log contrast = {"form.color 0x00000000", "label.color 0x00000000", "label.text 0x00FFFFFF"};
  struct Case {
    bool animations, highContrast, memoryEconomy;
    Log appear, disappear;
    int32_t opacity = 0;  // Opacity, in percent; 0: none
  };
  const Case cases[] = {
      {false, false, false, {"top 8", "announce", "left 20", "alpha 200"}, {"left 20", "alpha 0"}},
      {false,
       false,
       true,
       {"top 8", "hide", "restore", "show", "announce", "left 20", "alpha 200"},
       {"left 20", "alpha 0", "hide", "minimise"}},
      {false,
       true,
       false,
       contrast + Log{"top 8", "announce", "left 20", "alpha 255"},
       {"left 20", "alpha 0"}},
      {true, true, false,
       contrast + Log{"top 8", "announce"} + AppearingFrames(999, 0, 200, 255) +
           Log{"alpha 255", "left 20"},
       Log{"left 20"} + DisappearingFrames(37, 0, 200, 255) + Log{"alpha 0"}},
      // Opacity=50 rests at 128 of 255, and the fades scale to it; high contrast still wins.
      {true, false, false,
       Log{"top 8", "announce"} + AppearingFrames(999, 0, 200, 128) + Log{"alpha 128", "left 20"},
       Log{"left 20"} + DisappearingFrames(37, 0, 200, 128) + Log{"alpha 0"}, 50},
      {false,
       true,
       false,
       contrast + Log{"top 8", "announce", "left 20", "alpha 255"},
       {"left 20", "alpha 0"},
       50},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(&c - cases);
    NowPlaying().settings.memoryEconomy = c.memoryEconomy;
    NowPlaying().settings.opacity = c.opacity;
    NowPlaying().highContrast = false;
    host.animations = c.animations;
    host.highContrast = c.highContrast;
    host.systemColors = {{5, 0x00000000}, {8, 0x00FFFFFF}};
    host.player.Play("7. Some Artist - Some Song - Winamp", 245, 83000);
    NowPlaying().forced = true;  // the same title again
    const uint32_t start = host.now;
    DisplayCycle(host);
    EXPECT_EQ(host.Take(), (Log{"timer.enabled 0", kCaption} + c.appear +
                            Log{"timer.interval 3000", "timer.enabled 1"}));
    EXPECT_EQ(host.now - start, c.animations ? 2000u : 0u);
    DisplayCycle(host);
    EXPECT_EQ(host.Take(), (Log{"timer.enabled 0", kCaption} + c.disappear +
                            Log{"timer.interval 500", "timer.enabled 1"}));
  }
  // Another contrast theme, then high contrast off, then the colours left alone.
  NowPlaying().settings.color.value = 0x00E69500;
  const auto colours = [&](bool highContrast) {
    host.highContrast = highContrast;
    OnHotKey(host, kHotKeyShowNow);
    DisplayCycle(host);
    const Log log = host.Take();
    return Values(log, "form.color") + Values(log, "label.text");
  };
  host.systemColors = {{5, 0x00000000}, {8, 0x0000FFFF}};
  EXPECT_EQ(colours(true), (Log{"0x00000000", "0x0000FFFF"}));
  EXPECT_EQ(colours(false), (Log{"0x00E69500", "0x00000000"}));
  EXPECT_EQ(colours(false), Log{});
  // Color=accent with TextColor=auto takes a new accent at the display after its message.
  NowPlaying().settings.color = {0, ColorSource::kAccent};
  NowPlaying().settings.textColor = {0, ColorSource::kAuto};
  host.colorization = 0xC4E0E0F0;  // 0xAARRGGBB
  OnAccentChanged();
  EXPECT_EQ(colours(false), (Log{"0x00F0E0E0", "0x00000000"}));
  host.colorization = 0xC4102030;
  EXPECT_EQ(colours(false), Log{}) << "no message, no new colour";
  OnAccentChanged();
  EXPECT_EQ(colours(false), (Log{"0x00302010", "0x00FFFFFF"}));
}

// The registry's AccentColor (0xAABBGGRR), else DwmGetColorizationColor (0xAARRGGBB: Windows 7's
// glass colour, its alpha the glass's transparency), else the highlight colour; the result is
// 0x00BBGGRR.
TEST(StripColours, TheAccentComesFromTheRegistryElseDwmElseTheHighlight) {
  struct Row {
    std::optional<uint32_t> colorization, registry;
    uint32_t accent;
  };
  for (const Row& row :
       {Row{0xC4112233, 0xFF445566, 0x00445566}, Row{std::nullopt, 0xFF445566, 0x00445566},
        Row{0x6B74B8FC, std::nullopt, 0x00FCB874}, Row{std::nullopt, std::nullopt, 0x00D77800}}) {
    FakeHost host;
    host.colorization = row.colorization;
    host.accentValue = row.registry;
    host.systemColors[13] = 0x00D77800;  // COLOR_HIGHLIGHT
    EXPECT_EQ(AccentColor(host), row.accent);
  }
}

// The WCAG contrast ratio: black on the default blue, white on a dark accent, and the two greys
// on either side of where the ratios meet (relative luminance 0.179).
TEST(StripColours, TheTextIsBlackOrWhiteWhicheverStandsOutMore) {
  const std::pair<uint32_t, uint32_t> rows[] = {
      {0x00E69500, kBlack}, {0x00402000, kWhite}, {0x00757575, kWhite}, {0x00767676, kBlack},
      {0x000000FF, kBlack}, {0x00FF0000, kWhite}, {0x00FFFFFF, kBlack}, {0x00000000, kWhite}};
  for (const auto& [background, text] : rows) {
    EXPECT_EQ(ContrastingText(background), text) << FakeHost::Hex(background);
  }
}

TEST_F(DisplayCycleTest, TheStripComesOutOnTheChosenMonitorAndEdge) {
  const ScreenArea left = {{-1920, -100, 0, 980}, {-1920, -100, 0, 940}, 96};
  const ScreenArea right = {{0, 0, 1280, 800}, {0, 0, 1280, 760}, 96};
  // Taskbars at the left side and at the top.
  const ScreenArea side = {{1280, 0, 3200, 1080}, {1342, 0, 3200, 1080}, 96};
  const ScreenArea top = {{3200, 0, 5120, 1080}, {3200, 40, 5120, 1080}, 96};
  struct Case {
    int32_t monitor;
    bool bottom;
    size_t primary;
    Log asked;
    std::string bounds;  // left top width height
    std::string width;
    std::optional<size_t> pointer = std::nullopt;  // the monitor under the mouse pointer
  };
  const std::vector<Case> cases = {
      {0, true, 1, {"monitor 0"}, "0 710 1280 50", "1280"},
      {1, false, 1, {"monitor 1"}, "-1920 -100 1920 50", "1920"},
      {1, true, 1, {"monitor 1"}, "-1920 890 1920 50", "1920"},
      {-1, false, 0, {"monitor -1"}, "0 0 1280 50", "1280"},
      // Along the bottom the strip keeps clear of a taskbar at the side; along the top it covers
      // the whole monitor, also over a taskbar there.
      {3, true, 1, {"monitor 3"}, "1342 1030 1858 50", "1858"},
      {3, false, 1, {"monitor 3"}, "1280 0 1920 50", "1920"},
      {4, false, 1, {"monitor 4"}, "3200 0 1920 50", "1920"},
      {4, true, 1, {"monitor 4"}, "3200 1030 1920 50", "1920"},
      // No such monitor: the primary.
      {5, false, 1, {"monitor 5", "monitor 0"}, "0 0 1280 50", "1280"},
      {-2, true, 0, {"monitor -2", "monitor 0"}, "-1920 890 1920 50", "1920"},
      // -2: the monitor under the mouse pointer.
      {-2, false, 1, {"monitor -2"}, "3200 0 1920 50", "1920", 3},
      {-2, true, 1, {"monitor -2"}, "1342 1030 1858 50", "1858", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bounds);
    ResetNowPlaying();
    NowPlaying().settings.memoryEconomy = false;
    NowPlaying().settings.memoryEconomy = true;
    NowPlaying().settings.monitor = c.monitor;
    NowPlaying().settings.bottom = c.bottom;
    host.monitors = {left, right, side, top};
    host.primary = c.primary;
    host.foreground = 1;
    host.pointer = c.pointer;
    host.formHeight = 50;
    host.player.Play("1. Song - Winamp");
    DisplayCycle(host);
    Log log = host.Take();
    log.erase(std::find(log.begin(), log.end(), "alpha 0"), log.end());
    // Moved once restored, before the first frame; the label and the corners take the width.
    EXPECT_EQ(log,
              (c.asked + Log{"timer.enabled 0", "caption Song [0:00] - 0:00", "top 8", "hide",
                             "restore", "show", "form.bounds " + c.bounds, "label.width " + c.width,
                             "region " + c.width + " 50 50", "announce"}));
  }
}

// Which monitors a display comes out on, and where: numbers, every monitor, identities present
// and absent, monitors that come and go (Windows numbers them anew, their identities stay), and
// the quiet rule per monitor. Monitors are letters, in the system's order (a is the primary); a
// row's strips name the monitor each strip came out on, in the strips' order. Then the next
// display, after `then` has changed the monitors (or while the strips are out: flag o).
// Flags: q FullScreen=0, h by hand, o while out, d `then` plugged during the player's queries of
// the first display (whose strips are `strips`). "-": no monitor at all. Windows, from the top of
// the z-order: A and B full-screen on a and b, b a framed window on b.
TEST_F(DisplayCycleTest, TheStripsComeOutOnTheChosenMonitors) {
  const std::string id = R"(\\?\DISPLAY#DEL40F6#{E6F07B5F}#UID435)";  // + the letter's number
  std::map<char, std::pair<ScreenArea, std::string>> pool = {
      {'a', {{{0, 0, 1280, 800}, {0, 0, 1280, 760}, 96}, "0 0 1280 50"}},
      {'b', {{{1280, 0, 3200, 1080}, {1280, 0, 3200, 1080}, 144}, "1280 0 1920 75"}},
      {'c', {{{-1920, 0, 0, 1080}, {-1920, 0, 0, 1080}, 96}, "-1920 0 1920 50"}}};
  // Small monitors below, for a system with more monitors than strips.
  for (char name = 'd'; name <= 'i'; ++name) {
    const int32_t left = (name - 'd') * 100;
    pool[name] = {{{left, 2000, left + 100, 2100}, {left, 2000, left + 100, 2100}, 96},
                  std::to_string(left) + " 2000 100 50"};
  }
  const std::map<char, FrontWindow> windows = {{'A', {{0, 0, 1280, 800}, kPopupStyle}},
                                               {'B', {{1280, 0, 3200, 1080}, kPopupStyle}},
                                               {'b', {{1400, 100, 2000, 700}, kWindowCaption}}};
  struct Row {
    const char* name;
    std::string monitor;  // as settings.ini has it
    std::string plugged;
    std::string strips;
    std::string then = "";
    std::string thenStrips = "";
    std::string flags = "";
    std::string windows = "";
  };
  // The same model twice (a and c) differs in its identity alone.
  const std::vector<Row> rows = {
      {"a number keeps its meaning", "2", "ab", "b"},
      {"a number that is no monitor: the primary", "3", "ab", "a"},
      {"neither number, word nor identity: read as a number", "2nd", "ab", "b"},
      {"all: one strip on each, at its scale", "all", "ab", "ab"},
      {"ALL, three monitors", "ALL", "cab", "cab"},
      {"an identity", id + "2", "ab", "b"},
      {"an identity in other letters", R"(\\?\display#del40f6#{e6f07b5f}#uid4352)", "ab", "b"},
      {"only ASCII letters fold: [ is not {", R"(\\?\DISPLAY#DEL40F6#[E6F07B5F]#UID4352)", "ba",
       "a"},
      {"a prefix of an identity is not the identity", id, "ba", "a"},
      {"an identity that goes on past a monitor's is not it", id + "23", "ba", "a"},
      {"an identity among more monitors than strips", id + "2", "cdefghiab", "b"},
      {"a number, its monitor gone during the player's queries: the primary", "2", "ab", "a", "a",
       "", "d"},
      {"all: one gone during the player's queries: no strip where it was", "all", "ab", "b", "b",
       "", "d"},
      {"no monitor at all while away: no strip anywhere", "1", "a", "a", "-", ""},
      {"all: no monitor at all while away: no strip anywhere", "all", "a", "a", "-", ""},
      {"no monitor at all while out: the strip stays where it was", "1", "a", "a", "-", "", "o"},
      {"an identity follows its monitor to another number", id + "2", "ba", "b"},
      {"the same model twice", id + "3", "abc", "c"},
      {"an identity not connected: the primary; its own once back", id + "2", "a", "a", "bca", "b"},
      {"all: a monitor that comes has its strip next time", "all", "a", "a", "ab", "ab"},
      {"all: a monitor that goes takes its strip", "all", "ab", "ab", "b", "b"},
      {"all: one goes while the strips are out", "all", "ab", "ab", "a", "a", "o"},
      {"all, quiet: a full-screen program keeps its monitor free", "all", "ab", "a", "", "", "q",
       "B"},
      {"all, quiet: under another window it is not in front", "all", "ab", "ab", "", "", "q", "bB"},
      {"all, quiet: each monitor's own window in front", "all", "ab", "b", "", "", "q", "Ab"},
      {"all, quiet: full screen everywhere, nothing", "all", "ab", "", "", "", "q", "AB"},
      {"all, by hand: over full-screen programs too", "all", "ab", "ab", "", "", "qh", "AB"},
  };
  const auto plug = [&](const std::string& names) {
    host.monitors.clear();
    host.identities.clear();
    for (const char name : names) {
      if (name == '-') continue;
      if (name == 'a') host.primary = host.monitors.size();
      host.monitors.push_back(pool.at(name).first);
      host.identities.push_back(id + std::to_string(name - 'a' + 1));
    }
  };
  const auto places = [&](const std::string& names) {
    Log found;
    for (const char name : names)
      found.push_back(std::to_string(found.size()) + ": " + pool.at(name).second);
    return found;
  };
  // Each strip's place as it was set.
  const auto placed = [](const Log& log) {
    Log found;
    std::string strip = "0";
    for (const std::string& entry : log) {
      if (entry.rfind("strip ", 0) == 0) strip = entry.substr(6);
      if (entry.rfind("form.bounds ", 0) == 0) found.push_back(strip + ": " + entry.substr(12));
    }
    return found;
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const bool quiet = row.flags.find('q') != std::string::npos;
    const bool byHand = row.flags.find('h') != std::string::npos;
    host = FakeHost();
    ResetNowPlaying();
    host.settingsFile = "[Main]\nMonitor=" + row.monitor + "\nFullScreen=" + (quiet ? "0" : "1");
    plug(row.plugged);
    for (const char window : row.windows) host.windows.push_back(windows.at(window));
    LoadSettings(host);
    host.Take();
    const auto display = [&](const char* caption) {
      host.player.Play(caption);
      byHand ? OnHotKey(host, kHotKeyShowNow) : DisplayCycle(host);
      return host.Take();
    };
    if (row.flags.find('d') != std::string::npos) {
      host.duringLengthQuery = [&] {
        plug(row.then);
        OnScreenChanged(host);
      };
    }
    Log log = display("1. Song - Winamp");
    EXPECT_EQ(placed(log), places(row.strips));
    const size_t strips = row.strips.size();
    EXPECT_EQ(Values(log, "caption").size(), strips) << "the same title on every strip";
    EXPECT_EQ(std::count(log.begin(), log.end(), "announce"), strips == 0 ? 0 : 1);
    if (strips == 0) continue;
    EXPECT_EQ(host.strips, strips) << "a window for each strip, and none more";
    if (row.flags.find('d') != std::string::npos) continue;
    const std::string then = row.then.empty() ? row.plugged : row.then;
    const std::string next = row.then.empty() ? row.strips : row.thenStrips;
    if (row.flags.find('o') != std::string::npos) {
      plug(then);
      OnScreenChanged(host);
      EXPECT_EQ(placed(host.Take()), places(next));
      EXPECT_EQ(host.strips, std::max<size_t>(next.size(), 1)) << "no strip where no monitor is";
      continue;
    }
    DisplayCycle(host);
    log = host.Take();
    EXPECT_EQ(std::count(log.begin(), log.end(), "minimise"), static_cast<ptrdiff_t>(strips));
    plug(then);
    OnScreenChanged(host);
    EXPECT_LE(host.strips, std::max<size_t>(then.size(), 1)) << "none where none is, also at rest";
    log = display("2. Next - Winamp");
    EXPECT_EQ(placed(log), places(next));
    EXPECT_EQ(host.strips, std::max<size_t>(next.size(), 1));
    if (next.empty()) {
      EXPECT_EQ(Values(log, "alpha"), Log()) << "nothing comes out";
      continue;
    }
    OnPopupMouseUp(host);
    EXPECT_EQ(Values(host.Take(), "alpha"), Log(next.size(), "0")) << "a click takes all away";
  }
}

TEST_F(DisplayCycleTest, OverAFullScreenProgramANewTitleIsRecordedButNotShown) {
  NowPlaying().settings.overFullScreen = false;
  host.monitors = {{{-1920, 0, 0, 1080}, {-1920, 0, 0, 1040}, 96}};  // the one asked for
  host.front = FrontWindow{{-1920, 0, 0, 1080}, kPopupStyle};
  host.player.Play("1. Quiet - Winamp");
  DisplayCycle(host);
  EXPECT_EQ(host.Take(), (Log{"monitor 0", "front?"}));
  EXPECT_EQ(NowPlaying().lastTitle, "Quiet");
  DisplayCycle(host);
  EXPECT_EQ(host.Take(), Log{}) << "not news any more";

  // Show-now still shows, and the strip goes away as always.
  OnHotKey(host, kHotKeyShowNow);
  EXPECT_EQ(Values(host.Take(), "caption"), Log{"Quiet [0:00] - 0:00"});
  DisplayCycle(host);
  EXPECT_EQ(Values(host.Take(), "alpha").back(), "0");

  host.front.reset();
  host.player.Play("2. Loud - Winamp");
  DisplayCycle(host);
  EXPECT_TRUE(NowPlaying().shown);
}

// What counts as a full-screen program in front of the monitor {1920, 0, 3840, 1080}.
TEST(FullScreenRule, AWindowWithoutCaptionOrSizingBorderThatCoversTheMonitor) {
  const ScreenRect monitor = {1920, 0, 3840, 1080};
  struct Case {
    const char* what;
    ScreenRect rect;
    uint32_t style;
    bool fullScreen;
  };
  const Case cases[] = {
      {"borderless, the monitor exactly", {1920, 0, 3840, 1080}, kPopupStyle, true},
      {"borderless, larger than the monitor", {1900, -20, 3860, 1100}, kPopupStyle, true},
      {"borderless with a thin border", {1920, 0, 3840, 1080}, kPopupStyle | kThinBorder, true},
      {"maximised, its frame overhanging",
       {1912, -8, 3848, 1088},
       kFramedStyle | kMaximised,
       false},
      {"a caption alone", {1920, 0, 3840, 1080}, kPopupStyle | kWindowCaption, false},
      {"a sizing border alone", {1920, 0, 3840, 1080}, kPopupStyle | kWindowSizingFrame, false},
      {"borderless, a row short", {1920, 0, 3840, 1079}, kPopupStyle, false},
      {"borderless, on the monitor beside", {0, 0, 1920, 1080}, kPopupStyle, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsFullScreen(FrontWindow{c.rect, c.style}, monitor), c.fullScreen) << c.what;
  }
}

// Every length of the strip is one at 96 dpi, scaled to its monitor's resolution: the height
// (the font size in points plus 30), the corners, the label's resting edges and the slides that
// end there; the font's points become pixels at that resolution.
TEST(StripScale, EveryLengthFollowsTheResolution) {
  struct Case {
    uint32_t dpi;
    int height;
    int corner;
    int left;
    int top;
  };
  const Case cases[] = {
      {96, 50, 50, 20, 8},
      {120, 63, 63, 25, 10},
      {144, 75, 75, 30, 12},
      {192, 100, 100, 40, 16},
      {110, 57, 57, 23, 9},
      // The most a monitor can report, and just past it: no resolution, so 96.
      {960, 500, 500, 200, 80},
      {961, 50, 50, 20, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dpi);
    ResetNowPlaying();
    NowPlaying().settings.memoryEconomy = false;
    FakeHost host;
    host.formDpi = c.dpi;
    host.labelWidth = 999;
    host.labelHeight = 37;
    LoadSettings(host);
    const Log loaded = host.Take();
    const std::string font =
        c.height == 50 ? "font.size 20" : "font.size 20 at " + std::to_string(c.dpi);
    const std::string height = std::to_string(c.height);
    for (const std::string& entry : {font, "form.height " + height, "label.height " + height,
                                     "region 1280 " + height + " " + std::to_string(c.corner)}) {
      EXPECT_NE(std::find(loaded.begin(), loaded.end(), entry), loaded.end()) << entry;
    }

    host.player.Play("1. Song - Winamp");
    DisplayCycle(host);  // in from the right, resting at (left, top)
    Log lefts = Values(host.Take(), "left");
    EXPECT_EQ(lefts.front(), std::to_string(999 + c.left));
    EXPECT_EQ(lefts.back(), std::to_string(c.left));
    DisplayCycle(host);  // down from the resting top
    const Log out = host.Take();
    EXPECT_EQ(Values(out, "left"), Log{std::to_string(c.left)});
    const Log tops = Values(out, "top");
    EXPECT_EQ(tops.front(), std::to_string(c.top));
    EXPECT_EQ(tops.back(), std::to_string(37 + c.top));
  }
}

// As Win32's MulDiv(value, dpi, 96): to the nearest, halves away from zero, -1 past 32 bits.
TEST(StripScale, RoundsAsMulDivDoes) {
  struct Case {
    int32_t value;
    uint32_t dpi;
    int32_t scaled;
  };
  const Case cases[] = {
      {5, 144, 8},
      {-5, 144, -8},
      {1, 48, 1},
      {-1, 48, -1},
      {50, 120, 63},
      {INT32_MAX, 96, INT32_MAX},
      {INT32_MIN, 96, INT32_MIN},
      {INT32_MAX, 97, -1},
      {0, 960, 0},
      {INT32_MIN, 95, -2125114027},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ScaleToDpi(c.value, c.dpi), c.scaled) << c.value << " at " << c.dpi;
  }
}

TEST_F(DisplayCycleTest, ANewResolutionTakesEffectAtTheNextDisplay) {
  LoadSettings(host);
  host.Take();
  const Log restored = {"top 8", "hide", "restore", "show"};

  // The monitor turned to 150 %: laid out anew once restored, before the first frame.
  host.formDpi = 144;
  EXPECT_EQ(display("1. One - Winamp"),
            (Log{"timer.enabled 0", "caption One [0:00] - 0:00"} + restored +
             Log{"font.size 20 at 144", "form.height 75", "label.height 75", "region 1280 75 75",
                 "top 12", "announce"}));
  // The system moved the strip's window to 120 dpi (WM_DPICHANGED) while its monitor still reads
  // 144: the system's word counts. Values that are no resolution are ignored.
  for (const uint32_t dpi : {120u, 0u, 23u, 961u, 0xFFFFu}) OnDpiChanged(dpi);
  EXPECT_EQ(display("2. Two - Winamp"),
            (Log{"timer.enabled 0", "caption Two [0:00] - 0:00", "top 12", "hide", "restore",
                 "show", "font.size 20 at 120", "form.height 63", "label.height 63",
                 "region 1280 63 63", "top 10", "announce"}));
  // Nothing new: the strip keeps its layout.
  EXPECT_EQ(display("3. Three - Winamp"), (Log{"timer.enabled 0", "caption Three [0:00] - 0:00",
                                               "top 10", "hide", "restore", "show", "announce"}));
  // Back at 100 %: exactly as at the start.
  host.formDpi = 96;
  EXPECT_EQ(display("4. Four - Winamp"),
            (Log{"timer.enabled 0", "caption Four [0:00] - 0:00", "top 10"} +
             Log{"hide", "restore", "show", "font.size 20", "form.height 50", "label.height 50",
                 "region 1280 50 50", "top 8", "announce"}));

  // A strip placed on a monitor of its own takes that monitor's resolution.
  NowPlaying().settings.monitor = 2;
  host.monitors.push_back({{1280, 0, 3200, 1080}, {1280, 0, 3200, 1040}, 192});
  EXPECT_EQ(display("5. Five - Winamp"),
            (Log{"monitor 2", "timer.enabled 0", "caption Five [0:00] - 0:00"} + restored +
             Log{"font.size 20 at 192", "form.height 100", "label.height 100",
                 "form.bounds 1280 0 1920 100", "label.width 1920", "region 1920 100 100", "top 16",
                 "announce"}));
}

// At the default place the strip is fitted anew only after the system reported a new screen, and
// moves only when its monitor's top edge did.
TEST_F(DisplayCycleTest, ANewScreenFitsTheStripToItsMonitor) {
  LoadSettings(host);
  host.Take();
  const Log restored = {"top 8", "hide", "restore", "show"};
  // A new work area, the same monitor: asked for, and nothing moves.
  OnScreenChanged(host);
  EXPECT_EQ(display("1. One - Winamp"),
            (Log{"monitor 0", "timer.enabled 0", "caption One [0:00] - 0:00"} + restored +
             Log{"announce"}));
  host.monitors[0].monitor = {0, 0, 1920, 1080};
  OnScreenChanged(host);
  EXPECT_EQ(display("3. Three - Winamp"),
            (Log{"monitor 0", "timer.enabled 0", "caption Three [0:00] - 0:00"} + restored +
             Log{"form.bounds 0 0 1920 50", "label.width 1920", "region 1920 50 50", "announce"}));
  // Out, the strip is fitted at once, and laid out for a new resolution.
  host.player.Play("4. Four - Winamp");
  DisplayCycle(host);
  host.Take();
  host.monitors[0].monitor = {0, 0, 1024, 768};
  host.monitors[0].dpi = 120;
  OnScreenChanged(host);
  EXPECT_EQ(host.Take(), (Log{"monitor 0", "font.size 20 at 120", "form.height 63",
                              "label.height 63", "form.bounds 0 0 1024 63", "label.width 1024",
                              "region 1024 63 63", "left 25", "top 10"}));
}

TEST_F(DisplayCycleTest, GoesOnOnlyForNewsWithAutomaticDisplayAForcedDisplayOrAStripOut) {
  // Away, nothing new, not forced: nothing happens.
  DisplayCycle(host);
  EXPECT_EQ(host.Take(), Log{});

  // A new title with automatic display off: the probe takes it, the strip stays away.
  NowPlaying().automatic = false;
  host.player.Play("1. Quiet - Winamp");
  DisplayCycle(host);
  EXPECT_EQ(host.Take(), Log{});
  EXPECT_EQ(NowPlaying().lastTitle, "Quiet");
  // ... and it is not news any more when automatic display comes back.
  NowPlaying().automatic = true;
  DisplayCycle(host);
  EXPECT_EQ(host.Take(), Log{});

  // A strip that is out goes away even with automatic display off.
  BringOut("2. Loud - Winamp");
  NowPlaying().automatic = false;
  DisplayCycle(host);
  EXPECT_EQ(Values(host.Take(), "timer.interval"), Log{"500"});
  EXPECT_FALSE(NowPlaying().shown);
}

TEST_F(DisplayCycleTest, ATitleThatChangesWhileTheStripIsOutWaitsForTheNextChange) {
  BringOut("1. First - Winamp");
  host.player.caption = "2. Second - Winamp";
  DisplayCycle(host);  // hides the strip, already with the new caption
  const Log hiding = host.Take();
  EXPECT_EQ(Values(hiding, "caption"), Log{"Second [4:05] - 1:23"});
  EXPECT_EQ(Values(hiding, "timer.interval"), Log{"500"});
  DisplayCycle(host);  // the new title is no news any more
  EXPECT_EQ(host.Take(), Log{});
  EXPECT_FALSE(NowPlaying().shown);
}

// The cancel paths, in the order of the table of states.

TEST_F(DisplayCycleTest, AClickOnAnIdleStripEndsTheDisplayAtTheNextTickWithoutAnimation) {
  NowPlaying().settings.memoryEconomy = true;
  NowPlaying().forced = true;
  BringOut();
  OnPopupMouseUp(host);
  EXPECT_EQ(host.Take(), Log{"alpha 0"});
  DisplayCycle(host);
  // No animation, no alpha, no minimising.
  EXPECT_EQ(host.Take(), (Log{"timer.enabled 0", "caption Artist - Song [4:05] - 1:23",
                              "timer.interval 500", "timer.enabled 1"}));
  EXPECT_FALSE(NowPlaying().shown);
  EXPECT_FALSE(NowPlaying().cancel);
  // Forced keeps its value: the display comes out again at the tick after.
  EXPECT_TRUE(NowPlaying().forced);
  DisplayCycle(host);
  EXPECT_EQ(Values(host.Take(), "timer.interval"), Log{"3000"});
  EXPECT_TRUE(NowPlaying().shown);
}

// A title that comes after a click took the strip away comes out as any new title does; with
// automatic display off (and nothing forced) it is only recorded, and the display ends as
// above.
TEST_F(DisplayCycleTest, ATitleAfterAClickOnTheStripOutComesOutAsAnyNewTitle) {
  struct Row {
    const char* what;
    bool automatic;
    bool forced;
    bool fullScreen;
    Log log;
    bool shown;
  };
  const Log away{"timer.enabled 0", "caption Next [4:05] - 1:23", "timer.interval 500",
                 "timer.enabled 1"};
  const Log out = Log{"timer.enabled 0", "caption Next [4:05] - 1:23"} + appearing +
                  Log{"timer.interval 3000", "timer.enabled 1"};
  const std::vector<Row> rows = {
      {"automatic display on", true, false, false, out, true},
      {"automatic display off", false, false, false, away, false},
      {"automatic display off, the display forced", false, true, false, out, true},
      {"over a full-screen program", true, false, true,
       Log{"timer.interval 500", "timer.enabled 1"}, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    SetUp();
    NowPlaying().forced = row.forced;
    BringOut("1. First - Winamp");
    NowPlaying().automatic = row.automatic;
    OnPopupMouseUp(host);
    host.Take();
    host.player.caption = "2. Next - Winamp";
    if (row.fullScreen) {
      NowPlaying().settings.overFullScreen = false;
      host.front = FrontWindow{host.monitors[0].monitor, kPopupStyle};
    }
    DisplayCycle(host);
    Log log = host.Take();
    log.erase(std::remove_if(
                  log.begin(), log.end(),
                  [](const std::string& e) { return e.rfind("monitor", 0) == 0 || e == "front?"; }),
              log.end());
    EXPECT_EQ(log, row.log);
    EXPECT_EQ(NowPlaying().shown, row.shown);
    EXPECT_FALSE(NowPlaying().cancel);
    // The title that was dismissed does not come back, nor does the new one come out twice.
    if (!row.shown) {
      DisplayCycle(host);
      EXPECT_EQ(host.Take(), Log{});
    }
  }
}

TEST_F(DisplayCycleTest, AClickWhileAppearingStopsTheAnimationWithTheStripVisible) {
  host.player.Play("7. Some Artist - Some Song - Winamp", 245, 83000);
  host.onPump[50] = [this] { OnPopupMouseUp(host); };
  DisplayCycle(host);
  EXPECT_EQ(host.Take(),
            (Log{"timer.enabled 0", kCaption, "top 8", "announce"} + AppearingFrames(999, 0, 49) +
             Log{"alpha 49", "left 775", "pump", "alpha 0", "sleep 10",
                 // the loop test sees the cancel: the strip comes to rest
                 "alpha 200", "left 20", "timer.interval 500", "timer.enabled 1"}));
  EXPECT_FALSE(NowPlaying().shown);
  EXPECT_FALSE(NowPlaying().cancel);
}

TEST_F(DisplayCycleTest, AClickWhileAppearingWithAutomaticDisplayOffHidesTheStrip) {
  NowPlaying().automatic = false;
  NowPlaying().forced = true;
  host.player.Play("1. Song - Winamp");
  host.onPump[1] = [this] { OnPopupMouseUp(host); };
  DisplayCycle(host);
  EXPECT_EQ(host.Take(), (Log{"timer.enabled 0", "caption Song [0:00] - 0:00", "top 8", "announce",
                              "alpha 0", "left 1019", "pump", "alpha 0", "sleep 10", "alpha 200",
                              "left 20", "alpha 0", "timer.interval 500", "timer.enabled 1"}));
  EXPECT_FALSE(NowPlaying().shown);
  // Only a disappearing animation clears forced: the display runs again at the next tick.
  EXPECT_TRUE(NowPlaying().forced);
  DisplayCycle(host);
  EXPECT_EQ(Values(host.Take(), "timer.interval"), Log{"3000"});
}

TEST_F(DisplayCycleTest, AClickWhileDisappearingStopsTheAnimation) {
  for (const bool automatic : {true, false}) {
    SCOPED_TRACE(automatic);
    ResetNowPlaying();
    NowPlaying().settings.memoryEconomy = false;
    NowPlaying().settings.checkInterval = 500;
    NowPlaying().settings.memoryEconomy = true;
    BringOut(automatic ? "1. A - Winamp" : "1. B - Winamp");
    NowPlaying().automatic = automatic;
    NowPlaying().forced = true;
    host.onPump[host.pumps + 3] = [this] { OnPopupMouseUp(host); };
    DisplayCycle(host);
    const Log start{"timer.enabled 0",
                    std::string("caption ") + (automatic ? "A" : "B") + " [4:05] - 1:23",
                    "left 20"};
    const Log click{"alpha 198", "top 9", "pump", "alpha 0", "sleep 10"};
    const Log end{"alpha 0", "hide", "minimise"};
    const Log hide = automatic ? Log{} : Log{"alpha 0"};
    EXPECT_EQ(host.Take(), (start + DisappearingFrames(37, 0, 2) + click + end + hide +
                            Log{"timer.interval 500", "timer.enabled 1"}));
    EXPECT_FALSE(NowPlaying().shown);
    EXPECT_FALSE(NowPlaying().cancel);
    EXPECT_FALSE(NowPlaying().forced);
  }
}

TEST_F(DisplayCycleTest, AClickWhileAwaySwallowsTheNextDisplayThatWouldStart) {
  OnPopupMouseUp(host);
  host.Take();
  // Ticks that do not go on leave the cancel waiting.
  DisplayCycle(host);
  EXPECT_EQ(host.Take(), Log{});
  EXPECT_TRUE(NowPlaying().cancel);

  host.player.Play("1. Song - Winamp");
  DisplayCycle(host);
  EXPECT_EQ(host.Take(), (Log{"timer.enabled 0", "caption Song [0:00] - 0:00", "timer.interval 500",
                              "timer.enabled 1"}));
  EXPECT_FALSE(NowPlaying().shown);
  EXPECT_FALSE(NowPlaying().cancel);
  // The title was taken: the next tick has no news.
  DisplayCycle(host);
  EXPECT_EQ(host.Take(), Log{});
}

TEST_F(DisplayCycleTest, AShowNowSwallowedByAWaitingClickComesOutAtTheFollowingTick) {
  OnPopupMouseUp(host);
  OnHotKey(host, 0);
  EXPECT_EQ(host.Take(),
            (Log{"alpha 0", "timer.enabled 0", std::string("caption@1251 ") + kPlayerNotRunning,
                 "timer.interval 500", "timer.enabled 1"}));
  EXPECT_TRUE(NowPlaying().forced);
  EXPECT_FALSE(NowPlaying().shown);
  DisplayCycle(host);
  EXPECT_EQ(host.Take(), (Log{"timer.enabled 0", std::string("caption@1251 ") + kPlayerNotRunning} +
                          appearing + Log{"timer.interval 3000", "timer.enabled 1"}));
}

// Hot keys inside a running animation.

// A show-now inside an animation runs a whole display, which stands: the strip stays out for
// the keep interval. The animation it interrupted ends where it is, touching neither the alpha,
// the flags nor the timer (resumed, it used to take the new display away at once).
TEST_F(DisplayCycleTest, AShowNowInsideAnAnimationRunsADisplayThatStands) {
  struct Row {
    const char* what;
    bool out;  // the show-now comes in the disappearing animation
    Log before;
  };
  const Row rows[] = {
      {"appearing", false,
       Log{"timer.enabled 0", kCaption, "top 8", "announce"} + AppearingFrames(999, 0, 49) +
           Log{"alpha 49", "left 775", "pump"}},
      {"disappearing", true,
       Log{"timer.enabled 0", kCaption, "left 20"} + DisappearingFrames(37, 0, 9) +
           Log{"alpha 191", "top 10", "pump"}},
  };
  const Log inner =
      Log{"timer.enabled 0", kCaption} + appearing + Log{"timer.interval 3000", "timer.enabled 1"};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    SetUp();
    host = FakeHost();
    host.labelWidth = 999;
    host.labelHeight = 37;
    if (row.out) {
      BringOut("7. Some Artist - Some Song - Winamp");
    } else {
      host.player.Play("7. Some Artist - Some Song - Winamp", 245, 83000);
    }
    host.onPump[host.pumps + (row.out ? 10 : 50)] = [this] { OnHotKey(host, 0); };
    DisplayCycle(host);
    EXPECT_EQ(host.Take(), row.before + inner);
    EXPECT_TRUE(NowPlaying().shown);
    EXPECT_TRUE(NowPlaying().forced);
  }
}

TEST_F(DisplayCycleTest, SwitchingAutomaticDisplayInsideAnAnimationOnlyFlipsTheFlag) {
  host.player.Play("7. Some Artist - Some Song - Winamp", 245, 83000);
  host.onPump[10] = [this] { OnHotKey(host, 1); };
  DisplayCycle(host);
  EXPECT_EQ(host.Take(), (Log{"timer.enabled 0", kCaption} + appearing +
                          Log{"timer.interval 3000", "timer.enabled 1"}));
  EXPECT_FALSE(NowPlaying().automatic);
}

TEST_F(DisplayCycleTest, QuitInsideAnAnimationEndsTheProcessAtOnce) {
  host.player.Play("7. Some Artist - Some Song - Winamp", 245, 83000);
  host.onPump[30] = [this] { OnHotKey(host, 2); };
  DisplayCycle(host);
  EXPECT_EQ(host.Take(),
            (Log{"timer.enabled 0", kCaption, "top 8", "announce"} + AppearingFrames(999, 0, 29) +
             Log{"alpha 29", "left 875", "pump", "exit 0"}));
  EXPECT_EQ(host.afterExit, Log{});

  // Also from a show-now run nested in the disappearing animation.
  ResetNowPlaying();
  NowPlaying().settings.memoryEconomy = false;
  host.exited = false;
  BringOut();
  host.onPump[host.pumps + 5] = [this] { OnHotKey(host, 0); };
  host.onPump[host.pumps + 7] = [this] { OnHotKey(host, 2); };
  DisplayCycle(host);
  const Log log = host.Take();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), "exit 0");
  EXPECT_EQ(Values(log, "exit"), Log{"0"});
  EXPECT_EQ(host.afterExit, Log{});
}

}  // namespace
