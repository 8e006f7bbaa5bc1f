#include "display/title_probe.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/state.h"
#include "tests/display/fake_host.h"

namespace {

std::string Repeat(const std::string& piece, size_t times) {
  std::string text;
  for (size_t i = 0; i < times; ++i) text += piece;
  return text;
}

class TitleProbeTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetNowPlaying(); }

  std::string LastTitle() const { return std::string(NowPlaying().lastTitle.View()); }

  FakeHost host;
};

struct CutCase {
  const char* what;
  std::string caption;
  bool changed;
  std::string title;  // the last title afterwards
};

// The caption of a playing player is cut to the text between its first space and its last
// " - Winamp". The last title starts as "kept" so that "no title" shows as "kept".
TEST_F(TitleProbeTest, CutsTheTitleOutOfTheCaption) {
  const std::string longTitle(1011, 'x');
  const std::vector<CutCase> cases = {
      {"usual caption", "7. Some Artist - Some Song - Winamp", true, "Some Artist - Some Song"},
      {"text after the mark", "7. Some Artist - Some Song - Winamp [Extra]", true,
       "Some Artist - Some Song"},
      {"paused", "3. Song - Winamp [Paused]", true, "Song"},
      {"a mark inside the title", "1. A - Winamp - B - Winamp", true, "A - Winamp - B"},
      {"the mark twice at the end", "1. Artist - Winamp - Winamp", true, "Artist - Winamp"},
      {"only the first space counts", "12. Artist  Name - Title - Winamp", true,
       "Artist  Name - Title"},
      {"a two-digit number", "123. X - Winamp", true, "X"},
      {"1023 characters", "1. " + longTitle + " - Winamp", true, longTitle},
      {"an empty title tells nothing", "1.  - Winamp", false, "kept"},
      {"no space at all", "Winamp", false, "kept"},
      {"no space and a mark-like end", "Song-Winamp", false, "kept"},
      {"no mark at all", "1. Just a window", false, "kept"},
      {"the mark spelled otherwise", "1. Song - WINAMP", false, "kept"},
      {"the mark right after the number", "1. - Winamp", false, "kept"},
      {"a first word that is no list number is the title's", "x - Winamp", true, "x"},
      {"digits without the full stop are the title's", "311 - Amber - Winamp", true, "311 - Amber"},
      {"a list number of digits and a full stop only", "1a. B - Winamp", true, "1a. B"},
      {"an empty caption", "", false, "kept"},
      {"a single space", " ", false, "kept"},
      {"a title in other scripts, as UTF-8", "1. Ночной город - Песня αβγ 日本語 - Winamp", true,
       "Ночной город - Песня αβγ 日本語"},
      {"longer than 1024 bytes: read again whole", "12. " + Repeat("日", 400) + " - Winamp", true,
       Repeat("日", 400)},
      {"cut off past 4095 bytes, and the mark with it", "12. " + Repeat("日", 1400) + " - Winamp",
       false, "kept"},
      // A caption the player scrolls in the taskbar (every step: WinampShows below).
      {"a scroll step with the mark in the title",
       "Title - Winamp *** 12. A - Winamp - Title - Winamp", true, "A - Winamp - Title"},
      {"stars without the mark before them", "1. A *** B - Winamp", true, "A *** B"},
      {"the scroll mark alone", " - Winamp *** ", false, "kept"},
      {"a space first: no list number, so the title keeps it", " x - Winamp", true, " x"},
  };
  for (const CutCase& c : cases) {
    SCOPED_TRACE(c.what);
    ResetNowPlaying();
    NowPlaying().lastTitle = Text("kept");
    host.player.Play(c.caption);
    EXPECT_EQ(ProbeTitle(host), c.changed);
    EXPECT_EQ(LastTitle(), c.title);
    EXPECT_EQ(NowPlaying().playerWindow, host.player.window);
  }
}

// The text split into its UTF-8 characters.
std::vector<std::string> Characters(const std::string& text) {
  std::vector<std::string> characters;
  for (const char byte : text) {
    if ((static_cast<unsigned char>(byte) & 0xC0) != 0x80 || characters.empty()) {
      characters.emplace_back();
    }
    characters.back() += byte;
  }
  return characters;
}

