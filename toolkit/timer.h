// Timers on hidden utility windows, and the window-procedure stubs that bind a window to a
// (method, object) pair.
#pragma once

#include <windows.h>

#include <cstdint>

#include "toolkit/object.h"

// A window method: handles a message and answers in its Result.
using TWindowMethod = Method<void(TWindowMessage& message)>;

// Takes a free stub and binds it to the method; the stub's address is a window procedure.
// Null when no stub could be made: no memory, or the system refused to make it executable.
[[nodiscard]] WNDPROC AllocateWindowStub(TWindowMethod method);
// True when the procedure is a stub that AllocateWindowStub handed out.
[[nodiscard]] bool IsWindowStub(WNDPROC procedure);

// A hidden "TPUtilWindow"; its procedure becomes a stub bound to the method when the method is
// set, else it stays DefWindowProcA. Null when the window could not be made.
[[nodiscard]] HWND CreateUtilityWindow(TWindowMethod method);

// Turns a Win32 timer on its own utility window into calls of OnTimer. The Win32 timer exists
// exactly when Interval is not 0, Enabled is set and OnTimer is assigned.
class TTimer : public TObject {
 public:
  TTimer();
  ~TTimer() override;
  TTimer(const TTimer&) = delete;
  TTimer& operator=(const TTimer&) = delete;

  // Setters that compare: an equal value changes nothing and keeps the countdown.
  void SetEnabled(bool enabled);
  void SetInterval(uint32_t milliseconds);
  // Acts on every call: restarts the countdown even for the same event.
  void SetOnTimer(Method<void(TObject* sender)> event);

  // The utility window's method: WM_TIMER fires OnTimer; every message then gets DefWindowProcA.
  void TimerWindowProc(TWindowMessage& message);
  // Fires OnTimer when assigned. The WM_TIMER path does not go through here.
  virtual void Tick();
  // False when the utility window or its stub could not be made: such a timer never ticks.
  [[nodiscard]] bool CanTick() const;

  uint32_t Interval = 1000;
  HWND WindowHandle = nullptr;
  Method<void(TObject* sender)> OnTimer;
  bool Enabled = true;

 private:
  static void RouteWindowMessage(void* timer, TWindowMessage& message);
  void UpdateTimer();
};
