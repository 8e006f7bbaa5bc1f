#include "app/win32_host.h"

#include <windows.h>

#include <new>

#include "toolkit/helpers.h"
#include "toolkit/pump.h"

#ifdef TUNELAMP_FRAME_LOG
#include "display/state.h"
#endif

namespace {

// The settings file is looked up in the current directory, not beside the program.
constexpr char kSettingsPath[] = ".\\settings.ini";
constexpr char kPlayerClass[] = "Winamp v1.x";

// How long one query may keep the program waiting for the player. A healthy player answers
// in well under a millisecond, and one busy loading a file within a few tens; a missed answer
// only means no news until the next check. Hot keys and clicks wait at most this long while
// the player hangs, and not at all once the system takes it for hung (five seconds without
// taking a message), as SMTO_ABORTIFHUNG then gives up at once.
constexpr UINT kPlayerTimeoutMs = 300;

// EVENT_OBJECT_LIVEREGIONCHANGED (Windows 8 and later; older systems pass it over).
constexpr DWORD kEventLiveRegionChanged = 0x8019;

HWND AsWindow(uint32_t window) {
  return reinterpret_cast<HWND>(static_cast<uintptr_t>(window));
}

PlayerAnswer AskPlayer(uint32_t window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!::SendMessageTimeoutA(AsWindow(window), message, wParam, lParam,
                             SMTO_NORMAL | SMTO_ABORTIFHUNG, kPlayerTimeoutMs, &result)) {
    return {0, false};
  }
  return {static_cast<int32_t>(result), true};
}

// Storage for the host: made once by start-up, never destroyed (no global constructor).
alignas(Win32Host) unsigned char hostStorage[sizeof(Win32Host)];
Win32Host* host = nullptr;

#ifdef TUNELAMP_FRAME_LOG
// Benchmark build only: counts the frames of each animation. The display cycle stops the
// timer before it moves the strip and starts it again afterwards; every ProcessMessages call
// in between is one frame. Each run appends "appear|disappear frames N ms T first F" to
// frames.log in the working directory: T is the run's length, F when it first set an alpha
// above 0, both in ms from the timer's stop.
bool frameCounting = false;
uint32_t frameCount = 0;
LARGE_INTEGER frameStart;
uint32_t firstVisibleMs = 0;

uint32_t MsSinceFrameStart() {
  LARGE_INTEGER now;
  LARGE_INTEGER frequency;
  ::QueryPerformanceCounter(&now);
  ::QueryPerformanceFrequency(&frequency);
  return static_cast<uint32_t>((now.QuadPart - frameStart.QuadPart) * 1000 / frequency.QuadPart);
}

void AppendFrameLog() {
  char line[80];
  const int length = wsprintfA(line, "%s frames %u ms %u first %u\r\n",
                               NowPlaying().shown ? "appear" : "disappear", frameCount,
                               MsSinceFrameStart(), firstVisibleMs);
  HANDLE file = ::CreateFileA("frames.log", FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  ::WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
  ::CloseHandle(file);
}

void CountFrameEdge(bool timerEnabled) {
  if (!timerEnabled) {
    frameCounting = true;
    frameCount = 0;
    firstVisibleMs = 0;
    ::QueryPerformanceCounter(&frameStart);
  } else if (frameCounting) {
    frameCounting = false;
    AppendFrameLog();
  }
}

void NoteAlpha(uint8_t alpha) {
  if (frameCounting && alpha > 0 && firstVisibleMs == 0) firstVisibleMs = MsSinceFrameStart();
}
#endif

}  // namespace

Win32Host& PopupHost() {
  return *host;
}

void BindPopupHost(TForm1& form) {
  host = new (hostStorage) Win32Host(form);
}

void Win32Host::FormSetAlphaBlend(bool layered) {
  form_.SetAlphaBlend(layered);
}
void Win32Host::FormSetAlphaBlendValue(uint8_t alpha) {
#ifdef TUNELAMP_FRAME_LOG
  NoteAlpha(alpha);
#endif
  form_.SetAlphaBlendValue(alpha);
}
void Win32Host::FormSetHeight(int32_t height) {
  form_.SetHeight(height);
}
int32_t Win32Host::FormGetHeight() {
  return form_.GetHeight();
}
int32_t Win32Host::FormGetWidth() {
  return form_.GetWidth();
}
void Win32Host::FormSetColor(uint32_t color) {
  form_.SetColor(color);
}
uint32_t Win32Host::FormColor() {
  return form_.Color;
}
void Win32Host::FormProcessMessages() {
#ifdef TUNELAMP_FRAME_LOG
  if (frameCounting) ++frameCount;
#endif
  ProcessMessages(form_);
}
void Win32Host::FormShowWindow(int32_t command) {
  ::ShowWindow(form_.Handle, command);
}

