// Helpers shared by the timer tests: a message pump with a deadline, tick and message
// recorders, and ways to reach every stub and utility window of the process.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "toolkit/stubs.h"
#include "toolkit/timer.h"

// Records every tick of a timer event: when, and from whom.
struct TickLog {
  std::vector<DWORD> times;
  std::vector<TObject*> senders;

  [[nodiscard]] Method<void(TObject*)> Event() { return {&Record, this}; }
  static void Record(void* log, TObject* sender);
};

// Records what a window method receives and answers with a chosen result.
struct MessageLog {
  std::vector<TWindowMessage> seen;  // as the method found them, Result included
  int32_t answer = 0;

  [[nodiscard]] TWindowMethod Method() { return {&Record, this}; }
  static void Record(void* log, TWindowMessage& message);
};

// Dispatches this thread's messages until `done` holds or `timeoutMs` passes; true if it held.
template <typename Done>
bool PumpUntil(Done done, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (done()) return true;
    if (GetTickCount() - start >= timeoutMs) return false;
    // Wakes at once when a message (a WM_TIMER too) arrives.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

// Dispatches messages for `ms` milliseconds.
void PumpFor(DWORD ms);

// The system's own word on whether the timer's Win32 timer exists: KillTimer fails when there
// is none. Stops the timer when there is one.
[[nodiscard]] bool KillReportsTimer(HWND window);

// Binds every stub left on the free list to a do-nothing method, so the next binding needs a
// new page. Returns how many there were.
size_t ExhaustFreeStubs();

// Destroys every "TPUtilWindow" of this thread (left behind by earlier tests), so the class can
// be unregistered.
void DestroyUtilityWindows();

[[nodiscard]] WNDPROC WindowProcedureOf(HWND window);

// Calls a window procedure with a hand-made call instruction and reports how far the stack
// pointer moved across it: a window procedure must remove exactly its four arguments (0).
struct RawCallResult {
  LRESULT result;
  int32_t stackDrift;
};
RawCallResult CallWithoutHelp(WNDPROC procedure, HWND window, UINT message, WPARAM wParam,
                              LPARAM lParam);

// Destroys a window at the end of a scope; declare it after whatever its procedure reaches.
struct WindowGuard {
  HWND window;
  explicit WindowGuard(HWND w) : window(w) {}
  WindowGuard(const WindowGuard&) = delete;
  WindowGuard& operator=(const WindowGuard&) = delete;
  ~WindowGuard() {
    if (window) DestroyWindow(window);
  }
};
