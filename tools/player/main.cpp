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

constexpr WCHAR kClassName[] = L"Winamp v1.x";
constexpr LPARAM kQueryState = 104;
constexpr LPARAM kQueryPositionOrLength = 105;
constexpr LPARAM kQueryVersion = 0;               // IPC_GETVERSION
constexpr LPARAM kQueryExtendedFileInfoW = 3026;  // IPC_GET_EXTENDED_FILE_INFOW
constexpr LPARAM kQueryPlayingFilename = 3031;    // IPC_GET_PLAYING_FILENAME
// Asked by the tests: how many blocks another process allocated in this one (seen in a field
// request) are still there.
constexpr UINT kCountForeignMessage = WM_APP + 10;
constexpr UINT_PTR kClockTimer = 1;
constexpr UINT kClockMs = 50;

// Exit codes, for scripts and tests.
constexpr int kOk = 0;
constexpr int kNoWindow = 1;
constexpr int kRefused = 2;

// Posted to itself: the window's thread stops answering for wParam ms (kHangForever: until
// the program is killed). Posted, so that the command that asked for it is answered first.
constexpr UINT kHangMessage = WM_APP + 1;
// Posted to itself when a track opens as Winamp opens it: the thread is busy opening the file
// for wParam ms, then sets the caption from its tags (kOpenedMessage) and starts playing
// (kStartMessage), announcing each step.
constexpr UINT kOpenMessage = WM_APP + 2;
constexpr UINT kStartMessage = WM_APP + 3;

PlayerState* g_player = nullptr;
UINT g_songChange = 0;  // "WinampSongChange", registered at start
// The caption as last set, in UTF-8 and as Winamp keeps it, in UTF-16; what the window shows:
// that caption, or a step of its scroll (up to twice the caption and the stars).
char g_caption[kCaptionBytes] = {};
WCHAR g_captionWide[kCaptionBytes] = {};
int g_captionUnits = 0;
WCHAR g_shown[2 * kCaptionBytes + 8] = {};
// The taskbar scroll: the step it shows next, and when.
bool g_scrolling = false;
int g_step = 0;
DWORD g_stepDue = 0;

// The names Winamp's input plug-ins answer IPC_GET_EXTENDED_FILE_INFOW for, in the order of
// Track::fields: in_mp3 and in_cdda know "track", not "tracknumber" (README.md names each
// source). Any other name gets 0.
constexpr const WCHAR* kFieldNames[kFieldCount] = {L"title",       L"artist", L"album",
                                                   L"albumartist", L"track",  L"year",
                                                   L"genre",       L"disc",   L"composer"};

// Winamp's IPC_GET_PLAYING_FILENAME answers a pointer into its own memory.
WCHAR g_fileName[kTitleBytes] = {};

// Blocks that another process allocated here and pointed a request at: their allocation bases.
void* g_foreign[256] = {};

LRESULT CountForeign() {
  LRESULT count = 0;
  for (void*& slot : g_foreign) {
    MEMORY_BASIC_INFORMATION info;
    if (!slot || !VirtualQuery(slot, &info, sizeof info)) continue;
    if (info.State == MEM_FREE) {
      slot = nullptr;
    } else {
      ++count;
    }
  }
  return count;
}

// Slots of blocks freed since are taken again first, so none is ever missed for want of room.
void NoteForeign(const void* request) {
  CountForeign();
  MEMORY_BASIC_INFORMATION info;
  if (!VirtualQuery(request, &info, sizeof info)) return;
  for (void*& slot : g_foreign) {
    if (slot == info.AllocationBase) return;
  }
  for (void*& slot : g_foreign) {
    if (!slot) {
      slot = info.AllocationBase;
      return;
    }
  }
}

