// The frames of Discord's local RPC pipe: an 8-byte header, the opcode and the length of the
// JSON that follows (both 32-bit little-endian), then that JSON.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "toolkit/text.h"

enum class Opcode : uint32_t { kHandshake = 0, kFrame = 1, kClose = 2, kPing = 3, kPong = 4 };

inline constexpr size_t kFrameHeaderSize = 8;
// A frame, its header included, is at most as large as Discord's client reads: 64 KiB.
inline constexpr size_t kFrameMost = 64 * 1024;

[[nodiscard]] Text EncodeFrame(Opcode opcode, std::string_view json);

// The bytes come in as the pipe gives them; whole frames come out.
class FrameReader {
 public:
  enum class Next : uint8_t {
    kFrame,     // `opcode` and `json` hold the next frame
    kWaiting,   // a frame has begun and not yet come whole
    kTooLarge,  // a header claims more than a sane frame: the pipe is to be closed
  };
  void Add(std::string_view bytes) { pending_ += bytes; }
  [[nodiscard]] Next Take(Opcode& opcode, Text& json);
  void Clear() { pending_ = Text(); }

 private:
  Text pending_;
};
