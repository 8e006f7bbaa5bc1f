// The language files in the folder lang beside tunelamp.exe.
#pragma once

#include <windows.h>

#include "display/language.h"

// A language the settings window lists: its file's code ("ru") and its name in itself, UTF-8.
struct LanguageChoice {
  char code[17];
  Text name;
};
inline constexpr int kLanguagesMost = 32;

// The files lang\*.txt whose names are codes, in the order the folder lists them, at most
// kLanguagesMost; answers how many.
[[nodiscard]] int ListLanguages(LanguageChoice (&choices)[kLanguagesMost]);

// UTF-8 as UTF-16 into `wide`, cut to fit and zero-terminated.
void Utf8ToWide(const char* text, wchar_t* wide, int size);