// Winamp's answer to IPC_GET_EXTENDED_FILE_INFOW: the named file's tag, copied into the caller's
// buffer (at most retlen characters with the terminator, as lstrcpyn copies), 1; 0 when the file
// is not the playing one or has no such tag. The request lies in this process's memory, where
// the asking program placed it.
LRESULT AnswerFileInfo(WPARAM wParam) {
  struct ExtendedFileInfoW {
    const WCHAR* filename;
    const WCHAR* metadata;
    WCHAR* ret;
    size_t retlen;
  };
  const auto* request = reinterpret_cast<const ExtendedFileInfoW*>(wParam);
  NoteForeign(request);
  if (const uint32_t hang = g_player->TakeFieldHang()) {
    Sleep(hang == kHangForever ? INFINITE : hang);
  }
  const Track& track = g_player->Current();
  WCHAR file[kTitleBytes];
  if (!MultiByteToWideChar(CP_UTF8, 0, track.file, -1, file, kTitleBytes) ||
      lstrcmpW(file, request->filename) != 0) {
    return 0;
  }
  for (size_t i = 0; i < kFieldCount; ++i) {
    if (lstrcmpiW(kFieldNames[i], request->metadata) != 0 || !track.fields[i][0]) continue;
    WCHAR value[kFieldBytes];
    MultiByteToWideChar(CP_UTF8, 0, track.fields[i], -1, value, kFieldBytes);
    lstrcpynW(request->ret, value, static_cast<int>(request->retlen));
    return 1;
  }
  return 0;
}

LRESULT AnswerPlayingFilename() {
  if (!MultiByteToWideChar(CP_UTF8, 0, g_player->Current().file, -1, g_fileName, kTitleBytes) ||
      !g_fileName[0]) {
    return 0;  // a stream: no file
  }
  return reinterpret_cast<LRESULT>(g_fileName);
}

// AIMP's remote-access record (apiRemote.h, packed TAIMPRemoteFileInfo), then its strings.
#pragma pack(push, 1)
struct AimpRecord {
  DWORD size;
  BOOL active;
  DWORD bitRate, channels, duration;
  INT64 fileSize;
  DWORD fileMark, sampleRate, trackNumber;
  DWORD albumLength, artistLength, dateLength, fileNameLength, genreLength, titleLength;
  DWORD reserved[6];
};
#pragma pack(pop)
constexpr DWORD kAimpBytes = 2048;
BYTE* g_aimpView = nullptr;

// In AIMP mode: its "AIMP2_RemoteInfo" window and mapping, made at the first call, and the
// playing track's record written afresh.
void WriteAimpRecord(HINSTANCE instance) {
  if (g_player->PlayerMode() != Mode::kAimp) return;
  if (!g_aimpView) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"AIMP2_RemoteInfo";
    RegisterClassW(&windowClass);
    CreateWindowExW(0, windowClass.lpszClassName, windowClass.lpszClassName, WS_POPUP, 0, 0, 0, 0,
                    nullptr, nullptr, instance, nullptr);
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        kAimpBytes, L"AIMP2_RemoteInfo");
    g_aimpView = static_cast<BYTE*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, kAimpBytes));
    if (!g_aimpView) return;
  }
  const Track& track = g_player->Current();
  // album, artist, date, file name, genre, title: as the record names them, from the tags
  const char* texts[] = {track.fields[kTagAlbum], track.fields[kTagArtist],
                         track.fields[kTagYear],  track.file,
                         track.fields[kTagGenre], track.fields[kTagTitle]};
  AimpRecord record = {};
  record.size = sizeof record;
  record.active = TRUE;
  record.duration = track.lengthSeconds > 0 ? track.lengthSeconds * 1000u : 0;
  record.trackNumber = static_cast<DWORD>(std::atoi(track.fields[kTagTrack]));
  DWORD* lengths = &record.albumLength;
  auto* strings = reinterpret_cast<WCHAR*>(g_aimpView + sizeof record);
  int at = 0;
  for (int i = 0; i < 6; ++i) {
    const int room = static_cast<int>((kAimpBytes - sizeof record) / 2) - at;
    const int units =
        texts[i][0] ? MultiByteToWideChar(CP_UTF8, 0, texts[i], -1, strings + at, room) - 1 : 0;
    lengths[i] = units > 0 ? units : 0;
    at += static_cast<int>(lengths[i]);
  }
  if (g_player->BrokenRecord()) record.titleLength = kAimpBytes;  // runs past the mapping
  std::memcpy(g_aimpView, &record, sizeof record);
}

