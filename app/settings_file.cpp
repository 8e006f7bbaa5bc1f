#include "app/settings_file.h"

#include <windows.h>

namespace {

constexpr wchar_t kFileName[] = L"settings.ini";
// A program's path longer than this is not looked beside: the current directory's file counts
// alone, as it always did.
constexpr DWORD kPathMost = 1024;
// In .bss itself: the linker would place a section of its own among the file's initialised data.
[[gnu::section(".bss")]] wchar_t besideProgram[kPathMost + sizeof kFileName / sizeof kFileName[0]];

}  // namespace

const wchar_t* ProgramSettingsPath() {
  if (besideProgram[0] == L'\0') {
    DWORD length = ::GetModuleFileNameW(nullptr, besideProgram, kPathMost);
    if (length == 0 || length >= kPathMost) return kHereSettingsPath;
    while (length > 0 && besideProgram[length - 1] != L'\\') --length;
    ::lstrcpyW(besideProgram + length, kFileName);
  }
  return besideProgram;
}

const wchar_t* SettingsFilePath() {
  const DWORD attributes = ::GetFileAttributesW(kHereSettingsPath);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return kHereSettingsPath;
  }
  return ProgramSettingsPath();
}

DWORD WatchSettingsFolders(HANDLE (&folders)[2]) {
  constexpr DWORD kChanges =
      FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;
  folders[0] = ::FindFirstChangeNotificationW(L".", FALSE, kChanges);
  DWORD count = 1;
  if (ProgramSettingsPath() == besideProgram) {
    // The folder's path with its last backslash, so that a drive's root stays the root.
    const int name = ::lstrlenW(besideProgram) - (sizeof kFileName / sizeof kFileName[0] - 1);
    besideProgram[name] = L'\0';
    folders[count++] = ::FindFirstChangeNotificationW(besideProgram, FALSE, kChanges);
    besideProgram[name] = kFileName[0];
  }
  for (DWORD at = 0; at < count; ++at) {
    if (folders[at] == INVALID_HANDLE_VALUE) return 0;
  }
  return count;
}

bool WatchSettingsFoldersAgain(const HANDLE (&folders)[2], DWORD count) {
  for (DWORD at = 0; at < count; ++at) {
    // Only a folder that signalled is asked again: each ask stands until the next change.
    if (::WaitForSingleObject(folders[at], 0) == WAIT_OBJECT_0 &&
        !::FindNextChangeNotification(folders[at])) {
      return false;
    }
  }
  return true;
}
