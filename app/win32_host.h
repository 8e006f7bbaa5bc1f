// Binds the now-playing logic to the popup's toolkit objects and to Win32. One class, its
// methods in a file per job: the strip (strip.cpp), the player link (player_link.cpp), the track's
// fields (player_fields.cpp), the settings store (settings_store.cpp), the monitors (monitors.cpp),
// the icon (tray.cpp), the now-playing file (share_file_win.cpp), and the system (win32_host.cpp).
#pragma once

#include "app/form1.h"
#include "display/host.h"
#include "display/state.h"

class Win32Host final : public NowPlayingHost {
 public:
  explicit Win32Host(TForm1& form) : form_(form), strip_(&form) { strips_[0] = &form; }

  void FormSetAlphaBlend(bool layered) override;
  void FormSetAlphaBlendValue(uint8_t alpha) override;
  void FormSetHeight(int32_t height) override;
  int32_t FormGetHeight() override;
  int32_t FormGetWidth() override;
  void FormSetColor(uint32_t color) override;
  uint32_t FormColor() override;
  void FormProcessMessages() override;
  void FormHide() override;
  void FormRestoreWithoutActivation() override;
  void FormShowWithoutActivation() override;
  void FormMinimiseWithoutActivation() override;
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
  void LabelSetTextColor(uint32_t color) override;
  void LabelAnnounce() override;
  void ProgressSetBounds(int32_t left, int32_t top, int32_t width, int32_t height) override;

  void FontSetSize(int32_t points, uint32_t dpi) override;
  void FontSetName(const Text& name) override;
  int32_t FontSize() override;

  void TimerSetEnabled(bool enabled) override;
  void TimerSetInterval(uint32_t milliseconds) override;
  void LiveTimerSetEnabled(bool enabled) override;
  void ShareTimerSet(uint32_t milliseconds) override;
  FileWrite ShareFileWrite(std::string_view path, std::string_view text) override;

  uint32_t PlayerListWindows(uint32_t (&windows)[kMostPlayers]) override;
  PlayerAnswer PlayerSendQuery(uint32_t window, uint32_t wParam, int32_t lParam) override;
  PlayerAnswer PlayerGetCaption(uint32_t window, char* buffer, uint32_t size) override;
  PlayerAnswer PlayerGetCaptionLength(uint32_t window) override;
  bool PlayerReadFields(uint32_t window, TrackFields& fields) override;

  bool MonitorGetArea(int32_t monitor, ScreenArea& area) override;
  bool FrontWindowGet(FrontWindow& front) override;
  bool MonitorFrontWindow(int32_t monitor, FrontWindow& front) override;
  bool MonitorGetIdentity(int32_t monitor, Text& identity) override;
  void StripSelect(uint32_t strip) override;
  void StripsKeep(uint32_t count) override;

  bool SystemAnimations() override;
  bool SystemHighContrast() override;
  uint32_t SystemColor(uint32_t color) override;
  bool SystemColorization(uint32_t& color) override;
  bool SystemAccentColor(uint32_t& color) override;

  uint32_t GetTickCount() override;
  void Sleep(uint32_t milliseconds) override;
  void ExitProcess(uint32_t exitCode) override;
  Text SystemTextToUtf8(std::string_view text) override;

  SettingsRead ReadSettingsFile(Text& bytes) override;
  void SettingsGetStamps(FileStamp& here, FileStamp& beside) override;
  bool LanguageReadFile(std::string_view code, Text& bytes) override;
  Text LanguageOfSystem() override;
  void SettingsEdit() override;
  void SettingsWindow() override;

  bool TrayNotify(TrayAction action, const Text& tip) override;
  TrayCommand TrayMenu(bool automatic) override;

  bool DiscordOpen() override;
  bool DiscordWrite(std::string_view bytes) override;
  bool DiscordRead(Text& bytes) override;
  void DiscordClose() override;
  void DiscordTimer(uint32_t milliseconds) override;
  uint32_t ProcessId() override;
  int64_t UnixTime() override;

 private:
  TForm1& form_;
  // The strip the form's calls go to; Monitor=all's strips (the form is the first).
  TForm1* strip_;
  TForm1* strips_[kMostStrips] = {};
  // Made at its first use: with LivePosition and Progress off the program has none.
  TTimer* liveTimer_ = nullptr;
  // Discord's pipe (discord_pipe.cpp): one read under way on it at a time, into the buffer, and
  // the timer, all made at their first use: with DiscordApp empty the program has none.
  void StartDiscordRead();
  HANDLE discordPipe_ = INVALID_HANDLE_VALUE;
  HANDLE discordReadEvent_ = nullptr;
  HANDLE discordWriteEvent_ = nullptr;
  OVERLAPPED discordRead_ = {};
  bool discordReading_ = false;
  bool discordBroken_ = false;
  char discordBuffer_[4096];
  TTimer* discordTimer_ = nullptr;
  // Made at its first use too: without File= the program has none (share_file_win.cpp).
  TTimer* shareTimer_ = nullptr;
};

// Once at the start, for screen readers that want to be told (Narrator): the label is a polite
// live region, whose changes are read out when the user is idle. Silent where the system cannot.
void MarkLiveRegion(HWND label);

// Monitor `number` (1..n, in EnumDisplayMonitors' order, without the invisible pseudo-monitors
// of mirroring drivers); null when there is none. MonitorCount: how many there are.
[[nodiscard]] HMONITOR MonitorByNumber(int32_t number);
[[nodiscard]] int32_t MonitorCount();
// The monitor device that shows `monitor`, as EnumDisplayDevicesW names it with
// EDD_GET_DEVICE_INTERFACE_NAME: DeviceID its identity, DeviceString its name for people.
[[nodiscard]] bool MonitorDevice(HMONITOR monitor, DISPLAY_DEVICEW& device);

// Run's waits besides the messages (run_waits.cpp): the settings folders' change notifications
// (count 0: none), and the event of Discord's pipe while a read is under way on it (null: none).
void WaitForFolders(const HANDLE* handles, DWORD count, void (*onSignal)(DWORD index));
void WaitForDiscord(HANDLE event);

// The one host of the process, bound to the popup by start-up: the Win32 host, or one that
// wraps it (the benchmark's frame counter).
[[nodiscard]] NowPlayingHost& PopupHost();
void BindPopupHost(TForm1& form);
// The Win32 host alone, made once by the binding.
[[nodiscard]] Win32Host& MakeWin32Host(TForm1& form);

// One message to the player's window, sent so that a player that hangs gives up after the
// hung-player timeout (player_link.cpp).
[[nodiscard]] PlayerAnswer AskPlayer(uint32_t window, uint32_t message, uintptr_t wParam,
                                     intptr_t lParam);
