// A recording stand-in for the popup, the player, the clock and the settings file.
// Every action of the logic becomes one line of `log` ("alpha 200", "left 20", "pump",
// "sleep 10", "timer.interval 500" ...), so tests compare whole sequences. Time moves only
// when the logic sleeps (or a test makes it jump), so a two-second animation runs in
// microseconds and every frame is exact.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "display/host.h"
#include "display/ini_file.h"

// Winamp as the fake answers it. WM_GETTEXT copies like Windows: at most size - 1 bytes and
// a terminating zero, never half a UTF-8 character (so a cut copy may end up to three bytes
// early), answering the count copied unless `captionAnswer` says otherwise. WM_GETTEXTLENGTH
// answers the whole length plus `lengthOverstated` (in another code page Windows may answer
// more than the bytes the copy then holds).
struct FakePlayer {
  bool running = false;
  uint32_t window = 0x00010020;
  int32_t state = 1;  // answer to the playing-state query
  std::string caption;
  std::optional<int32_t> captionAnswer;
  int32_t lengthOverstated = 0;
  bool terminateCaption = true;  // false: a misbehaving player writes no zero byte
  int32_t lengthSeconds = 0;
  int32_t positionMs = 0;
  // The fields the player tells (none: a player that tells none, as foobar2000's emulation).
  std::optional<TrackFields> fields;
  // The window closes after answering this many messages (-1: never).
  int vanishAfterMessages = -1;
  // Its thread stops answering after this many messages (-1: never); the window stays.
  int hangAfterMessages = -1;

  void Play(std::string text, int32_t length = 0, int32_t position = 0) {
    running = true;
    state = 1;
    caption = std::move(text);
    lengthSeconds = length;
    positionMs = position;
  }
};

// Discord as its pipe behaves: there or not (no pipe opens), one client at a time; it answers a
// handshake with the READY dispatch (unless told not to) and keeps every frame written to it.
struct FakeDiscord {
  bool running = false;
  bool answersReady = true;
  bool open = false;     // the program holds the pipe
  int opens = 0;         // tries to open it
  std::string incoming;  // bytes Discord has written that the program has not read
  std::vector<std::pair<uint32_t, std::string>> frames;  // opcode and JSON, as written
  uint32_t timer = 0;                                    // Discord's timer as last set, and when
  uint32_t timerSetAt = 0;

  static std::string Frame(uint32_t opcode, const std::string& json) {
    std::string bytes;
    for (const uint32_t word : {opcode, static_cast<uint32_t>(json.size())}) {
      for (int i = 0; i < 4; ++i) bytes += static_cast<char>(word >> (8 * i));
    }
    return bytes + json;
  }
  // Discord ends: the pipe breaks.
  void Quit() {
    running = false;
    incoming.clear();
  }
};

class FakeHost : public NowPlayingHost {
 public:
  std::vector<std::string> log;
  std::vector<std::string> playerLog;  // "find", "query 0 104", "gettext 1024"
  std::vector<std::string> afterExit;  // anything the logic touched after ExitProcess
  FakePlayer player;
  // Further players, after `player` in the z-order (foobar2000's emulator beside Winamp, say).
  std::vector<FakePlayer> others;
  FakeDiscord discord;

  // The simulated clock and its scripted jumps: before answering the n-th reading
  // (1-based, counted over the whole test), the clock moves on by the given milliseconds.
  uint32_t now = 100000;
  uint64_t clockReads = 0;
  std::map<uint64_t, uint32_t> clockJumps;

  // Scripted events: run inside the n-th ProcessMessages (1-based, counted over the test).
  int pumps = 0;
  std::map<int, std::function<void()>> onPump;
  // Run once inside the next query for the track's length, which comes after the probe:
  // SendMessageTimeout handles the messages sent to the thread while it waits (WM_DISPLAYCHANGE).
  std::function<void()> duringLengthQuery;

