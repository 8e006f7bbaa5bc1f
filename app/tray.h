// The icon in the notification area and its menu. Nothing of it is loaded unless the settings
// ask for the icon.
#pragma once

#include <windows.h>

// A function of shell32, which is loaded from the system folder only, at the first call.
[[nodiscard]] FARPROC Shell(const char* name);
