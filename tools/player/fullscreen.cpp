#include "fullscreen.h"

#include <cstring>

namespace {

constexpr char kFullScreenClass[] = "PlayerFullScreen";
constexpr DWORD kReadyTimeoutMs = 10000;
// A window manager may still hand the front to the window it focused last, a moment after the
// full-screen window took it: it counts as in front once it has held the front this long.
constexpr DWORD kSteadyMs = 500;

HWND g_fullScreen = nullptr;  // written by its thread before it signals `ready`
HANDLE g_ready = nullptr;

LRESULT CALLBACK FullScreenProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(window, message, wParam, lParam);
}

DWORD WINAPI FullScreenThread(void* /*unused*/) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = FullScreenProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = kFullScreenClass;
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, kFullScreenClass, "Full screen", WS_POPUP | WS_VISIBLE, 0, 0,
                                GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                nullptr, nullptr, windowClass.hInstance, nullptr);
  if (window) SetForegroundWindow(window);
  g_fullScreen = window;
  SetEvent(g_ready);
  MSG message;
  while (window && GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return 0;
}

// Pumps this thread's messages, where the window manager's late focus events arrive, and takes
// the front back whenever they move it, until `window` has held it for kSteadyMs.
bool HoldFront(HWND window) {
  const DWORD start = GetTickCount();
  DWORD steadySince = start;
  while (GetTickCount() - start < kReadyTimeoutMs) {
    if (GetForegroundWindow() != window) {
      SetForegroundWindow(window);
      steadySince = GetTickCount();
    } else if (GetTickCount() - steadySince >= kSteadyMs) {
      return true;
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(message.wParam));
        return false;
      }
      DispatchMessageW(&message);
    }
  }
  return false;
}

}  // namespace

bool FullScreenCommand(const char* command, size_t length, HWND player) {
  constexpr char kOn[] = "fullscreen 1";
  constexpr char kOff[] = "fullscreen 0";
  if (length != sizeof kOn - 1) return false;
  if (std::memcmp(command, kOn, length) == 0) {
    if (g_fullScreen) return true;
    if (!g_ready) g_ready = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, FullScreenThread, nullptr, 0, nullptr);
    if (!thread) return false;
    CloseHandle(thread);
    return WaitForSingleObject(g_ready, kReadyTimeoutMs) == WAIT_OBJECT_0 && g_fullScreen &&
           HoldFront(g_fullScreen);
  }
  if (std::memcmp(command, kOff, length) != 0) return false;
  // Another window comes to the front first: the test goes on at once, however long the
  // window manager keeps the full-screen window's thread in its destroy.
  SetForegroundWindow(player);
  if (g_fullScreen) PostMessageA(g_fullScreen, WM_CLOSE, 0, 0);
  g_fullScreen = nullptr;
  return true;
}
