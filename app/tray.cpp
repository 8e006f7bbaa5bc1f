#include "app/tray.h"

#include <windows.h>
#include <shellapi.h>

#include "app/win32_host.h"
#include "display/settings_text.h"
#include "display/state.h"
#include "display/tray.h"
#include "toolkit/helpers.h"

#if __has_include("app/settings_file.h")
#include "app/settings_file.h"
#else
namespace {

// Until the lookup of the settings file lands: the file in the current directory, and the one
// beside the program. One buffer serves both, made at the first use.
wchar_t* PathBuffer() {
  static wchar_t* const buffer = static_cast<wchar_t*>(LocalAlloc(LMEM_FIXED, MAX_PATH * 2));
  return buffer;
}

const wchar_t* SettingsFilePath() {
  wchar_t* const path = PathBuffer();
  return path && GetFullPathNameW(L"settings.ini", MAX_PATH, path, nullptr) ? path : nullptr;
}

const wchar_t* ProgramSettingsPath() {
  wchar_t* const path = PathBuffer();
  const DWORD length = path ? GetModuleFileNameW(nullptr, path, MAX_PATH) : 0;
  if (length == 0 || length >= MAX_PATH) return nullptr;
  DWORD name = length;
  while (name > 0 && path[name - 1] != L'\\') --name;
  if (name + sizeof L"settings.ini" / sizeof(wchar_t) > MAX_PATH) return nullptr;
  lstrcpyW(path + name, L"settings.ini");
  return path;
}

}  // namespace
#endif

namespace {

// The icon's callback message, and its id; with NOTIFYICON_VERSION_4 the id comes back in the
// high word of lParam, where the version-0 messages (Wine's) have 0.
constexpr UINT kTrayMessage = WM_APP + 1;
constexpr UINT kIconId = 1;
constexpr char kTrayClass[] = "TunelampTray";

using ShellNotifyIconProc = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAW);
using ShellExecuteProc = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);

HWND trayWindow = nullptr;
UINT taskbarCreated = 0;
bool wanted = false;  // the settings ask for the icon
bool added = false;   // the notification area took it
HICON icon = nullptr;
Text tipTitle;  // the title in the tooltip

// Shell32 only when the icon is asked for, and only from the system folder.
FARPROC Shell(const char* name) {
  static const HMODULE shell32 =
      LoadLibraryExA("shell32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  return shell32 ? GetProcAddress(shell32, name) : nullptr;
}

BOOL NotifyIcon(DWORD message, NOTIFYICONDATAW& data) {
  const auto notify = reinterpret_cast<ShellNotifyIconProc>(
      reinterpret_cast<void (*)()>(Shell("Shell_NotifyIconW")));
  return notify ? notify(message, &data) : FALSE;
}

NOTIFYICONDATAW IconData(UINT flags) {
  NOTIFYICONDATAW data = {};
  data.cbSize = sizeof data;
  data.hWnd = trayWindow;
  data.uID = kIconId;
  data.uFlags = flags;
  return data;
}

// Flags and tooltip for NIM_ADD and NIM_MODIFY: the last title as it is now.
NOTIFYICONDATAW TipData(UINT flags) {
  NOTIFYICONDATAW data = IconData(flags | NIF_TIP | NIF_SHOWTIP);
  tipTitle = NowPlaying().lastTitle;
  char16_t title[1024];
  const int length =
      MultiByteToWideChar(CP_ACP, 0, tipTitle.CStr(), static_cast<int>(tipTitle.Length()),
                          reinterpret_cast<LPWSTR>(title), 1024);
  char16_t tip[kTooltipSize];
  ComposeTooltip(title, length > 0 ? static_cast<uint32_t>(length) : 0, tip);
  static_assert(sizeof tip == sizeof data.szTip, "the tooltip's room");
  CopyMemory(data.szTip, tip, sizeof tip);
  return data;
}

// The small icon's size at the resolution of the monitor that holds the taskbar.
HICON LoadTrayIcon() {
  const HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
  const uint32_t dpi = MonitorDpi(MonitorFromWindow(taskbar, MONITOR_DEFAULTTOPRIMARY));
  const int size = MulDiv(GetSystemMetrics(SM_CXSMICON), static_cast<int>(dpi), ScreenDpi());
  return static_cast<HICON>(
      LoadImageA(GetModuleHandleA(nullptr), "MAINICON", IMAGE_ICON, size, size, 0));
}

void AddIcon() {
  if (icon) DestroyIcon(icon);
  icon = LoadTrayIcon();
  NOTIFYICONDATAW data = TipData(NIF_MESSAGE | NIF_ICON);
  data.uCallbackMessage = kTrayMessage;
  data.hIcon = icon;
  // Without a notification area this fails, and the program runs on without the icon.
  added = NotifyIcon(NIM_ADD, data) != FALSE;
  if (!added) return;
  data.uVersion = NOTIFYICON_VERSION_4;
  NotifyIcon(NIM_SETVERSION, data);
}

// The menu at `at`. It takes the keyboard while it is open, and goes away at a click elsewhere
// only when its owner is the foreground window; the message after it lets the system finish
// the switch, so that a second right click opens the menu again.
void ShowMenu(POINT at) {
  const HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(TrayCommand::kShowNow), "Show now");
  AppendMenuA(menu, MF_STRING | (NowPlaying().automatic ? MF_CHECKED : MF_UNCHECKED),
              static_cast<UINT_PTR>(TrayCommand::kAutomatic), "Automatic display");
  AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(TrayCommand::kEditSettings), "Edit settings");
  AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(TrayCommand::kQuit), "Quit");
  SetMenuDefaultItem(menu, static_cast<UINT>(TrayCommand::kShowNow), FALSE);
  SetForegroundWindow(trayWindow);
  const UINT align = GetSystemMetrics(SM_MENUDROPALIGNMENT) ? TPM_RIGHTALIGN : TPM_LEFTALIGN;
  const BOOL command = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON | align,
                                      at.x, at.y, 0, trayWindow, nullptr);
  PostMessageA(trayWindow, WM_NULL, 0, 0);
  DestroyMenu(menu);
  OnTrayCommand(PopupHost(), static_cast<TrayCommand>(command));
}

