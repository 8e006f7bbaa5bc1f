// The icon in the notification area, clicked for real. Most rows need a tray in the display:
// scripts/test.sh runs them in a pass of their own with Debian's trayer (WINE_TRAY=1 in
// scripts/wine-env.sh), and they are skipped without one. Wine docks each icon into the tray as
// a window of its explorer.exe, of class "__winex11_tray_icon"; the clicks go to its middle.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/app/harness.h"

namespace e2e {
namespace {

bool TrayInDisplay() {
  char value[8];
  return GetEnvironmentVariableA("WINE_TRAY", value, sizeof value) > 0;
}

BOOL CALLBACK MatchTrayIcon(HWND window, LPARAM found) {
  char className[32];
  if (IsWindowVisible(window) && GetClassNameA(window, className, sizeof className) &&
      lstrcmpA(className, "__winex11_tray_icon") == 0) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  EnumChildWindows(window, MatchTrayIcon, found);
  return *reinterpret_cast<HWND*>(found) ? FALSE : TRUE;
}

// The one docked icon, or 0: the tests run one Tunelamp at a time.
HWND TrayIcon() {
  HWND found = nullptr;
  EnumWindows(MatchTrayIcon, reinterpret_cast<LPARAM>(&found));
  return found;
}

// Waits for the icon, and for the tray to take it in: the window shows before it is docked (at
// the top left, in Wine's own window), and the tray holds it at the right end of the screen's top,
// where it stays put. Without a tray, Wine's own window keeps it.
[[nodiscard]] bool WaitIcon() {
  if (!WaitUntil([] { return TrayIcon() != nullptr; }, 10000)) return false;
  if (!TrayInDisplay()) {
    PumpFor(1000);
    return TrayIcon() != nullptr;
  }
  RECT last = {};
  return WaitUntil(
      [&] {
        const RECT now = RectOf(TrayIcon());
        const bool settled = now.left >= GetSystemMetrics(SM_CXSCREEN) - 120 &&
                             EqualRect(&now, &last) && !IsRectEmpty(&now);
        last = now;
        return settled;
      },
      15000, 200);
}

// Wine's docked icon takes no click from a pointer that has not moved onto it since the icon
// came (an earlier row may have left the pointer there): the pointer comes from below.
[[nodiscard]] bool ClickIcon(int button) {
  const RECT rect = RectOf(TrayIcon());
  const std::string x = std::to_string((rect.left + rect.right) / 2);
  const std::string y = std::to_string((rect.top + rect.bottom) / 2);
  return RunUnix("Z:\\usr\\bin\\timeout 20 /usr/bin/xdotool mousemove --sync " + x +
                 " 300 sleep 0.2 "
                 "mousemove --sync " +
                 x + " " + y + " sleep 0.3" +
                 (button ? " click " + std::to_string(button) : std::string()));
}

// The process's open menu (the system's menu class), or 0.
HWND OpenMenu(DWORD pid) {
  const HWND menu = FindTopLevel("#32768", pid);
  return menu && IsWindowVisible(menu) ? menu : nullptr;
}

struct Running {
  WorkDir dir;
  Tunelamp app;
  HWND popup = nullptr;

  [[nodiscard]] bool Start(const char* settings) {
    if (settings) dir.Write("settings.ini", settings);
    if (!app.Start(dir)) return false;
    popup = app.WaitPopup();
    return popup != nullptr;
  }
  [[nodiscard]] bool EndsWithZero() {
    DWORD code = 99;
    return app.Proc().WaitExit(kExitTimeoutMs, &code) && code == 0;
  }
};

TEST(Tray, TheIconIsThereOnlyWithTrayIconOneAClickShowsNowAndItGoesWithTheQuitKey) {
  if (!TrayInDisplay()) GTEST_SKIP() << "no tray in this display (WINE_TRAY)";
  struct Row {
    const char* settings;
    bool icon;
  };
  for (const Row& row : {Row{"[Main]\nTrayIcon=1\nKeepTitle=5000\n", true},
                         Row{"[Main]\nTrayIcon=0\n", false}, Row{nullptr, false}}) {
    SCOPED_TRACE(row.settings ? row.settings : "no settings.ini");
    Running run;
    ASSERT_TRUE(run.Start(row.settings));
    if (row.icon) {
      ASSERT_TRUE(WaitIcon());
      EXPECT_EQ(0, AlphaOf(run.popup));
      ASSERT_TRUE(ClickIcon(1));
      EXPECT_TRUE(WaitUntil([&] { return AlphaOf(run.popup) == 200; }, 10000)) << "show now";
      EXPECT_EQ(kNotRunning, LabelTextWide(run.popup));
      EXPECT_EQ(nullptr, OpenMenu(run.app.Proc().Pid()));
    } else {
      PumpFor(1500);
      EXPECT_EQ(nullptr, TrayIcon());
    }
    run.app.HotKey(2);
    EXPECT_TRUE(run.EndsWithZero());
    EXPECT_TRUE(WaitUntil([] { return TrayIcon() == nullptr; }, 5000)) << "no dead icon";
  }
}

TEST(Tray, RightClickOpensTheMenuAClickElsewhereClosesItAndQuitEnds) {
  if (!TrayInDisplay()) GTEST_SKIP() << "no tray in this display (WINE_TRAY)";
  Running run;
  ASSERT_TRUE(run.Start("[Main]\nTrayIcon=1\nKeepTitle=500\nMemEconomy=0\n"));
  ASSERT_TRUE(WaitIcon());
  const DWORD pid = run.app.Proc().Pid();

  // Right after a display, the pointer resting on the icon all along, the first right click
  // opens it: the strip that stays out invisible (no memory economy) lies over the tray here,
  // and lets the click through.
  ASSERT_TRUE(ClickIcon(0));
  run.app.HotKey(0);
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(run.popup) == 200; }, 10000));
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(run.popup) == 0; }, 15000));
  ASSERT_TRUE(RunUnix("Z:\\usr\\bin\\timeout 20 /usr/bin/xdotool click 3"));
  ASSERT_TRUE(WaitUntil([&] { return OpenMenu(pid) != nullptr; }, 5000)) << "the menu opens";
  const RECT icon = RectOf(TrayIcon());
  const RECT menu = RectOf(OpenMenu(pid));
  EXPECT_LE(std::abs(menu.left - icon.left) + std::abs(menu.top - icon.bottom), 400)
      << "at the pointer";
  ASSERT_TRUE(ClickAt(400, 500));
  EXPECT_TRUE(WaitUntil([&] { return OpenMenu(pid) == nullptr; }, 10000)) << "gone at a click";
  EXPECT_TRUE(run.app.Proc().Running());

  // Again, and Quit, the last of its items.
  ASSERT_TRUE(ClickIcon(3));
  ASSERT_TRUE(WaitUntil([&] { return OpenMenu(pid) != nullptr; }, 10000)) << "opens again";
  PumpFor(kSettleMs);
  const RECT again = RectOf(OpenMenu(pid));
  ASSERT_TRUE(ClickAt((again.left + again.right) / 2, again.bottom - 8));
  EXPECT_TRUE(run.EndsWithZero());
  EXPECT_TRUE(WaitUntil([] { return TrayIcon() == nullptr; }, 5000)) << "no dead icon";
}

