// The monitors, for the strip's place, size and quiet rule: which monitor is which, its work
// area and resolution, and the window in front.
#include <windows.h>

#include "app/win32_host.h"
#include "toolkit/helpers.h"

namespace {

struct MonitorSearch {
  int32_t wanted;  // 1-based, in the order the system enumerates them
  int32_t seen;
  HMONITOR found;
};

BOOL CALLBACK CountMonitor(HMONITOR monitor, HDC /*dc*/, LPRECT /*rect*/, LPARAM data) {
  auto* search = reinterpret_cast<MonitorSearch*>(data);
  if (++search->seen != search->wanted) return TRUE;
  search->found = monitor;
  return FALSE;
}

}  // namespace

bool Win32Host::MonitorGetArea(int32_t monitor, ScreenArea& area) {
  HMONITOR handle = nullptr;
  if (monitor == 0) {
    // The primary monitor holds the origin of the virtual screen.
    handle = ::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  } else if (monitor == -1) {
    handle = ::MonitorFromWindow(WindowInFront(), MONITOR_DEFAULTTONULL);
  } else if (monitor == -2) {
    POINT pointer;
    if (::GetCursorPos(&pointer)) handle = ::MonitorFromPoint(pointer, MONITOR_DEFAULTTONULL);
  } else {
    MonitorSearch search = {monitor, 0, nullptr};
    ::EnumDisplayMonitors(nullptr, nullptr, CountMonitor, reinterpret_cast<LPARAM>(&search));
    handle = search.found;
  }
  MONITORINFO info;
  info.cbSize = sizeof info;
  if (!handle || !::GetMonitorInfoA(handle, &info)) return false;
  const auto rect = [](const RECT& r) { return ScreenRect{r.left, r.top, r.right, r.bottom}; };
  area = {rect(info.rcMonitor), rect(info.rcWork), MonitorDpi(handle)};
  return true;
}

bool Win32Host::FrontWindowGet(FrontWindow& front) {
  // The same window as Monitor=-1's: past this program's windows and the shell's.
  const HWND window = WindowInFront();
  RECT rect;
  if (!::GetWindowRect(window, &rect)) return false;
  front = {{rect.left, rect.top, rect.right, rect.bottom},
           static_cast<uint32_t>(::GetWindowLongA(window, GWL_STYLE))};
  return true;
}