// What Winamp shows for `caption`, as a reader of UTF-8 copies it: the caption as set, then
// every step of its taskbar scroll. A step starts at a UTF-16 unit; Windows copies the second
// half of a surrogate pair (a character of four UTF-8 bytes) alone as U+FFFD.
std::vector<std::string> WinampShows(const std::string& caption) {
  const std::string stars = " *** ";
  std::vector<std::string> shown = {caption};
  const std::vector<std::string> characters = Characters(caption);
  std::string from;  // the caption from a unit on, built from its end
  for (size_t i = characters.size(); i-- > 0; from = characters[i] + from) {
    if (characters[i].size() == 4) shown.push_back("\xEF\xBF\xBD" + from + stars + caption);
    shown.push_back(characters[i] + from + stars + caption);
  }
  for (size_t k = 0; k < 3; ++k) shown.push_back(stars.substr(k) + caption + stars);
  return shown;
}

// The caption turned as a plain circle, one character a step: "C *** " from each character on,
// then up to it.
std::vector<std::string> CircleShows(const std::string& caption) {
  const std::vector<std::string> circle = Characters(caption + " *** ");
  std::vector<std::string> shown;
  for (size_t turn = 0; turn < circle.size(); ++turn) {
    std::string step;
    for (size_t k = 0; k < circle.size(); ++k) step += circle[(turn + k) % circle.size()];
    shown.push_back(step);
  }
  return shown;
}

struct ScrollRow {
  const char* what;
  std::string caption;
  std::string title;
  size_t cutSteps;      // longer than the 4,095 bytes the probe reads at most, in Winamp's scroll
  size_t cutTurns = 0;  // and in the plain circle
  std::string otherReading = "";  // what one step also reads as, without the title to go by
};

// Whatever Winamp shows of one track, in its scroll or as a plain circle, is its one title: seen
// while that title is out it is no news, seen first it is the title. A step longer than the
// probe reads cannot be read back whole and is no news; the title stays.
TEST_F(TitleProbeTest, EveryStepOfWinampsScrollGivesTheOneTitle) {
  const std::string spaced = "Artist - " + Repeat("la ", 1357) + "end";
  const std::vector<ScrollRow> rows = {
      {"a short title", "12. Artist - Title - Winamp", "Artist - Title", 0},
      {"a title holding the mark", "3. A - Winamp - B - Winamp", "A - Winamp - B", 0},
      {"a title holding the stars", "4. Heap *** Live - Winamp", "Heap *** Live", 0},
      {"a title that ends in the mark", "1. Song - Winamp - Winamp", "Song - Winamp", 0, 0, "Song"},
      {"170 CJK characters", "7. " + Repeat("日", 170) + " - Winamp", Repeat("日", 170), 0},
      // Turned by 3 in the circle, the first 1024 bytes end in " - Winamp ***".
      {"1,001 letters", "1. Artist - " + std::string(1001, 'x') + " - Winamp",
       "Artist - " + std::string(1001, 'x'), 0},
      {"680 CJK characters", "7. Artist - " + Repeat("日", 680) + " - Winamp",
       "Artist - " + Repeat("日", 680), 19},
      {"past 1,024 bytes", "1. " + std::string(1100, 'x') + " - Winamp", std::string(1100, 'x'), 0},
      {"no list number, a one-word artist", "Artist - Title - Winamp", "Artist - Title", 0},
      {"no list number, a two-word artist", "Pink Floyd - Time - Winamp", "Pink Floyd - Time", 0},
      // As set, its first copy ends 4 bytes before the buffer's end, and is read again whole.
      {"emoji", "12. " + Repeat("😀", 300) + " - Winamp", Repeat("😀", 300), 0},
      // 4,095 bytes: read whole as set; step 0 read cut ends right after " - Winamp".
      {"a cut step that ends in the mark", "1. " + spaced + " - Winamp", spaced, 4095 + 3, 4100},
      // Every turn of the circle is cut, some of them inside the mark.
      {"4,073 letters", "1. Artist - " + std::string(4073, 'x') + " - Winamp",
       "Artist - " + std::string(4073, 'x'), 4094 + 3, 4099},
  };
  for (const ScrollRow& row : rows) {
    SCOPED_TRACE(row.what);
    size_t otherReadings = 0;
    for (const bool circle : {false, true}) {
      size_t cut = 0;
      for (const std::string& shown :
           circle ? CircleShows(row.caption) : WinampShows(row.caption)) {
        SCOPED_TRACE(shown.substr(0, 40));
        const bool isCut = shown.size() >= kCaptionMostSize;
        cut += isCut;
        host.player.Play(shown);
        NowPlaying().lastTitle = Text(row.title.c_str());
        EXPECT_FALSE(ProbeTitle(host));
        EXPECT_EQ(LastTitle(), row.title);
        NowPlaying().lastTitle = Text("kept");
        EXPECT_EQ(ProbeTitle(host), !isCut);
        if (!isCut && LastTitle() == row.otherReading) {
          ++otherReadings;
        } else {
          EXPECT_EQ(LastTitle(), isCut ? "kept" : row.title);
        }
      }
      EXPECT_EQ(cut, circle ? row.cutTurns : row.cutSteps);
    }
    EXPECT_EQ(otherReadings, row.otherReading.empty() ? 0u : 1u);
  }
}

