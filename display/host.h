// The seam of the now-playing logic: every operation it needs of the popup, the player,
// the clock and the settings file. The Windows program binds these to the toolkit and
// Win32; the native tests bind them to a recording fake with a simulated clock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "toolkit/text.h"

// System colours (the shared colour type's 0x80000000 + GetSysColor index).
inline constexpr uint32_t kColorWindow = 0x80000005;      // COLOR_WINDOW
inline constexpr uint32_t kColorWindowText = 0x80000008;  // COLOR_WINDOWTEXT
inline constexpr uint32_t kColorHighlight = 0x8000000D;   // COLOR_HIGHLIGHT

// The player's answer to one query. A player that does not answer in time (it hangs, or its
// window went away) gives no answer; the value then reads as 0.
struct PlayerAnswer {
  int32_t value;
  bool answered;
};

// A rectangle on the virtual screen, as Win32's RECT: right and bottom lie just outside.
struct ScreenRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

// A monitor: its whole rectangle, its work area (without the taskbar and docked bars) and its
// resolution in dots per inch (96 at 100 % scale).
struct ScreenArea {
  ScreenRect monitor;
  ScreenRect work;
  uint32_t dpi = 96;
};

// The window in front, as the quiet rule sees it: where it lies and its window style bits.
struct FrontWindow {
  ScreenRect rect;
  uint32_t style = 0;
};

// A file as its folder lists it (GetFileAttributesExW): there or not, its last write time
// (a FILETIME) and its size. Plain values: SettingsGetStamps fills them in.
struct FileStamp {
  bool present;
  uint64_t written;
  uint64_t size;
};

// The playing track's own fields, as the player tells them (its tags), in UTF-8; an empty text
// is no field. Each with the name Winamp's input plug-ins answer IPC_GET_EXTENDED_FILE_INFOW for
// (in_mp3, in_cdda); the playing file's path is asked for by a message of its own.
#define TUNELAMP_TRACK_FIELDS(FIELD) \
  FIELD(kTitle, "title")             \
  FIELD(kArtist, "artist")           \
  FIELD(kAlbum, "album")             \
  FIELD(kAlbumArtist, "albumartist") \
  FIELD(kTrackNumber, "track")       \
  FIELD(kDisc, "disc")               \
  FIELD(kComposer, "composer")       \
  FIELD(kYear, "year")               \
  FIELD(kGenre, "genre")             \
  FIELD(kFileName, "")
enum class TrackField : uint8_t {
#define TUNELAMP_TRACK_FIELD_ENUM(field, name) field,
  TUNELAMP_TRACK_FIELDS(TUNELAMP_TRACK_FIELD_ENUM)
#undef TUNELAMP_TRACK_FIELD_ENUM
};
inline constexpr const char* kTrackFieldNames[] = {
#define TUNELAMP_TRACK_FIELD_NAME(field, name) name,
    TUNELAMP_TRACK_FIELDS(TUNELAMP_TRACK_FIELD_NAME)
#undef TUNELAMP_TRACK_FIELD_NAME
};
inline constexpr size_t kTrackFieldCount = sizeof kTrackFieldNames / sizeof *kTrackFieldNames;
struct TrackFields {
  Text value[kTrackFieldCount];
  [[nodiscard]] const Text& operator[](TrackField field) const {
    return value[static_cast<size_t>(field)];
  }
  [[nodiscard]] Text& operator[](TrackField field) { return value[static_cast<size_t>(field)]; }
};

// What reading settings.ini gave: no file (every default), its bytes, or nothing this time (the
// file is held shut by another program, or went away between a look and the read).
enum class SettingsRead : uint8_t { kNoFile, kRead, kFailed };

// What Shell_NotifyIconW is asked to do with the program's icon.
enum class TrayAction : uint8_t { kAdd, kModify, kDelete };
// The icon menu's commands (app/tray.cpp gives each its item); 0 is no command (the menu closed
// unchosen).
enum class TrayCommand : uint32_t {
  kNone = 0,
  kShowNow,
  kAutomatic,
  kSettingsWindow,
  kEditSettings,
  kQuit
};

// What RegisterHotKey made of a key: taken, held by another program already
// (ERROR_HOTKEY_ALREADY_REGISTERED), or refused for another reason.
enum class HotKeyAnswer : uint8_t { kRegistered, kHeldElsewhere, kRefused };

