#include "app/tray.h"

#include <shellapi.h>

#include "app/win32_host.h"
#include "app/language_files.h"
#include "display/events.h"
#include "display/tray.h"
#include "toolkit/helpers.h"
#include "toolkit/timer.h"

namespace {

// The icon's callback message, and its id; with NOTIFYICON_VERSION_4 the id comes back in the
// high word of lParam, where the version-0 messages of older systems have 0.
constexpr UINT kTrayMessage = WM_APP + 1;
constexpr UINT kIconId = 1;

using ShellNotifyIconProc = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAW);

HWND trayWindow = nullptr;
UINT taskbarCreated = 0;
HICON icon = nullptr;
int iconSize = 0;
POINT menuAt = {};  // where the menu was asked for

// The menu's items, top to bottom; each one's id is its command.
struct MenuItem {
  TrayCommand command;
  TextId text;
};
constexpr MenuItem kMenuItems[] = {{TrayCommand::kShowNow, TextId::kMenuShowNow},
                                   {TrayCommand::kAutomatic, TextId::kMenuAutomatic},
                                   {TrayCommand::kSettingsWindow, TextId::kMenuSettings},
                                   {TrayCommand::kEditSettings, TextId::kMenuEditSettings},
                                   {TrayCommand::kQuit, TextId::kMenuQuit}};

// The small icon's size at the resolution of the monitor that holds the taskbar. The icon is
// loaded again only when that size changes (a new display scale); answers the handle it
// replaced, which the caller destroys once the notification area holds the new one.
HICON LoadTrayIcon() {
  const HWND taskbar = FindWindowA(kTaskbarClass, nullptr);
  const uint32_t dpi = MonitorDpi(MonitorFromWindow(taskbar, MONITOR_DEFAULTTOPRIMARY));
  const int size = MulDiv(GetSystemMetrics(SM_CXSMICON), static_cast<int>(dpi), ScreenDpi());
  if (icon && size == iconSize) return nullptr;
  iconSize = size;
  const HICON replaced = icon;
  icon = static_cast<HICON>(
      LoadImageA(GetModuleHandleA(nullptr), kMainIcon, IMAGE_ICON, size, size, 0));
  return replaced;
}

// The icon's events. Version 4 (Windows Vista and later): NIN_SELECT is a click, NIN_KEYSELECT
// Enter or Space on the focused icon, WM_CONTEXTMENU a right click, the context key or
// Shift+F10, with the point in wParam; the plain button messages that also come are left alone.
// Version 0 (systems before Vista, or a shell that refuses version 4): only the button messages,
// at the pointer. Wine 8 sends version 4.
void OnIconEvent(WPARAM wParam, LPARAM lParam) {
  const UINT event = LOWORD(lParam);
  const bool version4 = HIWORD(lParam) == kIconId;
  if (version4 ? event == NIN_SELECT || event == NIN_KEYSELECT : event == WM_LBUTTONUP) {
    OnTrayClick(PopupHost());
  }
  if (version4 ? event == WM_CONTEXTMENU : event == WM_RBUTTONUP) {
    menuAt = {static_cast<short>(LOWORD(wParam)), static_cast<short>(HIWORD(wParam))};
    if (!version4) GetCursorPos(&menuAt);
    OnTrayMenu(PopupHost());
  }
}

// The tray window's messages (its window is `trayWindow`).
void TrayWindowMessage(void* /*unused*/, TWindowMessage& message) {
  if (message.Msg == kTrayMessage) {
    OnIconEvent(message.WParam, message.LParam);
    return;
  }
  // Explorer started afresh, changed the display scale, or took a remote session in; or a
  // notification area came up at last. The icon may need another size.
  if (message.Msg == taskbarCreated && taskbarCreated != 0) {
    const HICON replaced = LoadTrayIcon();
    OnTaskbarCreated(PopupHost());
    if (replaced) DestroyIcon(replaced);
    return;
  }
  message.Result = DefWindowProcA(trayWindow, message.Msg, message.WParam, message.LParam);
}

}  // namespace

// Shell32 only when the icon is asked for, and only from the system folder.
FARPROC Shell(const char* name) {
  static const HMODULE shell32 = LoadSystemLibrary(L"shell32.dll");
  return shell32 ? GetProcAddress(shell32, name) : nullptr;
}

// One call of Shell_NotifyIconW for the icon, with the title in its tooltip.
bool Win32Host::TrayNotify(TrayAction action, const Text& tip) {
  const auto notify = reinterpret_cast<ShellNotifyIconProc>(
      reinterpret_cast<void (*)()>(Shell("Shell_NotifyIconW")));
  if (!notify) return false;
  // A hidden window of its own receives the icon's events and the broadcast of
  // "TaskbarCreated", and owns the menu: the popup's window never takes the foreground.
  if (!trayWindow) {
    trayWindow = CreateUtilityWindow(TWindowMethod{&TrayWindowMessage, nullptr});
    taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
  }
  if (!icon) (void)LoadTrayIcon();
  NOTIFYICONDATAW data = {};
  data.cbSize = sizeof data;
  data.hWnd = trayWindow;
  data.uID = kIconId;
  data.uCallbackMessage = kTrayMessage;
  data.hIcon = icon;
  data.uVersion = NOTIFYICON_VERSION_4;
  DWORD message = NIM_DELETE;
  if (action != TrayAction::kDelete) {
    message = action == TrayAction::kAdd ? NIM_ADD : NIM_MODIFY;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
    char16_t title[1024];
    const int length = MultiByteToWideChar(CP_ACP, 0, tip.CStr(), static_cast<int>(tip.Length()),
                                           reinterpret_cast<LPWSTR>(title), 1024);
    static_assert(sizeof data.szTip == kTooltipSize * sizeof(char16_t), "the tooltip's room");
    ComposeTooltip(title, length > 0 ? static_cast<uint32_t>(length) : 0,
                   reinterpret_cast<char16_t(&)[kTooltipSize]>(data.szTip));
  }
  if (!notify(message, &data)) return false;
  if (action == TrayAction::kAdd) notify(NIM_SETVERSION, &data);
  return true;
}

// The menu where it was asked for. It takes the keyboard while it is open, and goes away at a
// click elsewhere only when its owner is the foreground window; the message after it lets the
// system finish the switch, so that a second right click opens the menu again.
TrayCommand Win32Host::TrayMenu(bool automatic) {
  const HMENU menu = CreatePopupMenu();
  for (const MenuItem& item : kMenuItems) {
    const bool checked = automatic && item.command == TrayCommand::kAutomatic;
    wchar_t text[kLanguageTextMost + 1];
    Utf8ToWide(Say(item.text), text, kLanguageTextMost + 1);
    AppendMenuW(menu, MF_STRING | (checked ? MF_CHECKED : MF_UNCHECKED),
                static_cast<UINT_PTR>(item.command), text);
  }
  SetForegroundWindow(trayWindow);
  const BOOL command = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON,
                                      menuAt.x, menuAt.y, 0, trayWindow, nullptr);
  PostMessageA(trayWindow, WM_NULL, 0, 0);
  DestroyMenu(menu);
  return static_cast<TrayCommand>(command);
}
