// The now-playing file on the disk: File= made a whole path, and its text written whole through
// a temporary file beside it.
#include "app/share_file_win.h"

#include <windows.h>

#include "app/settings_store.h"
#include "app/win32_host.h"
#include "display/events.h"
#include "toolkit/timer.h"

namespace {

// The temporary file is the file's name with this after it. A crash between its making and its
// move leaves it behind; the next write (the start's first) makes it anew and moves it.
constexpr wchar_t kTemporaryEnd[] = L".tunelamp-new";
constexpr DWORD kGivenMost = 2048;
// The path on its way to being whole; the program has one thread.
struct PathWork {
  wchar_t given[kGivenMost];
  wchar_t expanded[kGivenMost];
  wchar_t joined[MAX_PATH + kGivenMost];
};
PathWork work;

// The file and its temporary file, as whole paths.
struct FilePaths {
  wchar_t file[MAX_PATH];
  wchar_t temporary[MAX_PATH];
};

// A relative path is relative to the folder of the settings.ini in use; %NAME% is expanded
// first, so a variable can hold a whole path.
[[nodiscard]] FileWrite WholePaths(std::string_view path, FilePaths& paths) {
  wchar_t* const given = work.given;
  wchar_t* const expanded = work.expanded;
  wchar_t* const joined = work.joined;
  const int units = ::MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()),
                                          given, kGivenMost - 1);
  if (units <= 0) return FileWrite::kTooLong;
  given[units] = L'\0';
  const DWORD length = ::ExpandEnvironmentStringsW(given, expanded, kGivenMost);
  if (length > kGivenMost) return FileWrite::kTooLong;
  if (length < 2) return FileWrite::kFailed;
  if (expanded[length - 2] == L'\\' || expanded[length - 2] == L'/') return FileWrite::kFolder;
  const bool relative = expanded[0] != L'\\' && expanded[0] != L'/' && expanded[1] != L':';
  joined[0] = L'\0';
  if (relative) {
    const DWORD folder = ::GetFullPathNameW(SettingsFilePath(), MAX_PATH, joined, nullptr);
    if (folder == 0 || folder >= MAX_PATH) return FileWrite::kTooLong;
    DWORD end = folder;
    while (end > 0 && joined[end - 1] != L'\\') --end;
    joined[end] = L'\0';
  }
  ::lstrcatW(joined, expanded);
  const DWORD whole = ::GetFullPathNameW(joined, MAX_PATH, paths.file, nullptr);
  if (whole == 0) return FileWrite::kFailed;
  if (whole + sizeof kTemporaryEnd / sizeof(wchar_t) > MAX_PATH) return FileWrite::kTooLong;
  ::lstrcpyW(paths.temporary, paths.file);
  ::lstrcatW(paths.temporary, kTemporaryEnd);
  return FileWrite::kWritten;
}

[[nodiscard]] FileWrite Refusal(DWORD error) {
  switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return FileWrite::kHeld;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      return FileWrite::kNoFolder;
    case ERROR_ACCESS_DENIED:
      return FileWrite::kDenied;
    case ERROR_FILENAME_EXCED_RANGE:
      return FileWrite::kTooLong;
    default:
      return FileWrite::kFailed;
  }
}

// What refuses the file before anything is written: a folder of that name, or a read-only file.
[[nodiscard]] FileWrite Obstacle(const FilePaths& paths) {
  const DWORD attributes = ::GetFileAttributesW(paths.file);
  if (attributes == INVALID_FILE_ATTRIBUTES) return FileWrite::kWritten;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return FileWrite::kFolder;
  if (attributes & FILE_ATTRIBUTE_READONLY) return FileWrite::kReadOnly;
  return FileWrite::kWritten;
}

[[nodiscard]] FileWrite WriteWhole(const FilePaths& paths, std::string_view text) {
  const HANDLE file = ::CreateFileW(paths.temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return Refusal(::GetLastError());
  const auto size = static_cast<DWORD>(text.size());
  DWORD written = 0;
  // On the disk before it takes the file's place: a power cut finds the old text or the new.
  const bool whole =
      (size == 0 || (::WriteFile(file, text.data(), size, &written, nullptr) && written == size)) &&
      ::FlushFileBuffers(file);
  ::CloseHandle(file);
  if (whole && ::MoveFileExW(paths.temporary, paths.file,
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return FileWrite::kWritten;
  }
  const DWORD error = whole ? ::GetLastError() : ERROR_WRITE_FAULT;
  ::DeleteFileW(paths.temporary);
  // The folder took the temporary file and the file is no read-only one: a move refused now is
  // another program's hold (a reader without delete sharing, a scanner; some systems answer it
  // with access denied), and is tried again.
  if (error == ERROR_ACCESS_DENIED) return FileWrite::kHeld;
  return Refusal(error);
}

void ShareTickEvent(void* /*host*/, TObject* /*sender*/) {
  OnShareTick(PopupHost());
}

}  // namespace

FileWrite Win32Host::ShareFileWrite(std::string_view path, std::string_view text) {
  FilePaths paths;
  FileWrite result = WholePaths(path, paths);
  if (result == FileWrite::kWritten) result = Obstacle(paths);
  return result == FileWrite::kWritten ? WriteWhole(paths, text) : result;
}

void Win32Host::ShareTimerSet(uint32_t milliseconds) {
  if (!shareTimer_) {
    shareTimer_ = new TTimer;
    shareTimer_->SetEnabled(false);
  }
  shareTimer_->SetInterval(milliseconds);
  shareTimer_->SetEnabled(milliseconds != 0);
  // Assigning the event starts the countdown anew.
  shareTimer_->SetOnTimer({&ShareTickEvent, this});
}

FileWrite CheckShareFile(std::string_view path) {
  FilePaths paths;
  FileWrite result = WholePaths(path, paths);
  if (result == FileWrite::kWritten) result = Obstacle(paths);
  if (result != FileWrite::kWritten) return result;
  const HANDLE file = ::CreateFileW(paths.temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return Refusal(::GetLastError());
  ::CloseHandle(file);
  return FileWrite::kWritten;
}