// The icon's events. Version 4 (Windows Vista and later): NIN_SELECT is a click, NIN_KEYSELECT
// Enter or Space on the focused icon, WM_CONTEXTMENU a right click, the context key or
// Shift+F10, with the point in wParam; the plain button messages that also come are left alone.
// Version 0 (older systems, and Wine): only the button messages, at the pointer.
void OnIconEvent(WPARAM wParam, LPARAM lParam) {
  const UINT event = LOWORD(lParam);
  const bool version4 = HIWORD(lParam) == kIconId;
  POINT at = {static_cast<short>(LOWORD(wParam)), static_cast<short>(HIWORD(wParam))};
  if (!version4) GetCursorPos(&at);
  if (event == WM_MOUSEMOVE) TrayFollowTitle();
  if (version4 ? event == NIN_SELECT || event == NIN_KEYSELECT : event == WM_LBUTTONUP) {
    OnTrayCommand(PopupHost(), TrayCommand::kShowNow);
  }
  if (version4 ? event == WM_CONTEXTMENU : event == WM_RBUTTONUP) ShowMenu(at);
}

LRESULT CALLBACK TrayProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kTrayMessage) {
    OnIconEvent(wParam, lParam);
    return 0;
  }
  // Explorer started afresh, with an empty notification area; or one came up at last.
  if (message == taskbarCreated && taskbarCreated != 0) {
    if (wanted) AddIcon();
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// A hidden top-level window of its own: it receives the icon's events and the broadcast of
// "TaskbarCreated", and owns the menu, so the popup's own window never takes the foreground.
void MakeTrayWindow() {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = TrayProcedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kTrayClass;
  RegisterClassA(&windowClass);
  trayWindow = CreateWindowExA(WS_EX_TOOLWINDOW, kTrayClass, "Tunelamp", WS_POPUP, 0, 0, 0, 0,
                               nullptr, nullptr, windowClass.hInstance, nullptr);
  taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
}

// Writes the commented defaults to `path`, never over a file. True when the file is there.
bool WriteDefaults(const wchar_t* path) {
  if (!path) return false;
  const HANDLE file =
      CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_EXISTS;
  DWORD written = 0;
  const DWORD size = sizeof kDefaultSettingsText - 1;
  const bool whole =
      WriteFile(file, kDefaultSettingsText, size, &written, nullptr) && written == size;
  CloseHandle(file);
  if (!whole) DeleteFileW(path);
  return whole;
}

}  // namespace

void Win32Host::TraySetIcon(bool shown) {
  ShowTrayIcon(shown);
}
void Win32Host::SettingsEdit() {
  EditSettingsFile();
}

void ShowTrayIcon(bool shown) {
  if (shown == wanted) return;
  wanted = shown;
  if (shown) {
    if (!trayWindow) MakeTrayWindow();
    AddIcon();
  } else if (added) {
    NOTIFYICONDATAW data = IconData(0);
    NotifyIcon(NIM_DELETE, data);
    added = false;
  }
}

void TrayFollowTitle() {
  if (!added || tipTitle == NowPlaying().lastTitle) return;
  NOTIFYICONDATAW data = TipData(0);
  NotifyIcon(NIM_MODIFY, data);
}

void EditSettingsFile() {
  const wchar_t* path = SettingsFilePath();
  wchar_t here[MAX_PATH];
  if (!path || GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) {
    // No file in use: one beside the program, or where the program runs when that folder is
    // not the user's to write (Program Files).
    path = ProgramSettingsPath();
    if (!WriteDefaults(path)) {
      path = GetFullPathNameW(L"settings.ini", MAX_PATH, here, nullptr) ? here : nullptr;
      if (!WriteDefaults(path)) return;
    }
  }
  const auto execute =
      reinterpret_cast<ShellExecuteProc>(reinterpret_cast<void (*)()>(Shell("ShellExecuteW")));
  if (!execute) return;
  // Whatever the user opens .ini files with; Notepad, from the system folder, when nothing is
  // set for them or it fails. ShellExecute's answers above 32 are successes.
  if (reinterpret_cast<INT_PTR>(execute(nullptr, L"open", path, nullptr, nullptr, SW_SHOWNORMAL)) >
      32) {
    return;
  }
  wchar_t notepad[MAX_PATH + 16];
  wchar_t quoted[MAX_PATH + 3];
  const UINT length = GetSystemDirectoryW(notepad, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  lstrcpyW(notepad + length, L"\\notepad.exe");
  wsprintfW(quoted, L"\"%s\"", path);
  execute(nullptr, L"open", notepad, quoted, nullptr, SW_SHOWNORMAL);
}
