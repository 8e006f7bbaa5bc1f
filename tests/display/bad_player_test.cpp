// The player can show any caption and answer anything; it can also close between two of our
// questions. Each row is one such player and what the popup then does: whether a tick with
// automatic display brings the strip out, the title kept, and the caption the label shows.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "display/display_cycle.h"
#include "display/events.h"
#include "display/hot_keys.h"
#include "display/settings.h"
#include "display/state.h"
#include "tests/display/fake_host.h"

namespace {

using Log = std::vector<std::string>;

constexpr auto kShowNow = static_cast<uint32_t>(kHotKeyShowNow);

Log Captions(const Log& log) {
  Log captions;
  for (const std::string& entry : log) {
    // "caption TEXT", or "caption@CODEPAGE TEXT" for the not-running text.
    if (entry.rfind("caption", 0) == 0) captions.push_back(entry.substr(entry.find(' ') + 1));
  }
  return captions;
}

// The strip is out when the last alpha the form got is full (appearing ends at 200,
// disappearing at 0).
bool CameOut(const Log& log) {
  for (auto entry = log.rbegin(); entry != log.rend(); ++entry) {
    if (entry->rfind("alpha ", 0) == 0) return *entry == "alpha 200";
  }
  return false;
}

template <size_t N>
std::string Bytes(const char (&literal)[N]) {
  return std::string(literal, N - 1);
}

class BadPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override { Fresh(); }

  // A program that has run for a while: settings loaded, "Before" shown long ago.
  void Fresh() {
    ResetNowPlaying();
    NowPlaying().settings.memoryEconomy = false;
    NowPlayingState& state = NowPlaying();
    state.settings.keepInterval = 300;
    state.settings.checkInterval = 50;
    state.automatic = true;
    state.lastTitle = Text("Before");
    host = FakeHost();
  }

  std::string LastTitle() const { return std::string(NowPlaying().lastTitle.View()); }

  FakeHost host;
};

struct CaptionRow {
  const char* what;
  std::string caption;
  bool shows;         // a tick with automatic display brings the strip out
  std::string title;  // the last title afterwards
};

TEST_F(BadPlayerTest, AnyCaptionEndsInATitleOrNoNews) {
  const std::string title1011(1011, 't');
  const std::vector<CaptionRow> rows = {
      {"empty", "", false, "Before"},
      {"no space", "Song-Winamp", false, "Before"},
      {"the mark itself: an empty title tells nothing", " - Winamp", false, "Before"},
      {"nothing after the first space", "1. ", false, "Before"},
      {"only spaces", "     ", false, "Before"},
      {"no \" - Winamp\"", "1. Artist - Title", false, "Before"},
      {"the mark in other letters", "1. Artist - Title - winamp", false, "Before"},
      {"the mark cut short", "1. Artist - Title - Winam", false, "Before"},
      {"an empty title", "1.  - Winamp", false, "Before"},
      {"1023 characters", "1. " + title1011 + " - Winamp", true, title1011},
      {"1024 characters, read again whole", "1. " + title1011 + "x - Winamp", true,
       title1011 + "x"},
      {"5000 characters with the mark early", "1. A - Winamp" + std::string(4987, 'z'), true, "A"},
      {"5000 characters with the mark past 4095", "1. " + std::string(4988, 'z') + " - Winamp",
       false, "Before"},
      {"bytes above 0x7F", "1. \xC0\xFF\x80\xE9 - Winamp", true, "\xC0\xFF\x80\xE9"},
      {"control characters", "1. \t\x01\x1B - Winamp", true, "\t\x01\x1B"},
      {"a zero byte before the mark", Bytes("1. A\0B - Winamp"), false, "Before"},
      {"a zero byte after the mark", Bytes("1. A - Winamp\0junk"), true, "A"},
      {"the same title as before", "9. Before - Winamp [Paused]", false, "Before"},
      {"the same title in other letters", "9. BEFORE - Winamp", true, "BEFORE"},
  };
  for (const CaptionRow& row : rows) {
    SCOPED_TRACE(row.what);
    Fresh();
    host.player.Play(row.caption, 245, 83000);
    DisplayCycle(host);
    const Log log = host.Take();
    EXPECT_EQ(LastTitle(), row.title);
    EXPECT_EQ(CameOut(log), row.shows);
    EXPECT_EQ(Captions(log), row.shows ? Log{row.title + " [4:05] - 1:23"} : Log{});
    // Either way the timer runs on: untouched when nothing happened, at the keep interval
    // when the strip came out.
    EXPECT_EQ(log.empty() ? "" : log.back(), row.shows ? "timer.enabled 1" : "");
  }
}

struct AnswerRow {
  const char* what;
  int32_t length;    // seconds
  int32_t position;  // milliseconds
  std::string caption;
};