  int32_t labelWidth = 1000;
  int32_t labelHeight = 50;
  int32_t formWidth = 1280;
  int32_t formHeight = 0;
  std::optional<int32_t> formHeightReadback;  // a window that keeps a height of its own
  uint32_t formColor = 0x8000000F;
  int32_t fontPoints = 8;
  uint32_t regions = 0;
  bool minimised = false;

  // The monitors in the system's order; `primary` and `foreground` (the one that holds the
  // foreground window) index into them. `front`: another program's window in front, if any.
  // `formDpi`: the resolution of the monitor the form is on.
  std::vector<ScreenArea> monitors = {{{0, 0, 1280, 800}, {0, 0, 1280, 800}, 96}};
  size_t primary = 0;
  size_t foreground = 0;
  std::optional<FrontWindow> front;
  uint32_t formDpi = 96;
  // Each monitor's identity, in the order of `monitors` (none past its end); as in Windows, a
  // monitor keeps it while the numbers change with plugging. `windows`: other programs' windows,
  // from the top of the z-order down, each on the monitor it overlaps most.
  std::vector<std::string> identities;
  std::vector<FrontWindow> windows;
  // Monitor=all: the strip the form's calls go to, and how many strips there are.
  uint32_t strip = 0;
  uint32_t strips = 1;

  std::map<std::pair<uint32_t, uint32_t>, HotKeyAnswer> hotKeyAnswers;
  bool refuseNoRepeat = false;  // a system older than Windows 7
  // The combinations the form holds (modifiers without MOD_NOREPEAT, key) and their ids. As in
  // Windows, a combination held already is refused, also to the window that holds it, and a
  // second key under an id that has one is held beside it until UnregisterHotKey.
  std::map<std::pair<uint32_t, uint32_t>, int32_t> heldKeys;
  // The monitor under the mouse pointer, an index into `monitors`; none: GetCursorPos fails.
  std::optional<size_t> pointer;

  // The user's accessibility settings, and the system's colours (GetSysColor index: 0x00BBGGRR),
  // Windows' own default theme unless a test picks another.
  bool animations = true;
  bool highContrast = false;
  std::map<uint32_t, uint32_t> systemColors = {{5, 0x00FFFFFF}, {8, 0x00000000}};
  // What DwmGetColorizationColor (0xAARRGGBB) and the registry's AccentColor (0xAABBGGRR) answer;
  // nullopt: the call fails, or there is no value.
  std::optional<uint32_t> colorization;
  std::optional<uint32_t> accentValue;

  std::optional<std::string> settingsFile;  // nullopt: there is no settings.ini
  // settings.ini beside the program, read when the current directory has none.
  std::optional<std::string> besideFile;
  // Each file's last write time: Save() stamps it with the clock (FILETIME's 100-ns units), or,
  // on a FAT volume, with the clock's even second, which two saves can share.
  uint64_t hereWritten = 0;
  uint64_t besideWritten = 0;
  bool fatTimes = false;
  bool settingsLocked = false;  // another program holds the file in use shut
  // A save that replaces the file in use under way at the next read: the read finds no file,
  // and these bytes are there from then on.
  std::optional<std::string> savedDuringRead;
  int stampQueries = 0;  // GetFileAttributesExW of both places

  // An editor's save (or, with nullopt, the file deleted) at the clock's time.
  void Save(std::optional<std::string> text, bool beside = false) {
    (beside ? besideFile : settingsFile) = std::move(text);
    (beside ? besideWritten : hereWritten) =
        fatTimes ? uint64_t{now / 2000 * 2000} * 10000 : uint64_t{now} * 10000 + ++saves_;
  }
  bool trayArea = true;   // the system has a notification area
  bool trayIcon = false;  // the icon is in it
  std::string tip;
  TrayCommand menuCommand = TrayCommand::kNone;
  std::function<void()> duringMenu;
  bool exited = false;

  // The log so far, which is then cleared.
  std::vector<std::string> Take() { return std::exchange(log, {}); }

