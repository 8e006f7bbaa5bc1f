// settings.ini turned into values: every setting, read from the file's text as the Windows
// profile functions read it.
#pragma once

#include <cstdint>
#include <string_view>

#include "display/ini_file.h"
#include "display/key_text.h"
#include "display/title_template.h"
#include "toolkit/text.h"

// A value read as text: at most 255 bytes, as the program always read them, zero-terminated.
struct SettingText {
  char bytes[256];
  [[nodiscard]] std::string_view View() const { return bytes; }
};
[[nodiscard]] bool operator==(const SettingText& a, const SettingText& b);
[[nodiscard]] inline bool operator!=(const SettingText& a, const SettingText& b) {
  return !(a == b);
}

// A title template (Text=): at most kTemplateMost bytes, never a character cut short, with room
// for the closing quote that the reader drops, zero-terminated.
struct SettingTemplate {
  char bytes[kTemplateMost + 2];
  [[nodiscard]] std::string_view View() const { return bytes; }
  void Set(std::string_view text);
};

// A key of [Keys]: what it reads as, and the value as written (the keys' notice quotes it).
struct KeySetting {
  KeyReading reading;
  KeyCombination key;
  SettingText written;
};
[[nodiscard]] bool operator==(const KeySetting& a, const KeySetting& b);

// A colour of the settings: a Windows colour 0x00BBGGRR in the integer syntax, or a word that
// names a colour found when the strip is painted (its value is then 0).
enum class ColorSource : uint8_t {
  kValue,
  kAccent,  // "accent": the Windows accent colour
  kAuto,    // "auto" (TextColor): black or white, whichever stands out more on the strip
};
struct ColorSetting {
  uint32_t value;
  ColorSource source;
};
[[nodiscard]] bool operator==(const ColorSetting& a, const ColorSetting& b);
[[nodiscard]] inline bool operator!=(const ColorSetting& a, const ColorSetting& b) {
  return !(a == b);
}

// When a saved value takes effect.
namespace setting {
struct AtOnce {};    // as soon as a saved file is read
struct WhenAway {};  // once the strip is away: a display under way ends as it began
}  // namespace setting

// Opacity's range, in percent.
inline constexpr int32_t kPercentLeast = 10;
inline constexpr int32_t kPercentMost = 100;

// Every setting, one line each: when a saved change takes effect, the value's type and name, how
// it is read, its section and key, its default as the file would give it, and the comment that
// the file "Edit settings file..." writes has above it. In the order of that file: by section.
#define TUNELAMP_SETTINGS(X)                                                                   \
  X(AtOnce, uint32_t, keepInterval, Number, "Main", "KeepTitle", "3000",                       \
    "ms the strip stays out (0: until clicked)")                                               \
  X(AtOnce, uint32_t, checkInterval, Number, "Main", "CheckTitle", "500",                      \
    "ms between asking Winamp for a new title")                                                \
  X(WhenAway, bool, memoryEconomy, Switch, "Main", "MemEconomy", "1",                          \
    "1: minimise while away (saves memory)")                                                   \
  X(WhenAway, ColorSetting, color, Color, "Main", "Color", "$e69500",                          \
    "$BBGGRR, or accent: the Windows accent colour")                                           \
  X(WhenAway, ColorSetting, textColor, TextColor, "Main", "TextColor", "$000000",              \
    "text: $BBGGRR, or auto: black or white, whichever stands out more")                       \
  X(WhenAway, int32_t, opacity, Percent, "Main", "Opacity", "",                                \
    "opacity at rest, 10 to 100 (%); empty: 78")                                               \
  X(WhenAway, int32_t, monitor, Monitor, "Main", "Monitor", "0",                               \
    "0 primary, 1, 2... that monitor, -1 the one with the active window, -2 the one under\r\n" \
    "; the mouse pointer, all: every monitor, or a monitor's identity")                        \
  X(WhenAway, bool, bottom, Switch, "Main", "Position", "0", "0 top, 1 bottom")                \
  X(WhenAway, bool, overFullScreen, Quiet, "Main", "FullScreen", "1",                          \
    "1: titles over full-screen programs")                                                     \
  X(WhenAway, bool, livePosition, Switch, "Main", "LivePosition", "0",                         \
    "1: the position keeps time while shown")                                                  \
  X(WhenAway, bool, progress, Switch, "Main", "Progress", "0", "1: a progress line")           \
  X(AtOnce, bool, trayIcon, Switch, "Main", "TrayIcon", "0",                                   \
    "1: an icon in the notification area")                                                     \
  X(WhenAway, SettingTemplate, titleFormat, Template, "Main", "Text", "",                      \
    "the strip's text, as [%artist% - ]%title%[ (%album%)] (see README.txt); empty:\r\n"       \
    "; the title [length] - position")                                                         \
  X(AtOnce, SettingText, language, Name, "Main", "Language", "",                               \
    "ru for lang\\ru.txt, or English; empty: the language of Windows")                         \
  X(WhenAway, int32_t, fontPoints, Number, "Font", "Size", "20", "")                           \
  X(WhenAway, SettingText, fontName, Name, "Font", "Name", "Tahoma", "")                       \
  X(AtOnce, KeySetting, showNowKey, Key, "Keys", "ShowNow", "Ctrl+Shift+X",                    \
    "like Ctrl+Alt+Shift+F10; None: no key")                                                   \
  X(AtOnce, KeySetting, automaticKey, Key, "Keys", "Automatic", "Ctrl+Shift+C", "")            \
  X(AtOnce, KeySetting, quitKey, Key, "Keys", "Quit", "Ctrl+Shift+V", "")                      \
  X(AtOnce, SettingTemplate, shareFile, Template, "Share", "File", "",                         \
    "a file that holds what plays, for overlays (see README.txt); relative to this\r\n"        \
    "; file's folder, %NAME% expanded; empty: no file")                                        \
  X(AtOnce, SettingTemplate, fileText, Template, "Share", "FileText", "[%artist% - ]%title%",  \
    "what the file holds, as Text=")                                                           \
  X(AtOnce, SettingTemplate, fileStopped, Template, "Share", "FileStopped", "",                \
    "what it holds while nothing plays")                                                       \
  X(AtOnce, SettingText, discordApp, Name, "Share", "DiscordApp", "",                          \
    "a Discord application's ID: \"Listening to\" in Discord (see README.txt); empty: off")    \
  X(AtOnce, SettingTemplate, discordDetails, Template, "Share", "DiscordDetails", "%title%",   \
    "Discord's two lines, as Text=")                                                           \
  X(AtOnce, SettingTemplate, discordState, Template, "Share", "DiscordState",                  \
    "[%artist%][ \xE2\x80\x93 %album%]", "")

