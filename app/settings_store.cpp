// The settings store: where settings.ini is, what it holds, and the file that Edit settings
// opens.
#include "app/settings_store.h"

#include <windows.h>

#include "app/tray.h"
#include "app/win32_host.h"
#include "display/language.h"
#include "display/safe_replace.h"
#include "display/settings_text.h"
#include "display/settings_writer.h"

namespace {

constexpr wchar_t kFileName[] = L"settings.ini";
// A program's path longer than this is not looked beside: the current directory's file counts
// alone, as it always did.
constexpr DWORD kPathMost = 1024;
wchar_t besideProgram[kPathMost + sizeof kFileName / sizeof kFileName[0]];
// The most of a file that is read: far more than a settings file holds.
constexpr DWORD kReadMost = 1 << 20;
// UTF-16 little-endian, as Notepad saves "Unicode": the profile functions read it as text.
constexpr unsigned char kUtf16Mark[] = {0xFF, 0xFE};
// The name the old file passes through while the new one takes its place.
constexpr wchar_t kBackupEnd[] = L".bak";

using ShellExecuteProc = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);

// Once, for both places.
[[gnu::noinline]] FileStamp StampOf(const wchar_t* path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExW(path, GetFileExInfoStandard, &data)) return {};
  const auto join = [](DWORD high, DWORD low) { return uint64_t{high} << 32 | low; };
  return {true, join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime),
          join(data.nFileSizeHigh, data.nFileSizeLow)};
}

// The bytes of a file in UTF-16 as text in the process's code page.
void FromUtf16(const char* bytes, DWORD count, Text& text) {
  const auto* units = reinterpret_cast<const wchar_t*>(bytes + sizeof kUtf16Mark);
  const int length = static_cast<int>((count - sizeof kUtf16Mark) / sizeof(wchar_t));
  const int size = ::WideCharToMultiByte(CP_ACP, 0, units, length, nullptr, 0, nullptr, nullptr);
  char* converted = new char[static_cast<size_t>(size) + 1];
  ::WideCharToMultiByte(CP_ACP, 0, units, length, converted, size, nullptr, nullptr);
  text = Text(converted, static_cast<size_t>(size));
  delete[] converted;
}

// Text in the process's code page as a file in UTF-16 little-endian, with its mark.
Text ToUtf16(std::string_view text) {
  const int length =
      ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  wchar_t* const units = new wchar_t[static_cast<size_t>(length) + 1];
  ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), units, length);
  Text bytes(reinterpret_cast<const char*>(kUtf16Mark), sizeof kUtf16Mark);
  bytes += std::string_view(reinterpret_cast<const char*>(units),
                            static_cast<size_t>(length) * sizeof(wchar_t));
  delete[] units;
  return bytes;
}

// Copies `text` with its terminator to `to`, when it fits before `end`; answers the end of the
// copy (at the terminator), or null.
wchar_t* CopyText(wchar_t* to, const wchar_t* end, const wchar_t* text) {
  for (; to < end; ++to, ++text) {
    if ((*to = *text) == L'\0') return to;
  }
  return nullptr;
}

