#include <cstdio>

#include "toolkit/format.h"

#pragma GCC diagnostic ignored "-Wformat-nonliteral"

Text FormatText(const char* format, std::initializer_list<uint32_t> arguments) {
  char buffer[2048];
  int32_t word[4] = {};
  int index = 0;
  for (uint32_t argument : arguments) {
    if (index == 4) break;
    word[index++] = static_cast<int32_t>(argument);
  }
  std::snprintf(buffer, sizeof buffer, format, word[0], word[1], word[2], word[3]);
  return Text(buffer);
}
