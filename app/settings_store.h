// Where settings.ini is found: the current directory's when it has one, else the one beside
// tunelamp.exe. Paths are wide, so that folders named in any script are found.
#pragma once

#include "display/settings.h"

// The current directory's file, which wins when it is there.
inline constexpr wchar_t kHereSettingsPath[] = L".\\settings.ini";

// The file the settings are read from now.
[[nodiscard]] const wchar_t* SettingsFilePath();
// "<folder of tunelamp.exe>\settings.ini", whether it exists or not.
[[nodiscard]] const wchar_t* ProgramSettingsPath();

// The settings window's changes, from `was` to `now`, written into the file in use or, with none,
// where Edit settings writes one: through a file beside it that then takes its place, so that
// nothing is ever half-written. False when it cannot be written (read-only, or held by another
// program): the file is then as it was.
[[nodiscard]] bool WriteSettingsChanges(const Settings& was, const Settings& now);
