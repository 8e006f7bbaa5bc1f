// The benchmark's host (tunelamp_framelog.exe): the program's own host, wrapped to count the
// frames of each animation. The display cycle stops the timer before it moves the strip and
// starts it again afterwards; every ProcessMessages call in between is one frame. Each run
// appends "appear|disappear frames N ms T first F" to frames.log in the working directory: T is
// the run's length, F when it first set an alpha above 0, both in ms from the timer's stop. Then
// "strips S least L gap G": how many strips took frames (Monitor=all has one a monitor), the
// fewest frames one of them took (a frame of a strip: one whose alpha was set before the
// ProcessMessages call that ends it), and the longest time in ms between two alphas set on one
// strip.
#include <windows.h>

#include <new>

#include "app/win32_host.h"
#include "display/state.h"

namespace {

class FrameLogHost final : public NowPlayingHost {
 public:
  explicit FrameLogHost(NowPlayingHost& inner) : inner_(inner) {}

  void FormSetAlphaBlendValue(uint8_t alpha) override {
    if (counting_ && alpha > 0 && firstVisibleMs_ == 0) firstVisibleMs_ = MsSinceStart();
    if (counting_) {
      const uint32_t now = MsSinceStart();
      if (set_[strip_] && now - lastFrameMs_[strip_] > longestGapMs_) {
        longestGapMs_ = now - lastFrameMs_[strip_];
      }
      lastFrameMs_[strip_] = now;
      set_[strip_] = touched_[strip_] = true;
    }
    inner_.FormSetAlphaBlendValue(alpha);
  }
  void StripSelect(uint32_t strip) override {
    if (strip < kMostStrips) strip_ = strip;
    inner_.StripSelect(strip);
  }
  void FormProcessMessages() override {
    if (counting_) ++frames_;
    for (uint32_t strip = 0; strip < kMostStrips; ++strip) {
      if (touched_[strip]) ++stripFrames_[strip];
      touched_[strip] = false;
    }
    inner_.FormProcessMessages();
  }
  void TimerSetEnabled(bool enabled) override {
    if (!enabled) {
      counting_ = true;
      frames_ = 0;
      firstVisibleMs_ = 0;
      longestGapMs_ = 0;
      for (uint32_t strip = 0; strip < kMostStrips; ++strip) {
        stripFrames_[strip] = 0;
        set_[strip] = touched_[strip] = false;
      }
      ::QueryPerformanceCounter(&start_);
    } else if (counting_) {
      counting_ = false;
      AppendLine();
    }
    inner_.TimerSetEnabled(enabled);
  }