void Announce() {
  // As Winamp does right after it sets a new caption: to every top-level window, without
  // waiting for any of them.
  if (g_player->Announces()) SendNotifyMessageW(HWND_BROADCAST, g_songChange, 0, 0);
}

void Show(HWND window, const WCHAR* text) {
  lstrcpyW(g_shown, text);
  SetWindowTextW(window, g_shown);
}

// Sets the window caption only when it changed, so a reader never sees it flicker, and answers
// whether it did. Winamp's window is a Unicode window, and so is this one: the caption is set as
// UTF-16. A new caption is announced, and its scroll starts again at step 0.
bool UpdateCaption(HWND window) {
  char caption[kCaptionBytes];
  g_player->Caption(caption);
  if (std::strcmp(caption, g_caption) == 0) return false;
  std::memcpy(g_caption, caption, kCaptionBytes);
  g_captionUnits = MultiByteToWideChar(CP_UTF8, 0, caption, -1, g_captionWide, kCaptionBytes) - 1;
  if (g_captionUnits < 0) {
    g_captionUnits = 0;
    g_captionWide[0] = 0;
  }
  Show(window, g_captionWide);
  g_step = 0;
  g_stepDue = GetTickCount() + kScrollStepMs;
  Announce();
  return true;
}

// Winamp's "Scroll title in the Windows taskbar": at each tick of its display timer it shows one
// step and counts on. For a caption C of L UTF-16 units, step k < L is C from unit k on (which
// may split a surrogate pair), " *** " and C; steps L, L + 1 and L + 2 are " *** " from its
// (k - L)-th character on, C and " *** "; then step 0 again. A step is not announced.
void Scroll(HWND window) {
  const DWORD now = GetTickCount();
  if (g_player->Scrolls() != g_scrolling) {
    g_scrolling = !g_scrolling;
    g_step = 0;
    g_stepDue = now;
    if (!g_scrolling) Show(window, g_captionWide);
  }
  if (!g_scrolling || static_cast<int32_t>(now - g_stepDue) < 0) return;
  constexpr WCHAR kStars[] = L" *** ";
  WCHAR step[2 * kCaptionBytes + 8];
  if (g_step < g_captionUnits) {
    lstrcpyW(step, g_captionWide + g_step);
    lstrcatW(step, kStars);
    lstrcatW(step, g_captionWide);
  } else {
    lstrcpyW(step, kStars + (g_step - g_captionUnits));
    lstrcatW(step, g_captionWide);
    lstrcatW(step, kStars);
  }
  Show(window, step);
  g_step = (g_step + 1) % (g_captionUnits + 3);
  g_stepDue = now + kScrollStepMs;
}

// After a command or a tick: the caption, and the opening of a track that just started.
void AfterChange(HWND window) {
  UpdateCaption(window);
  WriteAimpRecord(reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE)));
  Scroll(window);
  if (const uint32_t ms = g_player->TakeOpening()) PostMessageW(window, kOpenMessage, ms, 0);
}

// A command line argument as UTF-8, the text the commands are read in.
char* Utf8(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  char* bytes = static_cast<char*>(std::malloc(size > 0 ? size : 1));
  if (size <= 0 || !WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, size, nullptr, nullptr)) {
    bytes[0] = 0;
  }
  return bytes;
}

void FormatTime(WCHAR* out, int32_t seconds) {
  if (seconds < 0) {
    lstrcpyW(out, L"-:--");
    return;
  }
  wsprintfW(out, L"%d:%02d", seconds / 60, seconds % 60);
}

