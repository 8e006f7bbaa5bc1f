// The strip as a person sees it: a new title fades in with its length and position, stays,
// fades out, and what paused, stopped and odd players show.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/app/harness.h"
#include "toolkit/helpers.h"

namespace e2e {
namespace {

// "TITLE [m:ss] - m:ss" → the position in seconds, or -1 when the text has another form.
int PositionShown(const std::string& text, const std::string& titleAndLength) {
  std::string head = titleAndLength + " - ";
  if (text.compare(0, head.size(), head) != 0) return -1;
  unsigned minutes = 0;
  unsigned seconds = 0;
  char tail = 0;
  if (std::sscanf(text.c_str() + head.size(), "%u:%2u%c", &minutes, &seconds, &tail) != 2 ||
      seconds > 59 || text.size() - head.size() < 4 || text[text.size() - 3] != ':') {
    return -1;
  }
  return static_cast<int>(minutes * 60 + seconds);
}

TEST(Display, NewTitleFadesInStaysForKeepTitleAndFadesOutOnce) {
  constexpr DWORD kKeep = 2500;
  WorkDir dir;
  dir.Write("settings.ini", "[Main]\nKeepTitle=2500\nCheckTitle=300\n");
  Tunelamp app;
  ASSERT_TRUE(app.Start(dir));
  HWND popup = app.WaitPopup();
  ASSERT_TRUE(popup);
  EXPECT_TRUE(IsIconic(popup)) << "memory economy is on by default";

  Player player;
  DWORD playerStart = GetTickCount();
  ASSERT_TRUE(player.Start({"list 245 Alpha Artist - First Song", "position 83000"}));

  // Record until the strip has come, gone, and stayed away for three seconds.
  int phase = 0;  // 0 waiting, 1 rising, 2 out, 3 falling, 4 away
  DWORD awaySince = 0;
  std::vector<Sample> samples = Record(
      popup,
      [&](const Sample& s) {
        if (phase == 0 && s.alpha > 0) phase = 1;
        if (phase == 1 && s.alpha == 200) phase = 2;
        if (phase == 2 && s.alpha < 200) phase = 3;
        if (phase == 3 && s.alpha == 0) {
          phase = 4;
          awaySince = s.tick;
        }
        return phase == 4 && s.tick - awaySince >= 3000;
      },
      30000);
  ASSERT_EQ(4, phase) << "the strip must come out and go away";

  size_t i = 0;
  while (samples[i].alpha == 0) ++i;
  size_t firstOut = i;
  while (samples[firstOut].alpha != 200) ++firstOut;
  size_t lastOut = firstOut;
  while (samples[lastOut + 1].alpha == 200) ++lastOut;
  size_t away = lastOut;
  while (samples[away].alpha != 0) ++away;

  // Fading in: the alpha only rises, the strip is restored, the label slides in from the right.
  bool between = false;
  bool labelRight = false;
  for (size_t k = i; k < firstOut; ++k) {
    if (k > 0) {
      EXPECT_GE(samples[k].alpha, samples[k - 1].alpha) << "sample " << k;
    }
    EXPECT_FALSE(samples[k].iconic);
    between = between || (samples[k].alpha > 0 && samples[k].alpha < 200);
    labelRight = labelRight || samples[k].label.left > 20;
  }
  EXPECT_TRUE(between) << "the alpha passes through the values between 0 and 200";
  EXPECT_TRUE(labelRight) << "the label comes in from the right";

  // Out: at rest, for about KeepTitle.
  // The label is read in the middle of the stay: a sample reads the alpha, then the label, so
  // the first sample at alpha 200 can fall between the last appearing frame's opacity and its
  // label move, and the last one between the first disappearing frame's.
  const Sample& out = samples[firstOut];
  const Sample& rest = samples[(firstOut + lastOut) / 2];
  EXPECT_EQ(200, rest.alpha);
  EXPECT_EQ(20, rest.label.left);
  EXPECT_EQ(8, rest.label.top);
  DWORD stayed = samples[lastOut].tick - samples[firstOut].tick;
  EXPECT_GE(stayed, kKeep - 300);
  EXPECT_LE(stayed, kKeep + 3000);
  int shown = PositionShown(out.text, "Alpha Artist - First Song [4:05]");
  EXPECT_GE(shown, 83) << out.text;
  EXPECT_LE(shown, 83 + static_cast<int>((out.tick - playerStart) / 1000) + 1) << out.text;

  // Fading out: the alpha only falls and the label slides down; then minimised again.
  bool labelDown = false;
  for (size_t k = lastOut + 1; k <= away; ++k) {
    EXPECT_LE(samples[k].alpha, samples[k - 1].alpha) << "sample " << k;
    labelDown = labelDown || samples[k].label.top > 8;
  }
  EXPECT_TRUE(labelDown) << "the label slides down";
  for (size_t k = away; k < samples.size(); ++k) EXPECT_EQ(0, samples[k].alpha) << "shown again";
  EXPECT_TRUE(samples.back().iconic) << "minimised at rest";
  // The caption was composed afresh for the way out.
  EXPECT_GE(PositionShown(samples.back().text, "Alpha Artist - First Song [4:05]"), shown);
}

struct PlayerCase {
  const char* name;
  std::vector<std::string> commands;
  const char* label;  // what the strip shows by itself; null: it stays away
  const char* labelOnShowNow;
};

// From the popup's appearance to the first visible frame of a player's title: the first check
// and the first two frames, with room for a slow machine.
constexpr DWORD kFirstCheckBoundMs = 700;

TEST(Display, WhatEachKindOfPlayerShows) {
  const PlayerCase cases[] = {
      {"paused, 59 s at 0:00",
       {"list 59 Beta Band - Second Song", "state 3", "position 0"},
       "Beta Band - Second Song [0:59] - 0:00",
       nullptr},
      {"odd state answer and a caption with Winamp in the title",
       {"list 61 x", "state 3", "position 125999", "answer-state 7",
        "caption 3. Delta - Winamp Tribute - Odd - Winamp [Extra]"},
       "Delta - Winamp Tribute - Odd [1:01] - 2:05",
       nullptr},
      {"unknown length: left out",
       {"list -1 Echo - Endless", "state 3", "position 0"},
       "Echo - Endless - 0:00",
       nullptr},
      {"stopped: nothing, but show-now gives the length and 0:00",
       {"list 245 Foxtrot - Stopped Song", "state 0"},
       nullptr,
       " [4:05] - 0:00"},
  };
  for (const PlayerCase& c : cases) {
    SCOPED_TRACE(c.name);
    WorkDir dir;
    // A long CheckTitle: the first checks come every 100 ms from the start all the same.
    dir.Write("settings.ini", "[Main]\nKeepTitle=1000\nCheckTitle=5000\n");
    Player player;
    ASSERT_TRUE(player.Start(c.commands));
    Tunelamp app;
    ASSERT_TRUE(app.Start(dir));
    HWND popup = app.WaitPopup();
    ASSERT_TRUE(popup);
    const DWORD appeared = GetTickCount();
    if (c.label) {
      ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) > 0; }, 15000, 5));
      EXPECT_LT(GetTickCount() - appeared, kFirstCheckBoundMs) << "the first check comes at once";
      ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) == 200; }, 15000));
      EXPECT_EQ(c.label, LabelText(popup));
      continue;
    }
    // Give the program several polls with the player up: nothing comes out.
    EXPECT_FALSE(WaitUntil([&] { return AlphaOf(popup) != 0; }, 3000));
    EXPECT_EQ("", LabelText(popup));
    app.HotKey(0);
    ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) == 200; }, 15000));
    EXPECT_EQ(c.labelOnShowNow, LabelText(popup));
  }
}

