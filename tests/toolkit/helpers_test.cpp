// System helpers.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

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

// The loader of Vista, and of Windows 7 without its 2011 update, refuses the flags from 0x100 up.
HMODULE WINAPI OldLoader(LPCWSTR name, HANDLE file, DWORD flags) {
  if (!(flags & ~0xFFu)) return LoadLibraryExW(name, file, flags);
  SetLastError(ERROR_INVALID_PARAMETER);
  return nullptr;
}

// With either loader: shell32 from the system folder, and never a DLL beside the test under a
// name that the system folder lacks, though it loads by its path.
TEST(Helpers, LoadSystemLibraryTakesTheSystemFoldersCopyOnly) {
  wchar_t system[MAX_PATH];
  wchar_t planted[MAX_PATH];
  ASSERT_TRUE(GetSystemDirectoryW(system, MAX_PATH) &&
              GetModuleFileNameW(nullptr, planted, MAX_PATH));
  lstrcpyW(wcsrchr(planted, L'\\') + 1, L"tunelamp_planted.dll");
  ASSERT_TRUE(CopyFileW((std::wstring(system) + L"\\version.dll").c_str(), planted, FALSE));
  EXPECT_TRUE(FreeLibrary(LoadLibraryW(planted))) << "the copy is a DLL";
  for (const LibraryLoader loader : {LibraryLoader{nullptr}, &OldLoader}) {
    SCOPED_TRACE(loader ? "the old loader" : "today's loader");
    SystemLibraryLoaderForTests = loader;
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(LoadSystemLibrary(L"shell32.dll"), path, MAX_PATH);
    EXPECT_EQ(0, lstrcmpiW((std::wstring(system) + L"\\shell32.dll").c_str(), path)) << path;
    EXPECT_EQ(nullptr, LoadSystemLibrary(L"tunelamp_planted.dll"));
  }
  SystemLibraryLoaderForTests = nullptr;
  DeleteFileW(planted);
}

}  // namespace