  // NowPlayingHost
  void FormSetAlphaBlend(bool layered) override { Record("layered " + std::to_string(layered)); }
  void FormSetAlphaBlendValue(uint8_t alpha) override { Record("alpha " + std::to_string(alpha)); }
  void FormSetHeight(int32_t height) override {
    formHeight = height;
    Record("form.height " + std::to_string(height));
  }
  // A minimised window reports the size of its icon, as on Windows; its children keep theirs.
  int32_t FormGetHeight() override {
    Touch("FormGetHeight");
    return minimised ? 28 : formHeightReadback.value_or(formHeight);
  }
  int32_t FormGetWidth() override {
    Touch("FormGetWidth");
    return minimised ? 160 : formWidth;
  }
  void FormSetColor(uint32_t color) override {
    formColor = color;
    Record("form.color " + Hex(color));
  }
  uint32_t FormColor() override {
    Touch("FormColor");
    return formColor;
  }
  void FormProcessMessages() override {
    Record("pump");
    const auto event = onPump.find(++pumps);
    if (event != onPump.end()) {
      const auto action = std::move(event->second);
      onPump.erase(event);
      action();
    }
  }
  // None of them takes the foreground: as on Windows, the user's window keeps it.
  void FormHide() override { Record("hide"); }
  void FormRestoreWithoutActivation() override {
    minimised = false;
    Record("restore");
  }
  void FormShowWithoutActivation() override { Record("show"); }
  void FormMinimiseWithoutActivation() override {
    minimised = true;
    Record("minimise");
  }
  void FormSetWindowPosTopmost() override { Record("topmost"); }
  uint32_t FormSetRoundRegion(int32_t width, int32_t height, int32_t ellipse) override {
    Record("region " + std::to_string(width) + " " + std::to_string(height) + " " +
           std::to_string(ellipse));
    return 0x5000 + ++regions;
  }
  // "hotkey <id> <modifiers> <virtual key>"; the answer from `hotKeyAnswers`, by modifiers and
  // key as asked, else from `refuseNoRepeat` for a request with MOD_NOREPEAT, else registered.
  HotKeyAnswer FormRegisterHotKey(int32_t id, uint32_t modifiers, uint32_t virtualKey) override {
    Record("hotkey " + std::to_string(id) + " " + Hex(modifiers) + " " + Hex(virtualKey));
    const auto answer = hotKeyAnswers.find({modifiers, virtualKey});
    if (answer != hotKeyAnswers.end()) return answer->second;
    const std::pair<uint32_t, uint32_t> combination = {modifiers & ~0x4000u, virtualKey};
    if (heldKeys.count(combination)) return HotKeyAnswer::kHeldElsewhere;
    if (refuseNoRepeat && (modifiers & 0x4000)) return HotKeyAnswer::kRefused;
    heldKeys[combination] = id;
    return HotKeyAnswer::kRegistered;
  }
  void FormUnregisterHotKey(int32_t id) override {
    Record("unhotkey " + std::to_string(id));
    for (auto held = heldKeys.begin(); held != heldKeys.end();) {
      held = held->second == id ? heldKeys.erase(held) : std::next(held);
    }
  }

  // As on Windows, nothing moves a window but the program: there is nothing to put back.
  void FormHoldBounds() override {}
  void FormSetBounds(int32_t left, int32_t top, int32_t width, int32_t height) override {
    formHeight = height;
    Record("form.bounds " + std::to_string(left) + " " + std::to_string(top) + " " +
           std::to_string(width) + " " + std::to_string(height));
  }
  uint32_t FormGetDpi() override {
    Touch("FormGetDpi");
    return formDpi;
  }