// Two stand-in players at once (foobar2000's emulator beside Winamp): the stopped one first in
// the z-order, where FindWindowA finds it, and the second plays. The strip shows the one that
// plays.
TEST(Display, OfTwoPlayersTheOneThatPlaysIsShown) {
  WorkDir dir;
  dir.Write("settings.ini", "[Main]\nKeepTitle=1000\nCheckTitle=300\n");
  Player playing;
  ASSERT_TRUE(playing.Start({"list 61 Beta Band - Playing Song", "position 0"}));
  Player stopped;
  ASSERT_TRUE(stopped.Start({"list 59 Alpha Artist - Stopped Song", "state 0"}));
  SetWindowPos(stopped.Window(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ASSERT_TRUE(
      WaitUntil([&] { return FindWindowA("Winamp v1.x", nullptr) == stopped.Window(); }, 5000));
  Tunelamp app;
  ASSERT_TRUE(app.Start(dir));
  HWND popup = app.WaitPopup();
  ASSERT_TRUE(popup);
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) == 200; }, 15000));
  // The position moves on while it plays.
  EXPECT_EQ(0u, LabelText(popup).rfind("Beta Band - Playing Song [1:01] - 0:0", 0))
      << LabelText(popup);
}

TEST(Display, ShowNowWithoutPlayerSaysSoThenLeaves) {
  WorkDir dir;
  dir.Write("settings.ini", "[Main]\nKeepTitle=1000\nMemEconomy=0\n");
  Tunelamp app;
  ASSERT_TRUE(app.Start(dir));
  HWND popup = app.WaitPopup();
  ASSERT_TRUE(popup);
  EXPECT_FALSE(WaitUntil([&] { return AlphaOf(popup) != 0; }, 2000)) << "no player, no hot key";
  EXPECT_EQ("", LabelText(popup));

  // A real Ctrl+Shift+X, through the X server: the hot key is registered with the system.
  FocusWindow focus;
  ASSERT_TRUE(focus.PressKeys("ctrl+shift+x"));
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) == 200; }, 15000));
  // The same words on every system: on one whose code page is Windows-1251, the 18 bytes.
  const std::wstring text = LabelTextWide(popup);
  EXPECT_EQ(kNotRunning, text);
  char cp1251[64] = {};
  WideCharToMultiByte(1251, 0, text.c_str(), -1, cp1251, sizeof cp1251, nullptr, nullptr);
  EXPECT_EQ("WinAMP \xED\xE5 \xE7\xE0\xEF\xF3\xF9\xE5\xED!", std::string(cp1251));
  EXPECT_TRUE(WaitUntil([&] { return AlphaOf(popup) == 0; }, 15000)) << "leaves after KeepTitle";
  EXPECT_FALSE(IsIconic(popup)) << "memory economy is off";
}