// "TaskbarCreated" also comes with every icon still in place (a new display scale, a remote
// session): the icon stays, and goes when TrayIcon=0 is saved.
TEST(Tray, TheIconOutlivesTaskbarCreatedAndGoesWithTrayIconZero) {
  if (!TrayInDisplay()) GTEST_SKIP() << "no tray in this display (WINE_TRAY)";
  Running run;
  ASSERT_TRUE(run.Start("[Main]\nTrayIcon=1\n"));
  ASSERT_TRUE(WaitIcon());
  SendNotifyMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  PumpFor(1500);
  EXPECT_NE(nullptr, TrayIcon()) << "still there";
  run.dir.Write("settings.ini", "[Main]\nTrayIcon=0\n");
  EXPECT_TRUE(WaitUntil([] { return TrayIcon() == nullptr; }, 5000)) << "no dead icon";
  run.app.HotKey(2);
  EXPECT_TRUE(run.EndsWithZero());
}

HWND OpenSettings(DWORD pid);

// A new title while a modal loop of the program's is open waits for it to close, and comes out
// then: the settings window's system menu (its move and size loop is one too), a picker asked
// for while the strip comes out (which lets the strip finish first rather than freeze it), the
// icon's menu. No animation takes a loop's mouse, and a click on Quit ends the program.
TEST(Tray, ANewTitleWaitsForTheOpenMenuAndQuitStillEnds) {
  if (!TrayInDisplay()) GTEST_SKIP() << "no tray in this display (WINE_TRAY)";
  Player player;
  ASSERT_TRUE(
      player.Start({"list 600 Band - First|600 Band - Second|600 Band - Third|"
                    "600 Band - Fourth"}));
  Running run;
  // Memory economy (the default) minimises the strip while it is away, off the tray.
  ASSERT_TRUE(run.Start("[Main]\nTrayIcon=1\nKeepTitle=500\nCheckTitle=200\n"));
  ASSERT_TRUE(WaitIcon());
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(run.popup) == 200; }, 15000));
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(run.popup) == 0; }, 15000));
  const DWORD pid = run.app.Proc().Pid();
  const HWND window = OpenSettings(pid);
  ASSERT_TRUE(window) << "the window opens";
  PostMessageA(window, WM_SYSCOMMAND, SC_KEYMENU, ' ');
  ASSERT_TRUE(WaitUntil([&] { return OpenMenu(pid) != nullptr; }, 10000)) << "its menu opens";
  ASSERT_TRUE(player.Send("next"));
  EXPECT_EQ("", Holds(run.popup, 0, 1500)) << "no display inside the menu";
  ASSERT_NE(nullptr, OpenMenu(pid));
  ASSERT_TRUE(ClickAt(100, 700));
  EXPECT_TRUE(WaitUntil([&] { return AlphaOf(run.popup) == 200; }, 10000)) << "then it comes out";

  // Colour… clicked while the strip comes out with the next title: the strip is out before the
  // picker opens.
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(run.popup) == 0; }, 15000));
  ASSERT_TRUE(player.Send("next"));
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(run.popup) > 0; }, 10000));
  PostMessageA(window, WM_COMMAND, MAKEWPARAM(30, BN_CLICKED), 0);  // Colour…
  EXPECT_TRUE(WaitUntil([&] { return AlphaOf(run.popup) == 200; }, 5000)) << "not frozen";
  HWND picker = nullptr;
  EXPECT_TRUE(WaitUntil(
      [&] { return (picker = FindTopLevel("#32770", pid)) != nullptr && picker != window; }, 5000))
      << "the picker opens, in front";
  if (picker) PostMessageA(picker, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(picker); }, 5000));
  // The window's key field has the focus, and would take the quit key as the one being set.
  PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(window); }, 5000));
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(run.popup) == 0; }, 15000));

  ASSERT_TRUE(ClickIcon(3));
  ASSERT_TRUE(WaitUntil([&] { return OpenMenu(pid) != nullptr; }, 10000)) << "the menu opens";
  ASSERT_TRUE(player.Send("next"));
  EXPECT_EQ("", Holds(run.popup, 0, 1500)) << "no display inside the menu";
  ASSERT_NE(nullptr, OpenMenu(pid));
  const RECT menu = RectOf(OpenMenu(pid));
  ASSERT_TRUE(ClickAt((menu.left + menu.right) / 2, menu.bottom - 8));
  EXPECT_TRUE(run.EndsWithZero());
}

