// Binds the now-playing logic to the popup's toolkit objects and to Win32.
#pragma once

#include "app/form1.h"
#include "display/host.h"

class Win32Host final : public NowPlayingHost {
 public:
  explicit Win32Host(TForm1& form) : form_(form) {}

  void FormSetAlphaBlend(bool layered) override;
  void FormSetAlphaBlendValue(uint8_t alpha) override;
  void FormSetHeight(int32_t height) override;
  int32_t FormGetHeight() override;
  int32_t FormGetWidth() override;
  void FormSetColor(uint32_t color) override;
  uint32_t FormColor() override;
  void FormProcessMessages() override;
  void FormShowWindow(int32_t command) override;
  void FormSetWindowPosTopmost() override;
  uint32_t FormSetRoundRegion(int32_t width, int32_t height, int32_t ellipse) override;
  HotKeyAnswer FormRegisterHotKey(int32_t id, uint32_t modifiers, uint32_t virtualKey) override;
  void FormUnregisterHotKey(int32_t id) override;
  void FormSetBounds(int32_t left, int32_t top, int32_t width, int32_t height) override;
  void FormHoldBounds() override;
  uint32_t FormGetDpi() override;

  void LabelSetLeft(int32_t left) override;
  void LabelSetTop(int32_t top) override;
  void LabelSetHeight(int32_t height) override;
  void LabelSetWidth(int32_t width) override;
  int32_t LabelGetWidth() override;
  int32_t LabelGetHeight() override;
  void LabelSetCaption(const Text& caption) override;
  void LabelSetCaptionInCodePage(const Text& caption, uint32_t codePage) override;
  void LabelSetColor(uint32_t color) override;
  void ProgressSetBounds(int32_t left, int32_t top, int32_t width, int32_t height) override;
  void LabelSetTextColor(uint32_t color) override;
  void LabelAnnounce() override;

  void FontSetSize(int32_t points, uint32_t dpi) override;
  void FontSetName(const Text& name) override;
  int32_t FontSize() override;

  void TimerSetEnabled(bool enabled) override;
  void TimerSetInterval(uint32_t milliseconds) override;
  void LiveTimerSetEnabled(bool enabled) override;

  uint32_t PlayerFindWindow() override;
  PlayerAnswer PlayerSendQuery(uint32_t window, uint32_t wParam, int32_t lParam) override;
  PlayerAnswer PlayerGetCaption(uint32_t window, char* buffer, uint32_t size) override;
  PlayerAnswer PlayerGetCaptionLength(uint32_t window) override;

  // In monitors.cpp.
  bool MonitorGetArea(int32_t monitor, ScreenArea& area) override;
  bool FrontWindowGet(FrontWindow& front) override;

  bool SystemAnimations() override;
  bool SystemHighContrast() override;
  uint32_t SystemColor(uint32_t color) override;

  uint32_t GetTickCount() override;
  void Sleep(uint32_t milliseconds) override;
  void ExitProcess(uint32_t exitCode) override;

  uint32_t ReadSettingInt(const char* section, const char* key, int32_t defaultValue) override;
  uint32_t ReadSettingText(const char* section, const char* key, const char* defaultValue,
                           char* buffer, uint32_t size) override;
  bool SettingsHasSection(const char* section) override;
  void SettingsGetStamps(FileStamp& here, FileStamp& beside) override;
  bool SettingsCanOpen() override;

  // In tray.cpp.
  void TraySetIcon(bool shown) override;
  void SettingsEdit() override;

 private:
  TForm1& form_;
  // Made at their first use: with LivePosition and Progress off the program has neither.
  TLabel* progress_ = nullptr;
  TTimer* liveTimer_ = nullptr;
};

// Once at the start, for screen readers that want to be told (Narrator): the label is a polite
// live region, whose changes are read out when the user is idle. Silent where the system cannot.
void MarkLiveRegion(HWND label);

// The one host of the process, bound to the popup by start-up.
[[nodiscard]] Win32Host& PopupHost();
void BindPopupHost(TForm1& form);
