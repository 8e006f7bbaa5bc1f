// Every text the user sees, in English, one line each: its key in a language file
// (lang\<code>.txt), the English text (UTF-8) and where it shows, which the language template
// (lang\en.txt) has above it. "%s" in a text is a value put in (a key, a number); a translation has
// as many. Not here: the player's absence ("WinAMP не запущен!"), which is the program's own as it
// stands, and the names of settings.ini (sections, keys, key names such as Ctrl+Alt+N), which every
// language shares.
#pragma once

#include <cstdint>

#define TUNELAMP_TEXTS(X)                                                                          \
  X(LanguageInEnglish, "English", "The language's name in English (for translators)")              \
  X(LanguageInItself, "English",                                                                   \
    "The language's name in itself: the settings window's Language "                               \
    "list shows it")                                                                               \
  X(Translators, "The Tunelamp authors", "Who translated it (for translators)")                    \
  X(MenuShowNow, "Show now", "The icon's menu")                                                    \
  X(MenuAutomatic, "Automatic display", "The icon's menu, ticked while it is on")                  \
  X(MenuSettings, "Settings\u2026", "The icon's menu: opens the settings window")                  \
  X(MenuEditSettings, "Edit settings file\u2026", "The icon's menu: opens settings.ini")           \
  X(MenuQuit, "Quit", "The icon's menu")                                                           \
  X(KeysNotSet, "Tunelamp keys not set: %s",                                                       \
    "The strip, at the first display: %s is the list of keys that could not be had")               \
  X(KeyHeldElsewhere, "in use by another program",                                                 \
    "After a key's name: on the strip, and beside the key in the settings window")                 \
  X(KeyRefused, "refused by the system", "As above")                                               \
  X(KeyTakesTheKeyboard, "needs Ctrl, Alt or Win", "As above")                                     \
  X(KeyNotAKey, "not a key", "As above, after a value of [Keys] that names no key")                \
  X(KeySetBefore, "already set for %s",                                                            \
    "The strip, after a key's name: %s is the action (ShowNow, Automatic) that has it")            \
  X(ShareFileNotWritten, "Tunelamp file not written: %s: %s",                                      \
    "The strip: the now-playing file (File=) that could not be written, and why")                  \
  X(FileHeld, "held open by another program", "Why the now-playing file was not written")          \
  X(FileNoFolder, "no such folder", "As above")                                                    \
  X(FileDenied, "access denied", "As above")                                                       \
  X(FileIsFolder, "a folder", "As above: the name is a folder's")                                  \
  X(FilePathTooLong, "path too long", "As above")                                                  \
  X(FileReadOnly, "read-only", "As above")                                                         \
  X(FileFailed, "cannot be written", "As above")                                                   \
  X(DiscordRefused, "Discord did not take Tunelamp's presence",                                    \
    "The strip: Discord refused what plays (Discord's own words may follow)")                      \
  X(KeySetTwice, "set for another action too", "Beside a key in the settings window")              \
  X(KeyWithWin, "With Win: set it in settings.ini", "Beside a key typed with Win")                 \
  X(WindowTitle, "Tunelamp settings", "The settings window's title bar")                           \
  X(ShowNowLabel, "&Show now:", "Above the first key; & marks the access key (Alt+letter)")        \
  X(AutomaticLabel, "Automatic &display on/off:", "Above the second key")                          \
  X(QuitLabel, "&Quit:", "Above the third key")                                                    \
  X(MonitorLabel, "&Monitor:", "Above the list of monitors")                                       \
  X(MonitorPrimary, "Primary", "The list of monitors")                                             \
  X(MonitorActive, "The one with the active window", "The list of monitors")                       \
  X(MonitorPointer, "The one under the mouse pointer", "The list of monitors")                     \
  X(MonitorAll, "All monitors", "The list of monitors")                                            \
  X(MonitorUnnamed, "Monitor",                                                                     \
    "The list of monitors: a monitor the system names not (2: Monitor)")                           \
  X(MonitorAbsent, "The chosen one (not connected)", "The list of monitors")                       \
  X(EdgeLabel, "&Edge:", "Above the list of edges")                                                \
  X(EdgeTop, "Top", "The list of edges")                                                           \
  X(EdgeBottom, "Bottom", "The list of edges")                                                     \
  X(KeepLabel, "Stays o&ut, seconds (0: until clicked):", "Above a number field")                  \
  X(CheckLabel, "As&k Winamp every, seconds:", "Above a number field")                             \
  X(LanguageLabel, "Lan&guage:", "Above the list of languages")                                    \
  X(ColourButton, "&Colour\u2026", "A button: opens the system's colour picker")                   \
  X(ColourValue, "red %s, green %s, blue %s", "Beside the colour button: the colour's parts")      \
  X(AccentBox, "Windows acce&nt colour", "A check box")                                            \
  X(FontButton, "&Font\u2026", "A button: opens the system's font picker")                         \
  X(FontValue, "%s, %s pt", "Beside the font button: the font's name and size in points")          \
  X(TextColourLabel, "&Text colour:", "Above the list of text colours")                            \
  X(TextBlack, "Black", "The list of text colours")                                                \
  X(TextWhite, "White", "The list of text colours")                                                \
  X(TextAutomatic, "Automatic", "The list of text colours: black or white, whichever stands out")  \
  X(OpacityLabel, "&Opacity at rest, %:", "Before a number field")                                 \
  X(FullScreenBox, "Titles over fu&ll-screen programs", "A check box")                             \
  X(LivePositionBox, "Position keeps t&ime while shown", "A check box")                            \
  X(ProgressBox, "A &progress line", "A check box")                                                \
  X(MemoryEconomyBox, "Minimise while awa&y (saves memory)", "A check box")                        \
  X(TrayIconBox, "Icon in the notification a&rea", "A check box")                                  \
  X(StartWithWindowsBox, "Start with &Windows", "A check box")                                     \
  X(TemplateLabel,                                                                                 \
    "Te&xt (empty: the title [length] - position):", "Above the strip's text template")            \
  X(TemplateFields,                                                                                \
    "%title% %artist% %album% %albumartist% %tracknumber% %disc% %composer% %year% %genre% "       \
    "%filename% %caption% %length% %position%   [shown with a field's value]   'as written'",      \
    "Below the template: keep the %names% as they are, they are the template's words")             \
  X(PreviewLabel, "Pre&view:", "Before the current track as the template shows it")                \
  X(ShareFileLabel, "Now playin&g file (empty: none):", "Above the now-playing file's name")       \
  X(ShareBrowse, "&Browse\u2026", "A button: the system's picker of a file to save under")         \
  X(ShareFilterText, "Text (*.txt)", "The file picker's list of kinds")                            \
  X(ShareFilterAll, "All files", "The file picker's list of kinds")                                \
  X(FileTextLabel, "W&hat it holds, as Text:", "Above the now-playing file's template")            \
  X(FileStoppedLabel, "While nothing plays, &just this:", "Above the file's text when stopped")    \
  X(DiscordAppLabel,                                                                               \
    "Discord &1. Application ID (empty: off):", "Above Discord's application's number")            \
  X(DiscordDetailsLabel, "&2. Its first line, as Text:", "Above the template of Discord's line 1") \
  X(DiscordStateLabel, "&3. Its second line, as Text:", "Above the template of Discord's line 2")  \
  X(ShareFileRefused, "The now-playing file: %s.",                                                 \
    "The status line: the file named cannot be written; %s says why (as above)")                   \
  X(SecondsNote, "In seconds: 3, 0.5", "The status line: a number field holds no seconds")         \
  X(SaveTooLarge, "settings.ini is over 1 MiB, more than is read: not written.",                   \
    "The status line: a save refused")                                                             \
  X(SaveCodePage, "settings.ini has characters this system's code page lacks: not written.",       \
    "The status line: a save refused")                                                             \
  X(SaveRefused, "settings.ini is read-only or in use: not written.",                              \
    "The status line: a save refused")                                                             \
  X(SaveStranded,                                                                                  \
    "settings.ini is in use: its text waits in settings.ini.bak, the changes in "                  \
    "settings.ini.new.",                                                                           \
    "The status line: a save stopped halfway")                                                     \
  X(OkButton, "OK", "A button: saves and closes")                                                  \
  X(CancelButton, "Cancel", "A button: closes without saving")                                     \
  X(ApplyButton, "&Apply", "A button: saves")                                                      \
  X(NoExecutableMemory,                                                                            \
    "Tunelamp cannot run: Windows refuses it the executable memory its timer needs.\n\n"           \
    "Arbitrary Code Guard does this (Windows Security > App & browser control > Exploit "          \
    "protection): turn it off for tunelamp.exe.",                                                  \
    "A message box at the start, on a system that refuses the program")

enum class TextId : uint16_t {
#define TUNELAMP_TEXT_ID(key, english, where) k##key,
  TUNELAMP_TEXTS(TUNELAMP_TEXT_ID)
#undef TUNELAMP_TEXT_ID
      kCount
};
inline constexpr uint16_t kTextCount = static_cast<uint16_t>(TextId::kCount);

// The program's own half of the list: the keys and the English texts (where each shows is for
// the template only).
struct TextEntry {
  const char* key;
  const char* english;
};
extern const TextEntry kTextEntries[kTextCount];