// Players whose windows are looked at, at most (foobar2000's emulator beside Winamp or AIMP is
// two).
inline constexpr uint32_t kMostPlayers = 8;

// What writing the now-playing file gave: written whole; refused for now because another
// program holds the file open without delete sharing (a reader: try again); or refused for
// good, with the reason the user is told.
enum class FileWrite : uint8_t {
  kWritten,
  kHeld,
  kNoFolder,  // the folder does not exist
  kDenied,    // access denied
  kFolder,    // the path names a folder
  kTooLong,   // the path is too long
  kReadOnly,  // the file is read-only
  kFailed,    // any other error
};

// Window handles are 32-bit; 0 means none.
class NowPlayingHost {
 public:
  virtual ~NowPlayingHost() = default;

  // The popup form (a TForm1) and its window.
  virtual void FormSetAlphaBlend(bool layered) = 0;
  virtual void FormSetAlphaBlendValue(uint8_t alpha) = 0;
  virtual void FormSetHeight(int32_t height) = 0;
  [[nodiscard]] virtual int32_t FormGetHeight() = 0;  // read back from the window
  [[nodiscard]] virtual int32_t FormGetWidth() = 0;   // read back from the window
  virtual void FormSetColor(uint32_t color) = 0;
  [[nodiscard]] virtual uint32_t FormColor() = 0;
  // Handles every message already waiting in the thread's queue, then returns.
  virtual void FormProcessMessages() = 0;
  // The window shown or not, never taking the foreground from the user's window:
  // ShowWindow with SW_HIDE, SW_SHOWNOACTIVATE (restored), SW_SHOWNA (shown as it is) and
  // SW_SHOWMINNOACTIVE (minimised). (SW_MINIMIZE would activate the next window in the z-order.)
  virtual void FormHide() = 0;
  virtual void FormRestoreWithoutActivation() = 0;
  virtual void FormShowWithoutActivation() = 0;
  virtual void FormMinimiseWithoutActivation() = 0;
  // SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE).
  virtual void FormSetWindowPosTopmost() = 0;
  // CreateRoundRectRgn(0, 0, width, height, ellipse, ellipse), handed to the window with
  // SetWindowRgn (no redraw). Answers the region's handle.
  virtual uint32_t FormSetRoundRegion(int32_t width, int32_t height, int32_t ellipse) = 0;
  [[nodiscard]] virtual HotKeyAnswer FormRegisterHotKey(int32_t id, uint32_t modifiers,
                                                        uint32_t virtualKey) = 0;
  virtual void FormUnregisterHotKey(int32_t id) = 0;
  // Moves and sizes the form in one step, on the virtual screen.
  virtual void FormSetBounds(int32_t left, int32_t top, int32_t width, int32_t height) = 0;
  // Puts the window back where it was last placed if something else moved it since: a window
  // manager (X under Wine) may place a window restored without activation after it was moved.
  virtual void FormHoldBounds() = 0;
  // The resolution of the monitor the form's window is on, in dots per inch.
  [[nodiscard]] virtual uint32_t FormGetDpi() = 0;

  // The label on the form; positions are in the form's client area.
  virtual void LabelSetLeft(int32_t left) = 0;
  virtual void LabelSetTop(int32_t top) = 0;
  virtual void LabelSetHeight(int32_t height) = 0;
  virtual void LabelSetWidth(int32_t width) = 0;
  [[nodiscard]] virtual int32_t LabelGetWidth() = 0;   // read back from the window
  [[nodiscard]] virtual int32_t LabelGetHeight() = 0;  // read back from the window
  virtual void LabelSetCaption(const Text& caption) = 0;
  // For a text in a code page other than the process's: the label shows its characters
  // whatever the process's code page is (on Windows through UTF-16).
  virtual void LabelSetCaptionInCodePage(const Text& caption, uint32_t codePage) = 0;
  virtual void LabelSetColor(uint32_t color) = 0;
  virtual void LabelSetTextColor(uint32_t color) = 0;  // 0x00BBGGRR, black at the start
  // NotifyWinEvent(EVENT_OBJECT_LIVEREGIONCHANGED, label, OBJID_CLIENT, CHILDID_SELF): a screen
  // reader reads the label's text out.
  virtual void LabelAnnounce() = 0;

  // The progress line: a child of the form in the label's text colour, made at the first call;
  // positions in the form's client area. A width of 0 shows no line.
  virtual void ProgressSetBounds(int32_t left, int32_t top, int32_t width, int32_t height) = 0;