// The player's window is a Unicode window; the program reads its caption in UTF-8 and the
// label shows every character as the player had it.
TEST(Display, TitlesInEveryScriptReachTheLabelUnchanged) {
  struct Script {
    const char* track;  // "S TITLE" for the player's list
    const wchar_t* label;
  };
  const Script scripts[] = {
      {"600 Ночной город - Песня", L"Ночной город - Песня [10:00] - 0:0"},
      {"600 Σωκράτης - Αλφα βήτα", L"Σωκράτης - Αλφα βήτα [10:00] - 0:0"},
      {"600 日本の歌手 - 夜の歌", L"日本の歌手 - 夜の歌 [10:00] - 0:0"},
      {"600 Café Müller - Señorita à la Ærø", L"Café Müller - Señorita à la Ærø [10:00] - 0:0"},
  };
  std::string list = "list ";
  for (const Script& s : scripts) list += std::string(s.track) + (&s == &scripts[3] ? "" : "|");
  WorkDir dir;
  dir.Write("settings.ini", "[Main]\nKeepTitle=300\nCheckTitle=100\n");
  Player player;
  ASSERT_TRUE(player.Start({list}));
  Tunelamp app;
  ASSERT_TRUE(app.Start(dir));
  HWND popup = app.WaitPopup();
  ASSERT_TRUE(popup);
  for (size_t k = 0; k < 4; ++k) {
    SCOPED_TRACE(k);
    if (k > 0) {
      ASSERT_TRUE(player.Send("track " + std::to_string(k + 1)));
    }
    ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) == 200; }, 15000));
    const std::wstring label = LabelTextWide(popup);
    EXPECT_EQ(0u, label.find(scripts[k].label)) << "label of " << label.size() << " characters";
    ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) == 0; }, 15000));
  }
}

