// The system: the user's accessibility settings, the clock and the process; and the binding of
// the one host to the popup.
#include "app/win32_host.h"

#include <windows.h>

#include <new>

#include "toolkit/helpers.h"

namespace {

// Storage for the host: made once by start-up, never destroyed (no global constructor).
alignas(Win32Host) unsigned char hostStorage[sizeof(Win32Host)];

}  // namespace

Win32Host& MakeWin32Host(TForm1& form) {
  return *new (hostStorage) Win32Host(form);
}

// A system that does not know the setting (before Vista) leaves the answer as it is: on.
bool Win32Host::SystemAnimations() {
  BOOL animations = TRUE;
  ::SystemParametersInfoA(SPI_GETCLIENTAREAANIMATION, 0, &animations, 0);
  return animations != FALSE;
}
bool Win32Host::SystemHighContrast() {
  HIGHCONTRASTA highContrast = {};
  highContrast.cbSize = sizeof highContrast;
  return ::SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof highContrast, &highContrast, 0) &&
         (highContrast.dwFlags & HCF_HIGHCONTRASTON);
}
uint32_t Win32Host::SystemColor(uint32_t color) {
  return ResolveColor(color);
}

uint32_t Win32Host::GetTickCount() {
  return ::GetTickCount();
}
void Win32Host::Sleep(uint32_t milliseconds) {
  ::Sleep(milliseconds);
}
void Win32Host::ExitProcess(uint32_t exitCode) {
  ::ExitProcess(exitCode);
}