  void LabelSetLeft(int32_t left) override { Record("left " + std::to_string(left)); }
  void LabelSetTop(int32_t top) override { Record("top " + std::to_string(top)); }
  void LabelSetHeight(int32_t height) override { Record("label.height " + std::to_string(height)); }
  void LabelSetWidth(int32_t width) override { Record("label.width " + std::to_string(width)); }
  int32_t LabelGetWidth() override {
    Touch("LabelGetWidth");
    return labelWidth;
  }
  int32_t LabelGetHeight() override {
    Touch("LabelGetHeight");
    return labelHeight;
  }
  void LabelSetCaption(const Text& caption) override {
    Record("caption " + std::string(caption.View()));
  }
  // "caption@1251 <bytes>" for a text in code page 1251.
  void LabelSetCaptionInCodePage(const Text& caption, uint32_t codePage) override {
    Record("caption@" + std::to_string(codePage) + " " + std::string(caption.View()));
  }
  void LabelSetColor(uint32_t color) override { Record("label.color " + Hex(color)); }
  void ProgressSetBounds(int32_t left, int32_t top, int32_t width, int32_t height) override {
    Record("progress " + std::to_string(left) + " " + std::to_string(top) + " " +
           std::to_string(width) + " " + std::to_string(height));
  }
  void LabelSetTextColor(uint32_t color) override { Record("label.text " + Hex(color)); }
  void LabelAnnounce() override { Record("announce"); }

  // "font.size 20" at 96 dpi, "font.size 20 at 144" at any other resolution.
  void FontSetSize(int32_t points, uint32_t dpi) override {
    fontPoints = points;
    Record("font.size " + std::to_string(points) + (dpi == 96 ? "" : " at " + std::to_string(dpi)));
  }
  void FontSetName(const Text& name) override { Record("font.name " + std::string(name.View())); }
  int32_t FontSize() override {
    Touch("FontSize");
    return fontPoints;
  }

  void TimerSetEnabled(bool enabled) override {
    Record("timer.enabled " + std::to_string(enabled));
  }
  void TimerSetInterval(uint32_t milliseconds) override {
    Record("timer.interval " + std::to_string(milliseconds));
  }
  void LiveTimerSetEnabled(bool enabled) override {
    Record("live.enabled " + std::to_string(enabled));
  }

  // The now-playing file as Windows keeps it: while a reader holds it open without delete
  // sharing (`fileReaders`), a move over it fails; `fileRefusal` is how a bad path answers.
  // "file <text>" when it is written, "file held" when a reader kept it.
  std::map<std::string, std::string> files;
  bool fileReaders = false;
  std::optional<FileWrite> fileRefusal;
  void ShareTimerSet(uint32_t milliseconds) override {
    Record("share.timer " + std::to_string(milliseconds));
  }
  FileWrite ShareFileWrite(std::string_view path, std::string_view text) override {
    Touch("ShareFileWrite");
    if (fileRefusal) return *fileRefusal;
    if (fileReaders) {
      Record("file held");
      return FileWrite::kHeld;
    }
    Record("file " + std::string(text));
    files[std::string(path)] = std::string(text);
    return FileWrite::kWritten;
  }

