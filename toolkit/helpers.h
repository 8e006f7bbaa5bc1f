// System helpers of the toolkit: the screen's width, the resolution of colour values, DLLs from
// the system folder and the window in front.
#pragma once

#include <windows.h>

#include <cstdint>

// A Windows colour 0x00BBGGRR, or, with the top bit set, system colour n as 0x80000000 + n.
using TColor = uint32_t;

inline constexpr TColor kSystemColorFlag = 0x80000000u;
inline constexpr TColor kButtonFaceColor = kSystemColorFlag | 15u;  // COLOR_BTNFACE

// Width of the primary display in pixels, read afresh on every call.
[[nodiscard]] int32_t ScreenWidth();

// A system colour becomes its current RGB value (only the low byte selects it); any other
// colour is returned unchanged.
[[nodiscard]] TColor ResolveColor(TColor color);

// Dots per inch of the screen as a device context reports it (LOGPIXELSY): the one resolution
// Windows before 8.1 has for all monitors.
[[nodiscard]] int32_t ScreenDpi();
// Dots per inch of a monitor (Windows 8.1 and later), else of the screen.
[[nodiscard]] uint32_t MonitorDpi(HMONITOR monitor);
// Dots per inch that the window has (Windows 10 1607 and later), else its monitor's.
[[nodiscard]] uint32_t WindowDpi(HWND window);

// A DLL from the system folder, by its wide name (L"shell32.dll"): never a copy in the program's
// or the current folder. Null when the system folder has none. The one way the program loads a
// DLL at run time.
[[nodiscard]] HMODULE LoadSystemLibrary(const wchar_t* name);
// The taskbar's window class; and the Desktop Window Manager's library (Vista and later): one
// name for every use.
inline constexpr char kTaskbarClass[] = "Shell_TrayWnd";
inline constexpr wchar_t kDwmLibrary[] = L"dwmapi.dll";

// The window the user has in front: the foreground window, unless it is one of this process's or
// the shell's (the taskbars, the desktop), hidden, minimised or a tool window; then the first
// window of another program in the z-order that is none of these. Null when there is none.
[[nodiscard]] HWND WindowInFront();
// A window WindowInFront may answer: another program's, shown, and none of those above.
[[nodiscard]] bool IsOtherProgramWindow(HWND window);

#ifdef TUNELAMP_TEST_HOOKS
// Test builds only: when set, stands in for LoadLibraryExW in LoadSystemLibrary.
using LibraryLoader = HMODULE(WINAPI*)(LPCWSTR name, HANDLE file, DWORD flags);
extern LibraryLoader SystemLibraryLoaderForTests;
#endif
