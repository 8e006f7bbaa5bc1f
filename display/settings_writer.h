// settings.ini written back by the settings window: only the values that changed, each where it
// stands, every other byte of the file as it was (comments, order, spacing, line ends, encoding).
#pragma once

#include <cstdint>
#include <string_view>

#include "display/settings.h"
#include "toolkit/text.h"

// The bytes of `file` with every setting whose value differs between `was` and `now` set to
// now's: in place of the value the reader takes; else in a new line after the last line of its
// section that is no comment; else in a new section at the end. New lines end as the file's
// first line does (CRLF in a file without one).
[[nodiscard]] Text WriteChangedSettings(std::string_view file, const Settings& was,
                                        const Settings& now);

// Milliseconds as seconds, as a user writes them: "3", "0.5", "1.25".
[[nodiscard]] Text SecondsText(uint32_t milliseconds);
// Seconds as a user writes them, with "." or "," before at most three decimals; false for anything
// else, or more than 999999 seconds.
[[nodiscard]] bool ReadSeconds(std::string_view text, uint32_t& milliseconds);