// The settings window of process `pid`, when it is open: the one visible dialog it has.
HWND SettingsWindow(DWORD pid) {
  const HWND window = FindTopLevel("#32770", pid);
  return window && IsWindowVisible(window) ? window : nullptr;
}

// "Settings…" in the icon's menu, the third of its five items, chosen with real clicks.
HWND OpenSettings(DWORD pid) {
  if (!ClickIcon(3) || !WaitUntil([&] { return OpenMenu(pid) != nullptr; }, 10000)) return nullptr;
  PumpFor(kSettleMs);
  const RECT menu = RectOf(OpenMenu(pid));
  if (!ClickAt((menu.left + menu.right) / 2, (menu.top + menu.bottom) / 2) ||
      !WaitUntil([&] { return OpenMenu(pid) == nullptr; }, 10000)) {
    return nullptr;
  }
  HWND window = nullptr;
  (void)WaitUntil(
      [&] { return (window = SettingsWindow(pid)) != nullptr && GetForegroundWindow() == window; },
      10000);
  return window;
}

// Whether another program holds the key: RegisterHotKey refuses it here.
bool Held(UINT modifiers, UINT key) {
  if (RegisterHotKey(nullptr, 1, modifiers, key)) {
    UnregisterHotKey(nullptr, 1);
    return false;
  }
  return GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED;
}

std::string FileText(const std::string& path) {
  std::string text;
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
  char buffer[4096];
  DWORD count = 0;
  if (file != INVALID_HANDLE_VALUE && ReadFile(file, buffer, sizeof buffer, &count, nullptr)) {
    text.assign(buffer, count);
  }
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return text;
}

constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The Run value "Tunelamp", "" when there is none; taken away at the end whatever happened.
struct RunValue {
  ~RunValue() { RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunKey, "Tunelamp"); }
  [[nodiscard]] std::string Read() const {
    char value[MAX_PATH + 3] = {};
    DWORD size = sizeof value;
    RegGetValueA(HKEY_CURRENT_USER, kRunKey, "Tunelamp", RRF_RT_REG_SZ, nullptr, value, &size);
    return value;
  }
};

// The window from the icon's menu, one at a time. A key set in its first hot-key control (which
// has the focus), then Enter for OK: within 2 s the key is held and the file has it, every other
// byte as it was. Esc changes nothing. "Start with Windows" writes the Run value, and unticked
// takes it away.
TEST(Tray, TheSettingsWindowWritesWhatChangedAndCancelChangesNothing) {
  if (!TrayInDisplay()) GTEST_SKIP() << "no tray in this display (WINE_TRAY)";
  RunValue run;
  Running app;
  const std::string settings = "[Main]\r\nTrayIcon=1\r\n; the icon stays\r\n";
  ASSERT_TRUE(app.Start(settings.c_str()));
  ASSERT_TRUE(WaitIcon());
  const DWORD pid = app.app.Proc().Pid();
  const std::string file = app.dir.Path() + "\\settings.ini";

  const HWND window = OpenSettings(pid);
  ASSERT_TRUE(window) << "the window opens";
  EXPECT_EQ(window, OpenSettings(pid)) << "chosen again, the same one";
  EXPECT_EQ(window, GetForegroundWindow()) << "in front";
  EXPECT_FALSE(Held(MOD_CONTROL | MOD_SHIFT, VK_F9));
  ASSERT_TRUE(PressKeysIn("Tunelamp settings", "ctrl+shift+F9 Return"));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(window); }, 15000)) << "OK closes it";
  const DWORD closed = GetTickCount();
  EXPECT_TRUE(WaitUntil([] { return Held(MOD_CONTROL | MOD_SHIFT, VK_F9); }, 2000));
  EXPECT_LE(GetTickCount() - closed, 2000u);
  EXPECT_EQ(settings + "[Keys]\r\nShowNow=Ctrl+Shift+F9\r\n", FileText(file));

  const HWND again = OpenSettings(pid);
  ASSERT_TRUE(again);
  ASSERT_TRUE(PressKeysIn("Tunelamp settings", "ctrl+shift+F8 Escape"));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(again); }, 15000)) << "Esc closes it";
  PumpFor(1500);
  EXPECT_FALSE(Held(MOD_CONTROL | MOD_SHIFT, VK_F8));
  EXPECT_EQ(settings + "[Keys]\r\nShowNow=Ctrl+Shift+F9\r\n", FileText(file)) << "Cancel";

  // A click sent from another process may be handled after the call returns: each step waits
  // for what the window then shows.
  for (const bool start : {true, false}) {
    const HWND box = GetDlgItem(OpenSettings(pid), 55);  // Start with Windows
    ASSERT_TRUE(box);
    EXPECT_EQ(!start, SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED);
    SendMessageA(box, BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil(
        [&] { return (SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED) == start; }, 5000));
    const HWND opened = GetParent(box);
    SendMessageA(GetDlgItem(opened, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(opened); }, 15000)) << "OK closes it";
    EXPECT_EQ(start ? "\"" + BinDir() + "\\tunelamp.exe\"" : "", run.Read()) << start;
  }
  app.app.HotKey(2);
  EXPECT_TRUE(app.EndsWithZero());
}

