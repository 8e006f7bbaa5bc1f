#include "toolkit/helpers.h"

#ifdef TUNELAMP_TEST_HOOKS
LibraryLoader SystemLibraryLoaderForTests = nullptr;
#endif

namespace {

using GetDpiForMonitorProc = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using GetDpiForWindowProc = UINT(WINAPI*)(HWND);
using DwmGetWindowAttributeProc = HRESULT(WINAPI*)(HWND, DWORD, PVOID, DWORD);
constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI: the resolution the user's scale gives
constexpr DWORD kCloaked = 14;    // DWMWA_CLOAKED (Windows 8)
// The shell's own windows: its taskbars, and the desktop behind the icons.
constexpr const char* kShellClasses[] = {kTaskbarClass, "Shell_SecondaryTrayWnd", "Progman",
                                         "WorkerW"};

template <typename Proc>
Proc LookUp(HMODULE module, const char* name) {
  return module ? reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)))
                : nullptr;
}

// Found at the first use and kept: these functions are newer than the oldest system the program
// runs on.
GetDpiForMonitorProc GetDpiForMonitorFunction() {
  static const auto function =
      LookUp<GetDpiForMonitorProc>(LoadSystemLibrary(L"shcore.dll"), "GetDpiForMonitor");
  return function;
}
GetDpiForWindowProc GetDpiForWindowFunction() {
  static const auto function =
      LookUp<GetDpiForWindowProc>(GetModuleHandleA("user32"), "GetDpiForWindow");
  return function;
}

HMODULE LoadLibraryWith(const wchar_t* name, DWORD flags) {
#ifdef TUNELAMP_TEST_HOOKS
  if (SystemLibraryLoaderForTests) return SystemLibraryLoaderForTests(name, nullptr, flags);
#endif
  return LoadLibraryExW(name, nullptr, flags);
}

// A window hidden from the user on Windows 8 and later: on another virtual desktop, or of a
// suspended app. Such windows lie in the z-order as shown ones do.
bool IsCloaked(HWND window) {
  static const auto getAttribute =
      LookUp<DwmGetWindowAttributeProc>(LoadSystemLibrary(kDwmLibrary), "DwmGetWindowAttribute");
  DWORD cloaked = 0;
  return getAttribute && getAttribute(window, kCloaked, &cloaked, sizeof cloaked) == S_OK &&
         cloaked;
}

// A window of a program the user works with. Not this process's: the strip, and the icon's
// hidden window, which its menu leaves in front. Not the taskbar, which a click on the icon
// puts in front, nor the desktop.
bool IsProgramWindow(HWND window) {
  DWORD process = 0;
  char className[24];
  if (!GetWindowThreadProcessId(window, &process) || process == GetCurrentProcessId() ||
      !IsWindowVisible(window) || IsIconic(window) ||
      (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) || window == GetDesktopWindow() ||
      window == GetShellWindow() || !GetClassNameA(window, className, sizeof className)) {
    return false;
  }
  for (const char* shell : kShellClasses) {
    if (lstrcmpA(className, shell) == 0) return false;
  }
  return !IsCloaked(window);
}

BOOL CALLBACK TakeProgramWindow(HWND window, LPARAM found) {
  if (!IsProgramWindow(window)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

}  // namespace

int32_t ScreenWidth() {
  return GetSystemMetrics(SM_CXSCREEN);
}

TColor ResolveColor(TColor color) {
  if (color & kSystemColorFlag) return GetSysColor(static_cast<int>(color & 0xFFu));
  return color;
}

int32_t ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dotsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dotsPerInch;
}

uint32_t MonitorDpi(HMONITOR monitor) {
  UINT x = 0;
  UINT y = 0;
  const GetDpiForMonitorProc getDpiForMonitor = GetDpiForMonitorFunction();
  if (monitor && getDpiForMonitor && getDpiForMonitor(monitor, kEffectiveDpi, &x, &y) == S_OK) {
    return y;
  }
  return static_cast<uint32_t>(ScreenDpi());
}

uint32_t WindowDpi(HWND window) {
  const GetDpiForWindowProc getDpiForWindow = GetDpiForWindowFunction();
  if (const UINT dpi = getDpiForWindow ? getDpiForWindow(window) : 0) return dpi;
  return MonitorDpi(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY));
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
  if (const HMODULE module = LoadLibraryWith(name, LOAD_LIBRARY_SEARCH_SYSTEM32)) return module;
  // Vista, and Windows 7 without its 2011 loader update (KB2533623), refuse the flag. The full
  // path works everywhere; with the altered search, what the DLL needs comes from its folder.
  if (GetLastError() != ERROR_INVALID_PARAMETER) return nullptr;
  wchar_t path[MAX_PATH];
  const UINT folder = GetSystemDirectoryW(path, MAX_PATH);
  if (folder == 0 || folder + 1 + static_cast<UINT>(lstrlenW(name)) >= MAX_PATH) return nullptr;
  path[folder] = L'\\';
  lstrcpyW(path + folder + 1, name);
  return LoadLibraryWith(path, LOAD_WITH_ALTERED_SEARCH_PATH);
}

bool IsOtherProgramWindow(HWND window) {
  return IsProgramWindow(window);
}

HWND WindowInFront() {
  HWND window = GetForegroundWindow();
  if (IsProgramWindow(window)) return window;
  window = nullptr;
  // EnumWindows goes down the z-order, and unlike a walk with GetWindow it never loops.
  EnumWindows(TakeProgramWindow, reinterpret_cast<LPARAM>(&window));
  return window;
}