// Makes a file at `path` (CREATE_NEW: never over one; CREATE_ALWAYS) with the bytes; false when
// it cannot be made, or does not take them all (a disk too full keeps what it took).
bool WriteNewFile(const wchar_t* path, const char* bytes, DWORD size, DWORD disposition) {
  const HANDLE file =
      CreateFileW(path, GENERIC_WRITE, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  // On the disk before it takes another file's place: a crash or a power cut right after the
  // save finds the old file or the new one, never an empty one.
  const bool whole =
      WriteFile(file, bytes, size, &written, nullptr) && written == size && FlushFileBuffers(file);
  CloseHandle(file);
  return whole;
}

// Writes the commented defaults to `path`, never over a file. True when the file is there.
bool WriteDefaults(const wchar_t* path) {
  const Text text = DefaultSettingsText();
  return path && (WriteNewFile(path, text.CStr(), static_cast<DWORD>(text.Length()), CREATE_NEW) ||
                  GetLastError() == ERROR_FILE_EXISTS);
}

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

namespace {

// What a read found besides the text.
struct FileForm {
  bool utf16;  // UTF-16 with its mark, read as text in the code page
  bool kept;   // that text, written back in UTF-16, gives every unit of the file again
  bool cut;    // longer than kReadMost: the text is its beginning only
};

// Read whole, once: another program's open handle does not stop the read, unless it keeps the
// file shut (a virus scanner, a sync client), and then the read is tried again later.
SettingsRead ReadWhole(const wchar_t* path, Text& bytes, FileForm& form) {
  const HANDLE file =
      ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? SettingsRead::kNoFile
                                                                          : SettingsRead::kFailed;
  }
  DWORD sizeHigh = 0;
  const DWORD size = ::GetFileSize(file, &sizeHigh);
  form.cut = sizeHigh != 0 || size > kReadMost;
  const DWORD most = form.cut ? kReadMost : size;
  char* buffer = new char[most + 1];
  DWORD count = 0;
  const bool read = size != INVALID_FILE_SIZE && ::ReadFile(file, buffer, most, &count, nullptr);
  ::CloseHandle(file);
  form.utf16 = count >= sizeof kUtf16Mark &&
               static_cast<unsigned char>(buffer[0]) == kUtf16Mark[0] &&
               static_cast<unsigned char>(buffer[1]) == kUtf16Mark[1];
  if (read) {
    if (form.utf16) {
      FromUtf16(buffer, count, bytes);
      form.kept = ToUtf16(bytes.View()) == std::string_view(buffer, count);
    } else {
      bytes = Text(buffer, count);
    }
  }
  delete[] buffer;
  return read ? SettingsRead::kRead : SettingsRead::kFailed;
}

using FinalPathProc = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);

// The file that `path` names at the end of its links (Windows Vista and later have links to
// files), into `target`; the path itself where that cannot be found.
void FinalPath(const wchar_t* path, wchar_t (&target)[kPathMost]) {
  const auto finalPath = reinterpret_cast<FinalPathProc>(reinterpret_cast<void (*)()>(
      ::GetProcAddress(::GetModuleHandleA("kernel32"), "GetFinalPathNameByHandleW")));
  const HANDLE file =
      finalPath ? ::CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr)
                : INVALID_HANDLE_VALUE;
  DWORD length = 0;
  if (file != INVALID_HANDLE_VALUE) {
    length = finalPath(file, target, kPathMost, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    ::CloseHandle(file);
  }
  if (length == 0 || length >= kPathMost) ::lstrcpynW(target, path, kPathMost);
}

// The three names of a replacement, bound to Win32.
class Win32ReplacingFiles final : public ReplacingFiles {
 public:
  Win32ReplacingFiles(const wchar_t* target, const wchar_t* replacement, const wchar_t* backup)
      : names_{target, replacement, backup} {}

  uint32_t Replace(bool ignoreAcl) override {
    const DWORD flags =
        REPLACEFILE_IGNORE_MERGE_ERRORS | (ignoreAcl ? REPLACEFILE_IGNORE_ACL_ERRORS : 0);
    return ::ReplaceFileW(Name(ReplaceRole::kTarget), Name(ReplaceRole::kReplacement),
                          Name(ReplaceRole::kBackup), flags, nullptr, nullptr)
               ? 0
               : ::GetLastError();
  }
  bool Move(ReplaceRole from, ReplaceRole to) override {
    return ::MoveFileExW(Name(from), Name(to), MOVEFILE_WRITE_THROUGH);
  }
  bool Delete(ReplaceRole file) override { return ::DeleteFileW(Name(file)); }
  bool Exists(ReplaceRole file) override {
    return ::GetFileAttributesW(Name(file)) != INVALID_FILE_ATTRIBUTES;
  }

 private:
  const wchar_t* Name(ReplaceRole role) const { return names_[static_cast<size_t>(role)]; }
  const wchar_t* names_[3];
};