  // The players in the z-order: `player`, then `others`.
  uint32_t PlayerListWindows(uint32_t (&found)[kMostPlayers]) override {
    Touch("PlayerListWindows");
    playerLog.push_back("find");
    uint32_t count = 0;
    if (player.running) found[count++] = player.window;
    for (const FakePlayer& other : others) {
      if (other.running && count < kMostPlayers) found[count++] = other.window;
    }
    return count;
  }
  PlayerAnswer PlayerSendQuery(uint32_t window, uint32_t wParam, int32_t lParam) override {
    Touch("PlayerSendQuery");
    FakePlayer& p = PlayerOf(window);
    if (wParam == 1 && lParam == 105 && duringLengthQuery) {
      std::exchange(duringLengthQuery, nullptr)();
    }
    playerLog.push_back("query " + std::to_string(wParam) + " " + std::to_string(lParam));
    if (!Answers(p, window)) return {0, false};
    if (wParam == 0 && lParam == 104) return {p.state, true};
    if (wParam == 1 && lParam == 105) return {p.lengthSeconds, true};
    if (wParam == 0 && lParam == 105) return {p.positionMs, true};
    return {0, true};
  }
  PlayerAnswer PlayerGetCaption(uint32_t window, char* buffer, uint32_t size) override {
    Touch("PlayerGetCaption");
    FakePlayer& p = PlayerOf(window);
    playerLog.push_back("gettext " + std::to_string(size));
    if (!Answers(p, window)) return {0, false};
    if (size == 0) return {0, true};
    const size_t room = p.terminateCaption ? size - 1 : size;
    size_t count = std::min(p.caption.size(), room);
    while (count > 0 && count < p.caption.size() &&
           (static_cast<unsigned char>(p.caption[count]) & 0xC0) == 0x80) {
      --count;
    }
    std::memcpy(buffer, p.caption.data(), count);
    if (p.terminateCaption) buffer[count] = '\0';
    return {p.captionAnswer.value_or(static_cast<int32_t>(count)), true};
  }

  PlayerAnswer PlayerGetCaptionLength(uint32_t window) override {
    Touch("PlayerGetCaptionLength");
    FakePlayer& p = PlayerOf(window);
    playerLog.push_back("gettextlength");
    if (!Answers(p, window)) return {0, false};
    return {static_cast<int32_t>(p.caption.size()) + p.lengthOverstated, true};
  }

  bool PlayerReadFields(uint32_t window, TrackFields& fields) override {
    Touch("PlayerReadFields");
    FakePlayer& p = PlayerOf(window);
    playerLog.push_back("fields");
    fields = TrackFields();
    if (!Answers(p, window) || !p.fields) return false;
    fields = *p.fields;
    return true;
  }

  bool MonitorGetArea(int32_t monitor, ScreenArea& area) override {
    Record("monitor " + std::to_string(monitor));
    const size_t index = monitor == 0    ? primary
                         : monitor == -1 ? foreground
                         : monitor == -2 ? pointer.value_or(monitors.size())
                         : monitor > 0   ? static_cast<size_t>(monitor - 1)
                                         : monitors.size();
    if (index >= monitors.size()) return false;
    area = monitors[index];
    return true;
  }
  bool MonitorFrontWindow(int32_t monitor, FrontWindow& window) override {
    Record("front? " + std::to_string(monitor));
    const auto overlap = [](const ScreenRect& a, const ScreenRect& b) {
      return std::max(0L, 0L + std::min(a.right, b.right) - std::max(a.left, b.left)) *
             std::max(0L, 0L + std::min(a.bottom, b.bottom) - std::max(a.top, b.top));
    };
    for (const FrontWindow& each : windows) {
      size_t most = 0;
      for (size_t i = 1; i < monitors.size(); ++i) {
        if (overlap(each.rect, monitors[i].monitor) > overlap(each.rect, monitors[most].monitor)) {
          most = i;
        }
      }
      if (most + 1 != static_cast<size_t>(monitor)) continue;
      window = each;
      return true;
    }
    return false;
  }
  bool MonitorGetIdentity(int32_t monitor, Text& identity) override {
    if (monitor < 1 || static_cast<size_t>(monitor) > monitors.size()) return false;
    const size_t index = static_cast<size_t>(monitor - 1);
    identity = Text(index < identities.size() ? identities[index] : std::string());
    return true;
  }
  // Each strip is a window of its own: its height and whether it is minimised are its own; a new
  // one has the toolkit's first height.
  void StripSelect(uint32_t chosen) override {
    Record("strip " + std::to_string(chosen));
    if (chosen >= strips) stripWindows_.resize(chosen + 1, {250, false});
    stripWindows_[strip] = {formHeight, minimised};
    std::tie(formHeight, minimised) = stripWindows_.at(chosen);
    strip = chosen;
    strips = std::max(strips, chosen + 1);
  }
  void StripsKeep(uint32_t count) override {
    Record("strips " + std::to_string(count));
    EXPECT_EQ(strip, 0u) << "the form is chosen while strips go";
    strips = std::min(strips, std::max(count, 1u));
    stripWindows_.resize(strips);
  }
  bool FrontWindowGet(FrontWindow& window) override {
    Record("front?");
    if (front) window = *front;
    return front.has_value();
  }