// The position is divided by 1000 with its sign; a length below 0 is left out, a position below
// 0 shows as 0:00.
TEST_F(BadPlayerTest, AnyLengthAndPositionMakeACaption) {
  const std::vector<AnswerRow> rows = {
      {"both 0", 0, 0, "Song [0:00] - 0:00"},
      {"both -1", -1, -1, "Song - 0:00"},
      {"both 0x7FFFFFFF", 0x7FFFFFFF, 0x7FFFFFFF, "Song [35791394:07] - 35791:23"},
      {"length 0x7FFFFFFF, position -1", 0x7FFFFFFF, -1, "Song [35791394:07] - 0:00"},
      {"length -1, position 0x7FFFFFFF", -1, 0x7FFFFFFF, "Song - 35791:23"},
      {"length 0, position 0x7FFFFFFF", 0, 0x7FFFFFFF, "Song [0:00] - 35791:23"},
      {"length 0x7FFFFFFF, position 0", 0x7FFFFFFF, 0, "Song [35791394:07] - 0:00"},
      {"length -1, position 0", -1, 0, "Song - 0:00"},
      {"length 0, position -1", 0, -1, "Song [0:00] - 0:00"},
      {"a position of -1 s", 0, -1000, "Song [0:00] - 0:00"},
      {"both the most negative", INT32_MIN, INT32_MIN, "Song - 0:00"},
      {"just below a minute", 59, 59999, "Song [0:59] - 0:59"},
  };
  for (const AnswerRow& row : rows) {
    SCOPED_TRACE(row.what);
    Fresh();
    host.player.Play("1. Song - Winamp", row.length, row.position);
    DisplayCycle(host);
    EXPECT_EQ(Captions(host.Take()), Log{row.caption});
    // The strip out, a show-now asks the player again and captions the same way.
    OnHotKey(host, kShowNow);
    EXPECT_EQ(Captions(host.Take()), Log{row.caption});
  }
}

// The player window is found, then closes before the probe has asked all it needs.
TEST_F(BadPlayerTest, APlayerThatClosesBetweenTwoQueries) {
  struct Row {
    const char* what;
    int answered;  // messages the player answers before it is gone
    bool shows;
    std::string title;
    std::string caption;  // of the tick's display, when it shows
  };
  const std::vector<Row> rows = {
      // The playing state reads 0: a stopped player.
      {"gone before the playing state", 0, false, "Before", ""},
      // The caption query answers 0 and leaves the buffer empty.
      {"gone before the caption", 1, false, "Before", ""},
      // The title is news; length and position then answer 0.
      {"gone before the length", 2, true, "Song", "Song [0:00] - 0:00"},
      {"gone before the position", 3, true, "Song", "Song [4:05] - 0:00"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Fresh();
    host.player.Play("1. Song - Winamp", 245, 83000);
    host.player.vanishAfterMessages = row.answered;
    DisplayCycle(host);
    const Log log = host.Take();
    EXPECT_EQ(CameOut(log), row.shows);
    EXPECT_EQ(LastTitle(), row.title);
    // The window was found, so the caption is composed from the answers that came.
    EXPECT_EQ(Captions(log), row.shows ? Log{row.caption} : Log{});

    // The next tick no longer finds the player: the strip (if out) goes away and says so
    // no more; a show-now says the player does not run.
    OnHotKey(host, kShowNow);
    EXPECT_EQ(NowPlaying().playerWindow, 0u);
    EXPECT_EQ(Captions(host.Take()), Log{kPlayerNotRunning});
    EXPECT_EQ(LastTitle(), row.title);
  }
}

TEST_F(BadPlayerTest, APlayerThatIsFoundButAnswersNothing) {
  // A window of the player's class that handles none of the queries: it reads as stopped,
  // and a show-now captions the old title with zero length and position.
  host.player.Play("1. Song - Winamp", 245, 83000);
  host.player.state = 0;
  host.player.lengthSeconds = 0;
  host.player.positionMs = 0;
  DisplayCycle(host);
  EXPECT_TRUE(host.Take().empty());
  OnHotKey(host, kShowNow);
  EXPECT_EQ(Captions(host.Take()), Log{"Before [0:00] - 0:00"});
  EXPECT_EQ(LastTitle(), "Before");
}

TEST_F(BadPlayerTest, ARestartedPlayerWithTheSameTitleIsNoNews) {
  host.player.Play("1. Song - Winamp", 245, 83000);
  DisplayCycle(host);  // out
  DisplayCycle(host);  // away again
  ASSERT_EQ(Captions(host.Take()), (Log{"Song [4:05] - 1:23", "Song [4:05] - 1:23"}));

  // The player closes: ticks find nothing and do nothing.
  host.player.running = false;
  DisplayCycle(host);
  EXPECT_EQ(NowPlaying().playerWindow, 0u);
  EXPECT_TRUE(host.Take().empty());

  // It comes back under another window handle, on the same title, from the start.
  host.player.Play("1. Song - Winamp", 245, 0);
  host.player.window = 0x00020040;
  DisplayCycle(host);
  EXPECT_EQ(NowPlaying().playerWindow, 0x00020040u);
  EXPECT_TRUE(host.Take().empty());
  EXPECT_EQ(LastTitle(), "Song");

  // The next song is news again.
  host.player.caption = "2. Other - Winamp";
  DisplayCycle(host);
  EXPECT_EQ(Captions(host.Take()), Log{"Other [4:05] - 0:00"});
}

TEST_F(BadPlayerTest, ACaptionThatFlipsBetweenGoodAndBadKeepsTheLastGoodTitle) {
  // A player that shows its own messages between tracks ("Connecting ...", an empty
  // caption): those are no news and do not replace the title.
  const std::vector<std::string> captions = {"1. A - Winamp",         "Connecting...", "",
                                             "1. A - Winamp",         "2. B - Winamp", "x",
                                             "2. B - Winamp [Paused]"};
  Log titles;
  for (const std::string& caption : captions) {
    host.player.Play(caption);
    NowPlaying().shown = false;  // judge each tick on its own
    DisplayCycle(host);
    titles.push_back(LastTitle() + (CameOut(host.Take()) ? " shown" : ""));
  }
  EXPECT_EQ(titles, (Log{"A shown", "A", "A", "A", "B shown", "B", "B"}));
}

}  // namespace