// Winamp can scroll its caption in the taskbar, a character a step, each circle ending in
// " *** C *** ", "*** C *** " and "** C *** ". A track is still one title, shown once.
TEST(Display, AScrollingCaptionIsOneTitleShownOnce) {
  WorkDir dir;
  dir.Write("settings.ini", "[Main]\nKeepTitle=500\nCheckTitle=50\n");
  Player player;
  ASSERT_TRUE(player.Start({"list 600 Oscar - Turn|600 Papa - Second Turn"}));
  Tunelamp app;
  ASSERT_TRUE(app.Start(dir));
  HWND popup = app.WaitPopup();
  ASSERT_TRUE(popup);
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) == 200; }, 15000));
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) == 0; }, 15000));

  ASSERT_TRUE(player.Send("scroll 1"));
  // Two whole circles, each ending in "** 1. Oscar - Turn - Winamp *** ", with the strip away.
  int circles = 0;
  std::string shown;
  EXPECT_TRUE(WaitUntil(
      [&] {
        const std::string caption = player.Caption();
        circles += caption != shown && caption.rfind("** 1.", 0) == 0;
        shown = caption;
        return AlphaOf(popup) != 0 || circles == 2;
      },
      20000, 5));
  EXPECT_EQ(2, circles) << "the strip came out: " << LabelText(popup);
  EXPECT_EQ("", Holds(popup, 0, 500)) << "a track already shown does not come out again";
  ASSERT_TRUE(player.Send("next"));
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) == 200; }, 15000));
  EXPECT_EQ(0u, LabelText(popup).find("Papa - Second Turn [10:00] - 0:0")) << LabelText(popup);
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) == 0; }, 15000));
  EXPECT_EQ("", Holds(popup, 0, 3000)) << "not again while it scrolls";
}

// How a track reaches the strip: a stream shows each of its titles without a length; a file
// that the player opens as Winamp does (caption from the play list while not playing, a busy
// thread, the caption from the tags, then playing, each announced) is one display, with the
// tags' title and its length. The checks come every 100 ms, so a step shown wrongly would show.
TEST(Display, AStreamAndTheRealPlayersOrderAtANewTrack) {
  struct Row {
    const char* name;
    std::string list;
    std::string first;                  // what the strip shows at the start
    std::vector<std::string> commands;  // then these
    std::string next;                   // and the one display they bring
  };
  const Row rows[] = {
      {"a stream",
       "list -1 Radio Xray - Song One",
       "Radio Xray - Song One - 0:0",
       {"title Radio Xray - Song Two"},
       "Radio Xray - Song Two - 0:0"},
      {"the real player's order",
       "list 600 Victor - First|300 whiskey.mp3>Whiskey - Tagged",
       "Victor - First [10:00] - 0:0",
       {"open 1500", "next"},
       "Whiskey - Tagged [5:00] - 0:0"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    WorkDir dir;
    dir.Write("settings.ini", "[Main]\nKeepTitle=800\nCheckTitle=100\nMemEconomy=0\n");
    Player player;
    ASSERT_TRUE(player.Start({row.list}));
    Tunelamp app;
    ASSERT_TRUE(app.Start(dir));
    HWND popup = app.WaitPopup();
    ASSERT_TRUE(popup);
    ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) == 200; }, 15000));
    EXPECT_EQ(0u, LabelText(popup).find(row.first)) << LabelText(popup);
    ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) == 0; }, 15000));
    for (const std::string& command : row.commands) ASSERT_TRUE(player.Send(command));
    // The first display after the commands is the one, and no other follows.
    ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) == 200; }, 30000));
    EXPECT_EQ(0u, LabelText(popup).find(row.next)) << LabelText(popup);
    ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) == 0; }, 15000));
    EXPECT_EQ("", Holds(popup, 0, 4000)) << "one display";
  }
}

