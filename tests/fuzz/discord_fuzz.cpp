// What Discord could send over its pipe, and any text a title could hold. Checks that the frame
// reader ends and keeps every frame within 64 KiB, that the JSON reader accepts only an object
// and points only inside it, and that the activity written for any text is one well-formed
// SET_ACTIVITY object whose lines stay within 128 bytes: no text breaks the frame or adds a field.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "display/discord_frames.h"
#include "display/discord_json.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

bool Inside(std::string_view part, std::string_view whole) {
  return part.empty() ||
         (part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  // The pipe's bytes, in pieces of any size.
  FrameReader reader;
  for (size_t at = 0; at < bytes.size();) {
    const size_t piece = 1 + static_cast<uint8_t>(bytes[at]) % 64;
    reader.Add(bytes.substr(at, piece));
    at += piece;
    Opcode opcode = Opcode::kFrame;
    Text json;
    FrameReader::Next next;
    while ((next = reader.Take(opcode, json)) == FrameReader::Next::kFrame) {
      Check(json.Length() <= kFrameMost - kFrameHeaderSize);
      DiscordMessage message;
      if (ReadDiscordMessage(json.View(), message)) {
        Check(Inside(message.cmd, json.View()) && Inside(message.evt, json.View()) &&
              Inside(message.message, json.View()));
      }
    }
    if (next == FrameReader::Next::kTooLarge) break;
  }

  DiscordMessage message;
  if (ReadDiscordMessage(bytes, message)) {
    size_t first = 0;
    while (first < bytes.size() && (bytes[first] == ' ' || bytes[first] == '\t' ||
                                    bytes[first] == '\n' || bytes[first] == '\r')) {
      ++first;
    }
    Check(first < bytes.size() && bytes[first] == '{');
  }

  // Any text as both lines: the activity reads back as one object of its own command.
  Activity activity;
  activity.active = true;
  activity.details = Text(bytes);
  activity.state = Text(bytes.substr(bytes.size() / 2));
  activity.start = 1700000000;
  activity.end = size % 2 ? 0 : 1700000300;
  const Text json = ActivityJson(1234, activity, 5);
  DiscordMessage written;
  Check(ReadDiscordMessage(json.View(), written));
  Check(written.cmd == "SET_ACTIVITY" && written.evt.empty() && written.message.empty());
  Check(json.Length() <= 2 * 6 * kActivityTextMost + 200);
  Check(CutAtCharacter(bytes, kActivityTextMost).size() <= kActivityTextMost);
  return 0;
}
