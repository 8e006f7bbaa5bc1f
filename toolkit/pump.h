// The message loop of the program and the emptying of the message queue on demand.
#pragma once

#include <windows.h>

#include "toolkit/controls.h"

// A modeless dialog of the thread, or null: its keys (Tab, Enter, Esc, access keys) go through
// IsDialogMessage, also inside a nested ProcessMessages (an animation's frames).
extern HWND ModelessDialog;
// Sees each of the dialog's messages before IsDialogMessage does, which takes Tab, Enter, Esc
// and Alt+letter whatever control has the focus: true when it took the message. Null: none.
extern bool (*ModelessDialogFirst)(const MSG& record);

// Objects that Run waits on besides the messages. A signal spends the list (Count becomes 0)
// before OnSignal gets the index of the object, or WAIT_FAILED; the program fills Count again
// when it wants the next one.
struct TRunWaits {
  HANDLE Handles[3];
  DWORD Count;
  void (*OnSignal)(DWORD index);
};
extern TRunWaits RunWaits;

// Makes the object the main window, fires OnCreate and OnShow, shows the window when it is
// Visible, then waits for and handles messages until the process ends. Never returns.
[[noreturn]] void Run(TWinControl& control);

// Handles every message waiting for any window of the thread; returns when none is left.
// May be called from inside a message handler.
void ProcessMessages(TWinControl& control);

// Takes one waiting message and handles it; false when none was waiting. A WM_QUIT is
// handed to the control's own Dispatch only, and ends nothing.
[[nodiscard]] bool ProcessMessage(TWinControl& control, MSG& record);
