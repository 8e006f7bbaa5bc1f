// Runs tunelamp.exe and the stand-in player as processes of their own and watches them from
// outside, through what Windows reports about their windows.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

// Generous bounds: every Windows process under qemu takes seconds to start.
constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kExitTimeoutMs = 15000;
// Long enough for the last frame of an animation to finish, short of the default stay (3 s).
constexpr DWORD kSettleMs = 500;

// The folder of app_tests.exe, where tunelamp.exe and player.exe are built too.
[[nodiscard]] std::string BinDir();

// A child process, ended (if it still runs) when the object goes.
class Process {
 public:
  Process() = default;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process() { Kill(); }

  [[nodiscard]] bool Start(const std::string& exe, const std::string& arguments,
                           const std::string& workingDir);
  [[nodiscard]] DWORD Pid() const { return pid_; }
  [[nodiscard]] bool Running() const;
  // Waits for the end; false when it still runs after timeoutMs.
  [[nodiscard]] bool WaitExit(DWORD timeoutMs, DWORD* exitCode);
  void Kill();

 private:
  HANDLE handle_ = nullptr;
  DWORD pid_ = 0;
};

// A fresh working directory under %TEMP%, removed with its files at the end.
class WorkDir {
 public:
  WorkDir();
  WorkDir(const WorkDir&) = delete;
  WorkDir& operator=(const WorkDir&) = delete;
  ~WorkDir();

  [[nodiscard]] const std::string& Path() const { return path_; }
  void Write(const std::string& name, const std::string& content);
  void CopyIn(const std::string& sourcePath, const std::string& name);
  // The file's bytes, "" when it cannot be read.
  [[nodiscard]] std::string Read(const std::string& name) const;

 private:
  std::string path_;
  std::vector<std::string> files_;
};

// Polls `condition` every pollMs until it holds, pumping this thread's messages meanwhile.
template <typename Condition>
[[nodiscard]] bool WaitUntil(Condition condition, DWORD timeoutMs, DWORD pollMs = 15);
void PumpFor(DWORD ms);

// The top-level window of class `className` that belongs to process `pid`, or 0.
[[nodiscard]] HWND FindTopLevel(const char* className, DWORD pid);
// Any visible top-level window of process `pid`, or 0.
[[nodiscard]] HWND FindVisible(DWORD pid);

// The popup's alpha as GetLayeredWindowAttributes reports it; -1 when it is not layered.
[[nodiscard]] int AlphaOf(HWND window);
[[nodiscard]] HWND LabelOf(HWND popup);
// The label's text as bytes, in the ANSI code page.
[[nodiscard]] std::string LabelText(HWND popup);
// The label's text as it holds it: UTF-16, whatever the code pages.
[[nodiscard]] std::wstring LabelTextWide(HWND popup);
[[nodiscard]] RECT RectOf(HWND window);

// What the popup showed at one moment.
struct Sample {
  DWORD tick;
  int alpha;
  bool iconic;
  RECT label;
  std::string text;
  HWND front;  // the foreground window
};
// Samples the popup every few milliseconds until `stop` holds for a sample or timeoutMs pass.
template <typename Stop>
std::vector<Sample> Record(HWND popup, Stop stop, DWORD timeoutMs);
[[nodiscard]] Sample Snapshot(HWND popup);
// Watches the alpha for `ms`: "" when it stayed at `alpha`, else what it did instead.
[[nodiscard]] std::string Holds(HWND popup, int alpha, DWORD ms);

// The stand-in player, steered through its WM_COPYDATA commands.
class Player {
 public:
  // Starts player.exe with the given commands and waits for its window.
  [[nodiscard]] bool Start(const std::vector<std::string>& commands);
  [[nodiscard]] HWND Window() const { return window_; }
  [[nodiscard]] bool Send(const std::string& command) const;
  [[nodiscard]] LRESULT Query(WPARAM wParam, LPARAM lParam) const;
  [[nodiscard]] std::string Caption() const;
  [[nodiscard]] Process& Proc() { return process_; }

