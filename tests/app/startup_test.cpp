// Start-up as the desktop sees it: one copy at a time, and the popup's shape and place for the
// settings found in the working directory or beside the program.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "tests/app/harness.h"

namespace e2e {
namespace {

TEST(StartUp, SecondCopyEndsAtOnceAndQuitLetsANewOneRun) {
  WorkDir dir;
  Tunelamp first;
  ASSERT_TRUE(first.Start(dir));
  ASSERT_TRUE(first.WaitPopup());

  Tunelamp second;
  ASSERT_TRUE(second.Start(dir));
  bool showed = false;
  ASSERT_TRUE(WaitUntil(
      [&] {
        showed = showed || FindVisible(second.Proc().Pid()) ||
                 FindTopLevel("TForm", second.Proc().Pid());
        return !second.Proc().Running();
      },
      kExitTimeoutMs))
      << "a second copy must end by itself";
  DWORD code = 99;
  ASSERT_TRUE(second.Proc().WaitExit(0, &code));
  EXPECT_EQ(0u, code);
  EXPECT_FALSE(showed) << "a second copy shows nothing";
  EXPECT_TRUE(first.Proc().Running());
  // The running copy opens its settings window, in front: without the icon, the way back to it.
  const HWND window = WaitSettingsWindow(first.Proc().Pid());
  EXPECT_TRUE(window);
  PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(window); }, 5000));

  first.HotKey(2);  // Ctrl+Shift+V
  ASSERT_TRUE(first.Proc().WaitExit(kExitTimeoutMs, &code));
  EXPECT_EQ(0u, code);

  Tunelamp third;
  ASSERT_TRUE(third.Start(dir));
  ASSERT_TRUE(third.WaitPopup()) << "the marker of the first copy went with it";
  PumpFor(1000);
  EXPECT_TRUE(third.Proc().Running());
}

struct ShapeCase {
  const char* name;
  const char* settings;       // in the working directory; null: no file
  const char* besideProgram;  // settings.ini beside a copy of the program; null: none
  int height;
  bool memEconomy;
  bool bottom = false;  // along the bottom of the work area
  int monitor = 0;      // 1..n in the system's order; 0 the primary
  DWORD dpi = 96;       // the display scale Tunelamp starts with
  int restLeft = 20;    // where the label rests in the strip
  int restTop = 8;
  int corner = 50;  // the corners' ellipse
  int rest = 200;   // the alpha it rests at while out
};

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
  MONITORINFO info = {sizeof info, {}, {}, 0};
  GetMonitorInfoA(monitor, &info);
  reinterpret_cast<std::vector<MONITORINFO>*>(list)->push_back(info);
  return TRUE;
}

// The monitors as the system reports them, in its order.
std::vector<MONITORINFO> Monitors() {
  std::vector<MONITORINFO> list;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&list));
  return list;
}

const ShapeCase kShapes[] = {
    {"no settings file", nullptr, nullptr, 50, true},
    {"Size 40, MemEconomy 2", "[Main]\r\nMemEconomy=2\r\n[Font]\r\nSize=40\r\n", nullptr, 70,
     false},
    {"MemEconomy 0, Size 12", "[Font]\nSize=12\n[Main]\nMemEconomy=0\n", nullptr, 42, false},
    // Started from another folder, as the Run key or a shortcut without "Start in" starts it.
    {"a file beside the program, none here", nullptr, "[Main]\nMemEconomy=0\n[Font]\nSize=40\n", 70,
     false},
    {"the working directory's file wins", "[Font]\nSize=12\n", "[Main]\nMemEconomy=0\n", 42, true},
    {"Position 1: along the bottom", "[Main]\nPosition=1\n", nullptr, 50, true, true},
    // At 150 % every length is half as long again, and the text still fits the strip.
    {"150 %", nullptr, nullptr, 75, true, false, 0, 144, 30, 12, 75},
    {"150 %, Size 12, along the bottom", "[Main]\nPosition=1\n[Font]\nSize=12\n", nullptr, 63, true,
     true, 0, 144, 30, 12, 75},
    {"Opacity 50: 128 of 255", "[Main]\nOpacity=50\n", nullptr, 50, true, false, 0, 96, 20, 8, 50,
     128},
};