void Paint(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  RECT area;
  GetClientRect(window, &area);
  InflateRect(&area, -10, -10);
  WCHAR position[16];
  WCHAR length[16];
  int32_t ms = g_player->PositionAnswer(GetTickCount());
  FormatTime(position, ms < 0 ? -1 : ms / 1000);
  FormatTime(length, g_player->LengthAnswer());
  const WCHAR* state = g_player->StateAnswer() == kStopped  ? L"stopped"
                       : g_player->StateAnswer() == kPaused ? L"paused"
                                                            : L"playing";
  WCHAR status[64];
  wsprintfW(status, L"\r\n%s  %s / %s", state, position, length);
  WCHAR text[kCaptionBytes + 64];
  lstrcpynW(text, g_shown, kCaptionBytes);
  lstrcatW(text, status);
  DrawTextW(dc, text, -1, &area, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  EndPaint(window, &ps);
}

LRESULT CALLBACK PlayerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_USER:
      if (lParam == kQueryVersion && g_player->PlayerMode() == Mode::kFoobar) return 0x2080;
      if (lParam == kQueryPlayingFilename && g_player->PlayerMode() == Mode::kWinamp) {
        return AnswerPlayingFilename();
      }
      if (lParam == kQueryExtendedFileInfoW && g_player->PlayerMode() == Mode::kWinamp) {
        return AnswerFileInfo(wParam);
      }
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
      AfterChange(window);
      InvalidateRect(window, nullptr, TRUE);
      // Closing from inside a cross-process SendMessage would leave the sender waiting on a
      // window that is gone; let the sender have its answer first. The same for a hang.
      if (g_player->CloseRequested()) PostMessageW(window, WM_CLOSE, 0, 0);
      if (const uint32_t hang = g_player->TakeHang()) PostMessageW(window, kHangMessage, hang, 0);
      return ok ? TRUE : FALSE;
    }
    case kOpenMessage:
      // Winamp's thread opens the file; Winamp sets the caption again afterwards (and
      // announces it) whether or not the tags changed it.
      Sleep(static_cast<DWORD>(wParam));
      g_player->Opened();
      if (!UpdateCaption(window)) Announce();
      PostMessageW(window, kStartMessage, 0, 0);
      return 0;
    case kStartMessage:
      g_player->Started(GetTickCount());
      Announce();
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    case kHangMessage:
      Sleep(static_cast<DWORD>(wParam) == kHangForever ? INFINITE : static_cast<DWORD>(wParam));
      return 0;
    case WM_TIMER:
      if (wParam == kClockTimer) {
        if (g_player->Advance(GetTickCount())) {
          AfterChange(window);
        } else {
          Scroll(window);
        }
        InvalidateRect(window, nullptr, TRUE);
      }
      return 0;
    case kCountForeignMessage:
      return CountForeign();
    case WM_PAINT:
      Paint(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

int RunPlayer(HINSTANCE instance, int argc, char** argv) {
  static PlayerState player(GetTickCount());
  g_player = &player;
  g_songChange = RegisterWindowMessageW(L"WinampSongChange");
  for (int i = 1; i < argc; ++i) {
    if (!player.Execute(argv[i], std::strlen(argv[i]), GetTickCount())) return kRefused;
  }

  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = PlayerProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kClassName;
  RegisterClassW(&windowClass);

  // Its title bar lies under the strip that Tunelamp draws at the top of the screen, so that
  // screenshots show the strip's translucency; its text shows below the strip.
  HWND window = CreateWindowExW(0, kClassName, L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 20, 460,
                                130, nullptr, nullptr, instance, nullptr);
  if (!window) return kNoWindow;
  AfterChange(window);
  SetTimer(window, kClockTimer, kClockMs, nullptr);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return kOk;
}

// player.exe --send COMMAND...: hands each command to the running player.
int SendCommands(int argc, char** argv) {
  HWND player = FindWindowW(kClassName, nullptr);
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

// Arguments arrive as UTF-16 and are read as UTF-8, so titles in any script pass through.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  const int argc = __argc;
  char** argv = static_cast<char**>(std::malloc(sizeof(char*) * (argc + 1)));
  for (int i = 0; i < argc; ++i) argv[i] = Utf8(__wargv[i]);
  argv[argc] = nullptr;
  if (argc >= 2 && std::strcmp(argv[1], "--send") == 0) return SendCommands(argc, argv);
  if (argc == 3 && std::strcmp(argv[1], "--hotkey") == 0) return SendHotKey(argv[2]);
  return RunPlayer(instance, argc, argv);
}
