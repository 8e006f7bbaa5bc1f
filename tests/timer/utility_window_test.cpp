// The hidden utility windows and their window class, as the system reports them.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/timer/support.h"

namespace {

constexpr char kClassName[] = "TPUtilWindow";

HINSTANCE Program() {
  return GetModuleHandleA(nullptr);
}

// True when the address is a stub slot (offset 10 + 13 k) of one of the stub pages.
bool IsStubAddress(uintptr_t address) {
  for (const StubPage* page = StubPageListHead(); page; page = page->previous) {
    const uintptr_t start = reinterpret_cast<uintptr_t>(page);
    if (address >= start + 10 && address < start + 4092) return (address - start - 10) % 13 == 0;
  }
  return false;
}

struct WindowRow {
  const char* name;
  bool withMethod;
};

const WindowRow kWindowRows[] = {{"with a method", true}, {"without a method", false}};

TEST(UtilityWindow, IsAHiddenZeroSizedToolPopupOfItsClass) {
  for (const WindowRow& row : kWindowRows) {
    SCOPED_TRACE(row.name);
    MessageLog log;
    const StubPage* const pages = StubPageListHead();
    const Stub* const freeStubs = FreeStubListHead();
    const HWND window = CreateUtilityWindow(row.withMethod ? log.Method() : TWindowMethod{});
    const WindowGuard guard(window);
    ASSERT_TRUE(IsWindow(window));

    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    EXPECT_STREQ(name, kClassName);
    EXPECT_EQ(GetWindowTextLengthA(window), 0);
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & (WS_VISIBLE | WS_CHILD | WS_CAPTION | WS_THICKFRAME));
    EXPECT_FALSE(IsWindowVisible(window));
    const LONG exStyle = GetWindowLongA(window, GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(exStyle & WS_EX_APPWINDOW);
    RECT rect;
    ASSERT_TRUE(GetWindowRect(window, &rect));
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, 0);
    EXPECT_EQ(rect.bottom, 0);
    EXPECT_EQ(GetParent(window), nullptr);
    EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);
    EXPECT_EQ(reinterpret_cast<HINSTANCE>(GetWindowLongA(window, GWL_HINSTANCE)), Program());

    const WNDPROC procedure = WindowProcedureOf(window);
    if (row.withMethod) {
      EXPECT_NE(procedure, &DefWindowProcA);
      EXPECT_TRUE(IsStubAddress(reinterpret_cast<uintptr_t>(procedure)));
      log.answer = 9;
      EXPECT_EQ(SendMessageA(window, WM_USER + 3, 0, 0), 9);
    } else {
      EXPECT_EQ(procedure, &DefWindowProcA);
      EXPECT_EQ(FreeStubListHead(), freeStubs) << "no stub is used";
      EXPECT_EQ(StubPageListHead(), pages);
      EXPECT_EQ(SendMessageA(window, WM_QUERYOPEN, 0, 0), TRUE);
    }
  }
}

void ExpectUtilityClass(const char* context) {
  SCOPED_TRACE(context);
  WNDCLASSA found;
  std::memset(&found, 0xAB, sizeof found);
  ASSERT_TRUE(GetClassInfoA(Program(), kClassName, &found));
  EXPECT_EQ(found.style, 0u);
  EXPECT_EQ(found.lpfnWndProc, &DefWindowProcA);
  EXPECT_EQ(found.cbClsExtra, 0);
  EXPECT_EQ(found.cbWndExtra, 0);
  EXPECT_EQ(found.hIcon, nullptr);
  EXPECT_EQ(found.hCursor, nullptr);
  EXPECT_EQ(found.hbrBackground, nullptr);
  EXPECT_EQ(found.lpszMenuName, nullptr);
}

// Clears the class away, destroying the utility windows earlier tests left behind: those of
// destroyed timers (DefWindowProcA by now); each test destroys the windows that reach its own
// objects.
void ForgetUtilityClass() {
  DestroyUtilityWindows();
  UnregisterClassA(kClassName, Program());
  WNDCLASSA found;
  ASSERT_FALSE(GetClassInfoA(Program(), kClassName, &found)) << "the class could not be removed";
}

TEST(UtilityWindowClass, IsRegisteredWithDefWindowProcAWhenMissing) {
  ASSERT_NO_FATAL_FAILURE(ForgetUtilityClass());
  const WindowGuard window(CreateUtilityWindow({}));
  ASSERT_TRUE(IsWindow(window.window));
  ExpectUtilityClass("registered by the first window");
  const WindowGuard second(CreateUtilityWindow({}));
  ASSERT_TRUE(IsWindow(second.window));
  ExpectUtilityClass("kept by the second");
}

int g_foreignCalls = 0;
LRESULT CALLBACK ForeignProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ++g_foreignCalls;
  return DefWindowProcA(window, message, wParam, lParam);
}

WNDCLASSA ClassOfOurName(WNDPROC procedure) {
  WNDCLASSA record = {};
  record.style = CS_NOCLOSE;
  record.lpfnWndProc = procedure;
  record.cbWndExtra = 8;
  record.hInstance = Program();
  record.lpszClassName = kClassName;
  return record;
}

TEST(UtilityWindowClass, AClassOfTheNameWithAnotherProcedureIsReplaced) {
  ASSERT_NO_FATAL_FAILURE(ForgetUtilityClass());
  const WNDCLASSA foreign = ClassOfOurName(&ForeignProcedure);
  ASSERT_TRUE(RegisterClassA(&foreign));
  g_foreignCalls = 0;

  const WindowGuard window(CreateUtilityWindow({}));
  ASSERT_TRUE(IsWindow(window.window));
  ExpectUtilityClass("after replacing");
  EXPECT_EQ(WindowProcedureOf(window.window), &DefWindowProcA);
  EXPECT_EQ(g_foreignCalls, 0) << "creation messages went to the foreign procedure";
}

TEST(UtilityWindowClass, AClassOfTheNameWithDefWindowProcAIsReused) {
  ASSERT_NO_FATAL_FAILURE(ForgetUtilityClass());
  const WNDCLASSA own = ClassOfOurName(&DefWindowProcA);
  ASSERT_TRUE(RegisterClassA(&own));
  {
    const WindowGuard window(CreateUtilityWindow({}));
    ASSERT_TRUE(IsWindow(window.window));
    WNDCLASSA found;
    ASSERT_TRUE(GetClassInfoA(Program(), kClassName, &found));
    EXPECT_EQ(found.style, static_cast<UINT>(CS_NOCLOSE)) << "the class was registered again";
    EXPECT_EQ(found.cbWndExtra, 8);
  }
  // Leave the class as the toolkit makes it for the tests that follow.
  ASSERT_NO_FATAL_FAILURE(ForgetUtilityClass());
}

}  // namespace
