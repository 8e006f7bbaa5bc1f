#include <windows.h>

#include "toolkit/format.h"

Text FormatText(const char* format, std::initializer_list<uint32_t> arguments) {
  // On i686 a va_list is a pointer to consecutive 32-bit words: lay the arguments out so.
  uint32_t words[16] = {};
  size_t count = 0;
  for (uint32_t argument : arguments) {
    if (count == 16) break;
    words[count++] = argument;
  }
  char buffer[2048];
  buffer[0] = '\0';
  wvsprintfA(buffer, format, reinterpret_cast<va_list>(words));
  return Text(buffer);
}
