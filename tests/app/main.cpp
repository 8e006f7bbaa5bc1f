// The end-to-end tests: tunelamp.exe and the stand-in player, each in a process of its own.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/common/failure_printer.h"

namespace {

// The tests read window rectangles in real pixels, as Tunelamp lays itself out, whatever the
// display scale. A process that is not aware of each monitor's scale may be told scaled-down
// values instead (Wine 10 does so; Wine 8 makes every process aware anyway).
void SeeRealPixels() {
  using SetContextProc = BOOL(WINAPI*)(HANDLE);
  const auto setContext = reinterpret_cast<SetContextProc>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleA("user32"), "SetProcessDpiAwarenessContext")));
  const HANDLE kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(-4);
  const HANDLE kPerMonitorAware = reinterpret_cast<HANDLE>(-3);
  if (setContext && (setContext(kPerMonitorAwareV2) || setContext(kPerMonitorAware))) return;
  SetProcessDPIAware();
}

}  // namespace

int main(int argc, char** argv) {
  SeeRealPixels();
  testing::InitGoogleTest(&argc, argv);
  test_support::InstallFailurePrinter();
  return RUN_ALL_TESTS();
}