  // The label's font. The size in points becomes pixels at `dpi` dots per inch.
  virtual void FontSetSize(int32_t points, uint32_t dpi) = 0;
  virtual void FontSetName(const Text& name) = 0;
  [[nodiscard]] virtual int32_t FontSize() = 0;  // in points

  // The popup's timer, whose tick runs DisplayCycle.
  virtual void TimerSetEnabled(bool enabled) = 0;
  virtual void TimerSetInterval(uint32_t milliseconds) = 0;
  // A second timer, made at the first call, whose ticks of 1000 ms run OnLiveTick.
  virtual void LiveTimerSetEnabled(bool enabled) = 0;

  // The now-playing file's timer, made at the first call, whose ticks run OnShareTick: every
  // call starts its countdown anew; 0 stops it.
  virtual void ShareTimerSet(uint32_t milliseconds) = 0;
  // `text` made the whole content of the file `path` (File= in UTF-8: relative to the folder of
  // the settings.ini in use, %NAME% expanded), in UTF-8 as it is: written to a temporary file
  // beside it, flushed, and moved over it. No temporary file stays behind.
  [[nodiscard]] virtual FileWrite ShareFileWrite(std::string_view path, std::string_view text) = 0;

  // The players: every "Winamp v1.x" window (FindWindowExA, in the z-order, as FindWindowA finds
  // the first), at most kMostPlayers, into `windows`; answers how many. Then WM_USER queries and
  // WM_GETTEXT(size, buffer), each sent with SendMessageTimeoutA so that a player that hangs
  // gives up after a short time instead of freezing the program.
  [[nodiscard]] virtual uint32_t PlayerListWindows(uint32_t (&windows)[kMostPlayers]) = 0;
  [[nodiscard]] virtual PlayerAnswer PlayerSendQuery(uint32_t window, uint32_t wParam,
                                                     int32_t lParam) = 0;
  // The answer is the count of bytes copied into the buffer.
  [[nodiscard]] virtual PlayerAnswer PlayerGetCaption(uint32_t window, char* buffer,
                                                      uint32_t size) = 0;
  // WM_GETTEXTLENGTH: the caption's length in bytes, or more (never less) in another code page.
  [[nodiscard]] virtual PlayerAnswer PlayerGetCaptionLength(uint32_t window) = 0;
  // The playing track's fields, where the player tells them (Winamp 5 and WACUP through their
  // IPC messages in the player's memory, AIMP through its remote-access mapping): false, with
  // every field empty, where it tells none. Never waits longer on a player than a query does.
  [[nodiscard]] virtual bool PlayerReadFields(uint32_t window, TrackFields& fields) = 0;

  // Monitor=all's strips. The form is strip 0; the calls on the form, its label, the progress
  // line and the font go to the strip chosen last. A strip chosen for the first time is made,
  // hidden: a form and its label as start-up makes them, with the same click. StripsKeep destroys
  // the strips from `count` on (the form always stays).
  virtual void StripSelect(uint32_t strip) = 0;
  virtual void StripsKeep(uint32_t count) = 0;

  // The monitors. `monitor` is 1..n in EnumDisplayMonitors' order, 0 the primary, -1 the one
  // that holds the window in front (as FrontWindowGet finds it), -2 the one under the mouse
  // pointer; answers false, leaving `area` alone, when there is none.
  [[nodiscard]] virtual bool MonitorGetArea(int32_t monitor, ScreenArea& area) = 0;
  // The window in front: the foreground window, or past this program's own windows and the
  // shell's (the taskbars, the desktop) the first window of another program in the z-order;
  // false, leaving `front` alone, when there is none.
  [[nodiscard]] virtual bool FrontWindowGet(FrontWindow& front) = 0;
  // Monitor `monitor` (1..n) as FrontWindowGet passes windows over: the first window of another
  // program in the z-order that lies on it. False when there is none.
  [[nodiscard]] virtual bool MonitorFrontWindow(int32_t monitor, FrontWindow& front) = 0;
  // Monitor `monitor`'s identity (1..n): its device path, as EnumDisplayDevicesW with
  // EDD_GET_DEVICE_INTERFACE_NAME names it, which stays while numbers change; empty where the
  // system names none. False, leaving `identity` alone, when there is no such monitor.
  [[nodiscard]] virtual bool MonitorGetIdentity(int32_t monitor, Text& identity) = 0;

