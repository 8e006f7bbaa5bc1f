#include "toolkit/pump.h"

#include "toolkit/routing.h"

HWND ModelessDialog = nullptr;

void Run(TWinControl& control) {
  MainWindow = &control;
  if (control.OnCreate.IsSet()) control.OnCreate(&control);
  if (control.OnShow.IsSet()) control.OnShow(&control);
  // A window that never takes the foreground is not activated by its first show either.
  if (control.Visible) {
    ShowWindow(control.Handle, (control.ExStyle & WS_EX_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
  }
  for (;;) {
    WaitMessage();
    ProcessMessages(control);
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
  if (ModelessDialog && IsDialogMessageA(ModelessDialog, &record)) return true;
  TranslateMessage(&record);
  DispatchMessageA(&record);
  return true;
}
