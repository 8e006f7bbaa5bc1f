#include "app/settings_file.h"

#include <windows.h>

namespace {

constexpr wchar_t kHere[] = L".\\settings.ini";
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
    if (length == 0 || length >= kPathMost) return kHere;
    while (length > 0 && besideProgram[length - 1] != L'\\') --length;
    ::lstrcpyW(besideProgram + length, kFileName);
  }
  return besideProgram;
}

const wchar_t* SettingsFilePath() {
  const DWORD attributes = ::GetFileAttributesW(kHere);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return kHere;
  }
  return ProgramSettingsPath();
}
