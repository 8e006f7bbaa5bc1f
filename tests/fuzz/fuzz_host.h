// A small stand-in for the popup, the player, the clock and the settings file, for the fuzz
// targets: no logging, no containers, so that millions of runs stay fast. The player answers
// whatever the fuzzer put into it; the settings come from fuzzed file bytes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "display/host.h"
#include "display/ini_file.h"

class FuzzHost : public NowPlayingHost {
 public:
  // The player. WM_GETTEXT copies like Windows (at most size - 1 bytes and a zero) unless
  // `terminate` is false; its answer is `captionAnswer` when `answerCount` is false.
  bool playerRunning = true;
  uint32_t playerWindow = 0x00010020;
  int32_t playingState = 1;
  std::string_view caption;
  bool terminate = true;
  bool answerCount = true;
  int32_t captionAnswer = 0;
  int32_t lengthAnswer = 0;
  int32_t positionAnswer = 0;
  bool hung = false;  // the window is there, but its thread answers nothing

  // The popup, as far as the settings loader reads it back.
  int32_t formHeight = 0;
  int32_t formWidth = 1280;
  int32_t fontPoints = 8;
  uint32_t formColor = 0x8000000F;
  uint32_t labelColor = 0;
  int32_t labelHeight = 0;
  size_t fontNameLength = 0;
  bool fontNameTerminated = true;

  // Every request answers this, except that a refused one is taken without MOD_NOREPEAT.
  HotKeyAnswer hotKeyAnswer = HotKeyAnswer::kRegistered;
  int hotKeys = 0;  // requests made

  std::string_view settings;  // the file's bytes
  Text labelCaption;
  uint32_t labelCodePage = 0;  // 0: the process's
  uint32_t now = 0;
  bool exited = false;

  void FormSetAlphaBlend(bool) override {}
  void FormSetAlphaBlendValue(uint8_t) override {}
  void FormSetHeight(int32_t height) override { formHeight = height; }
  int32_t FormGetHeight() override { return formHeight; }
  int32_t FormGetWidth() override { return formWidth; }
  void FormSetColor(uint32_t color) override { formColor = color; }
  uint32_t FormColor() override { return formColor; }
  void FormProcessMessages() override {}
  void FormHide() override {}
  void FormRestoreWithoutActivation() override {}
  void FormShowWithoutActivation() override {}
  void FormMinimiseWithoutActivation() override {}
  void FormSetWindowPosTopmost() override {}
  uint32_t FormSetRoundRegion(int32_t, int32_t, int32_t) override { return 1; }
  HotKeyAnswer FormRegisterHotKey(int32_t, uint32_t modifiers, uint32_t) override {
    ++hotKeys;
    return hotKeyAnswer == HotKeyAnswer::kRefused && !(modifiers & 0x4000)
               ? HotKeyAnswer::kRegistered
               : hotKeyAnswer;
  }
  void FormUnregisterHotKey(int32_t) override {}
  void FormSetBounds(int32_t, int32_t, int32_t, int32_t) override {}
  void FormHoldBounds() override {}
  uint32_t FormGetDpi() override { return 96; }

  void LabelSetLeft(int32_t) override {}
  void LabelSetTop(int32_t) override {}
  void LabelSetHeight(int32_t height) override { labelHeight = height; }
  void LabelSetWidth(int32_t) override {}
  int32_t LabelGetWidth() override { return 1000; }
  int32_t LabelGetHeight() override { return labelHeight; }
  void LabelSetCaption(const Text& text) override { labelCaption = text; }
  void LabelSetCaptionInCodePage(const Text& text, uint32_t codePage) override {
    labelCaption = text;
    labelCodePage = codePage;
  }
  void LabelSetColor(uint32_t color) override { labelColor = color; }
  void ProgressSetBounds(int32_t, int32_t, int32_t, int32_t) override {}
  void LabelSetTextColor(uint32_t) override {}
  void LabelAnnounce() override {}

  void FontSetSize(int32_t points, uint32_t) override { fontPoints = points; }
  void FontSetName(const Text& name) override {
    fontNameLength = name.Length();
    fontNameTerminated = name.CStr()[name.Length()] == '\0';
  }
  int32_t FontSize() override { return fontPoints; }

  void TimerSetEnabled(bool) override {}
  void TimerSetInterval(uint32_t) override {}
  void LiveTimerSetEnabled(bool) override {}
  void ShareTimerSet(uint32_t) override {}
  FileWrite ShareFileWrite(std::string_view, std::string_view) override {
    return FileWrite::kWritten;
  }

