// System helpers.
#include <gtest/gtest.h>

#include <windows.h>

#include "toolkit/helpers.h"

namespace {

TEST(Helpers, ResolveColorTurnsSystemColoursIntoTheirCurrentValue) {
  struct Case {
    TColor color;
    TColor expected;
  };
  const Case cases[] = {
      {0x000000FF, 0x000000FF},
      {0x00123456, 0x00123456},
      {0x00000000, 0x00000000},
      {0x8000000F, GetSysColor(COLOR_BTNFACE)},
      {0x8000010F, GetSysColor(COLOR_BTNFACE)},  // only the low byte selects
      {0xFFFFFF0F, GetSysColor(COLOR_BTNFACE)},
      {0x80000005, GetSysColor(COLOR_WINDOW)},
      {0x80000008, GetSysColor(COLOR_WINDOWTEXT)},
  };
  ASSERT_NE(GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_WINDOW));
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.color);
    EXPECT_EQ(ResolveColor(c.color), c.expected);
  }
}

TEST(Helpers, ScreenWidthIsTheWidthOfThePrimaryDisplay) {
  RECT desktop{};
  GetWindowRect(GetDesktopWindow(), &desktop);
  EXPECT_EQ(ScreenWidth(), desktop.right - desktop.left);
  EXPECT_GT(ScreenWidth(), 0);
}

// One monitor, one resolution: whichever way it is asked for, the answer is the screen's.
TEST(Helpers, AWindowAndItsMonitorHaveTheScreensResolution) {
  HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  ASSERT_TRUE(window);
  EXPECT_GE(ScreenDpi(), 72);
  EXPECT_EQ(WindowDpi(window), static_cast<uint32_t>(ScreenDpi()));
  EXPECT_EQ(MonitorDpi(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY)),
            static_cast<uint32_t>(ScreenDpi()));
  EXPECT_EQ(MonitorDpi(nullptr), static_cast<uint32_t>(ScreenDpi())) << "no monitor: the screen";
  DestroyWindow(window);
}

}  // namespace