// The list as data, for the reader and the writer, which go through it in a loop: where each
// value is in Settings, how it is read, its section (SectionName), key and
// default. A kind is how a value is read; each has its reader in settings.cpp.
enum class SettingKind : uint8_t {
  kNumber,     // GetPrivateProfileIntA
  kSwitch,     // on for exactly 1, as a number
  kQuiet,      // FullScreen: a value that starts with no number keeps the default
  kColor,      // the integer syntax of ParseInteger, read as text, or "accent"
  kTextColor,  // as Color, or "auto"
  kPercent,    // a number taken into 10 to 100; none: 0
  kName,       // text, at most 255 bytes
  kKey,        // a combination of [Keys], or none
  kTemplate,   // text, at most 1,024 bytes, cut at a character (title_template.h)
  kMonitor,    // a number, as kNumber; or "all", or a monitor's identity (Settings::monitorWord)
};
struct SettingEntry {
  const char* key;
  const char* fallback;
  uint16_t offset;
  uint8_t section;
  SettingKind kind;
};
// "Main", "Font", "Keys" or "Share", by the index a SettingEntry has.
[[nodiscard]] const char* SectionName(uint8_t section);
// The words of the colour settings.
inline constexpr char kAccentWord[] = "accent";
inline constexpr char kAutoWord[] = "auto";
// Monitor's word for every monitor; a value that starts as a device path does is an identity.
inline constexpr char kAllWord[] = "all";
inline constexpr char kIdentityStart[] = "\\\\";
extern const SettingEntry kSettingEntries[];
extern const size_t kSettingCount;

// Plain values, copied as they are: ReadSettings makes them, from a file or, with none, the
// defaults.
struct Settings {
#define TUNELAMP_SETTING_FIELD(when, type, name, kind, section, key, fallback, comment) type name;
  TUNELAMP_SETTINGS(TUNELAMP_SETTING_FIELD)
#undef TUNELAMP_SETTING_FIELD
  // The file has a [Keys] section: a key of it that cannot be had is told, not passed over.
  bool keysTold = false;
  // Monitor as "all" or a monitor's identity, as written (the number then reads 0); empty: the
  // number stands.
  SettingText monitorWord;
};
[[nodiscard]] bool operator==(const Settings& a, const Settings& b);
[[nodiscard]] inline bool operator!=(const Settings& a, const Settings& b) {
  return !(a == b);
}

// The values of a file's text; an empty text (no file) gives every default.
[[nodiscard]] Settings ReadSettings(const IniFile& file);
[[nodiscard]] inline Settings DefaultSettings() {
  return ReadSettings(IniFile());
}

// A value as settings.ini spells it: the reader reads it back to the same value, and two values
// that differ are spelt differently.
[[nodiscard]] Text SettingValueText(const Settings& settings, const SettingEntry& entry);

// The values that take effect at once, from `read` into `inForce`.
void TakeAtOnce(Settings& inForce, const Settings& read);

// The integer syntax of the Color setting: "$" / "x" / "0x" hexadecimal, or decimal with an
// optional sign; parsing stops before the first character that does not fit or would
// overflow, keeping what it gathered. A "-" negates only a text read to its end.
[[nodiscard]] uint32_t ParseInteger(std::string_view text);
