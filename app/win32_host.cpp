#include "app/win32_host.h"

#include <windows.h>

#include <new>

#include "app/settings_file.h"
#include "display/display_cycle.h"
#include "display/settings.h"
#include "toolkit/helpers.h"
#include "toolkit/pump.h"

#ifdef TUNELAMP_FRAME_LOG
#include "display/state.h"
#endif

namespace {

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

// A section's or key's name, or a default, for the wide profile functions: the text in the
// process's code page (ASCII in every call the program makes).
class Wide {
 public:
  explicit Wide(const char* text) {
    if (!::MultiByteToWideChar(CP_ACP, 0, text, -1, text_, kSettingTextSize)) text_[0] = L'\0';
  }
  [[nodiscard]] const wchar_t* Get() const { return text_; }

 private:
  wchar_t text_[kSettingTextSize];
};

// Once, for both places.
[[gnu::noinline]] FileStamp StampOf(const wchar_t* path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExW(path, GetFileExInfoStandard, &data)) return {};
  const auto join = [](DWORD high, DWORD low) { return uint64_t{high} << 32 | low; };
  return {true, join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime),
          join(data.nFileSizeHigh, data.nFileSizeLow)};
}

// Storage for the host: made once by start-up, never destroyed (no global constructor).
alignas(Win32Host) unsigned char hostStorage[sizeof(Win32Host)];
Win32Host* host = nullptr;

// The live timer's tick (LivePosition, Progress); its data is the host.
void LiveTickEvent(void* /*host*/, TObject* /*sender*/) {
  OnLiveTick(*host);
}

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

void Win32Host::FormUnregisterHotKey(int32_t id) {
  ::UnregisterHotKey(form_.Handle, id);
}

void Win32Host::FormHoldBounds() {
  RECT rect;
  if (!::GetWindowRect(form_.Handle, &rect) || ::IsIconic(form_.Handle)) return;
  if (rect.left == form_.Left && rect.top == form_.Top && rect.right - rect.left == form_.Width &&
      rect.bottom - rect.top == form_.Height) {
    return;
  }
  ::SetWindowPos(form_.Handle, nullptr, form_.Left, form_.Top, form_.Width, form_.Height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
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

void Win32Host::ProgressSetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  if (!progress_) {
    progress_ = new TLabel(&form_, Text());
    // Above the label, which spans the whole strip: both clip their siblings, so neither paints
    // over the other.
    ::SetWindowPos(progress_->Handle, HWND_TOP, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  // The label's text colour, looked up every time, as it may change while the program runs.
  progress_->SetColor(form_.Label->TextColor);
  progress_->SetBounds(left, top, width, height);
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

void Win32Host::LiveTimerSetEnabled(bool enabled) {
  if (!liveTimer_) {
    liveTimer_ = new TTimer;
    liveTimer_->SetEnabled(false);
    liveTimer_->SetInterval(kLiveTickMs);
    liveTimer_->SetOnTimer({&LiveTickEvent, this});
  }
  liveTimer_->SetEnabled(enabled);
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

PlayerAnswer Win32Host::PlayerGetCaptionLength(uint32_t window) {
  return AskPlayer(window, WM_GETTEXTLENGTH, 0, 0);
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

// The file's path may hold letters of any script, so it is read through the wide functions;
// the values reach the logic in the process's code page, as the A functions give them.
uint32_t Win32Host::ReadSettingInt(const char* section, const char* key, int32_t defaultValue) {
  return ::GetPrivateProfileIntW(Wide(section).Get(), Wide(key).Get(), defaultValue,
                                 SettingsFilePath());
}

uint32_t Win32Host::ReadSettingText(const char* section, const char* key, const char* defaultValue,
                                    char* buffer, uint32_t size) {
  if (size == 0) return 0;
  wchar_t value[kSettingTextSize];
  ::GetPrivateProfileStringW(Wide(section).Get(), Wide(key).Get(), Wide(defaultValue).Get(), value,
                             kSettingTextSize, SettingsFilePath());
  // Up to three bytes a UTF-16 unit in UTF-8; the value is then cut to the caller's buffer.
  char bytes[kSettingTextSize * 3];
  if (!::WideCharToMultiByte(CP_ACP, 0, value, -1, bytes, sizeof bytes, nullptr, nullptr)) {
    bytes[0] = '\0';
  }
  ::lstrcpynA(buffer, bytes, static_cast<int>(size));
  return static_cast<uint32_t>(::lstrlenA(buffer));
}

bool Win32Host::SettingsHasSection(const char* section) {
  // The list of a section's keys cannot tell an empty section from a missing one; the list
  // of section names can. Names past the buffer are not looked at: a settings file holds a
  // handful of sections.
  wchar_t names[1024];
  const DWORD length = ::GetPrivateProfileSectionNamesW(names, 1024, SettingsFilePath());
  const Wide wanted(section);
  for (DWORD at = 0; at < length && names[at] != L'\0'; at += ::lstrlenW(names + at) + 1) {
    if (::lstrcmpiW(names + at, wanted.Get()) == 0) return true;
  }
  return false;
}

void Win32Host::SettingsGetStamps(FileStamp& here, FileStamp& beside) {
  here = StampOf(kHereSettingsPath);
  beside = StampOf(ProgramSettingsPath());
}

bool Win32Host::SettingsCanOpen() {
  HANDLE file = ::CreateFileW(SettingsFilePath(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    // Gone meanwhile: the defaults. Held shut by another program, or refused: not now.
    return ::GetLastError() == ERROR_FILE_NOT_FOUND;
  }
  ::CloseHandle(file);
  return true;
}
