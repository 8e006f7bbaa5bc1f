// The icon in the notification area and its menu, and the menu's "Edit settings". Nothing of
// it is loaded unless the settings ask for the icon.
#pragma once

// Adds the icon (the first time, shell32 comes from the system folder), or takes it away.
void ShowTrayIcon(bool shown);
// Puts the last title into the icon's tooltip when it has changed since.
void TrayFollowTitle();
// Opens the settings file in use with the user's editor; writes the commented defaults first
// when there is none: beside the program, else in the current directory.
void EditSettingsFile();
