// The settings file that "Edit settings file..." writes when there is none: every key at its
// default, with the comment of the list of settings above it (settings.h), except TrayIcon, which
// is 1 there: the file is written from the icon's menu, and a file that took the icon away would
// be a poor answer to that.
#pragma once

#include "toolkit/text.h"

[[nodiscard]] Text DefaultSettingsText();