void Win32Host::FormSetWindowPosTopmost() {
  ::SetWindowPos(form_.Handle, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

uint32_t Win32Host::FormSetRoundRegion(int32_t width, int32_t height, int32_t ellipse) {
  // The window owns the region from here on; it is never deleted by the program.
  HRGN region = ::CreateRoundRectRgn(0, 0, width, height, ellipse, ellipse);
  ::SetWindowRgn(form_.Handle, region, FALSE);
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(region));
}

HotKeyAnswer Win32Host::FormRegisterHotKey(int32_t id, uint32_t modifiers, uint32_t virtualKey) {
  if (::RegisterHotKey(form_.Handle, id, modifiers, virtualKey)) return HotKeyAnswer::kRegistered;
  return ::GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED ? HotKeyAnswer::kHeldElsewhere
                                                             : HotKeyAnswer::kRefused;
}

void Win32Host::FormSetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  form_.SetBounds(left, top, width, height);
}
uint32_t Win32Host::FormGetDpi() {
  return WindowDpi(form_.Handle);
}

void Win32Host::LabelSetLeft(int32_t left) {
  form_.Label->SetLeft(left);
}
void Win32Host::LabelSetTop(int32_t top) {
  form_.Label->SetTop(top);
}
void Win32Host::LabelSetHeight(int32_t height) {
  form_.Label->SetHeight(height);
}
void Win32Host::LabelSetWidth(int32_t width) {
  form_.Label->SetWidth(width);
}
int32_t Win32Host::LabelGetWidth() {
  return form_.Label->GetWidth();
}
int32_t Win32Host::LabelGetHeight() {
  return form_.Label->GetHeight();
}
void Win32Host::LabelSetCaption(const Text& caption) {
  form_.Label->SetCaption(caption);
}
void Win32Host::LabelSetCaptionInCodePage(const Text& caption, uint32_t codePage) {
  form_.Label->SetCaptionInCodePage(caption, codePage);
}
void Win32Host::LabelSetColor(uint32_t color) {
  form_.Label->SetColor(color);
}

void Win32Host::LabelSetTextColor(uint32_t color) {
  TLabel& label = *form_.Label;
  if (label.TextColor == color) return;
  label.TextColor = color;
  label.Invalidate();
}
void Win32Host::LabelAnnounce() {
  ::NotifyWinEvent(kEventLiveRegionChanged, form_.Label->Handle, OBJID_CLIENT, CHILDID_SELF);
}

void Win32Host::FontSetSize(int32_t points, uint32_t dpi) {
  form_.Label->Font->SetSize(points, static_cast<int32_t>(dpi));
}
void Win32Host::FontSetName(const Text& name) {
  form_.Label->Font->SetName(name);
}
int32_t Win32Host::FontSize() {
  return form_.Label->Font->Size;
}

void Win32Host::TimerSetEnabled(bool enabled) {
#ifdef TUNELAMP_FRAME_LOG
  CountFrameEdge(enabled);
#endif
  form_.Timer->SetEnabled(enabled);
}
void Win32Host::TimerSetInterval(uint32_t milliseconds) {
  form_.Timer->SetInterval(milliseconds);
}

uint32_t Win32Host::PlayerFindWindow() {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(::FindWindowA(kPlayerClass, nullptr)));
}

PlayerAnswer Win32Host::PlayerSendQuery(uint32_t window, uint32_t wParam, int32_t lParam) {
  return AskPlayer(window, WM_USER, wParam, lParam);
}

PlayerAnswer Win32Host::PlayerGetCaption(uint32_t window, char* buffer, uint32_t size) {
  return AskPlayer(window, WM_GETTEXT, size, reinterpret_cast<LPARAM>(buffer));
}

// A system that does not know the setting (before Vista) leaves the answer as it is: on.
bool Win32Host::SystemAnimations() {
  BOOL animations = TRUE;
  ::SystemParametersInfoA(SPI_GETCLIENTAREAANIMATION, 0, &animations, 0);
  return animations != FALSE;
}
bool Win32Host::SystemHighContrast() {
  HIGHCONTRASTA highContrast = {};
  highContrast.cbSize = sizeof highContrast;
  return ::SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof highContrast, &highContrast, 0) &&
         (highContrast.dwFlags & HCF_HIGHCONTRASTON);
}
uint32_t Win32Host::SystemColor(uint32_t color) {
  return ResolveColor(color);
}

uint32_t Win32Host::GetTickCount() {
  return ::GetTickCount();
}
void Win32Host::Sleep(uint32_t milliseconds) {
  ::Sleep(milliseconds);
}
void Win32Host::ExitProcess(uint32_t exitCode) {
  ::ExitProcess(exitCode);
}

uint32_t Win32Host::ReadSettingInt(const char* section, const char* key, int32_t defaultValue) {
  return ::GetPrivateProfileIntA(section, key, defaultValue, kSettingsPath);
}

uint32_t Win32Host::ReadSettingText(const char* section, const char* key, const char* defaultValue,
                                    char* buffer, uint32_t size) {
  return ::GetPrivateProfileStringA(section, key, defaultValue, buffer, size, kSettingsPath);
}

bool Win32Host::SettingsHasSection(const char* section) {
  // The list of a section's keys cannot tell an empty section from a missing one; the list
  // of section names can. Names past the buffer are not looked at: a settings file holds a
  // handful of sections.
  char names[2048];
  const DWORD length = ::GetPrivateProfileSectionNamesA(names, sizeof names, kSettingsPath);
  for (DWORD at = 0; at < length && names[at] != '\0'; at += lstrlenA(names + at) + 1) {
    if (::lstrcmpiA(names + at, section) == 0) return true;
  }
  return false;
}
