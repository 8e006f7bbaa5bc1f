#include "toolkit/format.h"

Text IntToText(int32_t value) {
  char buffer[16];  // ten digits, a sign and the terminator
  char* cursor = buffer + sizeof buffer;
  *--cursor = '\0';
  const bool negative = value < 0;
  // The magnitude as unsigned, so that -2147483648 needs no special case.
  uint32_t magnitude = negative ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
  do {
    *--cursor = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (negative) *--cursor = '-';
  return Text(cursor);
}