// The monitors by the names Windows gives them, every monitor after the three choices of old, and
// a chosen monitor written by its identity. A number past every monitor (the largest there is)
// stands as a choice of its own, not as a list that long. The window is opened by starting the
// program again: no tray is needed.
TEST(Tray, TheMonitorListNamesTheMonitorsAndWritesAChoiceByIdentity) {
  if (TrayInDisplay()) GTEST_SKIP() << "run once, in the pass without a tray";
  Running app;
  ASSERT_TRUE(app.Start("[Main]\r\nMonitor=2147483647\r\n"));
  const DWORD pid = app.app.Proc().Pid();
  const std::string file = app.dir.Path() + "\\settings.ini";
  const auto open = [&] {
    Tunelamp again;
    return again.Start(app.dir) ? WaitSettingsWindow(pid) : nullptr;
  };
  const HWND window = open();
  // Shown once filled: a list that never ends never shows, and is never asked anything.
  ASSERT_TRUE(window && IsWindowVisible(window)) << "the window opens";
  const HWND list = GetDlgItem(window, 40);  // Monitor
  const auto monitors = static_cast<LRESULT>(GetSystemMetrics(SM_CMONITORS));
  ASSERT_EQ(4 + monitors + 1, SendMessageA(list, CB_GETCOUNT, 0, 0));
  EXPECT_EQ(4 + monitors, SendMessageA(list, CB_GETCURSEL, 0, 0)) << "the absent one";
  wchar_t text[256] = {};
  SendMessageW(list, CB_GETLBTEXT, 3, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(L"All monitors", text);
  // The first monitor by its device's name.
  std::wstring device;
  const std::string identity = MonitorIdentity(
      {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, &device);
  wchar_t name[256] = {};
  SendMessageW(list, CB_GETLBTEXT, 4, reinterpret_cast<LPARAM>(name));
  EXPECT_EQ(L"1: " + device, name);

  SendMessageA(list, CB_SETCURSEL, 4, 0);
  SendMessageA(GetDlgItem(window, IDOK), BM_CLICK, 0, 0);
  EXPECT_EQ("[Main]\r\nMonitor=" + identity + "\r\n", FileText(file));
  PumpFor(2500);  // the settings watch reads the saved file within 2 s
  const HWND again = open();
  ASSERT_TRUE(again);
  EXPECT_EQ(4, SendMessageA(GetDlgItem(again, 40), CB_GETCURSEL, 0, 0)) << "found by identity";
  SendMessageA(GetDlgItem(again, 40), CB_SETCURSEL, 3, 0);
  SendMessageA(GetDlgItem(again, IDOK), BM_CLICK, 0, 0);
  EXPECT_EQ("[Main]\r\nMonitor=all\r\n", FileText(file));
  app.app.HotKey(2);
  EXPECT_TRUE(app.EndsWithZero());
}

std::string Utf16(const std::string& text) {  // as Notepad saves "Unicode"
  std::string bytes = "\xFF\xFE";
  for (const char c : text) bytes += std::string{c, '\0'};
  return bytes;
}

// The Linux path of a path of Wine's (the few bytes Wine allocates stay with the test).
std::string UnixPath(const std::string& path) {
  const auto unixName = reinterpret_cast<char*(CDECL*)(LPCWSTR)>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
  const char* const name = unixName(std::wstring(path.begin(), path.end()).c_str());
  return name ? name : "";
}

struct SaveRow {
  const char* what;
  std::string file;
  bool link;            // settings.ini is a link to "target.ini", which holds the file
  std::string written;  // the file after Apply; "" for the file as it was
  const char* status;   // the window's status line
};

// Every byte of a file the program cannot write whole is kept, and the window says why; a file in
// UTF-16 is written in UTF-16; a link stays a link and its target is written. The window is opened
// by starting the program again: no tray is needed.
TEST(Tray, TheSettingsWindowWritesTheFileAsItCameOrSaysWhyNot) {
  if (TrayInDisplay()) GTEST_SKIP() << "run once, in the pass without a tray";
  const std::string main = "[Main]\r\nCheckTitle=0\r\n";
  const std::string progress = main + "Progress=1\r\n";
  const std::string huge = main + "; " + std::string(1100000, 'x') + "\r\n";
  const SaveRow rows[] = {
      {"UTF-16", Utf16(main), false, Utf16(progress), ""},
      {"over 1 MiB", huge, false, "",
       "settings.ini is over 1 MiB, more than is read: not written."},
      {"a link", main, true, progress, ""},
  };
  for (const SaveRow& row : rows) {
    SCOPED_TRACE(row.what);
    Running app;
    WorkDir& dir = app.dir;
    const std::string path = dir.Path() + "\\settings.ini";
    dir.Write(row.link ? "target.ini" : "settings.ini", row.file);
    if (row.link) {
      // Wine 8 makes no link of CreateSymbolicLink; a Linux link is one for Wine.
      ASSERT_TRUE(RunUnix("Z:\\bin\\ln -s target.ini " + UnixPath(path)));
      ASSERT_TRUE(WaitUntil([&] { return dir.Read("settings.ini") == row.file; }, 5000));
    }
    Tunelamp again;
    ASSERT_TRUE(app.Start(nullptr) && again.Start(dir));
    const HWND window = WaitSettingsWindow(app.app.Proc().Pid());
    ASSERT_TRUE(window);
    SendMessageA(GetDlgItem(window, 52), BM_CLICK, 0, 0);  // A progress line
    SendMessageA(GetDlgItem(window, 61), BM_CLICK, 0, 0);  // Apply
    char status[256] = {};
    GetDlgItemTextA(window, 60, status, sizeof status);
    EXPECT_STREQ(row.status, status);
    EXPECT_EQ(row.written.empty() ? row.file : row.written,
              dir.Read(row.link ? "target.ini" : "settings.ini"));
    // The file the old one passed through, and the new one, are gone once it is in place.
    for (const char* left :
         {"settings.ini.bak", "settings.ini.new", "target.ini.bak", "target.ini.new"}) {
      EXPECT_EQ(GetFileAttributesA((dir.Path() + "\\" + left).c_str()), INVALID_FILE_ATTRIBUTES)
          << left;
    }
    SendMessageA(window, WM_COMMAND, IDCANCEL, 0);
    app.app.HotKey(2);
    EXPECT_TRUE(app.EndsWithZero());
    if (row.link) DeleteFileA(path.c_str());
  }
}

// The window's [Share] fields: a new now-playing file is tried before anything is written, and a
// folder that is not there is said; a good one is written with the other fields changed, and the
// program then writes the file.
TEST(Tray, TheSettingsWindowTriesANewNowPlayingFileAndWritesTheShareKeys) {
  if (TrayInDisplay()) GTEST_SKIP() << "run once, in the pass without a tray";
  const std::string main = "[Main]\r\nCheckTitle=0\r\n";
  Running app;
  WorkDir& dir = app.dir;
  dir.Write("settings.ini", main);
  Tunelamp again;
  ASSERT_TRUE(app.Start(nullptr) && again.Start(dir));
  const HWND window = WaitSettingsWindow(app.app.Proc().Pid());
  ASSERT_TRUE(window);
  SetDlgItemTextA(window, 80, "gone\\now.txt");          // Now playing file
  SetDlgItemTextA(window, 82, "%title%");                // What it holds
  SetDlgItemTextA(window, 84, "1234567890123456789");    // Discord 1. Application ID
  SendMessageA(GetDlgItem(window, 61), BM_CLICK, 0, 0);  // Apply
  char status[256] = {};
  GetDlgItemTextA(window, 60, status, sizeof status);
  EXPECT_STREQ("The now-playing file: no such folder.", status);
  EXPECT_EQ(main, dir.Read("settings.ini"));
  SetDlgItemTextA(window, 80, "now.txt");
  SendMessageA(GetDlgItem(window, 61), BM_CLICK, 0, 0);
  GetDlgItemTextA(window, 60, status, sizeof status);
  EXPECT_STREQ("", status);
  EXPECT_EQ(
      main + "[Share]\r\nFile=now.txt\r\nFileText=%title%\r\nDiscordApp=1234567890123456789\r\n",
      dir.Read("settings.ini"));
  // No player: the stopped text, empty; and no temporary file beside it.
  EXPECT_TRUE(WaitUntil(
      [&] {
        return GetFileAttributesA((dir.Path() + "\\now.txt").c_str()) != INVALID_FILE_ATTRIBUTES;
      },
      10000));
  EXPECT_EQ("", dir.Read("now.txt"));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES,
            GetFileAttributesA((dir.Path() + "\\now.txt.tunelamp-new").c_str()));
  SendMessageA(window, WM_COMMAND, IDCANCEL, 0);
  app.app.HotKey(2);
  EXPECT_TRUE(app.EndsWithZero());
  DeleteFileA((dir.Path() + "\\now.txt").c_str());
}

// The Text edit previews the current track as the strip would show it, as the user types
// (EN_CHANGE); emptied, the usual text; OK writes Text= as any other key. Where the system does not
// rescale a dialog (no PerMonitorV2, as under Wine), a new resolution scales the window's controls
// by the new over the old, and the window takes the rectangle the system suggests.
TEST(Tray, TheSettingsWindowPreviewsTheTextAsTypedAndTakesANewResolution) {
  if (!TrayInDisplay()) GTEST_SKIP() << "no tray in this display (WINE_TRAY)";
  Player player;
  ASSERT_TRUE(player.Start({"list 245 Пётр - Song"}));
  Running app;
  const std::string settings = "[Main]\r\nTrayIcon=1\r\nKeepTitle=300\r\n";
  ASSERT_TRUE(app.Start(settings.c_str()));
  ASSERT_TRUE(WaitIcon());
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(app.popup) == 200; }, 15000)) << "the track shown";
  // Away, so that the strip does not cover the icon.
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(app.popup) == 0; }, 15000));
  const HWND window = OpenSettings(app.app.Proc().Pid());
  ASSERT_TRUE(window);
  const HWND text = GetDlgItem(window, 70);
  const HWND preview = GetDlgItem(window, 72);
  ASSERT_TRUE(text && preview);
  const auto shown = [&] {
    wchar_t bytes[256] = {};
    // GetWindowTextW would read another process's edit control as empty.
    SendMessageW(preview, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(bytes));
    return std::wstring(bytes);
  };
  EXPECT_EQ(0u, shown().find(L"\u041F\u0451\u0442\u0440 - Song [4:05] - 0:0")) << "empty";
  SendMessageW(text, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"%caption%! '['%length%']'%nil%"));
  EXPECT_EQ(L"\u041F\u0451\u0442\u0440 - Song! [4:05]?", shown());
  SendMessageW(text, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"'['%title%']'"));
  EXPECT_EQ(L"[\u041F\u0451\u0442\u0440 - Song]", shown()) << "the caption's title";
  // Half as large again, from the window's client area on.
  const auto inClient = [&](HWND control) {
    RECT box = RectOf(control);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&box), 2);
    return box;
  };
  const RECT was = inClient(GetDlgItem(window, IDOK));
  const RECT frame = RectOf(window);
  const RECT suggested = {20, 20, 20 + (frame.right - frame.left) * 3 / 2,
                          20 + (frame.bottom - frame.top) * 3 / 2};
  const UINT dpi = GetDpiForWindow(window) * 3 / 2;
  // The rectangle is the receiver's to read: the system passes the message's pointer as it is.
  const HANDLE process =
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, app.app.Proc().Pid());
  ASSERT_TRUE(process);
  void* const there =
      VirtualAllocEx(process, nullptr, sizeof suggested, MEM_COMMIT, PAGE_READWRITE);
  ASSERT_TRUE(there && WriteProcessMemory(process, there, &suggested, sizeof suggested, nullptr));
  SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(there));
  VirtualFreeEx(process, there, 0, MEM_RELEASE);
  CloseHandle(process);
  const RECT now = inClient(GetDlgItem(window, IDOK));
  EXPECT_NEAR(was.left * 3 / 2, now.left, 2);
  EXPECT_NEAR(was.top * 3 / 2, now.top, 2);
  EXPECT_NEAR((was.right - was.left) * 3 / 2, now.right - now.left, 2);
  EXPECT_NEAR((was.bottom - was.top) * 3 / 2, now.bottom - now.top, 2);
  const RECT moved = RectOf(window);
  EXPECT_NEAR(suggested.right - suggested.left, moved.right - moved.left, 2);
  EXPECT_NEAR(suggested.bottom - suggested.top, moved.bottom - moved.top, 2);
  SendMessageA(GetDlgItem(window, IDOK), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(window); }, 15000)) << "OK closes it";
  EXPECT_EQ(settings + "Text=\"'['%title%']'\"\r\n", FileText(app.dir.Path() + "\\settings.ini"));
  app.app.HotKey(2);
  EXPECT_TRUE(app.EndsWithZero());
}

