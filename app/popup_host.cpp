// The program's host: the Win32 host itself. (The benchmark's frame counter binds a host of its
// own that wraps it: tools/bench/frame_log_host.cpp.)
#include "app/win32_host.h"

namespace {

NowPlayingHost* host = nullptr;

}  // namespace

NowPlayingHost& PopupHost() {
  return *host;
}

void BindPopupHost(TForm1& form) {
  host = &MakeWin32Host(form);
}
