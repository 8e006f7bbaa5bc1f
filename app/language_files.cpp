// The language files: lang\<code>.txt beside tunelamp.exe, and the user's display language.
#include "app/language_files.h"

#include "app/win32_host.h"

namespace {

constexpr DWORD kPathMost = 1024;

// "<folder of tunelamp.exe>\lang\<name>" into `path`; false when it does not fit.
bool LanguagePath(const wchar_t* name, wchar_t (&path)[kPathMost + 40]) {
  DWORD length = ::GetModuleFileNameW(nullptr, path, kPathMost);
  if (length == 0 || length >= kPathMost) return false;
  while (length > 0 && path[length - 1] != L'\\') --length;
  ::lstrcpyW(path + length, L"lang\\");
  return ::lstrlenW(name) < 30 && ::lstrcpyW(path + length + 5, name);
}

// The code as the file's name: "ru" is "ru.txt" (codes are ASCII).
void FileName(std::string_view code, wchar_t (&name)[32]) {
  size_t at = 0;
  for (; at < code.size() && at < 16; ++at) name[at] = static_cast<unsigned char>(code[at]);
  ::lstrcpyW(name + at, L".txt");
}

}  // namespace

bool Win32Host::LanguageReadFile(std::string_view code, Text& bytes) {
  wchar_t name[32];
  FileName(code, name);
  wchar_t path[kPathMost + 40];
  if (!LanguagePath(name, path)) return false;
  const HANDLE file = ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  constexpr DWORD kMost = kLanguageFileMost + 1;
  char* const buffer = new char[kMost];
  DWORD count = 0;
  const bool read = ::ReadFile(file, buffer, kMost, &count, nullptr);
  ::CloseHandle(file);
  if (read) bytes = Text(buffer, count);
  delete[] buffer;
  return read;
}

// The locale's name where the system has one (Vista and later), else its language's ISO code.
Text Win32Host::LanguageOfSystem() {
  const LCID locale = MAKELCID(::GetUserDefaultUILanguage(), SORT_DEFAULT);
  char name[86];
  if (!::GetLocaleInfoA(locale, LOCALE_SNAME, name, sizeof name) &&
      !::GetLocaleInfoA(locale, LOCALE_SISO639LANGNAME, name, sizeof name)) {
    return Text();
  }
  return Text(name);
}

int ListLanguages(LanguageChoice (&choices)[kLanguagesMost]) {
  wchar_t pattern[kPathMost + 40];
  if (!LanguagePath(L"*.txt", pattern)) return 0;
  WIN32_FIND_DATAW found;
  const HANDLE search = ::FindFirstFileW(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  int count = 0;
  do {
    LanguageChoice& choice = choices[count];
    int length = ::lstrlenW(found.cFileName) - 4;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || length <= 0 || length > 16) {
      continue;
    }
    for (int at = 0; at <= length; ++at) {
      const wchar_t c = at < length ? found.cFileName[at] : L'\0';
      choice.code[at] = c < 0x80 ? static_cast<char>(c) : '/';
    }
    // "en" is the program's own English; a name that is no code is not chosen by one.
    if (LanguageCode(choice.code, "").IsEmpty() || LanguageCode(choice.code, "") != choice.code) {
      continue;
    }
    Text bytes;
    if (!PopupHost().LanguageReadFile(choice.code, bytes)) continue;
    const Language language(bytes.View());
    choice.name = language.Has(TextId::kLanguageInItself)
                      ? Text(language.Say(TextId::kLanguageInItself))
                      : Text(choice.code);
    ++count;
  } while (count < kLanguagesMost && ::FindNextFileW(search, &found));
  ::FindClose(search);
  return count;
}

void Utf8ToWide(const char* text, wchar_t* wide, int size) {
  // Texts fit: a language's are at most kLanguageTextMost bytes, so as many units.
  if (::MultiByteToWideChar(CP_UTF8, 0, text, -1, wide, size) <= 0) wide[0] = L'\0';
}