  bool SystemAnimations() override {
    Touch("SystemAnimations");
    return animations;
  }
  bool SystemHighContrast() override {
    Touch("SystemHighContrast");
    return highContrast;
  }
  // As GetSysColor: only the low byte selects the colour; an index it does not know is black.
  uint32_t SystemColor(uint32_t color) override {
    Touch("SystemColor");
    const auto found = systemColors.find(color & 0xFF);
    return found == systemColors.end() ? 0 : found->second;
  }

  bool SystemColorization(uint32_t& color) override {
    Touch("SystemColorization");
    if (colorization) color = *colorization;
    return colorization.has_value();
  }
  bool SystemAccentColor(uint32_t& color) override {
    Touch("SystemAccentColor");
    if (accentValue) color = *accentValue;
    return accentValue.has_value();
  }

  uint32_t GetTickCount() override {
    Touch("GetTickCount");
    const auto jump = clockJumps.find(++clockReads);
    if (jump != clockJumps.end()) now += jump->second;
    return now;
  }
  void Sleep(uint32_t milliseconds) override {
    Record("sleep " + std::to_string(milliseconds));
    now += milliseconds;
  }
  void ExitProcess(uint32_t exitCode) override {
    Record("exit " + std::to_string(exitCode));
    exited = true;
  }
  // The process's code page: UTF-8 (65001), as the manifest makes it, or Windows-1251, whose
  // letters А-я (0xC0-0xFF) the fake converts as Windows does; the tests use no other byte above
  // 0x7F there.
  uint32_t processCodePage = 65001;
  Text SystemTextToUtf8(std::string_view text) override {
    std::string utf8;
    for (const char c : text) {
      const unsigned letter = 0x410u + static_cast<unsigned char>(c) - 0xC0u;
      if (processCodePage == 65001 || static_cast<unsigned char>(c) < 0xC0) {
        utf8 += c;
      } else {
        utf8 += {static_cast<char>(0xC0 | letter >> 6), static_cast<char>(0x80 | (letter & 0x3F))};
      }
    }
    return Text(utf8.data(), utf8.size());
  }

  // The file in use, read whole: the current directory's, else the one beside the program. A
  // file that another program holds shut (`settingsLocked`) cannot be read.
  SettingsRead ReadSettingsFile(Text& bytes) override {
    Record("read settings");
    if (savedDuringRead) {
      Save(std::exchange(savedDuringRead, std::nullopt), !settingsFile);
      return SettingsRead::kNoFile;
    }
    const std::optional<std::string>& file = settingsFile ? settingsFile : besideFile;
    if (!file) return SettingsRead::kNoFile;
    if (settingsLocked) return SettingsRead::kFailed;
    bytes = Text(file->data(), file->size());
    return SettingsRead::kRead;
  }

  // lang\<code>.txt, by code, as the folder beside the program holds them; and the user's
  // display language as Windows names it.
  bool LanguageReadFile(std::string_view code, Text& bytes) override {
    Touch("LanguageReadFile");
    const auto file = languageFiles.find(std::string(code));
    if (file == languageFiles.end()) return false;
    bytes = Text(file->second.data(), file->second.size());
    return true;
  }
  Text LanguageOfSystem() override { return Text(systemLanguage.c_str()); }
  std::map<std::string, std::string> languageFiles;
  std::string systemLanguage = "en-US";