  // The user's accessibility settings, read afresh on every call: "Show animations in Windows"
  // (SPI_GETCLIENTAREAANIMATION; on where the system does not know it) and high contrast
  // (SPI_GETHIGHCONTRAST, HCF_HIGHCONTRASTON). SystemColor resolves a kColor... value to
  // 0x00BBGGRR as GetSysColor does.
  [[nodiscard]] virtual bool SystemAnimations() = 0;
  [[nodiscard]] virtual bool SystemHighContrast() = 0;
  [[nodiscard]] virtual uint32_t SystemColor(uint32_t color) = 0;
  // The Windows accent colour, where the system tells it: DwmGetColorizationColor's colour
  // (0xAARRGGBB), and the value AccentColor under HKCU\Software\Microsoft\Windows\DWM
  // (0xAABBGGRR). False, leaving `color` alone, where there is none.
  [[nodiscard]] virtual bool SystemColorization(uint32_t& color) = 0;
  [[nodiscard]] virtual bool SystemAccentColor(uint32_t& color) = 0;

  // Discord's local RPC: the named pipe \\?\pipe\discord-ipc-N, the first of N = 0 to 9 that
  // opens (a busy one is not waited for). One pipe at a time; no call waits on it more than a few
  // milliseconds. DiscordWrite writes the bytes whole, or answers false (the pipe broke, or would
  // not take them at once). DiscordRead appends what Discord sent since the last call, and answers
  // false once the pipe has closed; news on the pipe runs OnDiscordTick.
  [[nodiscard]] virtual bool DiscordOpen() = 0;
  [[nodiscard]] virtual bool DiscordWrite(std::string_view bytes) = 0;
  [[nodiscard]] virtual bool DiscordRead(Text& bytes) = 0;
  virtual void DiscordClose() = 0;
  // Discord's timer: OnDiscordTick runs `milliseconds` from now, and as often again until it is
  // set anew; 0 stops it.
  virtual void DiscordTimer(uint32_t milliseconds) = 0;
  // GetCurrentProcessId; the time of day in Unix seconds (GetSystemTimeAsFileTime).
  [[nodiscard]] virtual uint32_t ProcessId() = 0;
  [[nodiscard]] virtual int64_t UnixTime() = 0;

  // The system. ExitProcess does not return in the program; the logic still returns at
  // once after calling it, without touching anything else.
  [[nodiscard]] virtual uint32_t GetTickCount() = 0;
  virtual void Sleep(uint32_t milliseconds) = 0;
  virtual void ExitProcess(uint32_t exitCode) = 0;
  // A text in the process's code page, in UTF-8 (through UTF-16): the same bytes where that code
  // page is UTF-8, as the manifest makes it from Windows 10 version 1903 on.
  [[nodiscard]] virtual Text SystemTextToUtf8(std::string_view text) = 0;

  // settings.ini (the current directory's, else the one beside the program), read whole into
  // `bytes` (at most 1 MiB; a UTF-16 file as text in the process's code page).
  [[nodiscard]] virtual SettingsRead ReadSettingsFile(Text& bytes) = 0;
  // settings.ini in both places it is looked for: the current directory and the program's folder.
  virtual void SettingsGetStamps(FileStamp& here, FileStamp& beside) = 0;

  // The language file lang\<code>.txt beside the program, read into `bytes`: at most one byte
  // more than a language file may have, so that a larger one shows. False when there is none.
  [[nodiscard]] virtual bool LanguageReadFile(std::string_view code, Text& bytes) = 0;
  // The Windows user's display language (GetUserDefaultUILanguage) as a locale name: "ru-RU".
  [[nodiscard]] virtual Text LanguageOfSystem() = 0;

  // The icon in the notification area (Shell_NotifyIconW, with `tip` as the title in its
  // tooltip): false when the notification area refuses, as it does an icon added twice or one
  // it does not hold. Where the system has no notification area, nothing shows.
  [[nodiscard]] virtual bool TrayNotify(TrayAction action, const Text& tip) = 0;
  // The icon's menu where the user asked for it (the system's modal menu loop runs inside):
  // answers the command chosen. `automatic` checks its Automatic display.
  [[nodiscard]] virtual TrayCommand TrayMenu(bool automatic) = 0;
  // Opens the settings file in use with the user's editor; when there is none, first writes the
  // commented file with every key at its default.
  virtual void SettingsEdit() = 0;
  // Opens the settings window, or brings the one that is open to the front.
  virtual void SettingsWindow() = 0;
};
