// The benchmark's yardsticks: the least a resident Win32 program can do, built like
// tunelamp.exe (static, -Os) and run beside it under the same conditions, so the difference
// is what the program itself costs.
//
//   bench_baseline.exe            a hidden window with a 500 ms timer and a message loop.
//   bench_baseline.exe probe MS   the same with a MS timer whose every tick asks the player
//                                 what tunelamp's title probe asks: FindWindowA, the playing
//                                 state and the caption. The least a poller can cost.
//   bench_baseline.exe probe MS watch  the probe, and the system watching the current directory
//                                 and the program's folder for changes, as tunelamp's settings
//                                 watch does: the loop waits on both change notifications, and
//                                 a change asks for the last write time and size of both
//                                 settings.ini files.
//
// WM_CLOSE ends it.
#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

// Two class names, so the watcher tells the two yardsticks apart.
constexpr char kPlainClass[] = "TunelampBenchBaseline";
constexpr char kProbeClass[] = "TunelampBenchProbe";
constexpr char kPlayerClass[] = "Winamp v1.x";
constexpr UINT_PTR kTimerId = 1;
constexpr UINT kPlainTimerMs = 500;
constexpr LPARAM kQueryPlayingState = 104;

bool probing = false;
wchar_t besideProgram[MAX_PATH + 16];

void LookAtSettings() {
  WIN32_FILE_ATTRIBUTE_DATA data;
  GetFileAttributesExW(L".\\settings.ini", GetFileExInfoStandard, &data);
  GetFileAttributesExW(besideProgram, GetFileExInfoStandard, &data);
}

void ProbePlayer() {
  HWND player = FindWindowA(kPlayerClass, nullptr);
  if (!player) return;
  if (SendMessageA(player, WM_USER, 0, kQueryPlayingState) == 0) return;
  char caption[512];
  SendMessageA(player, WM_GETTEXT, sizeof caption, reinterpret_cast<LPARAM>(caption));
}

LRESULT CALLBACK BaselineProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (probing) ProbePlayer();
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR commandLine, int /*show*/) {
  UINT timerMs = kPlainTimerMs;
  if (std::strncmp(commandLine, "probe ", 6) == 0) {
    probing = true;
    timerMs = static_cast<UINT>(std::strtoul(commandLine + 6, nullptr, 10));
    if (timerMs == 0) return 2;
  }
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = BaselineProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = probing ? kProbeClass : kPlainClass;
  if (!RegisterClassA(&windowClass)) return 1;
  // A top-level window that is never shown, so the watcher can find it by class name.
  HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, windowClass.lpszClassName, "", WS_POPUP, 0, 0, 0,
                                0, nullptr, nullptr, instance, nullptr);
  if (!window || !SetTimer(window, kTimerId, timerMs, nullptr)) return 1;
  MSG message;
  if (probing && std::strstr(commandLine, " watch")) {
    DWORD length = GetModuleFileNameW(nullptr, besideProgram, MAX_PATH);
    while (length > 0 && besideProgram[length - 1] != L'\\') --length;
    besideProgram[length] = L'\0';
    constexpr DWORD kChanges =
        FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;
    HANDLE folders[2] = {FindFirstChangeNotificationW(L".", FALSE, kChanges),
                         FindFirstChangeNotificationW(besideProgram, FALSE, kChanges)};
    if (folders[0] == INVALID_HANDLE_VALUE || folders[1] == INVALID_HANDLE_VALUE) return 1;
    lstrcpyW(besideProgram + length, L"settings.ini");
    // The least loop that waits on objects and messages alike: one message per wait.
    for (;;) {
      const DWORD woken =
          MsgWaitForMultipleObjectsEx(2, folders, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
      if (woken < 2) {
        LookAtSettings();
        FindNextChangeNotification(folders[woken]);
      } else if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) return 0;
        DispatchMessageA(&message);
      }
    }
  }
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return 0;
}
