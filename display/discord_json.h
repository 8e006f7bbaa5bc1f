// The JSON that Tunelamp and Discord's local RPC exchange: the frames Tunelamp writes, and what
// it reads of Discord's answers. Every text is UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "toolkit/text.h"

// Discord shows a text of 2 to 128 bytes.
inline constexpr size_t kActivityTextMost = 128;

// `text` as a JSON string, quotes included: quotes, backslashes and every control character
// escaped, so that no text can end the string or add a field.
void AppendJsonString(Text& json, std::string_view text);

// At most `most` bytes of `text`, never ending inside a UTF-8 sequence.
[[nodiscard]] std::string_view CutAtCharacter(std::string_view text, size_t most);

// What Discord is to show: "Listening to" with two lines and the track's times (Unix seconds;
// an end of 0 is none, as for a stream). Not active: nothing is shown.
struct Activity {
  bool active = false;
  Text details;
  Text state;
  int64_t start = 0;
  int64_t end = 0;
};
[[nodiscard]] bool operator==(const Activity& a, const Activity& b);
[[nodiscard]] inline bool operator!=(const Activity& a, const Activity& b) {
  return !(a == b);
}

// {"v":1,"client_id":"<id>"}
[[nodiscard]] Text HandshakeJson(std::string_view clientId);
// SET_ACTIVITY for process `pid`: the activity, or without one (not active) a clear. A line
// shorter than 2 characters is left out, a longer one cut at 128 bytes.
[[nodiscard]] Text ActivityJson(uint32_t pid, const Activity& activity, uint32_t nonce);

// What Tunelamp reads of a frame from Discord: the top-level "cmd" and "evt", and the error's
// message ("message" at the top, as a close carries it, or inside "data", as an ERROR does),
// as their raw JSON string contents. False for anything that is not one well-formed JSON object.
struct DiscordMessage {
  std::string_view cmd;
  std::string_view evt;
  std::string_view message;
};
[[nodiscard]] bool ReadDiscordMessage(std::string_view json, DiscordMessage& message);
