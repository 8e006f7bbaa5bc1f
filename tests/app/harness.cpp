#include "tests/app/harness.h"

#include <fstream>
#include <iterator>

namespace e2e {

const wchar_t kNotRunning[] = L"WinAMP не запущен!";

std::string BinDir() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path, n);
  return dir.substr(0, dir.find_last_of('\\'));
}

namespace {
std::wstring Wide(const std::string& text, UINT codePage) {
  std::wstring wide(text.size() + 1, L'\0');
  const int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()),
                                    &wide[0], static_cast<int>(wide.size()));
  wide.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return wide;
}
}  // namespace

bool Process::Start(const std::string& exe, const std::string& arguments,
                    const std::string& workingDir) {
  Kill();
  // Paths are in this process's code page; arguments are UTF-8, so titles in any script pass.
  std::wstring exeWide = Wide(exe, CP_ACP);
  std::wstring commandLine = L"\"" + exeWide + L"\"";
  if (!arguments.empty()) commandLine += L" " + Wide(arguments, CP_UTF8);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(exeWide.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                      Wide(workingDir, CP_ACP).c_str(), &startup, &info)) {
    return false;
  }
  CloseHandle(info.hThread);
  handle_ = info.hProcess;
  pid_ = info.dwProcessId;
  return true;
}

bool Process::Running() const {
  return handle_ && WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT;
}

bool Process::WaitExit(DWORD timeoutMs, DWORD* exitCode) {
  if (!handle_) return false;
  bool ended =
      WaitUntil([&] { return WaitForSingleObject(handle_, 0) == WAIT_OBJECT_0; }, timeoutMs, 20);
  if (ended && exitCode) GetExitCodeProcess(handle_, exitCode);
  return ended;
}

void Process::Kill() {
  if (!handle_) return;
  if (WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT) {
    TerminateProcess(handle_, 99);
    WaitForSingleObject(handle_, kExitTimeoutMs);
  }
  CloseHandle(handle_);
  handle_ = nullptr;
}

WorkDir::WorkDir() {
  static int counter = 0;
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  path_ = std::string(temp) + "tunelamp-e2e-" + std::to_string(GetCurrentProcessId()) + "-" +
          std::to_string(++counter);
  CreateDirectoryA(path_.c_str(), nullptr);
}

WorkDir::~WorkDir() {
  for (const std::string& file : files_) DeleteFileA((path_ + "\\" + file).c_str());
  RemoveDirectoryA(path_.c_str());
}

