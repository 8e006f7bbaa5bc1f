// The system: the user's accessibility settings, the clock and the process; and the binding of
// the one host to the popup.
#include "app/win32_host.h"

#include <windows.h>

#include <cstdlib>
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

// Vista and later; Wine 8 answers E_NOTIMPL.
bool Win32Host::SystemColorization(uint32_t& color) {
  using Proc = HRESULT(WINAPI*)(DWORD*, BOOL*);
  const HMODULE dwm = LoadSystemLibrary(kDwmLibrary);
  const auto colorization = reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(
      dwm ? ::GetProcAddress(dwm, "DwmGetColorizationColor") : nullptr));
  DWORD value;
  BOOL opaque;
  if (!colorization || colorization(&value, &opaque) != S_OK) return false;
  color = value;
  return true;
}
bool Win32Host::SystemAccentColor(uint32_t& color) {
  DWORD value;
  DWORD size = sizeof value;
  if (::RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\DWM", L"AccentColor",
                     RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS) {
    return false;
  }
  color = value;
  return true;
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

// A byte of the code page gives at most one UTF-16 unit, and a unit at most three bytes of UTF-8
// (a pair of them four): both fit one allocation of five bytes for each byte read.
Text Win32Host::SystemTextToUtf8(std::string_view text) {
  const int size = static_cast<int>(text.size());
  auto* wide = static_cast<wchar_t*>(std::malloc(text.size() * 5 + 1));
  if (!wide) return Text();
  char* bytes = reinterpret_cast<char*>(wide + size);
  const int units = ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide, size);
  const int length =
      ::WideCharToMultiByte(CP_UTF8, 0, wide, units, bytes, size * 3, nullptr, nullptr);
  Text converted(bytes, length > 0 ? static_cast<size_t>(length) : 0);
  std::free(wide);
  return converted;
}