// A player whose thread stops answering reads as a stopped one: no news, the title stays.
TEST_F(TitleProbeTest, APlayerThatDoesNotAnswerIsNoNews) {
  for (const int answered : {0, 1}) {  // hangs before the playing state, or the caption
    SCOPED_TRACE(answered);
    ResetNowPlaying();
    NowPlaying().lastTitle = Text("kept");
    host.player.Play("1. Song - Winamp");
    host.player.hangAfterMessages = answered;
    EXPECT_FALSE(ProbeTitle(host));
    EXPECT_EQ(LastTitle(), "kept");
    EXPECT_EQ(NowPlaying().playerWindow, host.player.window);
  }
}

TEST_F(TitleProbeTest, AnEmptyTitleIsNoNewsAtStart) {
  host.player.Play("1.  - Winamp");
  EXPECT_FALSE(ProbeTitle(host));
  EXPECT_EQ(LastTitle(), "");
}

// The probe must end when the caption has no " - Winamp" after its first space: the title
// is not news, the last title stays, and the player window is still refreshed.
TEST_F(TitleProbeTest, ACaptionWithoutTheMarkEndsTheProbeWithoutNews) {
  host.player.Play("1. Old - Winamp");
  ASSERT_TRUE(ProbeTitle(host));
  host.player.window = 0x777;
  host.player.caption = std::string(1023, 'z');
  EXPECT_FALSE(ProbeTitle(host));
  EXPECT_EQ(LastTitle(), "Old");
  EXPECT_EQ(NowPlaying().playerWindow, 0x777u);
}