void ExpectShapes(const ShapeCase* cases, size_t count) {
  for (const ShapeCase* at = cases; at != cases + count; ++at) {
    const ShapeCase& c = *at;
    SCOPED_TRACE(c.name);
    const std::vector<MONITORINFO> monitors = Monitors();
    ASSERT_LE(static_cast<size_t>(c.monitor), monitors.size());
    MONITORINFO monitor = monitors[0];
    for (const MONITORINFO& m : monitors) {
      if (c.monitor == 0 && (m.dwFlags & MONITORINFOF_PRIMARY)) monitor = m;
    }
    if (c.monitor > 0) monitor = monitors[c.monitor - 1];
    const int screenWidth = monitor.rcMonitor.right - monitor.rcMonitor.left;
    const int top = c.bottom ? monitor.rcWork.bottom - c.height : monitor.rcMonitor.top;
    WorkDir dir;
    WorkDir programDir;
    std::string exe;
    if (c.settings) dir.Write("settings.ini", c.settings);
    if (c.besideProgram) {
      programDir.CopyIn(BinDir() + "\\tunelamp.exe", "tunelamp.exe");
      programDir.Write("settings.ini", c.besideProgram);
      exe = programDir.Path() + "\\tunelamp.exe";
    }
    Tunelamp app;
    {
      ScreenScale scale(c.dpi);
      ASSERT_TRUE(app.Start(dir, exe));
      ASSERT_TRUE(app.WaitPopup());
    }
    HWND popup = app.Popup();

    // At rest: invisible, and minimised with memory economy.
    PumpFor(300);
    EXPECT_EQ(0, AlphaOf(popup));
    EXPECT_EQ(c.memEconomy, IsIconic(popup) != FALSE);
    // Topmost, tool window, layered, never activated, and invisible, clicks pass through it. The
    // system keeps WS_EX_WINDOWEDGE in step with the frame and drops it once the style is a bare
    // WS_POPUP, so that bit is not the program's to set.
    EXPECT_EQ(static_cast<DWORD>(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_LAYERED |
                                 WS_EX_NOACTIVATE | WS_EX_TRANSPARENT),
              GetWindowLongA(popup, GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE);
    DWORD style = GetWindowLongA(popup, GWL_STYLE);
    EXPECT_EQ(static_cast<DWORD>(WS_POPUP), style & ~(WS_VISIBLE | WS_MINIMIZE | WS_CLIPSIBLINGS))
        << std::hex << style;
    HWND label = LabelOf(popup);
    ASSERT_TRUE(label);
    EXPECT_EQ(popup, GetParent(label));

    // Out: show now, with no player running.
    app.HotKey(0);
    ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) == c.rest; }, 15000));
    EXPECT_FALSE(IsIconic(popup));
    RECT rect = RectOf(popup);
    EXPECT_EQ(monitor.rcMonitor.left, rect.left);
    EXPECT_EQ(top, rect.top);
    EXPECT_EQ(screenWidth, rect.right - rect.left);
    EXPECT_EQ(c.height, rect.bottom - rect.top);

    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(COMPLEXREGION, GetWindowRgn(popup, region)) << "rounded, so not a rectangle";
    RECT box = {};
    GetRgnBox(region, &box);
    EXPECT_EQ(0, box.left);
    EXPECT_EQ(0, box.top);
    EXPECT_NEAR(screenWidth, box.right, 1);
    EXPECT_NEAR(c.height, box.bottom, 1);
    // Corners of 50 by 50 (at 96 dpi) are cut off; the edges between them are not.
    EXPECT_FALSE(PtInRegion(region, 1, 1));
    EXPECT_FALSE(PtInRegion(region, screenWidth - 2, 1));
    EXPECT_FALSE(PtInRegion(region, 1, c.height - 2));
    EXPECT_FALSE(PtInRegion(region, screenWidth - 2, c.height - 2));
    EXPECT_FALSE(PtInRegion(region, c.corner / 4, c.corner / 25)) << "under the corner's curve";
    EXPECT_TRUE(PtInRegion(region, c.corner / 2 + c.corner / 10, 0));
    EXPECT_TRUE(PtInRegion(region, 0, c.height / 2));
    EXPECT_TRUE(PtInRegion(region, screenWidth / 2, c.height / 2));
    DeleteObject(region);

    // The label is read once the strip has settled: the last frame sets alpha 200 just before
    // it moves the label to its resting place.
    PumpFor(kSettleMs);
    Sample out = Snapshot(popup);
    ASSERT_EQ(c.rest, out.alpha) << "still out";
    EXPECT_EQ(c.restLeft, out.label.left);
    EXPECT_EQ(c.restTop, out.label.top);
    EXPECT_EQ(screenWidth, out.label.right - out.label.left) << "as wide as the popup";
    EXPECT_EQ(c.height, out.label.bottom - out.label.top) << "as high as the popup";
    EXPECT_EQ(kNotRunning, LabelTextWide(popup));
    // "у" and "щ" reach below the line: a text too large for the strip loses them at its edge.
    const TextRows rows = FindTextRows(popup);
    EXPECT_GE(rows.first, c.restTop) << "the text shows below the label's top";
    EXPECT_LT(rows.last, rows.lastStrip) << "the text ends inside the strip";
    EXPECT_GE(rows.lastStrip, c.height - 2);
    EXPECT_EQ(c.rest, AlphaOf(popup)) << "still out while the text was read";
  }
}