  uint32_t PlayerListWindows(uint32_t (&windows)[kMostPlayers]) override {
    windows[0] = playerWindow;
    return playerRunning ? 1 : 0;
  }
  PlayerAnswer PlayerSendQuery(uint32_t window, uint32_t wParam, int32_t lParam) override {
    if (!Answers(window)) return {0, false};
    if (wParam == 0 && lParam == 104) return {playingState, true};
    if (wParam == 1 && lParam == 105) return {lengthAnswer, true};
    if (wParam == 0 && lParam == 105) return {positionAnswer, true};
    return {0, true};
  }
  PlayerAnswer PlayerGetCaption(uint32_t window, char* buffer, uint32_t size) override {
    if (!Answers(window)) return {0, false};
    if (size == 0) return {0, true};
    const size_t room = terminate ? size - 1 : size;
    const size_t count = caption.size() < room ? caption.size() : room;
    std::memcpy(buffer, caption.data(), count);
    if (terminate) buffer[count] = '\0';
    return {answerCount ? static_cast<int32_t>(count) : captionAnswer, true};
  }
  bool PlayerReadFields(uint32_t /*window*/, TrackFields& fields) override {
    fields = TrackFields();
    return false;
  }
  PlayerAnswer PlayerGetCaptionLength(uint32_t window) override {
    if (!Answers(window)) return {0, false};
    return {static_cast<int32_t>(caption.size()), true};
  }
  [[nodiscard]] bool Answers(uint32_t window) const {
    return playerRunning && !hung && window == playerWindow;
  }

  bool MonitorGetArea(int32_t, ScreenArea& area) override {
    area = {{0, 0, 1280, 800}, {0, 0, 1280, 760}, 96};
    return true;
  }
  bool FrontWindowGet(FrontWindow&) override { return false; }
  bool MonitorFrontWindow(int32_t, FrontWindow&) override { return false; }
  // One monitor, as MonitorGetArea answers for any number.
  bool MonitorGetIdentity(int32_t monitor, Text& identity) override {
    if (monitor != 1) return false;
    identity = "\\\\?\\DISPLAY#FUZ0001#1&1&0&UID1#{e6f07b5f-ee97-4a90-b076-33f57bf4eaa7}";
    return true;
  }
  // Every strip is the one window: the calls land on it whichever is chosen.
  void StripSelect(uint32_t) override {}
  void StripsKeep(uint32_t) override {}

  bool SystemAnimations() override { return true; }
  bool SystemHighContrast() override { return false; }
  uint32_t SystemColor(uint32_t) override { return 0; }
  bool SystemColorization(uint32_t&) override { return false; }
  bool SystemAccentColor(uint32_t&) override { return false; }

  uint32_t GetTickCount() override { return now; }
  void Sleep(uint32_t milliseconds) override { now += milliseconds; }
  void ExitProcess(uint32_t) override { exited = true; }
  Text SystemTextToUtf8(std::string_view text) override { return Text(text); }
  // Discord is not running.
  bool DiscordOpen() override { return false; }
  bool DiscordWrite(std::string_view) override { return false; }
  bool DiscordRead(Text&) override { return false; }
  void DiscordClose() override {}
  void DiscordTimer(uint32_t) override {}
  uint32_t ProcessId() override { return 1; }
  int64_t UnixTime() override { return now / 1000; }

  SettingsRead ReadSettingsFile(Text& bytes) override {
    bytes = Text(settings);
    return SettingsRead::kRead;
  }
  void SettingsGetStamps(FileStamp& here, FileStamp& beside) override { here = beside = {}; }
  bool LanguageReadFile(std::string_view, Text&) override { return false; }
  Text LanguageOfSystem() override { return Text("en-US"); }
  bool TrayNotify(TrayAction, const Text&) override { return true; }
  TrayCommand TrayMenu(bool) override { return TrayCommand::kNone; }
  void SettingsEdit() override {}
  void SettingsWindow() override {}
};

// Takes fixed-size fields off the front of the fuzzer's bytes; missing bytes read as zero.
class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : rest_(reinterpret_cast<const char*>(data), size) {}

  [[nodiscard]] uint8_t Byte() {
    if (rest_.empty()) return 0;
    const uint8_t value = static_cast<uint8_t>(rest_.front());
    rest_.remove_prefix(1);
    return value;
  }
  [[nodiscard]] uint32_t Word() {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= static_cast<uint32_t>(Byte()) << (8 * i);
    return value;
  }
  // Up to `most` bytes, its length taken from one byte.
  [[nodiscard]] std::string_view Piece(size_t most) {
    size_t length = Byte();
    if (length > most) length = most;
    if (length > rest_.size()) length = rest_.size();
    const std::string_view piece = rest_.substr(0, length);
    rest_.remove_prefix(length);
    return piece;
  }
  [[nodiscard]] std::string_view Rest() const { return rest_; }

 private:
  std::string_view rest_;
};

// Fails loudly: libFuzzer keeps the input that got here.
#define FUZZ_CHECK(condition)                                                            \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (false)
