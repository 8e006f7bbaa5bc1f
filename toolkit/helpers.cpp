#include "toolkit/helpers.h"

namespace {

using GetDpiForMonitorProc = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using GetDpiForWindowProc = UINT(WINAPI*)(HWND);
constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI: the resolution the user's scale gives

template <typename Proc>
Proc LookUp(HMODULE module, const char* name) {
  return module ? reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)))
                : nullptr;
}

// Found at the first use and kept: these functions are newer than the oldest system the program
// runs on. Shcore comes from the system folder only, never from the program's own.
GetDpiForMonitorProc GetDpiForMonitorFunction() {
  static const auto function = LookUp<GetDpiForMonitorProc>(
      LoadLibraryExA("shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32), "GetDpiForMonitor");
  return function;
}
GetDpiForWindowProc GetDpiForWindowFunction() {
  static const auto function =
      LookUp<GetDpiForWindowProc>(GetModuleHandleA("user32"), "GetDpiForWindow");
  return function;
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