TEST_F(TitleProbeTest, TheTitleRunsAsFarAsTheCaptionAnswerSays) {
  struct Case {
    const char* what;
    int32_t answer;
    bool changed;
    std::string title;
  };
  const std::vector<Case> cases = {
      {"the whole caption", 16, true, "Song"}, {"more than the caption", 5000, true, "Song"},
      {"the mark cut off", 15, false, ""},     {"nothing", 0, false, ""},
      {"a negative count", -5, false, ""},     {"the most negative count", INT32_MIN, false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ResetNowPlaying();
    host.player.Play("1. Song - Winamp");  // 16 characters
    host.player.captionAnswer = c.answer;
    EXPECT_EQ(ProbeTitle(host), c.changed);
    EXPECT_EQ(LastTitle(), c.title);
  }
}

TEST_F(TitleProbeTest, ReadsTheCaptionIntoAZeroedBufferOf1024Bytes) {
  // A player that writes no terminating zero: the zeroed buffer ends the caption.
  host.player.Play("1. Song - Winamp");
  host.player.terminateCaption = false;
  EXPECT_TRUE(ProbeTitle(host));
  EXPECT_EQ(LastTitle(), "Song");
  EXPECT_EQ(host.playerLog, (std::vector<std::string>{"find", "query 0 104", "gettext 1024"}));

  // One that fills all 1024 bytes: the caption is those 1024 bytes and no more.
  ResetNowPlaying();
  std::string full = "1. " + std::string(1012, 'y') + " - Winamp";  // 1024 bytes
  host.player.caption = full;
  EXPECT_TRUE(ProbeTitle(host));
  EXPECT_EQ(LastTitle(), std::string(1012, 'y'));

  // With the terminator the 1024th byte is lost: a copy that long asks for the length and reads
  // the caption again into a buffer that holds it.
  ResetNowPlaying();
  host.player.terminateCaption = true;
  host.playerLog.clear();
  EXPECT_TRUE(ProbeTitle(host));
  EXPECT_EQ(LastTitle(), std::string(1012, 'y'));
  EXPECT_EQ(host.playerLog, (std::vector<std::string>{"find", "query 0 104", "gettext 1024",
                                                      "gettextlength", "gettext 1025"}));
  // A length stated too high (another code page) gives a larger buffer, never more than 4096.
  for (const int32_t overstated : {1, 3072, 100000}) {
    SCOPED_TRACE(overstated);
    ResetNowPlaying();
    host.player.lengthOverstated = overstated;
    EXPECT_TRUE(ProbeTitle(host));
    EXPECT_EQ(LastTitle(), std::string(1012, 'y'));
  }
  EXPECT_EQ(host.playerLog.back(), "gettext 4096");
  // A player that stops answering before the length: the copy may be cut, so it is no news.
  ResetNowPlaying();
  host.player.hangAfterMessages = 2;
  EXPECT_FALSE(ProbeTitle(host));
  EXPECT_EQ(LastTitle(), "");
}

TEST_F(TitleProbeTest, PlayerNotRunning) {
  NowPlaying().lastTitle = Text("Before");
  NowPlaying().playerWindow = 0x1234;
  EXPECT_FALSE(ProbeTitle(host));
  EXPECT_EQ(NowPlaying().playerWindow, 0u);
  EXPECT_EQ(LastTitle(), "Before");
  EXPECT_EQ(host.playerLog, std::vector<std::string>{"find"});
}

TEST_F(TitleProbeTest, AStoppedPlayerIsNoNewsEvenWithANewCaption) {
  host.player.Play("1. First - Winamp");
  ASSERT_TRUE(ProbeTitle(host));
  host.playerLog.clear();
  host.player.caption = "2. Second - Winamp [Stopped]";
  host.player.state = 0;
  EXPECT_FALSE(ProbeTitle(host));
  EXPECT_EQ(LastTitle(), "First");
  EXPECT_EQ(NowPlaying().playerWindow, host.player.window);
  EXPECT_EQ(host.playerLog, (std::vector<std::string>{"find", "query 0 104"}));
}

TEST_F(TitleProbeTest, AnyNonZeroPlayingStateCountsAsPlaying) {
  for (const int32_t state : {1, 3, 2, -1, INT32_MIN, INT32_MAX}) {
    SCOPED_TRACE(state);
    ResetNowPlaying();
    host.player.Play("1. Song - Winamp");
    host.player.state = state;
    EXPECT_TRUE(ProbeTitle(host));
    EXPECT_EQ(LastTitle(), "Song");
  }
}

TEST_F(TitleProbeTest, TheSameCaptionTwiceIsNewsOnlyOnce) {
  host.player.Play("7. Some Artist - Some Song - Winamp [Extra]");
  EXPECT_TRUE(ProbeTitle(host));
  EXPECT_FALSE(ProbeTitle(host));
  // Another playlist position with the same title is no news either.
  host.player.caption = "8. Some Artist - Some Song - Winamp";
  EXPECT_FALSE(ProbeTitle(host));
  // Titles compare byte for byte, with case.
  host.player.caption = "8. Some Artist - Some song - Winamp";
  EXPECT_TRUE(ProbeTitle(host));
}

TEST_F(TitleProbeTest, APlayerRestartedWithTheSameTitleIsNoNews) {
  host.player.Play("1. Song - Winamp");
  ASSERT_TRUE(ProbeTitle(host));
  host.player.running = false;
  EXPECT_FALSE(ProbeTitle(host));
  EXPECT_EQ(NowPlaying().playerWindow, 0u);
  host.player.running = true;
  host.player.window = 0x2040;
  EXPECT_FALSE(ProbeTitle(host));
  EXPECT_EQ(NowPlaying().playerWindow, 0x2040u);
  EXPECT_EQ(LastTitle(), "Song");
}

TEST_F(TitleProbeTest, APlayerThatClosesBetweenQueriesIsNoNews) {
  host.player.Play("1. Song - Winamp");
  host.player.vanishAfterMessages = 1;  // answers the state, then is gone
  EXPECT_FALSE(ProbeTitle(host));
  EXPECT_EQ(LastTitle(), "");
  EXPECT_EQ(NowPlaying().playerWindow, host.player.window);
}

// Several "Winamp v1.x" windows (foobar2000's emulator beside Winamp): the one that plays is
// followed; of several playing, the one whose title changed last; with none playing, the one
// followed before. A is first in the z-order, B second. State -1: the window is closed; 1 plays,
// 3 paused, 0 stopped. The steps run in order, one probe each.
TEST_F(TitleProbeTest, OfSeveralPlayersFollowsTheOneThatPlays) {
  struct Step {
    const char* what;
    int32_t stateA;
    std::string captionA;
    int32_t stateB;
    std::string captionB;
    char followed;  // 'A', 'B' or '-' for none
    bool changed;
    std::string title;  // the last title afterwards
  };
  const std::string a1 = "1. Song A - Winamp";
  const std::string a2 = "2. Next A - Winamp";
  const std::string b1 = "1. Song B - Winamp";
  const std::string b2 = "2. Next B - Winamp";
  const std::vector<Step> steps = {
      {"A plays, B stopped: A", 1, a1, 0, "foobar2000", 'A', true, "Song A"},
      {"B begins to play: the last change, B", 1, a1, 1, b1, 'B', true, "Song B"},
      {"both play, A's title changes: A", 1, a2, 1, b1, 'A', true, "Next A"},
      {"nothing changes: still A", 1, a2, 1, b1, 'A', false, "Next A"},
      {"both stopped: the one followed before", 0, a2, 0, b1, 'A', false, "Next A"},
      {"B plays on with its old title: the only one playing", 0, a2, 1, b1, 'B', true, "Song B"},
      {"A paused on a new title: B plays, B stays", 3, "3. Paused A - Winamp", 1, b1, 'B', false,
       "Song B"},
      {"B's title changes while A scrolls: B", 1, "Winamp *** 3. Paused A - Winamp", 1, b2, 'B',
       true, "Next B"},
      {"B closes: A alone, as one player is followed", 1, "3. Paused A - Winamp", -1, b2, 'A', true,
       "Paused A"},
      {"both closed: none", -1, a1, -1, b1, '-', false, "Paused A"},
      {"A alone and stopped: followed, no news", 0, a1, -1, b1, 'A', false, "Paused A"},
  };
  host.others.resize(1);
  FakePlayer& a = host.player;
  FakePlayer& b = host.others[0];
  b.window = 0x00010030;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    const auto set = [](FakePlayer& player, int32_t state, const std::string& caption) {
      player.running = state >= 0;
      player.state = state;
      player.caption = caption;
    };
    set(a, step.stateA, step.captionA);
    set(b, step.stateB, step.captionB);
    EXPECT_EQ(ProbeTitle(host), step.changed);
    const uint32_t followed = step.followed == 'A' ? a.window : step.followed == 'B' ? b.window : 0;
    EXPECT_EQ(NowPlaying().playerWindow, followed);
    EXPECT_EQ(LastTitle(), step.title);
  }
}

}  // namespace
