// The stand-in player answers Winamp's queries as the program expects them, and follows the
// commands that the other tests and the demo steer it with.
#include <gtest/gtest.h>

#include "tests/app/harness.h"

namespace e2e {
namespace {

constexpr LPARAM kQueryState = 104;
constexpr LPARAM kQueryTime = 105;

struct Step {
  const char* command;  // sent to the running player; null for the state at start
  const char* caption;
  LRESULT state;
  LRESULT length;
  LRESULT position;  // -2: runs on; -3: frozen somewhere; -1: stopped; else frozen there (ms)
  int announced;     // "WinampSongChange" broadcasts the command brought
};

// Counts the player's announcements, as any top-level window receives them.
UINT g_songChange = 0;
int g_announced = 0;

LRESULT CALLBACK CountAnnouncements(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == g_songChange) ++g_announced;
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST(StandInPlayer, AnswersQueriesAndFollowsCommands) {
  g_songChange = RegisterWindowMessageA("WinampSongChange");
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = CountAnnouncements;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "AnnouncementCounter";
  ASSERT_TRUE(RegisterClassA(&windowClass));
  HWND counter = CreateWindowExA(0, windowClass.lpszClassName, "", WS_POPUP, 0, 0, 10, 10, nullptr,
                                 nullptr, windowClass.hInstance, nullptr);
  ASSERT_TRUE(counter);
  g_announced = 0;
  Player player;
  ASSERT_TRUE(player.Start({"list 245 Alpha Artist - First Song|59 Beta Band - Second Song"}));
  char className[32] = {};
  GetClassNameA(player.Window(), className, sizeof className);
  EXPECT_STREQ("Winamp v1.x", className);
  EXPECT_EQ(player.Window(), FindWindowA("Winamp v1.x", nullptr));

  const Step steps[] = {
      {nullptr, "1. Alpha Artist - First Song - Winamp", 1, 245, -2, 1},
      {"position 83000", "1. Alpha Artist - First Song - Winamp", 1, 245, -2, 0},
      {"state 3", "1. Alpha Artist - First Song - Winamp [Paused]", 3, 245, -3, 1},
      {"position 1500", "1. Alpha Artist - First Song - Winamp [Paused]", 3, 245, 1500, 0},
      {"next", "2. Beta Band - Second Song - Winamp [Paused]", 3, 59, 0, 1},
      {"state 0", "2. Beta Band - Second Song - Winamp [Stopped]", 0, 59, -1, 1},
      {"answer-state 7", "2. Beta Band - Second Song - Winamp [Stopped]", 7, 59, -1, 0},
      {"answer-state", "2. Beta Band - Second Song - Winamp [Stopped]", 0, 59, -1, 0},
      {"state 1", "2. Beta Band - Second Song - Winamp", 1, 59, -2, 1},
      {"caption 7. Odd caption - Winamp [Extra]", "7. Odd caption - Winamp [Extra]", 1, 59, -2, 1},
      {"title New - Name", "2. New - Name - Winamp", 1, 59, -2, 1},
      {"length -1", "2. New - Name - Winamp", 1, -1, -2, 0},
      {"announce 0", "2. New - Name - Winamp", 1, -1, -2, 0},
      {"title Quiet - Name", "2. Quiet - Name - Winamp", 1, -1, -2, 0},
      {"announce 1", "2. Quiet - Name - Winamp", 1, -1, -2, 0},
      {"track 1", "1. Alpha Artist - First Song - Winamp", 1, 245, -2, 1},
      {"number 0", "Alpha Artist - First Song - Winamp", 1, 245, -2, 1},
      {"number 1", "1. Alpha Artist - First Song - Winamp", 1, 245, -2, 1},
      // foobar2000's emulation: numbered from 0, no mark of the state, nothing announced.
      {"mode foobar", "0. Alpha Artist - First Song - Winamp", 1, 245, -2, 0},
      {"position 90000", "0. Alpha Artist - First Song - Winamp", 1, 245, -2, 0},
      {"state 3", "0. Alpha Artist - First Song - Winamp", 3, 245, -3, 0},
      {"state 0", "0. Alpha Artist - First Song - Winamp", 0, 245, -1, 0},
      {"mode winamp", "1. Alpha Artist - First Song - Winamp [Stopped]", 0, 245, -1, 1},
      {"state 1", "1. Alpha Artist - First Song - Winamp", 1, 245, -2, 1},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.command ? step.command : "start");
    // The first caption is announced too, maybe while Start waited for the window.
    const int announcedBefore = step.command ? g_announced : 0;
    if (step.command) {
      ASSERT_TRUE(player.Send(step.command));
    }
    if (step.announced > 0) {
      EXPECT_TRUE(WaitUntil([&] { return g_announced - announcedBefore >= step.announced; }, 5000));
    }
    EXPECT_EQ(step.caption, player.Caption());
    EXPECT_EQ(step.state, player.Query(0, kQueryState));
    EXPECT_EQ(step.length, player.Query(1, kQueryTime));
    LRESULT first = player.Query(0, kQueryTime);
    PumpFor(120);
    LRESULT second = player.Query(0, kQueryTime);
    if (step.position == -2) {
      EXPECT_GE(first, 0);
      EXPECT_GE(second - first, 100) << "the position runs while playing";
    } else if (step.position == -3) {
      EXPECT_GE(first, 83000);
      EXPECT_EQ(first, second);
    } else {
      EXPECT_EQ(step.position, first);
      EXPECT_EQ(step.position, second);
    }
    EXPECT_EQ(step.announced, g_announced - announcedBefore);
  }
  // A command the player does not know leaves everything as it was.
  for (const char* bad : {"state 2", "bogus", "length x", "track 3", "list 10", "next 1",
                          "announce 2", "announce", "open -1", "open", "scroll 2", "number", "mode",
                          "mode wmp", "tagged 1", "broken-record 2", "hang-fields 0"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(player.Send(bad));
    EXPECT_EQ("1. Alpha Artist - First Song - Winamp", player.Caption());
    EXPECT_EQ(245, player.Query(1, kQueryTime));
  }
  EXPECT_EQ(0, player.Query(0, 999)) << "other queries answer 0";
  // Winamp's taskbar scroll turns the caption up to its last step, and announces no step.
  g_announced = 0;
  ASSERT_TRUE(player.Send("title A - B"));
  EXPECT_TRUE(WaitUntil([&] { return g_announced == 1; }, 5000));
  ASSERT_TRUE(player.Send("scroll 1"));
  EXPECT_TRUE(WaitUntil([&] { return player.Caption() == "** 1. A - B - Winamp *** "; }, 10000));
  EXPECT_EQ(1, g_announced);
  DestroyWindow(counter);
  UnregisterClassA(windowClass.lpszClassName, windowClass.hInstance);
}

TEST(StandInPlayer, PlaysOnToTheNextTrackAndCloses) {
  Player player;
  ASSERT_TRUE(player.Start({"list 1 Short - One|600 Long - Two"}));
  EXPECT_TRUE(WaitUntil([&] { return player.Caption() == "2. Long - Two - Winamp"; }, 10000));
  EXPECT_EQ(600, player.Query(1, kQueryTime));
  EXPECT_LT(player.Query(0, kQueryTime), 5000) << "the new track starts from the beginning";

  // Opened as Winamp opens a file: the play list's title while not playing, then (the thread
  // busy meanwhile) the tags' title, then playing.
  ASSERT_TRUE(player.Send("open 300"));
  ASSERT_TRUE(player.Send("list 600 one.mp3>Tagged - One"));
  EXPECT_EQ("1. one.mp3 - Winamp", player.Caption());
  // Answered before the start, whichever step the thread is at: the next ones follow at once.
  EXPECT_EQ(0, player.Query(0, kQueryState));
  EXPECT_TRUE(WaitUntil(
      [&] { return player.Caption() == "1. Tagged - One - Winamp" && player.Query(0, 104) == 1; },
      5000));
  EXPECT_EQ(600, player.Query(1, kQueryTime));

  ASSERT_TRUE(player.Send("close"));
  DWORD code = 99;
  ASSERT_TRUE(player.Proc().WaitExit(kExitTimeoutMs, &code));
  EXPECT_EQ(0u, code);
}

TEST(StandInPlayer, RefusesBadCommandLine) {
  Process process;
  ASSERT_TRUE(process.Start(BinDir() + "\\player.exe", "\"state 5\"", BinDir()));
  DWORD code = 99;
  ASSERT_TRUE(process.WaitExit(kStartTimeoutMs, &code));
  EXPECT_EQ(2u, code);
}

// The demo steers the player and quits Tunelamp through player.exe's client modes.
std::vector<UINT> g_hotKeys;

LRESULT CALLBACK RecordHotKeys(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_HOTKEY) g_hotKeys.push_back(static_cast<UINT>(wParam));
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST(StandInPlayer, CommandLineClientSendsCommandsAndHotKeys) {
  Player player;
  ASSERT_TRUE(player.Start({}));
  EXPECT_EQ("1. The Quiet Engines - Paper Lanterns - Winamp", player.Caption())
      << "the built-in list";

  Process sender;
  ASSERT_TRUE(
      sender.Start(BinDir() + "\\player.exe", "--send \"title Via - Client\" bogus", BinDir()));
  DWORD code = 99;
  ASSERT_TRUE(sender.WaitExit(kStartTimeoutMs, &code));
  EXPECT_EQ(2u, code) << "the second command is refused";
  EXPECT_EQ("1. Via - Client - Winamp", player.Caption());

  // A stand-in for Tunelamp's popup: the client posts the hot key to every "TForm" window.
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = RecordHotKeys;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "TForm";
  ASSERT_TRUE(RegisterClassA(&windowClass));
  HWND form = CreateWindowExA(0, "TForm", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              windowClass.hInstance, nullptr);
  ASSERT_TRUE(form);
  g_hotKeys.clear();
  Process hotKey;
  ASSERT_TRUE(hotKey.Start(BinDir() + "\\player.exe", "--hotkey 2", BinDir()));
  ASSERT_TRUE(hotKey.WaitExit(kStartTimeoutMs, &code));
  EXPECT_EQ(0u, code);
  EXPECT_TRUE(WaitUntil([] { return !g_hotKeys.empty(); }, 5000));
  EXPECT_EQ(std::vector<UINT>{2}, g_hotKeys);
  DestroyWindow(form);
  UnregisterClassA("TForm", windowClass.hInstance);
}

}  // namespace
}  // namespace e2e
