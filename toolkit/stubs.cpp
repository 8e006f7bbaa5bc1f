// Window-procedure stubs: a Win32 window procedure has no room for an object, so each utility
// window gets a few bytes of generated code that push the address of its (method, object)
// record and jump to StubEntry. Stubs are carved from 4096-byte executable pages, 314 a page,
// and are never released.
#include "toolkit/stubs.h"

#include <cstring>

namespace {

StubPage* g_pages = nullptr;
Stub* g_freeStubs = nullptr;
StubPageSource g_pageSource = nullptr;

constexpr uint8_t kCallRel32 = 0xE8;
constexpr uint8_t kPopEcx = 0x59;
constexpr uint8_t kJumpRel32 = 0xE9;
constexpr size_t kRel32InstructionSize = 5;

// A rel32 operand counts from the end of its instruction.
int32_t Displacement(const void* target, const void* instructionStart) {
  const uintptr_t from = reinterpret_cast<uintptr_t>(instructionStart) + kRel32InstructionSize;
  return static_cast<int32_t>(reinterpret_cast<uintptr_t>(target) - from);
}

void* NewPageMemory() {
  if (g_pageSource) return g_pageSource();
  return VirtualAlloc(nullptr, kStubPageSize, MEM_COMMIT, PAGE_EXECUTE_READWRITE);
}

// Writes a fresh page and threads its stubs onto the free list, the highest address first.
bool AddStubPage() {
  StubPage* page = static_cast<StubPage*>(NewPageMemory());
  if (!page) return false;
  page->previous = g_pages;
  page->popEcx = kPopEcx;
  page->jump = kJumpRel32;
  page->toStubEntry = Displacement(reinterpret_cast<const void*>(&StubEntry), &page->jump);
  for (Stub& stub : page->stubs) {
    stub.call = kCallRel32;
    stub.toEntry = Displacement(&page->popEcx, &stub);
    stub.nextFree = g_freeStubs;
    g_freeStubs = &stub;
  }
  g_pages = page;
  // The page is new code; x86 keeps caches coherent, but Windows asks for this after writing it.
  FlushInstructionCache(GetCurrentProcess(), page, kStubPageSize);
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
  Stub* stub = g_freeStubs;
  g_freeStubs = stub->nextFree;
  stub->code = method.code;
  stub->data = method.data;
  return reinterpret_cast<WNDPROC>(stub);
}

StubPage* StubPageListHead() {
  return g_pages;
}
Stub* FreeStubListHead() {
  return g_freeStubs;
}
void SetStubPageSource(StubPageSource source) {
  g_pageSource = source;
}