// Wine without a tray shows the icon in a framed window of its own ("Wine System Tray", at the
// top left). Tunelamp runs on as before, without a message box, and takes the icon with it.
TEST(Tray, WithoutATrayTheProgramRunsOnAsBefore) {
  if (TrayInDisplay()) GTEST_SKIP() << "a tray runs in this display";
  Running run;
  ASSERT_TRUE(run.Start("[Main]\nTrayIcon=1\n"));
  EXPECT_TRUE(WaitIcon()) << "in Wine's own window";
  EXPECT_EQ(nullptr, FindTopLevel("#32770", run.app.Proc().Pid())) << "no message box";
  run.app.HotKey(0);
  EXPECT_TRUE(WaitUntil([&] { return AlphaOf(run.popup) == 200; }, 10000));
  run.app.HotKey(2);
  EXPECT_TRUE(run.EndsWithZero());
  EXPECT_TRUE(WaitUntil([] { return TrayIcon() == nullptr; }, 5000)) << "no dead icon";
  const HWND standalone = FindWindowA("__winex11_standalone_tray", nullptr);
  EXPECT_TRUE(WaitUntil([&] { return !standalone || !IsWindowVisible(standalone); }, 5000))
      << "Wine's window goes with its last icon";
}

// The settings window's controls and their texts, as tunelamp.rc numbers them.
constexpr int kQuitLabel = 202;
constexpr int kLanguageList = 213;

