// The one window procedure of form and label windows and the routing of their messages.
#pragma once

#include <windows.h>

#include <cstdint>

#include "toolkit/controls.h"

// The window property that links a form or label window to its object.
inline constexpr char kObjectProperty[] = "s_";

// The object on which Run was called; closing or destroying its window ends the process.
extern TWinControl* MainWindow;

// Finds the window's object and hands it the message; a window without object gets
// DefWindowProcA.
LRESULT CALLBACK ObjectWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The object linked to a window, or null.
[[nodiscard]] TWinControl* ObjectOfWindow(HWND window);

// The shift set of a mouse-button release: the key flags of the message and the Alt key now.
[[nodiscard]] TShiftFlags ReleaseShiftFlags(uint32_t keyFlags);
