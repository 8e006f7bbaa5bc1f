// The strip's text from a title template (Text= in [Main]): the part of foobar2000's title
// formatting its users know, over the track's fields.
#pragma once

#include <cstdint>
#include <string_view>

#include "display/host.h"
#include "toolkit/text.h"

// The most of a template that counts, in bytes.
inline constexpr size_t kTemplateMost = 1024;

// What a template is filled in from: the player's fields and the caption's title in UTF-8, the
// length and the position in seconds (a length below 0 is not known).
struct TrackValues {
  const TrackFields& fields;
  std::string_view caption;
  int32_t length;
  int32_t position;
};

// `format` cut to kTemplateMost bytes, without a UTF-8 character cut short at its end.
[[nodiscard]] std::string_view CutTemplate(std::string_view format);

// The text `format` gives in UTF-8; empty when it gives nothing but blanks.
[[nodiscard]] Text FormatTitle(std::string_view format, const TrackValues& track);

// m:ss, as the strip writes a length or a position.
void AppendTime(Text& text, uint32_t seconds);