void WorkDir::Write(const std::string& name, const std::string& content) {
  HANDLE file = CreateFileA((path_ + "\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(file);
  files_.push_back(name);
}

void WorkDir::CopyIn(const std::string& sourcePath, const std::string& name) {
  CopyFileA(sourcePath.c_str(), (path_ + "\\" + name).c_str(), FALSE);
  files_.push_back(name);
}

std::string WorkDir::Read(const std::string& name) const {
  std::ifstream file(path_ + "\\" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void PumpFor(DWORD ms) {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  Sleep(ms);
}

namespace {

struct Search {
  const char* className;  // null: any visible window
  DWORD pid;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  char className[64];
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  bool match = search->className ? GetClassNameA(window, className, sizeof className) &&
                                       lstrcmpA(className, search->className) == 0
                                 : IsWindowVisible(window) != FALSE;
  if (pid == search->pid && match) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND FindTopLevel(const char* className, DWORD pid) {
  Search search = {className, pid, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindVisible(DWORD pid) {
  Search search = {nullptr, pid, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

int AlphaOf(HWND window) {
  COLORREF key = 0;
  BYTE alpha = 0;
  DWORD flags = 0;
  if (!GetLayeredWindowAttributes(window, &key, &alpha, &flags)) return -1;
  return alpha;
}

HWND LabelOf(HWND popup) {
  return FindWindowExA(popup, nullptr, "static", nullptr);
}

std::string LabelText(HWND popup) {
  char text[2048] = {};
  int n = GetWindowTextA(LabelOf(popup), text, sizeof text);
  return std::string(text, n > 0 ? n : 0);
}

std::wstring LabelTextWide(HWND popup) {
  wchar_t text[2048] = {};
  int n = GetWindowTextW(LabelOf(popup), text, 2048);
  return std::wstring(text, n > 0 ? n : 0);
}

std::string Holds(HWND popup, int alpha, DWORD ms) {
  std::vector<Sample> samples = Record(
      popup, [&](const Sample& s) { return s.alpha != alpha; }, ms);
  const Sample& last = samples.back();
  if (last.alpha == alpha) return "";
  return "alpha " + std::to_string(last.alpha) + " after " +
         std::to_string(last.tick - samples.front().tick) + " ms, showing " + last.text;
}

RECT RectOf(HWND window) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  return rect;
}

Sample Snapshot(HWND popup) {
  Sample sample;
  sample.tick = GetTickCount();
  sample.alpha = AlphaOf(popup);
  sample.iconic = IsIconic(popup) != FALSE;
  HWND label = LabelOf(popup);
  sample.label = RectOf(label);
  // In the popup's client area, where the label's resting place is (20, 8).
  MapWindowPoints(nullptr, popup, reinterpret_cast<POINT*>(&sample.label), 2);
  sample.text = LabelText(popup);
  sample.front = GetForegroundWindow();
  return sample;
}

bool Player::Start(const std::vector<std::string>& commands) {
  std::string arguments;
  for (const std::string& command : commands) {
    if (!arguments.empty()) arguments += " ";
    arguments += "\"" + command + "\"";
  }
  if (!process_.Start(BinDir() + "\\player.exe", arguments, BinDir())) return false;
  return WaitUntil(
             [&] {
               window_ = FindTopLevel("Winamp v1.x", process_.Pid());
               return (window_ && GetWindowTextLengthA(window_) > 0) || !process_.Running();
             },
             kStartTimeoutMs) &&
         window_ != nullptr;
}

bool Player::Send(const std::string& command) const {
  COPYDATASTRUCT data = {0, static_cast<DWORD>(command.size()), const_cast<char*>(command.data())};
  return SendMessageA(window_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)) != 0;
}

LRESULT Player::Query(WPARAM wParam, LPARAM lParam) const {
  return SendMessageA(window_, WM_USER, wParam, lParam);
}

std::string Player::Caption() const {
  char text[1024] = {};
  int n = GetWindowTextA(window_, text, sizeof text);
  return std::string(text, n > 0 ? n : 0);
}

bool Tunelamp::Start(const WorkDir& dir, const std::string& exe) {
  popup_ = nullptr;
  return process_.Start(exe.empty() ? BinDir() + "\\tunelamp.exe" : exe, "", dir.Path());
}

HWND Tunelamp::WaitPopup() {
  bool shown = WaitUntil(
      [&] {
        popup_ = FindTopLevel("TForm", process_.Pid());
        return (popup_ && IsWindowVisible(popup_) &&
                (GetWindowLongA(popup_, GWL_EXSTYLE) & WS_EX_LAYERED)) ||
               !process_.Running();
      },
      kStartTimeoutMs);
  return shown && process_.Running() ? popup_ : nullptr;
}

void Tunelamp::HotKey(int id) const {
  PostMessageA(popup_, WM_HOTKEY, id, 0);
}

void Tunelamp::Click() const {
  PostMessageA(popup_, WM_LBUTTONUP, 0, MAKELPARAM(200, 10));
}

bool RunUnix(const std::string& commandLine) {
  // Wine starts a program that is not a Windows executable as a Linux process.
  std::string line = commandLine;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info)) {
    return false;
  }
  if (info.hThread) CloseHandle(info.hThread);
  if (info.hProcess) CloseHandle(info.hProcess);
  return true;
}

namespace {
constexpr char kXdotool[] = "Z:\\usr\\bin\\xdotool";
constexpr char kTimeout[] = "Z:\\usr\\bin\\timeout";
}  // namespace

FocusWindow::FocusWindow() {
  title_ = "tunelamp-e2e-keys-" + std::to_string(GetCurrentProcessId());
  window_ = CreateWindowExA(0, "STATIC", title_.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 300,
                            300, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  SetForegroundWindow(window_);
  PumpFor(200);
}

FocusWindow::~FocusWindow() {
  DestroyWindow(window_);
}

// The window manager takes no activation request for a window it does not manage yet, and
// "windowactivate --sync" then waits until it does: so the search waits until the window is
// viewable, which under a window manager it is once managed. Keys pressed the moment the focus
// arrives can come before Wine has taken the focus in, and a hot key then goes unseen (one such
// lost press was seen with the window manager stalled at that moment): a short pause lets it.
// `timeout` ends an xdotool that still hangs, since nothing here can wait for it.
bool FocusWindow::PressKeys(const std::string& keys) const {
  return PressKeysIn(title_, keys);
}

std::string MonitorIdentity(const RECT& rect, std::wstring* name) {
  MONITORINFOEXW info = {};
  info.cbSize = sizeof info;
  DISPLAY_DEVICEW device = {};
  device.cb = sizeof device;
  const HMONITOR monitor =
      MonitorFromPoint({rect.right - 1, rect.bottom - 1}, MONITOR_DEFAULTTONULL);
  if (!GetMonitorInfoW(monitor, &info) ||
      !EnumDisplayDevicesW(info.szDevice, 0, &device, EDD_GET_DEVICE_INTERFACE_NAME)) {
    return "";
  }
  if (name) *name = device.DeviceString;
  char path[256] = {};
  WideCharToMultiByte(CP_ACP, 0, device.DeviceID, -1, path, sizeof path, nullptr, nullptr);
  return path;
}

HWND WaitSettingsWindow(DWORD pid) {
  HWND window = nullptr;
  (void)WaitUntil(
      [&] {
        window = FindTopLevel("#32770", pid);
        return window && IsWindowVisible(window) && GetForegroundWindow() == window;
      },
      10000);
  return window;
}

bool PressKeysIn(const std::string& title, const std::string& keys) {
  return RunUnix(std::string(kTimeout) + " 20 /usr/bin/xdotool search --sync --onlyvisible " +
                 "--limit 1 --name \"" + title + "\" windowactivate --sync sleep 0.3 key " + keys);
}

namespace {
constexpr char kDesktopKey[] = "Control Panel\\Desktop";
constexpr char kLogPixels[] = "LogPixels";
}  // namespace

ScreenScale::ScreenScale(DWORD dpi) {
  DWORD size = sizeof previous_;
  had_ = RegGetValueA(HKEY_CURRENT_USER, kDesktopKey, kLogPixels, RRF_RT_REG_DWORD, nullptr,
                      &previous_, &size) == ERROR_SUCCESS;
  RegSetKeyValueA(HKEY_CURRENT_USER, kDesktopKey, kLogPixels, REG_DWORD, &dpi, sizeof dpi);
}

ScreenScale::~ScreenScale() {
  if (had_) {
    RegSetKeyValueA(HKEY_CURRENT_USER, kDesktopKey, kLogPixels, REG_DWORD, &previous_,
                    sizeof previous_);
  } else {
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kDesktopKey, kLogPixels);
  }
}

TextRows FindTextRows(HWND popup) {
  const RECT rect = RectOf(popup);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  SelectObject(memory, old);
  GetDIBits(memory, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  // Rows inside the rounded region have the strip's colour in the middle, where no text reaches;
  // text is looked for clear of the corners, where what lies behind the strip shows.
  const auto at = [&](int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; };
  const auto dark = [](uint32_t p) {
    return ((p >> 16) & 0xFF) < 80 && ((p >> 8) & 0xFF) < 80 && (p & 0xFF) < 80;
  };
  const uint32_t strip = at(width / 2, height / 2);
  TextRows rows;
  for (int y = 0; y < height; ++y) {
    if (at(width / 2, y) != strip) continue;
    rows.lastStrip = y;
    for (int x = height; x < width - height; ++x) {
      if (!dark(at(x, y))) continue;
      if (rows.first < 0) rows.first = y;
      rows.last = y;
      break;
    }
  }
  return rows;
}

bool ClickAt(int x, int y, int button) {
  // As for the keys: the pointer is over the strip, and Wine has seen it get there, before the
  // button goes down (a click that came with the move was once lost in a fresh session).
  // A move with --sync waits until the pointer has moved: to where it already is, that is for
  // ever. So a pointer already there (an earlier click's) leaves first.
  POINT at = {};
  std::string away;
  if (GetCursorPos(&at) && at.x == x && at.y == y) {
    away = "mousemove --sync " + std::to_string(x + 1) + " " + std::to_string(y) + " ";
  }
  return RunUnix(std::string(kTimeout) + " 20 /usr/bin/xdotool " + away + "mousemove --sync " +
                 std::to_string(x) + " " + std::to_string(y) + " sleep 0.3 click " +
                 std::to_string(button));
}

}  // namespace e2e
