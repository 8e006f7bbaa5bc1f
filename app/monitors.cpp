// The monitors, for the strip's place and its quiet rule: which monitor is which, and whether a
// full-screen program is in front of one.
#include <windows.h>

#include "app/win32_host.h"

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
    handle = ::MonitorFromWindow(::GetForegroundWindow(), MONITOR_DEFAULTTONULL);
  } else {
    MonitorSearch search = {monitor, 0, nullptr};
    ::EnumDisplayMonitors(nullptr, nullptr, CountMonitor, reinterpret_cast<LPARAM>(&search));
    handle = search.found;
  }
  MONITORINFO info;
  info.cbSize = sizeof info;
  if (!handle || !::GetMonitorInfoA(handle, &info)) return false;
  area = {info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom,
          info.rcWork.bottom};
  return true;
}

bool Win32Host::FullScreenInFront(const ScreenArea& monitor) {
  HWND front = ::GetForegroundWindow();
  // The popup is the program's only window that can be in front. Clicking the desktop makes it
  // (or, since Windows 10, a "WorkerW" window of the shell that covers the screen behind the
  // icons) the foreground window: that is no program in front either.
  char className[16];
  if (!front || front == form_.Handle || front == ::GetDesktopWindow() ||
      front == ::GetShellWindow() ||
      (::GetClassNameA(front, className, sizeof className) &&
       ::lstrcmpA(className, "WorkerW") == 0)) {
    return false;
  }
  RECT rect;
  return ::GetWindowRect(front, &rect) && rect.left <= monitor.left && rect.top <= monitor.top &&
         rect.right >= monitor.right && rect.bottom >= monitor.bottom;
}