// The width a control's text needs, measured here with the font the window's template names
// (MS Shell Dlg, 8 points) at the screen's resolution: what Windows lays the text out with.
SIZE TextSize(HWND control) {
  wchar_t text[600] = {};
  const int length = GetWindowTextW(control, text, 600);
  const HDC context = GetDC(control);
  const HFONT font = CreateFontW(-MulDiv(8, GetDeviceCaps(context, LOGPIXELSY), 72), 0, 0, 0,
                                 FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"MS Shell Dlg");
  const HGDIOBJ was = SelectObject(context, font);
  RECT need = {};
  DrawTextW(context, text, length, &need, DT_CALCRECT | DT_SINGLELINE);
  SelectObject(context, was);
  DeleteObject(font);
  ReleaseDC(control, context);
  return {need.right, need.bottom};
}

struct LanguageRow {
  const char* what;
  std::string file;         // lang\ru.txt beside a copy of tunelamp.exe; "": the shipped one
  const wchar_t* notice;    // the strip's first display
  const wchar_t* title;     // the settings window's
  const wchar_t* quit;      // the label of the quit key
  const wchar_t* language;  // the Language list's choice
};

// Language=ru: the keys' notice, the settings window's title, labels and lists in Russian, each
// label and box as wide as its text, the window inside the screen's work area. A file whose texts
// are broken gives English for those, Russian for the rest. The window is opened by starting the
// program again: no tray is needed.
TEST(Tray, InTheLanguageChosenTheNoticeAndTheWindowAndEnglishWhereTheFileIsBroken) {
  if (TrayInDisplay()) GTEST_SKIP() << "run once, in the pass without a tray";
  const std::string broken =
      "LanguageInItself = Русский\r\nKeysNotSet = Клавиши не назначены\r\nKeyNotAKey =\r\n"
      "WindowTitle = Настройки Tunelamp\r\nQuitLabel = " +
      std::string(600, 'q') + "\r\n";
  const LanguageRow rows[] = {
      {"the shipped file", "", L"Клавиши Tunelamp не назначены: Quit=Ctrl+Q+W — это не клавиша",
       L"Настройки Tunelamp", L"&Выход:", L"Русский"},
      {"a placeholder dropped, an empty text, one too long", broken,
       L"Tunelamp keys not set: Quit=Ctrl+Q+W not a key", L"Настройки Tunelamp", L"&Quit:",
       L"Русский"},
  };
  for (const LanguageRow& row : rows) {
    SCOPED_TRACE(row.what);
    Running app;
    std::string exe;
    if (!row.file.empty()) {
      app.dir.CopyIn(BinDir() + "\\tunelamp.exe", "tunelamp.exe");
      CreateDirectoryA((app.dir.Path() + "\\lang").c_str(), nullptr);
      app.dir.Write("lang\\ru.txt", row.file);
      exe = app.dir.Path() + "\\tunelamp.exe";
    }
    app.dir.Write("settings.ini", "[Main]\r\nLanguage=ru\r\n[Keys]\r\nQuit=Ctrl+Q+W\r\n");
    ASSERT_TRUE(app.app.Start(app.dir, exe));
    ASSERT_TRUE(app.popup = app.app.WaitPopup());
    app.app.HotKey(0);  // the first display, with no player
    EXPECT_TRUE(WaitUntil([&] { return LabelTextWide(app.popup) == row.notice; }, 5000))
        << "the notice";
    Tunelamp again;
    ASSERT_TRUE(again.Start(app.dir, exe));
    const HWND window = WaitSettingsWindow(app.app.Proc().Pid());
    ASSERT_TRUE(window);
    wchar_t text[600] = {};
    GetWindowTextW(window, text, 600);
    EXPECT_STREQ(row.title, text);
    GetDlgItemTextW(window, kQuitLabel, text, 600);
    EXPECT_STREQ(row.quit, text);
    const HWND list = GetDlgItem(window, kLanguageList);
    SendMessageW(list, CB_GETLBTEXT, SendMessageW(list, CB_GETCURSEL, 0, 0),
                 reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(row.language, text);
    SendMessageW(list, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(L"English", text);
    // Every label, box and button of one line holds its text; none leaves the window.
    RECT client;
    GetClientRect(window, &client);
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      char kind[16] = {};
      GetClassNameA(child, kind, sizeof kind);
      RECT box = RectOf(child);
      MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&box), 2);
      EXPECT_LE(box.right, client.right) << GetDlgCtrlID(child);
      const SIZE need = TextSize(child);
      if ((lstrcmpiA(kind, "Static") == 0 || lstrcmpiA(kind, "Button") == 0) &&
          box.bottom - box.top < 2 * need.cy) {
        EXPECT_LE(need.cx, box.right - box.left) << GetDlgCtrlID(child);
      }
    }
    MONITORINFO monitor = {sizeof monitor, {}, {}, 0};
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    RECT inside;
    const RECT frame = RectOf(window);
    EXPECT_TRUE(IntersectRect(&inside, &frame, &monitor.rcWork) && EqualRect(&inside, &frame));
    SendMessageA(window, WM_COMMAND, IDCANCEL, 0);
    app.app.HotKey(2);
    EXPECT_TRUE(app.EndsWithZero());
    if (!row.file.empty()) {
      DeleteFileA((app.dir.Path() + "\\lang\\ru.txt").c_str());
      RemoveDirectoryA((app.dir.Path() + "\\lang").c_str());
    }
  }
}