  void FormSetAlphaBlend(bool layered) override { inner_.FormSetAlphaBlend(layered); }
  void FormSetHeight(int32_t height) override { inner_.FormSetHeight(height); }
  int32_t FormGetHeight() override { return inner_.FormGetHeight(); }
  int32_t FormGetWidth() override { return inner_.FormGetWidth(); }
  void FormSetColor(uint32_t color) override { inner_.FormSetColor(color); }
  uint32_t FormColor() override { return inner_.FormColor(); }
  void FormHide() override { inner_.FormHide(); }
  void FormRestoreWithoutActivation() override { inner_.FormRestoreWithoutActivation(); }
  void FormShowWithoutActivation() override { inner_.FormShowWithoutActivation(); }
  void FormMinimiseWithoutActivation() override { inner_.FormMinimiseWithoutActivation(); }
  void FormSetWindowPosTopmost() override { inner_.FormSetWindowPosTopmost(); }
  uint32_t FormSetRoundRegion(int32_t width, int32_t height, int32_t ellipse) override {
    return inner_.FormSetRoundRegion(width, height, ellipse);
  }
  HotKeyAnswer FormRegisterHotKey(int32_t id, uint32_t modifiers, uint32_t virtualKey) override {
    return inner_.FormRegisterHotKey(id, modifiers, virtualKey);
  }
  void FormUnregisterHotKey(int32_t id) override { inner_.FormUnregisterHotKey(id); }
  void FormSetBounds(int32_t left, int32_t top, int32_t width, int32_t height) override {
    inner_.FormSetBounds(left, top, width, height);
  }
  void FormHoldBounds() override { inner_.FormHoldBounds(); }
  uint32_t FormGetDpi() override { return inner_.FormGetDpi(); }
  void LabelSetLeft(int32_t left) override { inner_.LabelSetLeft(left); }
  void LabelSetTop(int32_t top) override { inner_.LabelSetTop(top); }
  void LabelSetHeight(int32_t height) override { inner_.LabelSetHeight(height); }
  void LabelSetWidth(int32_t width) override { inner_.LabelSetWidth(width); }
  int32_t LabelGetWidth() override { return inner_.LabelGetWidth(); }
  int32_t LabelGetHeight() override { return inner_.LabelGetHeight(); }
  void LabelSetCaption(const Text& caption) override { inner_.LabelSetCaption(caption); }
  void LabelSetCaptionInCodePage(const Text& caption, uint32_t codePage) override {
    inner_.LabelSetCaptionInCodePage(caption, codePage);
  }
  void LabelSetColor(uint32_t color) override { inner_.LabelSetColor(color); }
  void LabelSetTextColor(uint32_t color) override { inner_.LabelSetTextColor(color); }
  void LabelAnnounce() override { inner_.LabelAnnounce(); }
  void ProgressSetBounds(int32_t left, int32_t top, int32_t width, int32_t height) override {
    inner_.ProgressSetBounds(left, top, width, height);
  }
  void FontSetSize(int32_t points, uint32_t dpi) override { inner_.FontSetSize(points, dpi); }
  void FontSetName(const Text& name) override { inner_.FontSetName(name); }
  int32_t FontSize() override { return inner_.FontSize(); }
  void TimerSetInterval(uint32_t milliseconds) override { inner_.TimerSetInterval(milliseconds); }
  void LiveTimerSetEnabled(bool enabled) override { inner_.LiveTimerSetEnabled(enabled); }
  void ShareTimerSet(uint32_t milliseconds) override { inner_.ShareTimerSet(milliseconds); }
  FileWrite ShareFileWrite(std::string_view path, std::string_view text) override {
    return inner_.ShareFileWrite(path, text);
  }
  uint32_t PlayerListWindows(uint32_t (&windows)[kMostPlayers]) override {
    return inner_.PlayerListWindows(windows);
  }
  PlayerAnswer PlayerSendQuery(uint32_t window, uint32_t wParam, int32_t lParam) override {
    return inner_.PlayerSendQuery(window, wParam, lParam);
  }
  PlayerAnswer PlayerGetCaption(uint32_t window, char* buffer, uint32_t size) override {
    return inner_.PlayerGetCaption(window, buffer, size);
  }
  bool PlayerReadFields(uint32_t window, TrackFields& fields) override {
    return inner_.PlayerReadFields(window, fields);
  }
  PlayerAnswer PlayerGetCaptionLength(uint32_t window) override {
    return inner_.PlayerGetCaptionLength(window);
  }
  bool MonitorGetArea(int32_t monitor, ScreenArea& area) override {
    return inner_.MonitorGetArea(monitor, area);
  }
  bool FrontWindowGet(FrontWindow& front) override { return inner_.FrontWindowGet(front); }
  bool MonitorFrontWindow(int32_t monitor, FrontWindow& front) override {
    return inner_.MonitorFrontWindow(monitor, front);
  }
  bool MonitorGetIdentity(int32_t monitor, Text& identity) override {
    return inner_.MonitorGetIdentity(monitor, identity);
  }
  void StripsKeep(uint32_t count) override { inner_.StripsKeep(count); }
  bool SystemAnimations() override { return inner_.SystemAnimations(); }
  bool SystemHighContrast() override { return inner_.SystemHighContrast(); }
  uint32_t SystemColor(uint32_t color) override { return inner_.SystemColor(color); }
  bool SystemColorization(uint32_t& color) override { return inner_.SystemColorization(color); }
  bool SystemAccentColor(uint32_t& color) override { return inner_.SystemAccentColor(color); }
  uint32_t GetTickCount() override { return inner_.GetTickCount(); }
  void Sleep(uint32_t milliseconds) override { inner_.Sleep(milliseconds); }
  void ExitProcess(uint32_t exitCode) override { inner_.ExitProcess(exitCode); }
  Text SystemTextToUtf8(std::string_view text) override { return inner_.SystemTextToUtf8(text); }
  bool DiscordOpen() override { return inner_.DiscordOpen(); }
  bool DiscordWrite(std::string_view bytes) override { return inner_.DiscordWrite(bytes); }
  bool DiscordRead(Text& bytes) override { return inner_.DiscordRead(bytes); }
  void DiscordClose() override { inner_.DiscordClose(); }
  void DiscordTimer(uint32_t milliseconds) override { inner_.DiscordTimer(milliseconds); }
  uint32_t ProcessId() override { return inner_.ProcessId(); }
  int64_t UnixTime() override { return inner_.UnixTime(); }
  SettingsRead ReadSettingsFile(Text& bytes) override { return inner_.ReadSettingsFile(bytes); }
  void SettingsGetStamps(FileStamp& here, FileStamp& beside) override {
    inner_.SettingsGetStamps(here, beside);
  }
  bool LanguageReadFile(std::string_view code, Text& bytes) override {
    return inner_.LanguageReadFile(code, bytes);
  }
  Text LanguageOfSystem() override { return inner_.LanguageOfSystem(); }
  void SettingsEdit() override { inner_.SettingsEdit(); }
  void SettingsWindow() override { inner_.SettingsWindow(); }
  bool TrayNotify(TrayAction action, const Text& tip) override {
    return inner_.TrayNotify(action, tip);
  }
  TrayCommand TrayMenu(bool automatic) override { return inner_.TrayMenu(automatic); }

