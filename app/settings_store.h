// Where settings.ini is found: the current directory's when it has one, else the one beside
// tunelamp.exe. Paths are wide, so that folders named in any script are found.
#pragma once

#include <windows.h>

#include "display/settings.h"

// The current directory's file, which wins when it is there.
inline constexpr wchar_t kHereSettingsPath[] = L".\\settings.ini";

// The file the settings are read from now.
[[nodiscard]] const wchar_t* SettingsFilePath();
// "<folder of tunelamp.exe>\settings.ini", whether it exists or not.
[[nodiscard]] const wchar_t* ProgramSettingsPath();

// The settings window's changes, from `was` to `now`, written into the file in use or, with none,
// where Edit settings writes one: through a file beside it, flushed to the disk, that then takes
// its place, so that nothing is ever half-written; a file that is a link stays one, and its
// target is written. A file in UTF-16 is written in UTF-16. Answers null when written; else why
// not, for the window to say (UTF-8, in the language spoken), and the file is as it was.
[[nodiscard]] const char* WriteSettingsChanges(const Settings& was, const Settings& now);

// Asks the system to signal a change in the folder of either file (a file written, made, renamed
// or deleted there) through `folders`; answers how many it holds, 0 when a folder cannot be
// watched (a file system without change notification, say), and the files are then looked at on
// a timer alone.
[[nodiscard]] DWORD WatchSettingsFolders(HANDLE (&folders)[2]);
// Watches again the folders that signalled; false when one of them cannot be.
[[nodiscard]] bool WatchSettingsFoldersAgain(const HANDLE (&folders)[2], DWORD count);
