// Decimal and printf-style text, as the display cycle composes its caption.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "toolkit/text.h"

// Decimal text of a signed 32-bit value: no padding, no plus sign, no grouping.
[[nodiscard]] Text IntToText(int32_t value);

// The format filled in by the platform's wvsprintfA, each argument one 32-bit word.
// Callers give exactly the arguments their format names. (Natively, the C library's
// formatter stands in; it agrees for the integer conversions the program uses.)
[[nodiscard]] Text FormatText(const char* format, std::initializer_list<uint32_t> arguments);
