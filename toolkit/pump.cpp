#include "toolkit/pump.h"

#include "toolkit/routing.h"

HWND ModelessDialog = nullptr;
bool (*ModelessDialogFirst)(const MSG& record) = nullptr;
TRunWaits RunWaits;

void Run(TWinControl& control) {
  MainWindow = &control;
  if (control.OnCreate.IsSet()) control.OnCreate(&control);
  if (control.OnShow.IsSet()) control.OnShow(&control);
  // A window that never takes the foreground is not activated by its first show either.
  if (control.Visible) {
    ShowWindow(control.Handle, (control.ExStyle & WS_EX_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
  }
  MSG record;
  for (;;) {
    // One message per wait, and the wait returns at once while any is left in the queue: the
    // loop sleeps only once the queue is empty, and asks the system no more than GetMessage
    // would. WaitMessage and a PeekMessage that finds nothing cost one more call to Wine's
    // server and a yield at every wake-up, which a program at rest mostly consists of.
    const DWORD count = RunWaits.Count;
    const DWORD woken = MsgWaitForMultipleObjectsEx(count, RunWaits.Handles, INFINITE, QS_ALLINPUT,
                                                    MWMO_INPUTAVAILABLE);
    if (woken == WAIT_OBJECT_0 + count) {
      (void)ProcessMessage(control, record);
    } else if (count != 0) {
      RunWaits.Count = 0;
      RunWaits.OnSignal(woken);
    }
  }
}

void ProcessMessages(TWinControl& control) {
  MSG record;
  while (ProcessMessage(control, record)) {
  }
}

bool ProcessMessage(TWinControl& control, MSG& record) {
  if (!PeekMessageA(&record, nullptr, 0, 0, PM_REMOVE)) return false;
  if (record.message == WM_QUIT) {
    // The program has no use for a quit request: the loop only ends with the process.
    TWindowMessage message{record.message, record.wParam, static_cast<int32_t>(record.lParam), 0};
    control.Dispatch(message);
    return true;
  }
  if (ModelessDialog && ((ModelessDialogFirst && ModelessDialogFirst(record)) ||
                         IsDialogMessageA(ModelessDialog, &record))) {
    return true;
  }
  TranslateMessage(&record);
  DispatchMessageA(&record);
  return true;
}