// A language chosen in the window applies when saved, to the open window too, and is written.
TEST(Tray, ALanguageChosenInTheWindowAppliesWhenSaved) {
  if (TrayInDisplay()) GTEST_SKIP() << "run once, in the pass without a tray";
  Running app;
  ASSERT_TRUE(app.Start("[Main]\r\nCheckTitle=0\r\n"));
  Tunelamp again;
  ASSERT_TRUE(again.Start(app.dir));
  const HWND window = WaitSettingsWindow(app.app.Proc().Pid());
  ASSERT_TRUE(window);
  const HWND list = GetDlgItem(window, kLanguageList);
  ASSERT_EQ(2, SendMessageW(list, CB_GETCOUNT, 0, 0)) << "English and lang\\ru.txt";
  const RECT english = RectOf(window);
  SendMessageW(list, CB_SETCURSEL, 1, 0);
  SendMessageA(GetDlgItem(window, 61), BM_CLICK, 0, 0);  // Apply
  wchar_t text[64] = {};
  GetWindowTextW(window, text, 64);
  EXPECT_STREQ(L"Настройки Tunelamp", text);
  GetDlgItemTextW(window, kQuitLabel, text, 64);
  EXPECT_STREQ(L"&Выход:", text);
  const RECT russian = RectOf(window);
  EXPECT_GT(russian.right - russian.left, english.right - english.left) << "grown to fit";
  EXPECT_EQ("[Main]\r\nCheckTitle=0\r\nLanguage=ru\r\n", app.dir.Read("settings.ini"));
  SendMessageA(window, WM_COMMAND, IDCANCEL, 0);
  app.app.HotKey(2);
  EXPECT_TRUE(app.EndsWithZero());
}

