// The settings file that "Edit settings" writes when there is none: every key at its default
// with a short comment, except TrayIcon, which is 1 there: the file is written from the icon's
// menu, and a file that took the icon away would be a poor answer to that.
#pragma once

inline constexpr char kDefaultSettingsText[] =
    "; Tunelamp's settings (README.txt tells more). Save as UTF-8.\r\n"
    "[Main]\r\n"
    "; ms the strip stays out (0: until clicked)\r\n"
    "KeepTitle=3000\r\n"
    "; ms between looks for a new title\r\n"
    "CheckTitle=500\r\n"
    "; 1: minimise the popup while away\r\n"
    "MemEconomy=1\r\n"
    "; $BBGGRR\r\n"
    "Color=$e69500\r\n"
    "; 0 primary, 1, 2... that monitor, -1 the one in front\r\n"
    "Monitor=0\r\n"
    "; 0 top, 1 bottom\r\n"
    "Position=0\r\n"
    "; 0: no titles over full-screen programs\r\n"
    "FullScreen=1\r\n"
    "; 1: the position keeps time while the strip is out\r\n"
    "LivePosition=0\r\n"
    "; 1: a line shows how far the track has played\r\n"
    "Progress=0\r\n"
    "; 1: an icon in the notification area\r\n"
    "TrayIcon=1\r\n"
    "[Font]\r\n"
    "Size=20\r\n"
    "Name=Tahoma\r\n"
    "[Keys]\r\n"
    "; like Ctrl+Alt+Shift+F10; None: no key\r\n"
    "ShowNow=Ctrl+Shift+X\r\n"
    "Automatic=Ctrl+Shift+C\r\n"
    "Quit=Ctrl+Shift+V\r\n";
