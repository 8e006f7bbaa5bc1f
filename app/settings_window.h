// The settings window: every setting of settings.ini in the system's controls, written back to
// the file (which the settings watch then reads as any saved file), and whether Windows starts
// Tunelamp. One at a time; the strip goes on working while it is open.
#pragma once

#include <cstdint>

// A WM_HOTKEY of the program's own (its lParam) while a hot-key control of the window has the
// focus: the control shows that key, and the key does not act. True when it was taken so.
[[nodiscard]] bool SettingsWindowTakesKey(uint32_t modifiersAndKey);