  void SettingsGetStamps(FileStamp& here, FileStamp& beside) override {
    Touch("SettingsGetStamps");
    ++stampQueries;
    const auto stamp = [](const std::optional<std::string>& file, uint64_t written) {
      return file ? FileStamp{true, written, file->size()} : FileStamp{};
    };
    here = stamp(settingsFile, hereWritten);
    beside = stamp(besideFile, besideWritten);
  }
  // The notification area, as Shell_NotifyIconW answers: an icon added twice, or modified or
  // deleted when it is not there, is refused; without a notification area nothing is taken.
  // "tray 1" / "tray 0" when the icon comes or goes; `tip` is its tooltip's title.
  bool TrayNotify(TrayAction action, const Text& title) override {
    Touch("TrayNotify");
    const bool there = trayIcon;
    if (!trayArea || (action == TrayAction::kAdd) == there) return false;
    if (action != TrayAction::kModify) Record(std::string("tray ") + (there ? "0" : "1"));
    trayIcon = action != TrayAction::kDelete;
    tip = std::string(title.View());
    return true;
  }
  // The menu's modal loop dispatches the timers and messages that come meanwhile (`duringMenu`),
  // and owns the mouse and the keys until it closes with its answer.
  TrayCommand TrayMenu(bool automatic) override {
    Record(std::string("menu ") + (automatic ? "automatic" : "manual"));
    if (duringMenu) std::exchange(duringMenu, nullptr)();
    Record("menu closed");
    return menuCommand;
  }
  void SettingsEdit() override { Record("edit settings"); }
  void SettingsWindow() override { Record("settings window"); }

  bool DiscordOpen() override {
    ++discord.opens;
    if (!discord.running || discord.open) return false;
    discord.open = true;
    return true;
  }
  // A write is whole frames here, as the logic writes them.
  bool DiscordWrite(std::string_view bytes) override {
    if (!discord.open || !discord.running) return false;
    for (size_t at = 0; at + 8 <= bytes.size();) {
      uint32_t header[2] = {};
      std::memcpy(header, bytes.data() + at, 8);
      discord.frames.emplace_back(header[0], std::string(bytes.substr(at + 8, header[1])));
      at += 8 + header[1];
      if (header[0] == 0 && discord.answersReady) {
        discord.incoming += FakeDiscord::Frame(
            1,
            R"({"cmd":"DISPATCH","data":{"v":1,"user":{"id":"1","username":"u"}},"evt":"READY","nonce":null})");
      }
    }
    return true;
  }
  bool DiscordRead(Text& bytes) override {
    if (!discord.open) return false;
    bytes += discord.incoming;
    discord.incoming.clear();
    return discord.running;
  }
  void DiscordClose() override {
    discord.open = false;
    discord.incoming.clear();
  }
  void DiscordTimer(uint32_t milliseconds) override {
    discord.timer = milliseconds;
    discord.timerSetAt = now;
  }
  uint32_t ProcessId() override { return 4242; }
  int64_t UnixTime() override { return 1700000000 + now / 1000; }

  static std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
  }

 private:
  void Touch(const std::string& what) {
    if (exited) afterExit.push_back(what);
  }
  void Record(std::string entry) {
    Touch(entry);
    log.push_back(std::move(entry));
  }
  // The player whose window `window` is; `player` for a window that is none.
  FakePlayer& PlayerOf(uint32_t window) {
    for (FakePlayer& other : others) {
      if (other.window == window) return other;
    }
    return player;
  }
  // Whether a message to `window` reaches a running player; counts it when it does.
  static bool Answers(FakePlayer& player, uint32_t window) {
    if (!player.running || window != player.window) return false;
    if (player.vanishAfterMessages == 0) {
      player.running = false;
      return false;
    }
    if (player.hangAfterMessages == 0) return false;
    if (player.vanishAfterMessages > 0) --player.vanishAfterMessages;
    if (player.hangAfterMessages > 0) --player.hangAfterMessages;
    return true;
  }
  uint64_t saves_ = 0;
  std::vector<std::pair<int32_t, bool>> stripWindows_ = {{0, false}};
};