// Progress=1: a line along the strip's bottom edge, in the text's colour (black), whose length
// is position / length of the strip's width, growing as the track plays.
TEST(Display, TheProgressLineFollowsThePosition) {
  WorkDir dir;
  dir.Write("settings.ini", "[Main]\nKeepTitle=0\nProgress=1\n");
  Player player;
  ASSERT_TRUE(player.Start({"list 40 Yankee - Progress", "position 10000"}));
  Tunelamp app;
  ASSERT_TRUE(app.Start(dir));
  HWND popup = app.WaitPopup();
  ASSERT_TRUE(popup);
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) == 200; }, 15000));
  const RECT rect = RectOf(popup);
  const int width = rect.right - rect.left;
  // The black run along the second-last row, read from the screen, against the player's word.
  // Drawn as the strip comes out, then once a second from the end of its fade-in: read past
  // the first second, it is at most a second behind.
  const auto line = [&](double* expected) {
    PumpFor(1200);
    const LRESULT position = player.Query(0, 105);
    *expected = width * (position / 40000.0);
    HDC screen = GetDC(nullptr);
    int end = 0;
    for (int x = 30; x < width - 30; ++x) {
      if (GetPixel(screen, rect.left + x, rect.bottom - 2) == RGB(0, 0, 0)) end = x + 1;
    }
    // 3 pixels high, on the strip's last rows.
    for (const int row : {1, 3}) {
      EXPECT_EQ(RGB(0, 0, 0), GetPixel(screen, rect.left + 40, rect.bottom - row)) << row;
    }
    EXPECT_NE(RGB(0, 0, 0), GetPixel(screen, rect.left + 40, rect.bottom - 4));
    ReleaseDC(nullptr, screen);
    return end;
  };
  double expected = 0;
  const int first = line(&expected);
  // A second is 32 pixels here.
  EXPECT_NEAR(expected, first, width / 40.0 + 4) << "at " << expected;
  PumpFor(2500);
  const int later = line(&expected);
  EXPECT_NEAR(expected, later, width / 40.0 + 4) << "at " << expected;
  EXPECT_GT(later, first + width / 40) << "it grows as the track plays";

  // Saved off, the line is gone at the next display.
  dir.Write("settings.ini", "[Main]\nKeepTitle=0\nProgress=0\n");
  PumpFor(1500);
  app.Click();
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) == 0; }, 5000));
  app.HotKey(0);
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) == 200; }, 15000));
  PumpFor(kSettleMs);
  HDC screen = GetDC(nullptr);
  for (const int x : {40, width / 2}) {
    EXPECT_NE(RGB(0, 0, 0), GetPixel(screen, rect.left + x, rect.bottom - 2)) << "no line at " << x;
  }
  ReleaseDC(nullptr, screen);
}

// The player announces each new caption ("WinampSongChange"): a new title comes out at once
// instead of at the next check, but an announcement never touches a display under way. The
// checks are 5 s apart, so none can pass for an announcement.
TEST(Display, AnAnnouncedTitleComesOutAtOnceAndOnlyOverAnIdleStrip) {
  constexpr DWORD kKeep = 1000;
  constexpr DWORD kCheck = 5000;
  WorkDir dir;
  dir.Write("settings.ini", "[Main]\nKeepTitle=1000\nCheckTitle=5000\nMemEconomy=0\n");
  Player player;
  ASSERT_TRUE(
      player.Start({"list 600 Quebec - One|600 Romeo - Two|600 Sierra - Three|600 "
                    "Tango - Four"}));
  Tunelamp app;
  ASSERT_TRUE(app.Start(dir));
  HWND popup = app.WaitPopup();
  ASSERT_TRUE(popup);
  // The first title comes out at the first check; from its end on the checks are 5 s apart.
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) == 200; }, 15000));
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) == 0; }, 15000));

  DWORD sent = GetTickCount();
  ASSERT_TRUE(player.Send("next"));
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) > 0; }, 15000, 5));
  EXPECT_LT(GetTickCount() - sent, 1000u) << "announced: out at once";
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) == 200; }, 5000));
  const std::string romeo = LabelText(popup);
  EXPECT_EQ(0u, romeo.find("Romeo - Two [10:00] - 0:0")) << romeo;

  // Announced while the strip is out: it stays out, as it was, for the rest of its time.
  const DWORD out = GetTickCount();
  ASSERT_TRUE(player.Send("title Uniform - Renamed"));
  std::vector<Sample> samples = Record(
      popup, [](const Sample& s) { return s.alpha != 200; }, 15000);
  EXPECT_GE(samples.back().tick - out, kKeep - 300) << "kept for its whole time";
  EXPECT_LE(samples.back().tick - out, kKeep + 1500) << "and no longer";
  // Read well before its time is up: the way out sets the new caption before the first fall.
  for (const Sample& s : samples) {
    if (s.tick - out < kKeep / 2) {
      EXPECT_EQ(romeo, s.text);
    }
  }

  // Announced while it fades out: the fade goes on to its end, and the next check shows it.
  ASSERT_TRUE(player.Send("next"));
  samples = Record(
      popup, [](const Sample& s) { return s.alpha == 0; }, 15000);
  for (size_t k = 1; k < samples.size(); ++k) {
    EXPECT_LE(samples[k].alpha, samples[k - 1].alpha) << "sample " << k;
  }
  const DWORD away = GetTickCount();
  EXPECT_EQ("", Holds(popup, 0, 2500)) << "a missed announcement waits for the check";
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) > 0; }, 15000, 5));
  EXPECT_LT(GetTickCount() - away, kCheck + 2000);
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) == 200; }, 5000));
  EXPECT_EQ(0u, LabelText(popup).find("Sierra - Three [10:00] - 0:0")) << LabelText(popup);

  // A player that announces nothing: its new title waits for the next check.
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) == 0; }, 15000));
  const DWORD quiet = GetTickCount();
  ASSERT_TRUE(player.Send("announce 0"));
  ASSERT_TRUE(player.Send("next"));
  EXPECT_EQ("", Holds(popup, 0, 2500)) << "not announced: the check finds it";
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) > 0; }, 15000, 5));
  EXPECT_LT(GetTickCount() - quiet, kCheck + 2000);
  EXPECT_EQ(0u, LabelText(popup).find("Tango - Four [10:00] - 0:0")) << LabelText(popup);
}