BOOL CALLBACK AddChildText(HWND child, LPARAM text) {
  char piece[512] = {};
  GetWindowTextA(child, piece, sizeof piece);
  *reinterpret_cast<std::string*>(text) += piece;
  return TRUE;
}

// Where the system refuses executable memory (Arbitrary Code Guard), the timer could never
// tick: the program says why, once, in a message box, and ends with a code that is not 0.
TEST(StartUp, WithoutExecutableMemoryItSaysSoOnceAndEnds) {
  WorkDir dir;
  Tunelamp app;
  ASSERT_TRUE(app.Start(dir, BinDir() + "\\tunelamp_noexec.exe"));
  const DWORD pid = app.Proc().Pid();
  HWND box = nullptr;
  ASSERT_TRUE(WaitUntil(
      [&] {
        box = FindTopLevel("#32770", pid);
        return box && IsWindowVisible(box);
      },
      kStartTimeoutMs))
      << "no message box";
  char title[64] = {};
  GetWindowTextA(box, title, sizeof title);
  EXPECT_STREQ("Tunelamp", title);
  std::string text;
  EnumChildWindows(box, AddChildText, reinterpret_cast<LPARAM>(&text));
  EXPECT_NE(std::string::npos, text.find("executable memory")) << text;
  const HWND popup = FindTopLevel("TForm", pid);
  EXPECT_FALSE(popup && IsWindowVisible(popup)) << "the strip never comes out";

  PostMessageA(box, WM_COMMAND, IDOK, 0);
  DWORD code = 0;
  ASSERT_TRUE(app.Proc().WaitExit(kExitTimeoutMs, &code)) << "it must end once the box is closed";
  EXPECT_EQ(1u, code);
}

// No memory of the program is writable and executable at once, which is what exploit
// mitigations and scanners look for: its window-procedure stubs are code, read-only.
TEST(StartUp, NoMemoryIsWritableAndExecutableAtOnce) {
  WorkDir dir;
  Tunelamp app;
  ASSERT_TRUE(app.Start(dir));
  ASSERT_TRUE(app.WaitPopup());
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, app.Proc().Pid());
  ASSERT_TRUE(process);
  size_t regions = 0;
  size_t privateCode = 0;
  std::string writableCode;
  MEMORY_BASIC_INFORMATION info;
  for (uintptr_t at = 0;
       VirtualQueryEx(process, reinterpret_cast<void*>(at), &info, sizeof info) == sizeof info;) {
    ++regions;
    const DWORD protection = info.Protect & 0xFF;
    if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) {
      if (protection == PAGE_EXECUTE_READ) ++privateCode;
      if (protection == PAGE_EXECUTE_READWRITE || protection == PAGE_EXECUTE_WRITECOPY) {
        char line[80];
        wsprintfA(line, " %p (%lu bytes, %#lx)", info.BaseAddress, info.RegionSize, info.Protect);
        writableCode += line;
      }
    }
    const uintptr_t next = reinterpret_cast<uintptr_t>(info.BaseAddress) + info.RegionSize;
    if (next <= at) break;
    at = next;
  }
  CloseHandle(process);
  EXPECT_GT(regions, 10u) << "the walk must cover the process's memory";
  EXPECT_GE(privateCode, 1u) << "the stub page: private, executable and read-only";
  EXPECT_EQ("", writableCode) << "private memory writable and executable at once";
}

TEST(StartUp, PopupShapeFollowsTheSettings) {
  ExpectShapes(kShapes, sizeof kShapes / sizeof kShapes[0]);
}

