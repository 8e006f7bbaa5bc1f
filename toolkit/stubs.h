// The machine code behind AllocateWindowStub: the layout of a stub page, and what the tests
// need to look at the pages. The program itself only uses toolkit/timer.h.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "toolkit/timer.h"

#if !defined(__i386__) && !defined(_M_IX86)
#error "window-procedure stubs are 32-bit x86 code"
#endif

constexpr size_t kStubPageSize = 4096;
constexpr size_t kStubsPerPage = 314;

#pragma pack(push, 1)

// One stub: a call into its page's shared entry, followed by the method record that the call
// pushes the address of.
struct Stub {
  uint8_t call;     // 0xE8: call rel32 (pushes the address of `code`)
  int32_t toEntry;  // (page + 4) - (stub + 5)
  union {           // the method record, code address then object
    TWindowMethod::Code code;
    Stub* nextFree;  // a free stub: the next free one, null at the end
  };
  void* data;
};

struct StubPage {
  StubPage* previous;   // the page allocated before this one; null in the first
  uint8_t popEcx;       // 0x59: pop ecx (the method record's address)
  uint8_t jump;         // 0xE9: jmp rel32
  int32_t toStubEntry;  // StubEntry - (page + 10)
  Stub stubs[kStubsPerPage];
  uint8_t unused[4];
};

#pragma pack(pop)

static_assert(sizeof(void*) == 4, "stub words are 32-bit addresses");
static_assert(offsetof(Stub, call) == 0, "stub: call opcode");
static_assert(offsetof(Stub, toEntry) == 1, "stub: call displacement");
static_assert(offsetof(Stub, code) == 5, "stub: method record after the call");
static_assert(offsetof(Stub, nextFree) == 5, "stub: free list threaded through the code word");
static_assert(offsetof(Stub, data) == 9, "stub: object word");
static_assert(sizeof(Stub) == 13, "stub size");
static_assert(offsetof(StubPage, previous) == 0, "page: chain word");
static_assert(offsetof(StubPage, popEcx) == 4, "page: shared entry");
static_assert(offsetof(StubPage, jump) == 5, "page: jump to StubEntry");
static_assert(offsetof(StubPage, toStubEntry) == 6, "page: jump displacement");
static_assert(offsetof(StubPage, stubs) == 10, "page: first stub");
static_assert(offsetof(StubPage, stubs) + sizeof(Stub) * kStubsPerPage == 4092,
              "page: last stub ends at 4092");
static_assert(sizeof(StubPage) == kStubPageSize, "page size");
// The stub's record is read as a TWindowMethod: same words, same order.
static_assert(offsetof(TWindowMethod, code) == 0 && offsetof(TWindowMethod, data) == 4 &&
                  sizeof(TWindowMethod) == 8,
              "a window method is code address then object");
static_assert(offsetof(Stub, data) - offsetof(Stub, code) == offsetof(TWindowMethod, data),
              "stub record matches a window method");

// Where every stub leads. `record` arrives in ECX; Windows' four arguments are on the stack as
// pushed, and __fastcall's callee cleanup removes them (ret 16) as a window procedure must.
LRESULT __fastcall StubEntry(const void* record, uint32_t unusedEdx, HWND window, UINT message,
                             WPARAM wParam, LPARAM lParam);

[[nodiscard]] StubPage* StubPageListHead();
[[nodiscard]] Stub* FreeStubListHead();

#ifdef TUNELAMP_TEST_HOOKS
// Test builds only: stand-ins for VirtualAlloc and VirtualProtect on stub pages, so the tests
// can watch each step and make either fail; null restores the system's.
using StubPageSource = LPVOID(WINAPI*)(LPVOID address, SIZE_T size, DWORD type, DWORD protect);
using StubPageProtection = BOOL(WINAPI*)(LPVOID address, SIZE_T size, DWORD protect,
                                         PDWORD previous);
void SetStubPageSource(StubPageSource source);
void SetStubPageProtection(StubPageProtection protection);
#endif