// `bytes` written to a file beside `path`'s target, which then takes that file's place (its
// attributes and permissions stay, where the user may write them), or becomes it where there was
// none; the old file passes through a backup beside it. A read-only file is not replaced.
ReplaceOutcome Replace(const wchar_t* path, const Text& bytes) {
  wchar_t target[kPathMost];
  FinalPath(path, target);
  const DWORD attributes = ::GetFileAttributesW(target);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    return ReplaceOutcome::kKept;
  }
  constexpr size_t kRoom = kPathMost + 8;
  wchar_t* const temporary = new wchar_t[2 * kRoom];
  wchar_t* const backup = temporary + kRoom;
  CopyText(CopyText(temporary, temporary + kRoom, target), temporary + kRoom, L".new");
  CopyText(CopyText(backup, backup + kRoom, target), backup + kRoom, kBackupEnd);
  ReplaceOutcome outcome = ReplaceOutcome::kKept;
  if (WriteNewFile(temporary, bytes.CStr(), static_cast<DWORD>(bytes.Length()), CREATE_ALWAYS)) {
    Win32ReplacingFiles files(target, temporary, backup);
    outcome = ReplaceSafely(files);
  } else {
    // A part written before the disk filled up; the file itself was not touched.
    ::DeleteFileW(temporary);
  }
  delete[] temporary;
  return outcome;
}

}  // namespace

SettingsRead Win32Host::ReadSettingsFile(Text& bytes) {
  FileForm form;
  return ReadWhole(SettingsFilePath(), bytes, form);
}

// The file in use, or with none the one beside the program, or where the program runs when that
// folder is not the user's to write (Program Files), as Edit settings does.
const char* WriteSettingsChanges(const Settings& was, const Settings& now) {
  const wchar_t* path = SettingsFilePath();
  Text bytes;
  FileForm form = {};
  const SettingsRead read = ReadWhole(path, bytes, form);
  // Written from its beginning, the file would lose its end.
  if (form.cut) return Say(TextId::kSaveTooLarge);
  if (form.utf16 && !form.kept) {
    return Say(TextId::kSaveCodePage);
  }
  const Text written = WriteChangedSettings(bytes.View(), was, now);
  const Text file = form.utf16 ? ToUtf16(written.View()) : written;
  if (read == SettingsRead::kFailed) return Say(TextId::kSaveRefused);
  if (written == bytes) return nullptr;
  ReplaceOutcome outcome = Replace(path, file);
  if (outcome == ReplaceOutcome::kKept && read == SettingsRead::kNoFile) {
    outcome = Replace(kHereSettingsPath, file);
  }
  if (outcome == ReplaceOutcome::kStranded) return Say(TextId::kSaveStranded);
  return outcome == ReplaceOutcome::kReplaced ? nullptr : Say(TextId::kSaveRefused);
}

void Win32Host::SettingsGetStamps(FileStamp& here, FileStamp& beside) {
  here = StampOf(kHereSettingsPath);
  beside = StampOf(ProgramSettingsPath());
}

void Win32Host::SettingsEdit() {
  const wchar_t* path = SettingsFilePath();
  if (!path || GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) {
    // No file in use: one beside the program, or where the program runs when that folder is
    // not the user's to write (Program Files).
    path = ProgramSettingsPath();
    if (!WriteDefaults(path)) {
      path = kFileName;
      if (!WriteDefaults(path)) return;
    }
  }
  const auto execute =
      reinterpret_cast<ShellExecuteProc>(reinterpret_cast<void (*)()>(Shell("ShellExecuteW")));
  if (!execute) return;
  // Whatever the user opens .ini files with; Notepad, from the system folder, when nothing is
  // set for them or it fails. ShellExecute's answers above 32 are successes.
  if (reinterpret_cast<INT_PTR>(execute(nullptr, L"open", path, nullptr, nullptr, SW_SHOWNORMAL)) >
      32) {
    return;
  }
  wchar_t notepad[MAX_PATH + 16];
  wchar_t quoted[MAX_PATH + 3] = L"\"";
  wchar_t* const end = CopyText(quoted + 1, quoted + MAX_PATH + 1, path);
  const UINT folder = GetSystemDirectoryW(notepad, MAX_PATH);
  if (folder == 0 || folder >= MAX_PATH || !end) return;
  CopyText(notepad + folder, notepad + MAX_PATH + 16, L"\\notepad.exe");
  CopyText(end, end + 2, L"\"");
  execute(nullptr, L"open", notepad, quoted, nullptr, SW_SHOWNORMAL);
}
