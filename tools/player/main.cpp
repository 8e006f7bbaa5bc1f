// The stand-in player: a window of Winamp's class that answers Winamp's window-message queries
// and plays a list of short tracks. Tests and the demo steer it with text commands sent as
// WM_COPYDATA; the same program sends them (and Tunelamp's hot keys) from the command line.
// See README.md for the commands.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "fullscreen.h"
#include "player_state.h"

namespace {

constexpr char kClassName[] = "Winamp v1.x";
constexpr LPARAM kQueryState = 104;
constexpr LPARAM kQueryPositionOrLength = 105;
constexpr UINT_PTR kClockTimer = 1;
constexpr UINT kClockMs = 50;

// Exit codes, for scripts and tests.
constexpr int kOk = 0;
constexpr int kNoWindow = 1;
constexpr int kRefused = 2;

PlayerState* g_player = nullptr;
char g_shownCaption[kCaptionBytes] = {};

// Sets the window caption only when it changed, so a reader never sees it flicker.
void UpdateCaption(HWND window) {
  char caption[kCaptionBytes];
  g_player->Caption(caption);
  if (std::strcmp(caption, g_shownCaption) == 0) return;
  std::memcpy(g_shownCaption, caption, kCaptionBytes);
  SetWindowTextA(window, caption);
}

void FormatTime(char* out, int32_t seconds) {
  if (seconds < 0) {
    lstrcpyA(out, "-:--");
    return;
  }
  wsprintfA(out, "%d:%02d", seconds / 60, seconds % 60);
}

void Paint(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  RECT area;
  GetClientRect(window, &area);
  InflateRect(&area, -10, -10);
  char position[16];
  char length[16];
  int32_t ms = g_player->PositionAnswer(GetTickCount());
  FormatTime(position, ms < 0 ? -1 : ms / 1000);
  FormatTime(length, g_player->LengthAnswer());
  const char* state = g_player->StateAnswer() == kStopped  ? "stopped"
                      : g_player->StateAnswer() == kPaused ? "paused"
                                                           : "playing";
  char text[kCaptionBytes + 64];
  wsprintfA(text, "%s\r\n%s  %s / %s", g_shownCaption, state, position, length);
  DrawTextA(dc, text, -1, &area, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  EndPaint(window, &ps);
}

LRESULT CALLBACK PlayerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_USER:
      if (lParam == kQueryState) return g_player->StateAnswer();
      if (lParam == kQueryPositionOrLength) {
        if (wParam == 0) return g_player->PositionAnswer(GetTickCount());
        if (wParam == 1) return g_player->LengthAnswer();
      }
      return 0;
    case WM_COPYDATA: {
      const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      if (FullScreenCommand(static_cast<const char*>(data->lpData), data->cbData, window)) {
        return TRUE;
      }
      bool ok =
          g_player->Execute(static_cast<const char*>(data->lpData), data->cbData, GetTickCount());
      UpdateCaption(window);
      InvalidateRect(window, nullptr, TRUE);
      // Closing from inside a cross-process SendMessage would leave the sender waiting on a
      // window that is gone; let the sender have its answer first.
      if (g_player->CloseRequested()) PostMessageA(window, WM_CLOSE, 0, 0);
      return ok ? TRUE : FALSE;
    }
    case WM_TIMER:
      if (wParam == kClockTimer) {
        if (g_player->Advance(GetTickCount())) UpdateCaption(window);
        InvalidateRect(window, nullptr, TRUE);
      }
      return 0;
    case WM_PAINT:
      Paint(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

int RunPlayer(HINSTANCE instance, int argc, char** argv) {
  static PlayerState player(GetTickCount());
  g_player = &player;
  for (int i = 1; i < argc; ++i) {
    if (!player.Execute(argv[i], std::strlen(argv[i]), GetTickCount())) return kRefused;
  }

  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = PlayerProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kClassName;
  RegisterClassA(&windowClass);

  // Its title bar lies under the strip that Tunelamp draws at the top of the screen, so that
  // screenshots show the strip's translucency; its text shows below the strip.
  HWND window = CreateWindowExA(0, kClassName, "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 20, 460,
                                130, nullptr, nullptr, instance, nullptr);
  if (!window) return kNoWindow;
  UpdateCaption(window);
  SetTimer(window, kClockTimer, kClockMs, nullptr);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return kOk;
}

// player.exe --send COMMAND...: hands each command to the running player.
int SendCommands(int argc, char** argv) {
  HWND player = FindWindowA(kClassName, nullptr);
  if (!player) return kNoWindow;
  for (int i = 2; i < argc; ++i) {
    COPYDATASTRUCT data = {0, static_cast<DWORD>(std::strlen(argv[i])), argv[i]};
    if (!SendMessageA(player, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data))) return kRefused;
  }
  return kOk;
}

struct HotKeyPost {
  WPARAM id;
  int windows;
};

BOOL CALLBACK PostHotKey(HWND window, LPARAM param) {
  auto* post = reinterpret_cast<HotKeyPost*>(param);
  char className[16];
  if (GetClassNameA(window, className, sizeof className) && lstrcmpA(className, "TForm") == 0) {
    PostMessageA(window, WM_HOTKEY, post->id, 0);
    ++post->windows;
  }
  return TRUE;
}

// player.exe --hotkey ID: posts Tunelamp's hot key ID (0 show, 1 toggle, 2 quit) to its popup,
// as the system does when the keys are pressed.
int SendHotKey(const char* id) {
  HotKeyPost post = {static_cast<WPARAM>(std::atoi(id)), 0};
  EnumWindows(PostHotKey, reinterpret_cast<LPARAM>(&post));
  return post.windows > 0 ? kOk : kNoWindow;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  int argc = __argc;
  char** argv = __argv;
  if (argc >= 2 && std::strcmp(argv[1], "--send") == 0) return SendCommands(argc, argv);
  if (argc == 3 && std::strcmp(argv[1], "--hotkey") == 0) return SendHotKey(argv[2]);
  return RunPlayer(instance, argc, argv);
}
