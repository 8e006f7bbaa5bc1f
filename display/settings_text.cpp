#include "display/settings_text.h"

#include <cstddef>

#include "display/settings.h"

namespace {

// The settings' comments, in the order of the list of settings (empty: none).
constexpr const char* kComments[] = {
#define TUNELAMP_SETTING_COMMENT(when, type, name, kind, section, key, fallback, comment) comment,
    TUNELAMP_SETTINGS(TUNELAMP_SETTING_COMMENT)
#undef TUNELAMP_SETTING_COMMENT
};

}  // namespace

// Each line ends before the next begins: the line ends come first.
Text DefaultSettingsText() {
  Text text = "; Tunelamp's settings (see README.txt). Save as UTF-8.";
  int section = -1;
  for (size_t i = 0; i < kSettingCount; ++i) {
    const SettingEntry& entry = kSettingEntries[i];
    if (entry.section != section) {
      section = entry.section;
      text += "\r\n[";
      text += SectionName(entry.section);
      text += "]";
    }
    if (*kComments[i] != '\0') {
      text += "\r\n; ";
      text += kComments[i];
    }
    text += "\r\n";
    text += entry.key;
    text += "=";
    text += entry.offset == offsetof(Settings, trayIcon) ? "1" : entry.fallback;
  }
  text += "\r\n";
  return text;
}