// The system tells the popup that its monitor's scale changed: the next display has the new size.
TEST(StartUp, ANewScaleTakesEffectAtTheNextDisplay) {
  WorkDir dir;
  Tunelamp app;
  ASSERT_TRUE(app.Start(dir));
  HWND popup = app.WaitPopup();
  ASSERT_TRUE(popup);
  PostMessageA(popup, WM_DPICHANGED, MAKEWPARAM(144, 144), 0);
  app.HotKey(0);
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) == 200; }, 15000));
  PumpFor(kSettleMs);
  const Sample out = Snapshot(popup);
  ASSERT_EQ(200, out.alpha) << "still out";
  EXPECT_EQ(75, RectOf(popup).bottom - RectOf(popup).top);
  EXPECT_EQ(30, out.label.left);
  EXPECT_EQ(12, out.label.top);
}

// scripts/test.sh runs this once more on a display with two monitors, one over the other.
TEST(StartUp, MonitorPutsTheStripOnThatMonitor) {
  if (Monitors().size() < 2) GTEST_SKIP() << "one monitor only";
  const ShapeCase cases[] = {
      {"Monitor 2, at the bottom", "[Main]\nMonitor=2\nPosition=1\nMemEconomy=0\n", nullptr, 50,
       false, true, 2},
      {"Monitor 3 is not there: the primary", "[Main]\nMonitor=3\n", nullptr, 50, true},
  };
  ExpectShapes(cases, 2);
}

// A saved identity: that monitor, whatever its number; one of no monitor: the primary.
TEST(StartUp, MonitorByIdentityPutsTheStripOnThatMonitor) {
  const std::vector<MONITORINFO> monitors = Monitors();
  if (monitors.size() < 2) GTEST_SKIP() << "one monitor only";
  const std::string second = MonitorIdentity(monitors[1].rcMonitor);
  ASSERT_EQ(0u, second.find("\\\\?\\")) << second;
  ASSERT_NE(MonitorIdentity(monitors[0].rcMonitor), second);
  const std::string there = "[Main]\nMonitor=" + second + "\n";
  const std::string gone =
      "[Main]\nMonitor=\\\\?\\DISPLAY#NONE0000#1&2&0&UID9#{e6f07b5f-ee97-4a90-b076-33f57bf4eaa7}\n";
  const ShapeCase cases[] = {
      {"the second monitor's identity", there.c_str(), nullptr, 50, true, false, 2},
      {"an identity of no monitor: the primary", gone.c_str(), nullptr, 50, true},
  };
  ExpectShapes(cases, 2);
}

// The strips of process `pid`: its top-level "TForm" windows.
std::vector<HWND> StripsOf(DWORD pid) {
  std::vector<HWND> strips;
  for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, "TForm", nullptr));) {
    DWORD owner = 0;
    if (GetWindowThreadProcessId(window, &owner) && owner == pid) strips.push_back(window);
  }
  return strips;
}

int announcements = 0;
void CALLBACK CountAnnouncement(HWINEVENTHOOK, DWORD, HWND, LONG object, LONG child, DWORD, DWORD) {
  if (object == OBJID_CLIENT && child == CHILDID_SELF) ++announcements;
}

// Monitor=all: a strip along the top of each monitor, with the same text, told to screen readers
// once; a click on one takes both away.
TEST(StartUp, MonitorAllPutsAStripOnEveryMonitor) {
  const std::vector<MONITORINFO> monitors = Monitors();
  if (monitors.size() < 2) GTEST_SKIP() << "one monitor only";
  WorkDir dir;
  dir.Write("settings.ini", "[Main]\nMonitor=all\nMemEconomy=0\nKeepTitle=60000\n");
  Tunelamp app;
  ASSERT_TRUE(app.Start(dir));
  ASSERT_TRUE(app.WaitPopup());
  const DWORD pid = app.Proc().Pid();
  HWINEVENTHOOK hook =
      SetWinEventHook(0x8019, 0x8019, nullptr, &CountAnnouncement, pid, 0, WINEVENT_OUTOFCONTEXT);
  ASSERT_TRUE(hook);
  announcements = 0;
  app.HotKey(0);
  std::vector<HWND> strips;
  ASSERT_TRUE(WaitUntil(
      [&] {
        strips = StripsOf(pid);
        if (strips.size() != monitors.size()) return false;
        for (HWND strip : strips) {
          if (AlphaOf(strip) != 200) return false;
        }
        return true;
      },
      15000));
  PumpFor(kSettleMs);
  UnhookWinEvent(hook);
  EXPECT_EQ(1, announcements) << "one display, one announcement";
  // Each monitor spanned by a strip of its own (the two are told apart by their widths).
  std::multiset<LONG> widths;
  for (const MONITORINFO& m : monitors) widths.insert(m.rcMonitor.right - m.rcMonitor.left);
  for (HWND strip : strips) {
    const RECT rect = RectOf(strip);
    EXPECT_EQ(1u, widths.erase(rect.right - rect.left)) << rect.right - rect.left;
    EXPECT_EQ(50, rect.bottom - rect.top);
    EXPECT_EQ(LabelText(app.Popup()), LabelText(strip));
  }

  // A click on the strip that is not the first.
  HWND other = strips.front() == app.Popup() ? strips.back() : strips.front();
  PostMessageA(other, WM_LBUTTONUP, 0, MAKELPARAM(200, 10));
  EXPECT_TRUE(
      WaitUntil([&] { return AlphaOf(strips.front()) == 0 && AlphaOf(strips.back()) == 0; }, 15000))
      << "both away";
}

