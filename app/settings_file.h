// Where settings.ini is found: the current directory's when it has one, else the one beside
// tunelamp.exe. Paths are wide, so that folders named in any script are found.
#pragma once

// The file the settings are read from now.
[[nodiscard]] const wchar_t* SettingsFilePath();
// "<folder of tunelamp.exe>\settings.ini", whether it exists or not.
[[nodiscard]] const wchar_t* ProgramSettingsPath();
