// The integer syntax of the Color setting, checked against a model written from its rules:
//   - leading spaces are skipped;
//   - "$", "x", "X", "0x" or "0X" introduce hexadecimal digits, otherwise decimal digits
//     follow an optional "-" or "+" (after a sign only decimal digits count);
//   - reading stops at the first character that does not fit, before a hexadecimal digit
//     that would push bits out of 32, and before a decimal digit that follows a value
//     already above 214748364; what was gathered is the value;
//   - a "-" negates only when the text was read to its end.
// The model keeps its value in 64 bits and asks of a hexadecimal digit whether the result
// would still fit, where the parser compares with a threshold.
#include <cstdint>
#include <string_view>

#include "display/settings.h"
#include "tests/fuzz/fuzz_host.h"

namespace {

int DigitValue(char c, int base) {
  int value = 99;
  if (c >= '0' && c <= '9') value = c - '0';
  if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  return value < base ? value : -1;
}

uint32_t ModelParse(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;

  int base = 10;
  bool negative = false;
  const std::string_view rest = text.substr(i);
  if (!rest.empty() && (rest[0] == '$' || rest[0] == 'x' || rest[0] == 'X')) {
    base = 16;
    i += 1;
  } else if (rest.size() >= 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X')) {
    base = 16;
    i += 2;
  } else if (!rest.empty() && (rest[0] == '-' || rest[0] == '+')) {
    negative = rest[0] == '-';
    i += 1;
  }

  uint64_t value = 0;
  for (; i < text.size(); ++i) {
    const int digit = DigitValue(text[i], base);
    if (digit < 0) break;
    if (base == 16) {
      // A digit that would push a set bit out of 32 is not taken.
      if (value * 16 + static_cast<uint64_t>(digit) > 0xFFFFFFFFu) break;
    } else if (value > 214748364u) {
      break;
    }
    value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
  }
  auto result = static_cast<uint32_t>(value);
  if (negative && i == text.size()) result = 0u - result;
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const uint32_t parsed = ParseInteger(text);
  const uint32_t model = ModelParse(text);
  if (parsed != model) {
    std::fprintf(stderr, "ParseInteger gave 0x%08X, the rules give 0x%08X\n", parsed, model);
    std::abort();
  }
  return 0;
}
