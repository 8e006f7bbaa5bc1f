// TTimer and the hidden utility windows it sets its Win32 timer on.
#include "toolkit/timer.h"

namespace {

constexpr char kUtilityClassName[] = "TPUtilWindow";
constexpr UINT_PTR kTimerId = 1;

// The one class record, in zeroed storage; the procedure, instance and name are filled in at
// each creation because imported addresses are not constants (and a global constructor would run
// before main).
WNDCLASSA g_utilityClass;

void RegisterUtilityClass(HINSTANCE instance) {
  g_utilityClass.lpfnWndProc = DefWindowProcA;
  g_utilityClass.hInstance = instance;
  g_utilityClass.lpszClassName = kUtilityClassName;
  WNDCLASSA found;
  const bool registered = GetClassInfoA(instance, kUtilityClassName, &found) != 0;
  if (registered && found.lpfnWndProc == DefWindowProcA) return;
  // Somebody else's class of that name would give our windows their procedure.
  if (registered) UnregisterClassA(kUtilityClassName, instance);
  RegisterClassA(&g_utilityClass);
}

}  // namespace

HWND CreateUtilityWindow(TWindowMethod method) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  RegisterUtilityClass(instance);
  const HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, kUtilityClassName, "", WS_POPUP, 0, 0, 0, 0,
                                      nullptr, nullptr, instance, nullptr);
  if (!window || !method.IsSet()) return window;
  // Messages sent during creation went to DefWindowProcA; from here on the stub takes them.
  // Without a stub the window keeps DefWindowProcA: a timer on it simply never ticks.
  if (const WNDPROC stub = AllocateWindowStub(method)) {
    SetWindowLongA(window, GWL_WNDPROC, reinterpret_cast<LONG>(stub));
  }
  return window;
}

TTimer::TTimer() : OnTimer() {
  WindowHandle = CreateUtilityWindow(TWindowMethod{&RouteWindowMessage, this});
}

TTimer::~TTimer() {
  Enabled = false;
  UpdateTimer();
  // The window and its stub outlive the timer (stubs are never freed), and the stub still names
  // this object: hand the window back to DefWindowProcA so nothing it receives reaches us.
  if (WindowHandle) {
    SetWindowLongA(WindowHandle, GWL_WNDPROC, reinterpret_cast<LONG>(&DefWindowProcA));
  }
}

void TTimer::SetEnabled(bool enabled) {
  if (enabled == Enabled) return;
  Enabled = enabled;
  UpdateTimer();
}

void TTimer::SetInterval(uint32_t milliseconds) {
  if (milliseconds == Interval) return;
  Interval = milliseconds;
  UpdateTimer();
}

void TTimer::SetOnTimer(Method<void(TObject* sender)> event) {
  OnTimer = event;
  UpdateTimer();
}

// Every path that arms the timer comes through here, so each starts a fresh countdown.
void TTimer::UpdateTimer() {
  // SetTimer without a window would make a thread timer with an identifier of its own, which
  // KillTimer(0, 1) could never stop.
  if (!WindowHandle) return;
  KillTimer(WindowHandle, kTimerId);
  if (Interval != 0 && Enabled && OnTimer.IsSet()) {
    SetTimer(WindowHandle, kTimerId, Interval, nullptr);
  }
}

void TTimer::TimerWindowProc(TWindowMessage& message) {
  // Read before the tick: its handler may destroy this timer.
  const HWND window = WindowHandle;
  if (message.Msg == WM_TIMER && OnTimer.IsSet()) OnTimer(this);
  message.Result = DefWindowProcA(window, message.Msg, message.WParam, message.LParam);
}

void TTimer::Tick() {
  if (OnTimer.IsSet()) OnTimer(this);
}

bool TTimer::CanTick() const {
  return WindowHandle &&
         IsWindowStub(reinterpret_cast<WNDPROC>(GetWindowLongA(WindowHandle, GWL_WNDPROC)));
}

void TTimer::RouteWindowMessage(void* timer, TWindowMessage& message) {
  static_cast<TTimer*>(timer)->TimerWindowProc(message);
}
