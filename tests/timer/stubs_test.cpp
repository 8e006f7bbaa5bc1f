// Window-procedure stubs: called as window procedures every way Windows can, and laid out in
// their pages byte for byte.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "tests/timer/support.h"

namespace {

struct CallRow {
  const char* name;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  int32_t answer;
};

const CallRow kCallRows[] = {
    {"all zero", WM_NULL, 0, 0, 0},
    {"small values", WM_USER, 1, 2, 3},
    {"all bits", WM_APP + 7, 0xFFFFFFFF, -1, -1},
    {"extremes", 0xC123, 0x80000000, INT32_MIN, INT32_MAX},
    {"a timer message", WM_TIMER, 5, 0x12345678, 0x7654321},
};

void ExpectDelivered(const MessageLog& log, const CallRow& row) {
  ASSERT_FALSE(log.seen.empty());
  const TWindowMessage& seen = log.seen.back();
  EXPECT_EQ(seen.Msg, row.message);
  EXPECT_EQ(seen.WParam, static_cast<uint32_t>(row.wParam));
  EXPECT_EQ(seen.LParam, static_cast<int32_t>(row.lParam));
  EXPECT_EQ(seen.Result, 0) << "a message starts unanswered";
}

TEST(Stubs, CalledAsWindowProceduresTheyDeliverTheMessageAndReturnTheAnswer) {
  MessageLog log;
  MessageLog other;
  const HWND window = CreateUtilityWindow(log.Method());
  const WindowGuard guard(window);
  const WNDPROC stub = WindowProcedureOf(window);
  ASSERT_NE(stub, &DefWindowProcA);
  const WNDPROC otherStub = AllocateWindowStub(other.Method());
  ASSERT_NE(otherStub, nullptr);
  ASSERT_NE(otherStub, stub);

  for (const CallRow& row : kCallRows) {
    SCOPED_TRACE(row.name);
    log.answer = row.answer;
    log.seen.clear();

    EXPECT_EQ(SendMessageA(window, row.message, row.wParam, row.lParam), row.answer);
    ExpectDelivered(log, row);

    EXPECT_EQ(CallWindowProcA(stub, window, row.message, row.wParam, row.lParam), row.answer);
    ExpectDelivered(log, row);

    const RawCallResult raw = CallWithoutHelp(stub, window, row.message, row.wParam, row.lParam);
    EXPECT_EQ(raw.result, row.answer);
    EXPECT_EQ(raw.stackDrift, 0) << "a window procedure removes its four arguments";
    ExpectDelivered(log, row);
    EXPECT_EQ(log.seen.size(), 3u);
  }
  EXPECT_TRUE(other.seen.empty()) << "each stub reaches only its own method";
  other.answer = 42;
  EXPECT_EQ(CallWithoutHelp(otherStub, nullptr, WM_USER, 0, 0).result, 42);
  EXPECT_EQ(other.seen.size(), 1u);
}

// Reads a little-endian word straight from memory.
uint32_t WordAt(uintptr_t address) {
  uint32_t word;
  std::memcpy(&word, reinterpret_cast<const void*>(address), sizeof word);
  return word;
}
uint8_t ByteAt(uintptr_t address) {
  return *reinterpret_cast<const uint8_t*>(address);
}
uintptr_t AddressOf(const void* p) {
  return reinterpret_cast<uintptr_t>(p);
}

// Each stub answers with the index it was bound with, so a call that lands on the wrong record
// shows.
void AnswerIndex(void* index, TWindowMessage& message) {
  message.Result = static_cast<int32_t>(reinterpret_cast<uintptr_t>(index));
}
TWindowMethod IndexMethod(uintptr_t index) {
  return {&AnswerIndex, reinterpret_cast<void*>(index)};
}

MEMORY_BASIC_INFORMATION RegionOf(uintptr_t address) {
  MEMORY_BASIC_INFORMATION info = {};
  VirtualQuery(reinterpret_cast<const void*>(address), &info, sizeof info);
  return info;
}

void ExpectPageHeader(uintptr_t page) {
  const MEMORY_BASIC_INFORMATION region = RegionOf(page);
  EXPECT_EQ(region.Protect, static_cast<DWORD>(PAGE_EXECUTE_READ)) << "code, and not writable";
  EXPECT_EQ(region.State, static_cast<DWORD>(MEM_COMMIT));
  EXPECT_EQ(region.Type, static_cast<DWORD>(MEM_PRIVATE));
  EXPECT_EQ(region.RegionSize, 4096u);
  EXPECT_EQ(ByteAt(page + 4), 0x59) << "pop ecx";
  EXPECT_EQ(ByteAt(page + 5), 0xE9) << "jmp rel32";
  EXPECT_EQ(WordAt(page + 6), AddressOf(reinterpret_cast<const void*>(&StubEntry)) - (page + 10));
}

void ExpectBoundStub(uintptr_t stub, uintptr_t page, uintptr_t index) {
  EXPECT_EQ(ByteAt(stub), 0xE8) << "call rel32";
  EXPECT_EQ(WordAt(stub + 1), (page + 4) - (stub + 5)) << "calls the page's shared entry";
  EXPECT_EQ(WordAt(stub + 5), AddressOf(reinterpret_cast<const void*>(&AnswerIndex)));
  EXPECT_EQ(WordAt(stub + 9), index);
}

TEST(StubPages, A314thBindingEmptiesAPageAndThe315thChainsANewOne) {
  ExhaustFreeStubs();
  const uintptr_t before = AddressOf(StubPageListHead());

  std::vector<uintptr_t> stubs;
  for (uintptr_t index = 1; index <= kStubsPerPage; ++index) {
    stubs.push_back(
        AddressOf(reinterpret_cast<const void*>(AllocateWindowStub(IndexMethod(index)))));
  }
  const uintptr_t page = AddressOf(StubPageListHead());
  ASSERT_NE(page, before) << "an empty free list makes a new page";
  EXPECT_EQ(WordAt(page), before) << "a page's first word is the page made before it";
  EXPECT_EQ(page % 4096, 0u);
  ExpectPageHeader(page);
  for (size_t k = 0; k < stubs.size(); ++k) {
    SCOPED_TRACE(k + 1);
    // Handed out from the highest address down; the 314th is the one at offset 10.
    EXPECT_EQ(stubs[k], page + 10 + 13 * (kStubsPerPage - 1 - k));
    ExpectBoundStub(stubs[k], page, k + 1);
  }
  EXPECT_EQ(stubs.back(), page + 10);
  EXPECT_EQ(FreeStubListHead(), nullptr);

  const uintptr_t next =
      AddressOf(reinterpret_cast<const void*>(AllocateWindowStub(IndexMethod(kStubsPerPage + 1))));
  stubs.push_back(next);
  const uintptr_t secondPage = AddressOf(StubPageListHead());
  ASSERT_NE(secondPage, page);
  EXPECT_EQ(WordAt(secondPage), page) << "the new page's first word holds the full page";
  EXPECT_EQ(next, secondPage + 10 + 13 * (kStubsPerPage - 1));
  EXPECT_EQ(next + 13, secondPage + 4092) << "the highest stub ends at 4092";
  ExpectPageHeader(secondPage);
  ExpectBoundStub(next, secondPage, kStubsPerPage + 1);

  // The rest of the new page is free, threaded downward through offset 5 to offset 10.
  size_t free = 0;
  uintptr_t expected = next - 13;
  for (const Stub* s = FreeStubListHead(); s; s = s->nextFree, expected -= 13, ++free) {
    ASSERT_LT(free, kStubsPerPage) << "the free list must end within its page";
    ASSERT_EQ(AddressOf(s), expected);
    ASSERT_EQ(ByteAt(expected), 0xE8);
    ASSERT_EQ(WordAt(expected + 1), (secondPage + 4) - (expected + 5));
  }
  EXPECT_EQ(free, kStubsPerPage - 1);
  EXPECT_EQ(expected + 13, secondPage + 10);

  // Every one of them runs as a window procedure and reaches its own record.
  for (size_t k = 0; k < stubs.size(); ++k) {
    const RawCallResult raw =
        CallWithoutHelp(reinterpret_cast<WNDPROC>(stubs[k]), nullptr, WM_USER, 0, 0);
    ASSERT_EQ(raw.result, static_cast<LRESULT>(k + 1)) << "stub " << k + 1;
    ASSERT_EQ(raw.stackDrift, 0) << "stub " << k + 1;
  }
}

TEST(StubPages, ThePageChainEndsInAPageWithoutPredecessor) {
  (void)AllocateWindowStub(IndexMethod(0));  // at least one page
  size_t pages = 0;
  uintptr_t page = AddressOf(StubPageListHead());
  for (; page && WordAt(page) != 0; page = WordAt(page)) {
    ASSERT_LT(++pages, 1000u) << "the chain must end";
    ExpectPageHeader(page);
  }
  ASSERT_NE(page, 0u);
  ExpectPageHeader(page);
}

// Every change of a stub page's memory, with the protection the page had just before it.
struct PageStep {
  uintptr_t page;
  DWORD before;  // 0: not there yet (the allocation)
  DWORD asked;
};
std::vector<PageStep> g_steps;

LPVOID WINAPI RecordAllocation(LPVOID address, SIZE_T size, DWORD type, DWORD protect) {
  EXPECT_EQ(size, 4096u);
  EXPECT_EQ(type, static_cast<DWORD>(MEM_COMMIT));
  LPVOID page = VirtualAlloc(address, size, type, protect);
  g_steps.push_back({AddressOf(page), 0, protect});
  return page;
}
BOOL WINAPI RecordProtection(LPVOID address, SIZE_T size, DWORD protect, PDWORD previous) {
  EXPECT_EQ(size, 4096u);
  g_steps.push_back({AddressOf(address), RegionOf(AddressOf(address)).Protect, protect});
  return VirtualProtect(address, size, protect, previous);
}

// Puts the system's own calls back at the end of a scope.
struct PageHooks {
  PageHooks(StubPageSource source, StubPageProtection protection) {
    g_steps.clear();
    SetStubPageSource(source);
    SetStubPageProtection(protection);
  }
  PageHooks(const PageHooks&) = delete;
  PageHooks& operator=(const PageHooks&) = delete;
  ~PageHooks() {
    SetStubPageSource(nullptr);
    SetStubPageProtection(nullptr);
  }
};

TEST(StubPages, AreWrittenReadWriteAndRunExecuteRead) {
  ExhaustFreeStubs();
  const PageHooks hooks(&RecordAllocation, &RecordProtection);
  const WNDPROC first = AllocateWindowStub(IndexMethod(1));
  ASSERT_NE(first, nullptr);
  const uintptr_t page = AddressOf(StubPageListHead());
  const WNDPROC second = AllocateWindowStub(IndexMethod(2));
  ASSERT_NE(second, nullptr);

  const struct {
    const char* what;
    DWORD before;
    DWORD asked;
  } expected[] = {
      {"allocated read-write", 0, PAGE_READWRITE},
      {"written, then made code", PAGE_READWRITE, PAGE_EXECUTE_READ},
      {"opened for the first binding", PAGE_EXECUTE_READ, PAGE_READWRITE},
      {"code again", PAGE_READWRITE, PAGE_EXECUTE_READ},
      {"opened for the second binding", PAGE_EXECUTE_READ, PAGE_READWRITE},
      {"code again", PAGE_READWRITE, PAGE_EXECUTE_READ},
  };
  ASSERT_EQ(g_steps.size(), sizeof expected / sizeof expected[0]);
  for (size_t k = 0; k < g_steps.size(); ++k) {
    SCOPED_TRACE(expected[k].what);
    EXPECT_EQ(g_steps[k].page, page);
    EXPECT_EQ(g_steps[k].before, expected[k].before);
    EXPECT_EQ(g_steps[k].asked, expected[k].asked);
  }
  ExpectPageHeader(page);
  EXPECT_EQ(CallWithoutHelp(first, nullptr, WM_USER, 0, 0).result, 1);
  EXPECT_EQ(CallWithoutHelp(second, nullptr, WM_USER, 0, 0).result, 2);
}

LPVOID WINAPI NoPage(LPVOID, SIZE_T, DWORD, DWORD) {
  return nullptr;
}
// Arbitrary Code Guard: pages may be allocated and written, never made executable.
BOOL WINAPI RefuseExecute(LPVOID address, SIZE_T size, DWORD protect, PDWORD previous) {
  if (protect == PAGE_EXECUTE_READ) return FALSE;
  return RecordProtection(address, size, protect, previous);
}
// Code that may not be written again.
BOOL WINAPI RefuseWrite(LPVOID address, SIZE_T size, DWORD protect, PDWORD previous) {
  if (protect == PAGE_READWRITE) return FALSE;
  return RecordProtection(address, size, protect, previous);
}

struct RefusalRow {
  const char* name;
  bool newPage;  // the binding needs a new page
  StubPageSource source;
  StubPageProtection protection;
};

const RefusalRow kRefusalRows[] = {
    {"no memory for a new page", true, &NoPage, nullptr},
    {"a new page refused execution", true, &RecordAllocation, &RefuseExecute},
    {"a page refused writing for a binding", false, nullptr, &RefuseWrite},
    {"a page refused execution after a binding", false, nullptr, &RefuseExecute},
};

TEST(StubPages, WhenNoStubCanBeMadeAWindowKeepsDefWindowProcAAndATimerNeverTicks) {
  for (const RefusalRow& row : kRefusalRows) {
    SCOPED_TRACE(row.name);
    if (row.newPage) {
      ExhaustFreeStubs();
    } else if (!FreeStubListHead()) {
      (void)AllocateWindowStub(IndexMethod(0));
    }
    const StubPage* const pages = StubPageListHead();
    const Stub* const freeStubs = FreeStubListHead();
    MessageLog log;
    TickLog ticks;
    {
      const PageHooks hooks(row.source, row.protection);
      EXPECT_EQ(AllocateWindowStub(log.Method()), nullptr);
      EXPECT_EQ(StubPageListHead(), pages);
      EXPECT_EQ(FreeStubListHead(), freeStubs);
      for (const PageStep& step : g_steps) {
        if (step.before == 0 && step.page != 0) {
          EXPECT_EQ(RegionOf(step.page).State, static_cast<DWORD>(MEM_FREE))
              << "a page that cannot become code is given back";
        }
      }
      const HWND window = CreateUtilityWindow(log.Method());
      const WindowGuard guard(window);
      ASSERT_TRUE(IsWindow(window));
      EXPECT_EQ(WindowProcedureOf(window), &DefWindowProcA);
      EXPECT_EQ(SendMessageA(window, WM_QUERYOPEN, 0, 0), TRUE);
      EXPECT_TRUE(log.seen.empty());

      TTimer timer;
      const WindowGuard timerWindow(timer.WindowHandle);
      ASSERT_TRUE(IsWindow(timer.WindowHandle));
      EXPECT_FALSE(timer.CanTick());
      timer.SetOnTimer(ticks.Event());
      SendMessageA(timer.WindowHandle, WM_TIMER, 1, 0);
      timer.Tick();  // the event itself is intact
    }
    // A page refused execution after a binding is left writable, and so no code: the system
    // took it away. Make it code again for the stubs of the other tests.
    if (pages && RegionOf(AddressOf(pages)).Protect == PAGE_READWRITE) {
      DWORD previous;
      ASSERT_TRUE(VirtualProtect(const_cast<StubPage*>(pages), 4096, PAGE_EXECUTE_READ, &previous));
    }
    for (const StubPage* page = StubPageListHead(); page; page = page->previous) {
      ExpectPageHeader(AddressOf(page));
    }
    EXPECT_EQ(ticks.times.size(), 1u) << "only Tick fired the event";

    TTimer timer;
    const WindowGuard timerWindow(timer.WindowHandle);
    EXPECT_TRUE(timer.CanTick()) << "stubs come again once the system gives memory";
  }
}

}  // namespace
