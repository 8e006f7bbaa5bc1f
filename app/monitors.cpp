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

// EnumDisplayMonitors also lists the invisible pseudo-monitors of mirroring drivers (remote
// desktop tools, screen recorders), which SM_CMONITORS leaves out: DISPLAY_DEVICE's documentation
// marks their adapter with DISPLAY_DEVICE_MIRRORING_DRIVER. (DISPLAY_DEVICE_ACTIVE belongs to
// the monitor devices below an adapter, and says whether one is "on", not whether it is real.)
// A monitor whose adapter is not found counts as a real one.
bool IsPseudoMonitor(HMONITOR monitor) {
  MONITORINFOEXW info;
  info.cbSize = sizeof info;
  if (!::GetMonitorInfoW(monitor, &info)) return false;
  DISPLAY_DEVICEW adapter;
  adapter.cb = sizeof adapter;
  for (DWORD at = 0; ::EnumDisplayDevicesW(nullptr, at, &adapter, 0); ++at) {
    if (::lstrcmpiW(adapter.DeviceName, info.szDevice) == 0) {
      return (adapter.StateFlags & DISPLAY_DEVICE_MIRRORING_DRIVER) != 0;
    }
  }
  return false;
}

BOOL CALLBACK CountMonitor(HMONITOR monitor, HDC /*dc*/, LPRECT /*rect*/, LPARAM data) {
  auto* search = reinterpret_cast<MonitorSearch*>(data);
  if (IsPseudoMonitor(monitor) || ++search->seen != search->wanted) return TRUE;
  search->found = monitor;
  return FALSE;
}

// The first window of another program in the z-order that lies on the monitor.
struct FrontSearch {
  HMONITOR monitor;
  HWND found;
};

BOOL CALLBACK TakeWindowOnMonitor(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<FrontSearch*>(data);
  if (::MonitorFromWindow(window, MONITOR_DEFAULTTONULL) != search->monitor ||
      !IsOtherProgramWindow(window)) {
    return TRUE;
  }
  search->found = window;
  return FALSE;
}

}  // namespace

HMONITOR MonitorByNumber(int32_t number) {
  MonitorSearch search = {number, 0, nullptr};
  ::EnumDisplayMonitors(nullptr, nullptr, CountMonitor, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

int32_t MonitorCount() {
  MonitorSearch search = {0, 0, nullptr};
  ::EnumDisplayMonitors(nullptr, nullptr, CountMonitor, reinterpret_cast<LPARAM>(&search));
  return search.seen;
}

bool MonitorDevice(HMONITOR monitor, DISPLAY_DEVICEW& device) {
  MONITORINFOEXW info;
  info.cbSize = sizeof info;
  device.cb = sizeof device;
  return monitor && ::GetMonitorInfoW(monitor, &info) &&
         ::EnumDisplayDevicesW(info.szDevice, 0, &device, EDD_GET_DEVICE_INTERFACE_NAME);
}

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
    handle = MonitorByNumber(monitor);
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

bool Win32Host::MonitorFrontWindow(int32_t monitor, FrontWindow& front) {
  FrontSearch search = {MonitorByNumber(monitor), nullptr};
  RECT rect;
  if (!search.monitor) return false;
  ::EnumWindows(TakeWindowOnMonitor, reinterpret_cast<LPARAM>(&search));
  if (!::GetWindowRect(search.found, &rect)) return false;
  front = {{rect.left, rect.top, rect.right, rect.bottom},
           static_cast<uint32_t>(::GetWindowLongA(search.found, GWL_STYLE))};
  return true;
}

// The identity in the process's code page: device paths are plain ASCII. A monitor whose device
// the system does not name has an empty one.
bool Win32Host::MonitorGetIdentity(int32_t monitor, Text& identity) {
  const HMONITOR handle = MonitorByNumber(monitor);
  if (!handle) return false;
  DISPLAY_DEVICEW device;
  char path[sizeof device.DeviceID];
  path[0] = '\0';
  if (MonitorDevice(handle, device) &&
      !::WideCharToMultiByte(CP_ACP, 0, device.DeviceID, -1, path, sizeof path, nullptr, nullptr)) {
    path[0] = '\0';
  }
  identity = Text(path);
  return true;
}