TEST(Display, FullScreenZeroKeepsNewTitlesQuietWhileAFullScreenWindowIsInFront) {
  WorkDir dir;
  dir.Write("settings.ini", "[Main]\nFullScreen=0\nKeepTitle=1000\nCheckTitle=200\n");
  Tunelamp app;
  ASSERT_TRUE(app.Start(dir));
  HWND popup = app.WaitPopup();
  ASSERT_TRUE(popup);
  Player player;
  ASSERT_TRUE(player.Start({"list 60 Golf - One|60 Hotel - Two", "state 0"}));
  // The window manager brings the player's new window to the front in its own time: once it
  // has, it can no longer take the front from the full-screen window.
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == player.Window(); }, 10000));
  ASSERT_TRUE(player.Send("fullscreen 1"));  // answers once the window holds the front
  HWND front = GetForegroundWindow();
  RECT covered = RectOf(front);
  EXPECT_EQ(0, covered.left);
  EXPECT_EQ(0, covered.top);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), covered.right);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), covered.bottom);

  ASSERT_TRUE(player.Send("state 1"));  // a new title
  EXPECT_FALSE(WaitUntil([&] { return AlphaOf(popup) != 0; }, 3000)) << "quiet in full screen";
  ASSERT_TRUE(player.Send("fullscreen 0"));
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == player.Window(); }, 5000));
  EXPECT_FALSE(WaitUntil([&] { return AlphaOf(popup) != 0; }, 1500))
      << "the title seen in full screen does not come out later";
  ASSERT_TRUE(player.Send("next"));
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) == 200; }, 15000));
  EXPECT_EQ(0u, LabelText(popup).rfind("Hotel - Two [1:00] - 0:0", 0)) << LabelText(popup);
}

// The window in front for Monitor=-1 and the quiet rule, this process standing for Tunelamp: past
// its own windows in front, shown or hidden as the icon's menu leaves one, to the player's below.
TEST(Display, TheWindowInFrontIsAnotherProgramsPastThisOnesOwn) {
  Player player;
  ASSERT_TRUE(player.Start({"list 60 Golf - One"}));
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == player.Window(); }, 10000));
  FocusWindow shown;
  HWND hidden = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr,
                                nullptr, nullptr, nullptr);
  for (const HWND own : {shown.Handle(), hidden}) {
    SetForegroundWindow(own);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == own; }, 5000));
    EXPECT_EQ(player.Window(), WindowInFront()) << (own == hidden ? "hidden" : "shown");
  }
  DestroyWindow(hidden);
}

}  // namespace
}  // namespace e2e
