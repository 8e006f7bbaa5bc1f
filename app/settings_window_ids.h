// The settings window's dialog template (tunelamp.rc) and its controls, shared by the resource
// script and the code.
#pragma once

#define IDD_SETTINGS 100
// The manifest of the activation context the window is made in: version 6 of the common
// controls, with the visual styles. (An .exe's loader reads manifest 1 only.)
#define IDR_COMMON_CONTROLS 2

// The three keys, and beside each the note of what is wrong with it or of a key the control
// cannot show.
#define IDC_SHOW_NOW_KEY 10
#define IDC_AUTOMATIC_KEY 11
#define IDC_QUIT_KEY 12
#define IDC_SHOW_NOW_NOTE 20
#define IDC_AUTOMATIC_NOTE 21
#define IDC_QUIT_NOTE 22

#define IDC_COLOUR 30
#define IDC_COLOUR_TEXT 31
#define IDC_ACCENT 32
#define IDC_FONT 33
#define IDC_FONT_TEXT 34
#define IDC_TEXT_COLOUR 35
#define IDC_OPACITY 36
#define IDC_OPACITY_ARROWS 37

#define IDC_MONITOR 40
#define IDC_EDGE 41
#define IDC_KEEP 42
#define IDC_CHECK 43

#define IDC_FULL_SCREEN 50
#define IDC_LIVE_POSITION 51
#define IDC_PROGRESS 52
#define IDC_MEMORY_ECONOMY 53
#define IDC_TRAY_ICON 54
#define IDC_START_WITH_WINDOWS 55

// The strip's text: the template, the fields it knows, and the current track in it.
#define IDC_TEXT 70
#define IDC_TEXT_FIELDS 71
#define IDC_TEXT_PREVIEW 72

// Sharing what plays: the now-playing file, with its picker, and Discord's presence.
#define IDC_SHARE_FILE 80
#define IDC_SHARE_BROWSE 81
#define IDC_FILE_TEXT 82
#define IDC_FILE_STOPPED 83
#define IDC_DISCORD_APP 84
#define IDC_DISCORD_DETAILS 85
#define IDC_DISCORD_STATE 86

#define IDC_STATUS 60
#define IDC_APPLY 61

// The language the program speaks.
#define IDC_LANGUAGE 213

// The labels, whose texts come from the language spoken.
#define IDC_SHOW_NOW_LABEL 200
#define IDC_AUTOMATIC_LABEL 201
#define IDC_QUIT_LABEL 202
#define IDC_MONITOR_LABEL 203
#define IDC_EDGE_LABEL 204
#define IDC_KEEP_LABEL 205
#define IDC_CHECK_LABEL 206
#define IDC_TEXT_COLOUR_LABEL 207
#define IDC_OPACITY_LABEL 208
#define IDC_TEXT_LABEL 209
#define IDC_PREVIEW_LABEL 210
#define IDC_LANGUAGE_LABEL 211
#define IDC_SHARE_FILE_LABEL 214
#define IDC_FILE_TEXT_LABEL 215
#define IDC_FILE_STOPPED_LABEL 216
#define IDC_DISCORD_APP_LABEL 217
#define IDC_DISCORD_DETAILS_LABEL 218
#define IDC_DISCORD_STATE_LABEL 219
