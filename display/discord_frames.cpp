#include "display/discord_frames.h"

#include "display/bytes.h"

namespace {

void AppendWord(Text& bytes, uint32_t word) {
  const char le[] = {static_cast<char>(word), static_cast<char>(word >> 8),
                     static_cast<char>(word >> 16), static_cast<char>(word >> 24)};
  bytes += std::string_view(le, sizeof le);
}

[[nodiscard]] uint32_t ReadWord(std::string_view bytes, size_t at) {
  uint32_t word = 0;
  for (size_t i = 4; i-- > 0;) word = word << 8 | static_cast<uint8_t>(bytes[at + i]);
  return word;
}

}  // namespace

Text EncodeFrame(Opcode opcode, std::string_view json) {
  Text frame;
  AppendWord(frame, static_cast<uint32_t>(opcode));
  AppendWord(frame, static_cast<uint32_t>(json.size()));
  frame += json;
  return frame;
}

FrameReader::Next FrameReader::Take(Opcode& opcode, Text& json) {
  const std::string_view bytes = pending_.View();
  if (bytes.size() < kFrameHeaderSize) return Next::kWaiting;
  const uint32_t length = ReadWord(bytes, 4);
  if (length > kFrameMost - kFrameHeaderSize) return Next::kTooLarge;
  if (bytes.size() - kFrameHeaderSize < length) return Next::kWaiting;
  opcode = static_cast<Opcode>(ReadWord(bytes, 0));
  json = Text(Slice(bytes, kFrameHeaderSize, length));
  pending_ = Text(Slice(bytes, kFrameHeaderSize + length));
  return Next::kFrame;
}
