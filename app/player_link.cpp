// The player link: Winamp's main window, found by its class and asked through window messages,
// never waiting long on a player that hangs.
#include <windows.h>

#include "app/win32_host.h"

namespace {

constexpr char kPlayerClass[] = "Winamp v1.x";

// How long one query may keep the program waiting for the player. A healthy player answers
// in well under a millisecond, and one busy loading a file within a few tens; a missed answer
// only means no news until the next check. Hot keys and clicks wait at most this long while
// the player hangs, and not at all once the system takes it for hung (five seconds without
// taking a message), as SMTO_ABORTIFHUNG then gives up at once.
constexpr UINT kPlayerTimeoutMs = 300;

HWND AsWindow(uint32_t window) {
  return reinterpret_cast<HWND>(static_cast<uintptr_t>(window));
}

}  // namespace

PlayerAnswer AskPlayer(uint32_t window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  DWORD_PTR result = 0;
  if (!::SendMessageTimeoutA(AsWindow(window), message, wParam, lParam,
                             SMTO_NORMAL | SMTO_ABORTIFHUNG, kPlayerTimeoutMs, &result)) {
    return {0, false};
  }
  return {static_cast<int32_t>(result), true};
}

uint32_t Win32Host::PlayerListWindows(uint32_t (&windows)[kMostPlayers]) {
  uint32_t count = 0;
  for (HWND window = nullptr; count < kMostPlayers &&
                              (window = ::FindWindowExA(nullptr, window, kPlayerClass, nullptr));) {
    windows[count++] = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window));
  }
  return count;
}

PlayerAnswer Win32Host::PlayerSendQuery(uint32_t window, uint32_t wParam, int32_t lParam) {
  return AskPlayer(window, WM_USER, wParam, lParam);
}

PlayerAnswer Win32Host::PlayerGetCaption(uint32_t window, char* buffer, uint32_t size) {
  return AskPlayer(window, WM_GETTEXT, size, reinterpret_cast<LPARAM>(buffer));
}

PlayerAnswer Win32Host::PlayerGetCaptionLength(uint32_t window) {
  return AskPlayer(window, WM_GETTEXTLENGTH, 0, 0);
}