 private:
  uint32_t MsSinceStart() const {
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<uint32_t>((now.QuadPart - start_.QuadPart) * 1000 / frequency.QuadPart);
  }

  void AppendLine() const {
    uint32_t strips = 0;
    uint32_t least = 0;
    for (const uint32_t each : stripFrames_) {
      if (each == 0) continue;
      least = strips++ == 0 || each < least ? each : least;
    }
    char line[128];
    const int length = wsprintfA(line, "%s frames %u ms %u first %u strips %u least %u gap %u\r\n",
                                 NowPlaying().shown ? "appear" : "disappear", frames_,
                                 MsSinceStart(), firstVisibleMs_, strips, least, longestGapMs_);
    const HANDLE file = ::CreateFileA("frames.log", FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
    ::CloseHandle(file);
  }

  NowPlayingHost& inner_;
  bool counting_ = false;
  uint32_t frames_ = 0;
  uint32_t firstVisibleMs_ = 0;
  uint32_t strip_ = 0;
  uint32_t stripFrames_[kMostStrips] = {};
  uint32_t lastFrameMs_[kMostStrips] = {};
  bool set_[kMostStrips] = {};      // an alpha was set on the strip in this run
  bool touched_[kMostStrips] = {};  // since the last ProcessMessages
  uint32_t longestGapMs_ = 0;
  LARGE_INTEGER start_ = {};
};

alignas(FrameLogHost) unsigned char hostStorage[sizeof(FrameLogHost)];
NowPlayingHost* host = nullptr;

}  // namespace

NowPlayingHost& PopupHost() {
  return *host;
}

void BindPopupHost(TForm1& form) {
  host = new (hostStorage) FrameLogHost(MakeWin32Host(form));
}