 private:
  Process process_;
  HWND window_ = nullptr;
};

// tunelamp.exe started in a working directory.
class Tunelamp {
 public:
  [[nodiscard]] bool Start(const WorkDir& dir, const std::string& exe = "");
  // Waits until the popup is shown, which happens after the settings are applied.
  [[nodiscard]] HWND WaitPopup();
  [[nodiscard]] HWND Popup() const { return popup_; }
  void HotKey(int id) const;
  void Click() const;
  [[nodiscard]] Process& Proc() { return process_; }

 private:
  Process process_;
  HWND popup_ = nullptr;
};

// Starts a Linux program (xdotool) from this Windows process. Wine cannot wait for such a
// child, so callers watch for its effect instead.
[[nodiscard]] bool RunUnix(const std::string& commandLine);

// A visible window of this process that takes the X keyboard focus: a real key press reaches
// Wine only while one of its windows has it.
class FocusWindow {
 public:
  FocusWindow();
  FocusWindow(const FocusWindow&) = delete;
  FocusWindow& operator=(const FocusWindow&) = delete;
  ~FocusWindow();
  // Presses `keys` ("ctrl+shift+x") with xdotool, as a person would, after focusing the window.
  [[nodiscard]] bool PressKeys(const std::string& keys) const;
  // Whether the window is the one in front, as this process sees it.
  [[nodiscard]] bool HasFocus() const { return GetForegroundWindow() == window_; }
  [[nodiscard]] HWND Handle() const { return window_; }

 private:
  HWND window_ = nullptr;
  std::string title_;
};

// The settings window of the copy `pid`, once it is in front (within 10 s), or 0.
[[nodiscard]] HWND WaitSettingsWindow(DWORD pid);

// The identity of the monitor that holds `rect`'s bottom-right corner, as the settings window
// writes it (the device path EnumDisplayDevicesW gives with EDD_GET_DEVICE_INTERFACE_NAME), and
// the name Windows shows for it; empty where there is none.
[[nodiscard]] std::string MonitorIdentity(const RECT& rect, std::wstring* name = nullptr);

// Presses `keys` with xdotool in the visible X window named `title`, after activating it.
[[nodiscard]] bool PressKeysIn(const std::string& title, const std::string& keys);

// The display scale of the programs started while it lives: the prefix's LogPixels, which each
// new process reads at its start (96 is 100 %, 144 is 150 %). Put back as it was at the end.
class ScreenScale {
 public:
  explicit ScreenScale(DWORD dpi);
  ScreenScale(const ScreenScale&) = delete;
  ScreenScale& operator=(const ScreenScale&) = delete;
  ~ScreenScale();

 private:
  bool had_ = false;
  DWORD previous_ = 0;
};

// Where the popup's text shows, as read from the screen: the first and last rows of its client
// area with dark pixels on the strip's colour (-1: none), and the strip's last row.
struct TextRows {
  int first = -1;
  int last = -1;
  int lastStrip = -1;
};
[[nodiscard]] TextRows FindTextRows(HWND popup);

// A real click at a point of the screen, through xdotool: button 1 is the left, 3 the right.
[[nodiscard]] bool ClickAt(int x, int y, int button = 1);

// What the popup shows when no player runs.
extern const wchar_t kNotRunning[];

// --- templates

template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs, DWORD pollMs) {
  DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start >= timeoutMs) return false;
    PumpFor(pollMs);
  }
}

template <typename Stop>
std::vector<Sample> Record(HWND popup, Stop stop, DWORD timeoutMs) {
  std::vector<Sample> samples;
  DWORD start = GetTickCount();
  for (;;) {
    samples.push_back(Snapshot(popup));
    if (stop(samples.back()) || GetTickCount() - start >= timeoutMs) return samples;
    PumpFor(5);
  }
}

}  // namespace e2e
