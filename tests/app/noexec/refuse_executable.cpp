// Linked into tunelamp_noexec.exe only: the system refuses to make a stub page executable, as
// Arbitrary Code Guard does (it lets the page be allocated read-write). Set by a static
// constructor, which the entry runs before WinMain, so start-up itself is the shipped one.
#include <windows.h>

#include "toolkit/stubs.h"

namespace {

constexpr DWORD kErrorDynamicCodeBlocked = 1655;  // ERROR_DYNAMIC_CODE_BLOCKED

BOOL WINAPI RefuseExecutable(LPVOID address, SIZE_T size, DWORD protect, PDWORD previous) {
  if (protect &
      (PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY)) {
    SetLastError(kErrorDynamicCodeBlocked);
    return FALSE;
  }
  return VirtualProtect(address, size, protect, previous);
}

struct Refusal {
  Refusal() { SetStubPageProtection(&RefuseExecutable); }
} refusal;

}  // namespace