// The icon's menu in the language chosen. Wine keeps a menu to its process (GetMenuStringW of
// another process's menu answers nothing), so the menu is told by its width: Russian's longest
// item, "Изменить файл настроек…", is wider than "Edit settings file…". Its last item still quits.
TEST(Tray, TheMenuInTheLanguageChosen) {
  if (!TrayInDisplay()) GTEST_SKIP() << "no tray in this display (WINE_TRAY)";
  LONG widths[2] = {};
  for (const int russian : {0, 1}) {
    SCOPED_TRACE(russian ? "Language=ru" : "English");
    Running app;
    ASSERT_TRUE(app.Start(russian ? "[Main]\r\nTrayIcon=1\r\nLanguage=ru\r\n"
                                  : "[Main]\r\nTrayIcon=1\r\n"));
    ASSERT_TRUE(WaitIcon());
    const DWORD pid = app.app.Proc().Pid();
    ASSERT_TRUE(ClickIcon(3));
    ASSERT_TRUE(WaitUntil([&] { return OpenMenu(pid) != nullptr; }, 10000));
    PumpFor(kSettleMs);
    const RECT open = RectOf(OpenMenu(pid));
    widths[russian] = open.right - open.left;
    ASSERT_TRUE(ClickAt((open.left + open.right) / 2, open.bottom - 8));  // Quit
    EXPECT_TRUE(app.EndsWithZero());
  }
  EXPECT_GT(widths[1], widths[0] + 10) << widths[0];
}

// Without Language=, the Windows user's display language. Wine takes it from the locale of the
// environment `wine` starts in: LC_ALL=ru_RU.UTF-8 gives ru-RU (measured; LANG=ru_RU.UTF-8 gives
// en-US where the system has no such locale, and a Windows environment block is not read for
// it), so the program is started through a Linux `wine` of its own.
TEST(Tray, WithoutASettingTheSystemsDisplayLanguage) {
  if (TrayInDisplay()) GTEST_SKIP() << "run once, in the pass without a tray";
  WorkDir dir;
  dir.CopyIn(BinDir() + "\\tunelamp.exe", "tunelamp.exe");
  CreateDirectoryA((dir.Path() + "\\lang").c_str(), nullptr);
  dir.CopyIn(BinDir() + "\\lang\\ru.txt", "lang\\ru.txt");
  dir.Write("settings.ini", "[Keys]\r\nQuit=Ctrl+Q+W\r\n");
  ASSERT_TRUE(RunUnix("Z:\\usr\\bin\\env LC_ALL=ru_RU.UTF-8 /usr/bin/wine " +
                      UnixPath(dir.Path() + "\\tunelamp.exe")));
  HWND popup = nullptr;
  ASSERT_TRUE(WaitUntil(
      [&] {
        popup = FindWindowA("TForm", nullptr);
        return popup && (GetWindowLongA(popup, GWL_EXSTYLE) & WS_EX_LAYERED);
      },
      kStartTimeoutMs));
  PostMessageA(popup, WM_HOTKEY, 0, 0);
  EXPECT_TRUE(WaitUntil(
      [&] {
        return LabelTextWide(popup) ==
               L"Клавиши Tunelamp не назначены: Quit=Ctrl+Q+W — это не клавиша";
      },
      5000))
      << "the notice";
  PostMessageA(popup, WM_HOTKEY, 2, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(popup); }, kExitTimeoutMs));
  PumpFor(kSettleMs);  // the process lets go of its file
  DeleteFileA((dir.Path() + "\\lang\\ru.txt").c_str());
  RemoveDirectoryA((dir.Path() + "\\lang").c_str());
}
}  // namespace
}  // namespace e2e
