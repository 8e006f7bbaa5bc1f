// Window-procedure stubs: a Win32 window procedure has no room for an object, so each utility
// window gets a few bytes of generated code that push the address of its (method, object)
// record and jump to StubEntry. Stubs are carved from 4096-byte pages, 314 a page, and are
// never released.
//
// No page is ever writable and executable at once (what exploit mitigations and scanners look
// for): a page is written read-write and then switched to execute-read, and a binding switches
// it to read-write for its two words and back. Switching a page that holds bound stubs is
// safe: only this thread runs them, and none is inside its page then. A stub's call is undone
// by the pop at the shared entry, which jumps on, so no return address into a page is ever on
// the stack, not even while a bound method runs and binds another stub.
#include "toolkit/stubs.h"

#include <cstring>

namespace {

StubPage* g_pages = nullptr;
Stub* g_freeStubs = nullptr;
#ifdef TUNELAMP_TEST_HOOKS
StubPageSource g_pageSource = nullptr;
StubPageProtection g_pageProtection = nullptr;
#endif

constexpr uint8_t kCallRel32 = 0xE8;
constexpr uint8_t kPopEcx = 0x59;
constexpr uint8_t kJumpRel32 = 0xE9;
constexpr size_t kRel32InstructionSize = 5;

// A rel32 operand counts from the end of its instruction.
int32_t Displacement(const void* target, const void* instructionStart) {
  const uintptr_t from = reinterpret_cast<uintptr_t>(instructionStart) + kRel32InstructionSize;
  return static_cast<int32_t>(reinterpret_cast<uintptr_t>(target) - from);
}

StubPage* NewReadWritePage() {
#ifdef TUNELAMP_TEST_HOOKS
  if (g_pageSource) {
    return static_cast<StubPage*>(g_pageSource(nullptr, kStubPageSize, MEM_COMMIT, PAGE_READWRITE));
  }
#endif
  return static_cast<StubPage*>(VirtualAlloc(nullptr, kStubPageSize, MEM_COMMIT, PAGE_READWRITE));
}

[[nodiscard]] bool Protect(StubPage* page, DWORD protection) {
  DWORD previous;
#ifdef TUNELAMP_TEST_HOOKS
  if (g_pageProtection) return g_pageProtection(page, kStubPageSize, protection, &previous) != 0;
#endif
  return VirtualProtect(page, kStubPageSize, protection, &previous) != 0;
}

// Ends every write: the page is code again. Arbitrary Code Guard refuses this.
[[nodiscard]] bool MakeExecutable(StubPage* page) {
  if (!Protect(page, PAGE_EXECUTE_READ)) return false;
  // x86 keeps caches coherent, but Windows asks for this after code is written.
  FlushInstructionCache(GetCurrentProcess(), page, kStubPageSize);
  return true;
}

// Writes a fresh page and threads its stubs onto the free list, the highest address first.
bool AddStubPage() {
  StubPage* page = NewReadWritePage();
  if (!page) return false;
  page->previous = g_pages;
  page->popEcx = kPopEcx;
  page->jump = kJumpRel32;
  page->toStubEntry = Displacement(reinterpret_cast<const void*>(&StubEntry), &page->jump);
  Stub* freeStubs = g_freeStubs;
  for (Stub& stub : page->stubs) {
    stub.call = kCallRel32;
    stub.toEntry = Displacement(&page->popEcx, &stub);
    stub.nextFree = freeStubs;
    freeStubs = &stub;
  }
  // A page that cannot become code serves nothing: it goes back, and the lists stay as they
  // were.
  if (!MakeExecutable(page)) {
    VirtualFree(page, 0, MEM_RELEASE);
    return false;
  }
  g_freeStubs = freeStubs;
  g_pages = page;
  return true;
}

}  // namespace

LRESULT __fastcall StubEntry(const void* record, uint32_t, HWND, UINT message, WPARAM wParam,
                             LPARAM lParam) {
  // The record sits at an odd address inside the stub; copy it rather than read it in place.
  TWindowMethod method;
  std::memcpy(&method, record, sizeof method);
  TWindowMessage windowMessage{message, static_cast<uint32_t>(wParam), static_cast<int32_t>(lParam),
                               0};
  method(windowMessage);
  return windowMessage.Result;
}

WNDPROC AllocateWindowStub(TWindowMethod method) {
  if (!g_freeStubs && !AddStubPage()) return nullptr;
  // A page is made only when the free list is empty, so every free stub is in the newest.
  StubPage* const page = g_pages;
  if (!Protect(page, PAGE_READWRITE)) return nullptr;
  Stub* stub = g_freeStubs;
  g_freeStubs = stub->nextFree;
  stub->code = method.code;
  stub->data = method.data;
  // Refused now, after the page was code once, it can run none of its stubs: this one is
  // not handed out, and goes back to the free list while the page is still writable.
  if (!MakeExecutable(page)) {
    stub->nextFree = g_freeStubs;
    g_freeStubs = stub;
    return nullptr;
  }
  return reinterpret_cast<WNDPROC>(stub);
}

bool IsWindowStub(WNDPROC procedure) {
  const uintptr_t address = reinterpret_cast<uintptr_t>(procedure);
  for (const StubPage* page = g_pages; page; page = page->previous) {
    const uintptr_t first = reinterpret_cast<uintptr_t>(page->stubs);
    if (address >= first && address < first + sizeof page->stubs) {
      return (address - first) % sizeof(Stub) == 0;
    }
  }
  return false;
}

StubPage* StubPageListHead() {
  return g_pages;
}
Stub* FreeStubListHead() {
  return g_freeStubs;
}
#ifdef TUNELAMP_TEST_HOOKS
void SetStubPageSource(StubPageSource source) {
  g_pageSource = source;
}
void SetStubPageProtection(StubPageProtection protection) {
  g_pageProtection = protection;
}
#endif
