#include "tests/timer/support.h"

#include <cstddef>
#include <cstring>

#include <gtest/gtest.h>

void TickLog::Record(void* log, TObject* sender) {
  auto* self = static_cast<TickLog*>(log);
  self->times.push_back(GetTickCount());
  self->senders.push_back(sender);
}

void MessageLog::Record(void* log, TWindowMessage& message) {
  auto* self = static_cast<MessageLog*>(log);
  self->seen.push_back(message);
  message.Result = self->answer;
}

void PumpFor(DWORD ms) {
  (void)PumpUntil([] { return false; }, ms);
}

bool KillReportsTimer(HWND window) {
  return KillTimer(window, 1) != 0;
}

namespace {
void Ignore(void*, TWindowMessage&) {}
}  // namespace

size_t ExhaustFreeStubs() {
  size_t count = 0;
  while (FreeStubListHead()) {
    // The free list never holds more than one page: an allocator that keeps refilling it would
    // otherwise hold this loop for ever.
    if (count == kStubsPerPage) {
      ADD_FAILURE() << "the free list still has stubs after a whole page of bindings";
      break;
    }
    (void)AllocateWindowStub({&Ignore, nullptr});
    ++count;
  }
  return count;
}

namespace {
BOOL CALLBACK CollectUtilityWindow(HWND window, LPARAM list) {
  char name[32] = {};
  GetClassNameA(window, name, sizeof name);
  if (std::strcmp(name, "TPUtilWindow") == 0) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  }
  return TRUE;
}
}  // namespace

void DestroyUtilityWindows() {
  std::vector<HWND> windows;
  EnumThreadWindows(GetCurrentThreadId(), &CollectUtilityWindow,
                    reinterpret_cast<LPARAM>(&windows));
  for (HWND window : windows) DestroyWindow(window);
}

WNDPROC WindowProcedureOf(HWND window) {
  return reinterpret_cast<WNDPROC>(GetWindowLongA(window, GWL_WNDPROC));
}

namespace {
// Laid out for the assembly below.
struct RawCall {
  WNDPROC procedure;  // 0
  HWND window;        // 4
  UINT message;       // 8
  WPARAM wParam;      // 12
  LPARAM lParam;      // 16
  LRESULT result;     // 20
  int32_t drift;      // 24
};
static_assert(offsetof(RawCall, lParam) == 16 && offsetof(RawCall, drift) == 24, "asm offsets");
}  // namespace

RawCallResult CallWithoutHelp(WNDPROC procedure, HWND window, UINT message, WPARAM wParam,
                              LPARAM lParam) {
  // Wine calls window procedures through a wrapper that repairs the stack pointer, so a stub
  // that removed the wrong number of bytes would pass through CallWindowProcA unnoticed. This
  // call is plain: push four arguments, call, and compare ESP (kept in ESI, which a window
  // procedure must preserve) before and after.
  RawCall call{procedure, window, message, wParam, lParam, 0, 0};
  asm volatile(
      "movl %%esp, %%esi\n\t"
      "pushl 16(%%ebx)\n\t"
      "pushl 12(%%ebx)\n\t"
      "pushl 8(%%ebx)\n\t"
      "pushl 4(%%ebx)\n\t"
      "call *(%%ebx)\n\t"
      "movl %%eax, 20(%%ebx)\n\t"
      "movl %%esp, %%eax\n\t"
      "subl %%esi, %%eax\n\t"
      "movl %%eax, 24(%%ebx)\n\t"
      "movl %%esi, %%esp\n\t"
      :
      : "b"(&call)
      : "eax", "ecx", "edx", "esi", "memory", "cc");
  return {call.result, call.drift};
}
