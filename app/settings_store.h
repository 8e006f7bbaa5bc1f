// Where settings.ini is found: the current directory's when it has one, else the one beside
// tunelamp.exe. Paths are wide, so that folders named in any script are found.
#pragma once

// The current directory's file, which wins when it is there.
inline constexpr wchar_t kHereSettingsPath[] = L".\\settings.ini";

// The file the settings are read from now.
[[nodiscard]] const wchar_t* SettingsFilePath();
// "<folder of tunelamp.exe>\settings.ini", whether it exists or not.
[[nodiscard]] const wchar_t* ProgramSettingsPath();
