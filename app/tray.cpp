#include "app/tray.h"

#include <windows.h>
#include <shellapi.h>

#include "app/settings_file.h"
#include "app/win32_host.h"
#include "display/settings_text.h"
#include "display/state.h"
#include "display/tray.h"
#include "toolkit/helpers.h"
#include "toolkit/timer.h"

namespace {

// Copies `text` with its terminator to `to`, when it fits before `end`; answers the end of the
// copy (at the terminator), or null.
wchar_t* CopyText(wchar_t* to, const wchar_t* end, const wchar_t* text) {
  for (; to < end; ++to, ++text) {
    if ((*to = *text) == L'\0') return to;
  }
  return nullptr;
}

// The icon's callback message, and its id; with NOTIFYICON_VERSION_4 the id comes back in the
// high word of lParam, where the version-0 messages of older systems have 0.
constexpr UINT kTrayMessage = WM_APP + 1;
constexpr UINT kIconId = 1;

using ShellNotifyIconProc = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAW);
constexpr int kSystemFolder = 0x25;  // CSIDL_SYSTEM
using SystemFolderProc = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);
using ShellExecuteProc = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);

HWND trayWindow = nullptr;
UINT taskbarCreated = 0;
bool wanted = false;  // the settings ask for the icon
bool added = false;   // the notification area took it
HICON icon = nullptr;
Text* tipTitle = nullptr;  // the title in the tooltip, once there is one

// Shell32 only when the icon is asked for, and only from the system folder.
FARPROC Shell(const char* name) {
  static const HMODULE shell32 = LoadSystemLibrary(L"shell32.dll");
  return shell32 ? GetProcAddress(shell32, name) : nullptr;
}

// One call of Shell_NotifyIconW for the icon. With NIF_TIP the tooltip gets the last title.
BOOL Notify(DWORD message, UINT flags) {
  const auto notify = reinterpret_cast<ShellNotifyIconProc>(
      reinterpret_cast<void (*)()>(Shell("Shell_NotifyIconW")));
  if (!notify) return FALSE;
  NOTIFYICONDATAW data = {};
  data.cbSize = sizeof data;
  data.hWnd = trayWindow;
  data.uID = kIconId;
  data.uFlags = flags;
  data.uCallbackMessage = kTrayMessage;
  data.hIcon = icon;
  data.uVersion = NOTIFYICON_VERSION_4;
  if (flags & NIF_TIP) {
    if (!tipTitle) tipTitle = new Text;
    *tipTitle = NowPlaying().lastTitle;
    char16_t title[1024];
    const int length =
        MultiByteToWideChar(CP_ACP, 0, tipTitle->CStr(), static_cast<int>(tipTitle->Length()),
                            reinterpret_cast<LPWSTR>(title), 1024);
    static_assert(sizeof data.szTip == kTooltipSize * sizeof(char16_t), "the tooltip's room");
    ComposeTooltip(title, length > 0 ? static_cast<uint32_t>(length) : 0,
                   reinterpret_cast<char16_t(&)[kTooltipSize]>(data.szTip));
  }
  return notify(message, &data);
}

// The small icon's size at the resolution of the monitor that holds the taskbar. The icon is
// loaded again only when that size changes (Explorer restarted at another scale); the old one
// is then left to the process's end, a few hundred bytes.
void LoadTrayIcon() {
  static int loadedSize = 0;
  const HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
  const uint32_t dpi = MonitorDpi(MonitorFromWindow(taskbar, MONITOR_DEFAULTTOPRIMARY));
  const int size = MulDiv(GetSystemMetrics(SM_CXSMICON), static_cast<int>(dpi), ScreenDpi());
  if (icon && size == loadedSize) return;
  loadedSize = size;
  icon = static_cast<HICON>(
      LoadImageA(GetModuleHandleA(nullptr), "MAINICON", IMAGE_ICON, size, size, 0));
}

void AddIcon() {
  LoadTrayIcon();
  // Without a notification area this fails, and the program runs on without the icon.
  added = Notify(NIM_ADD, NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP) != FALSE;
  if (added) Notify(NIM_SETVERSION, 0);
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
  SetForegroundWindow(trayWindow);
  const BOOL command = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x,
                                      at.y, 0, trayWindow, nullptr);
  PostMessageA(trayWindow, WM_NULL, 0, 0);
  DestroyMenu(menu);
  OnTrayCommand(PopupHost(), static_cast<TrayCommand>(command));
}

// The icon's events. Version 4 (Windows Vista and later): NIN_SELECT is a click, NIN_KEYSELECT
// Enter or Space on the focused icon, WM_CONTEXTMENU a right click, the context key or
// Shift+F10, with the point in wParam; the plain button messages that also come are left alone.
// Version 0 (systems before Vista, or a shell that refuses version 4): only the button messages,
// at the pointer. Wine 8 sends version 4.
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

// The tray window's messages (its window is `trayWindow`).
void TrayWindowMessage(void* /*unused*/, TWindowMessage& message) {
  if (message.Msg == kTrayMessage) {
    OnIconEvent(message.WParam, message.LParam);
    return;
  }
  // Explorer started afresh, with an empty notification area; or one came up at last.
  if (message.Msg == taskbarCreated && taskbarCreated != 0) {
    if (wanted) AddIcon();
    return;
  }
  message.Result = DefWindowProcA(trayWindow, message.Msg, message.WParam, message.LParam);
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
  // A disk too full for some 600 bytes keeps what it took; the editor then shows that.
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
    // A hidden window of its own receives the icon's events and the broadcast of
    // "TaskbarCreated", and owns the menu: the popup's window never takes the foreground.
    if (!trayWindow) {
      trayWindow = CreateUtilityWindow(TWindowMethod{&TrayWindowMessage, nullptr});
      taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    }
    AddIcon();
  } else if (added) {
    Notify(NIM_DELETE, 0);
    added = false;
  }
}

void TrayFollowTitle() {
  if (!added || *tipTitle == NowPlaying().lastTitle) return;
  Notify(NIM_MODIFY, NIF_TIP | NIF_SHOWTIP);
}

void EditSettingsFile() {
  const wchar_t* path = SettingsFilePath();
  if (!path || GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) {
    // No file in use: one beside the program, or where the program runs when that folder is
    // not the user's to write (Program Files).
    path = ProgramSettingsPath();
    if (!WriteDefaults(path)) {
      path = L"settings.ini";
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
  // The system folder through shell32 as well, which is loaded by now anyway.
  const auto systemFolder =
      reinterpret_cast<SystemFolderProc>(reinterpret_cast<void (*)()>(Shell("SHGetFolderPathW")));
  wchar_t notepad[MAX_PATH + 16];
  wchar_t quoted[MAX_PATH + 3] = L"\"";
  wchar_t* const end = CopyText(quoted + 1, quoted + MAX_PATH + 1, path);
  if (!systemFolder || systemFolder(nullptr, kSystemFolder, nullptr, 0, notepad) != S_OK || !end) {
    return;
  }
  CopyText(notepad + lstrlenW(notepad), notepad + MAX_PATH + 16, L"\\notepad.exe");
  CopyText(end, end + 2, L"\"");
  execute(nullptr, L"open", notepad, quoted, nullptr, SW_SHOWNORMAL);
}