// Monitor=-2: the monitor under the mouse pointer at the display. On the two-monitor display the
// screens overlap at the origin: a point beyond the smaller one is on the larger only.
TEST(StartUp, MonitorMinus2IsTheOneUnderThePointer) {
  if (Monitors().size() < 2) GTEST_SKIP() << "one monitor only";
  WorkDir dir;
  dir.Write("settings.ini", "[Main]\nMonitor=-2\nMemEconomy=0\nKeepTitle=60000\n");
  Tunelamp app;
  ASSERT_TRUE(app.Start(dir));
  HWND popup = app.WaitPopup();
  ASSERT_TRUE(popup);
  std::vector<LONG> widths;
  for (const POINT at : {POINT{1500, 850}, POINT{100, 100}}) {
    SCOPED_TRACE(std::to_string(at.x) + "," + std::to_string(at.y));
    POINT now = {};
    ASSERT_TRUE(SetCursorPos(at.x, at.y) && GetCursorPos(&now) && now.x == at.x && now.y == at.y);
    MONITORINFO monitor = {sizeof monitor, {}, {}, 0};
    ASSERT_TRUE(GetMonitorInfoA(MonitorFromPoint(at, MONITOR_DEFAULTTONULL), &monitor));
    app.HotKey(0);
    ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) == 200; }, 15000));
    PumpFor(kSettleMs);
    const RECT rect = RectOf(popup);
    EXPECT_EQ(monitor.rcMonitor.left, rect.left);
    EXPECT_EQ(monitor.rcMonitor.top, rect.top);
    EXPECT_EQ(monitor.rcMonitor.right, rect.right);
    widths.push_back(rect.right - rect.left);
    app.Click();
    ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) == 0; }, 15000));
  }
  EXPECT_NE(widths.front(), widths.back()) << "the pointer's monitor decides";
}

// A new screen size while Tunelamp runs (Wine's virtual desktop can make one; Xvfb cannot): the
// next display spans the monitor as it is then.
TEST(StartUp, ANewScreenSizeTakesEffectAtTheNextDisplay) {
  WorkDir dir;
  dir.Write("settings.ini", "[Main]\nMemEconomy=0\nKeepTitle=500\n");
  Tunelamp app;
  ASSERT_TRUE(app.Start(dir));
  HWND popup = app.WaitPopup();
  ASSERT_TRUE(popup);
  DEVMODEA mode = {};
  mode.dmSize = sizeof mode;
  mode.dmPelsWidth = GetSystemMetrics(SM_CXSCREEN) == 1024 ? 800 : 1024;
  mode.dmPelsHeight = mode.dmPelsWidth * 3 / 4;
  mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
  const LONG changed = ChangeDisplaySettingsExA(nullptr, &mode, nullptr, CDS_FULLSCREEN, nullptr);
  if (changed != DISP_CHANGE_SUCCESSFUL) GTEST_SKIP() << "no new size here: " << changed;
  PumpFor(kSettleMs);
  app.HotKey(0);
  const bool out = WaitUntil([&] { return AlphaOf(popup) == 200; }, 15000);
  const RECT rect = RectOf(popup);
  ChangeDisplaySettingsExA(nullptr, nullptr, nullptr, 0, nullptr);
  ASSERT_TRUE(out);
  EXPECT_EQ(0, rect.left);
  EXPECT_EQ(static_cast<LONG>(mode.dmPelsWidth), rect.right);
}

}  // namespace
}  // namespace e2e
