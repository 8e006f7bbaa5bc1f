#include "display/track_fields.h"

#include <cstddef>
#include <string_view>

#include "toolkit/format.h"

namespace {

constexpr uint32_t kPageBytes = 4096;
// The room for one field's value, and for the playing file's name, terminators included. A name
// that does not fit cannot be asked about; a value that fills its room may have been cut.
constexpr uint32_t kValueUnits = 512;
constexpr uint32_t kFileNameUnits = 1024;

// What is placed in the player's memory: extendedFileInfoStructW as a 32-bit player lays it out
// (four 4-byte words: filename, metadata, ret, retlen in characters), the field's name, then the
// buffer for the value, then the file's name.
struct Request {
  uint32_t fileName;
  uint32_t metadata;
  uint32_t value;
  uint32_t valueUnits;
  char16_t name[16];
  char16_t valueStart;  // the value's buffer begins here
};
constexpr uint32_t kValueOffset = offsetof(Request, valueStart);
[[nodiscard]] constexpr bool NamesFit() {
  for (const std::string_view name : kTrackFieldNames) {
    if (name.size() >= sizeof Request::name / sizeof *Request::name) return false;
  }
  return true;
}
static_assert(NamesFit(), "a field's name and its terminator fit the request");
constexpr uint32_t kFileNameOffset = kValueOffset + kValueUnits * 2;
constexpr uint32_t kBlockBytes = kFileNameOffset + kFileNameUnits * 2;

uint32_t Unit(const uint8_t* bytes, size_t index) {
  return bytes[2 * index] | static_cast<uint32_t>(bytes[2 * index + 1]) << 8;
}

uint32_t Dword(const uint8_t* bytes) {
  return Unit(bytes, 0) | Unit(bytes, 1) << 16;
}

// UTF-16 (little-endian, up to `units` or a zero unit) as UTF-8. Half a surrogate pair becomes
// U+FFFD, as WideCharToMultiByte makes it.
Text Utf8(const uint8_t* bytes, size_t units) {
  Text out;
  char chunk[64];
  size_t used = 0;
  for (size_t i = 0; i < units; ++i) {
    uint32_t c = Unit(bytes, i);
    if (c == 0) break;
    if (c >= 0xD800 && c < 0xE000) {
      const uint32_t low = i + 1 < units ? Unit(bytes, i + 1) : 0;
      if (c < 0xDC00 && low >= 0xDC00 && low < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      } else {
        c = 0xFFFD;
      }
    }
    if (used + 4 > sizeof chunk) {
      out += std::string_view(chunk, used);
      used = 0;
    }
    if (c < 0x80) {
      chunk[used++] = static_cast<char>(c);
      continue;
    }
    const int tail = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    chunk[used++] = static_cast<char>((0xFF00 >> (tail + 1)) | c >> (6 * tail));
    for (int shift = 6 * (tail - 1); shift >= 0; shift -= 6) {
      chunk[used++] = static_cast<char>(0x80 | ((c >> shift) & 0x3F));
    }
  }
  out += std::string_view(chunk, used);
  return out;
}

// The playing file's name, read at once from where the player points (WACUP moves it between
// calls, so the address is never kept), page by page so that no read runs into a page past the
// name's end. Answers its length in units: 0 when it cannot be read, is empty or does not fit.
uint32_t ReadFileName(PlayerProcess& player, uint32_t address, uint8_t* name) {
  constexpr uint32_t kRoom = kFileNameUnits * 2;
  uint32_t have = 0;
  while (have < kRoom) {
    const uint32_t at = address + have;
    uint32_t piece = kPageBytes - at % kPageBytes;
    if (piece > kRoom - have) piece = kRoom - have;
    if (!player.Read(at, name + have, piece)) return 0;
    have += piece;
    for (uint32_t unit = 0; 2 * unit + 1 < have; ++unit) {
      if (Unit(name, unit) == 0) return unit;
    }
  }
  return 0;
}

// Each field asked for in turn about the request in `block`. False when the player stops
// answering or its memory fails us; a field it does not know, or one too long, stays empty.
bool AskFields(PlayerProcess& player, uint32_t fileAddress, uint32_t block, TrackFields& fields,
               uint32_t& leftBlock) {
  uint8_t text[kFileNameUnits * 2];
  const uint32_t length = ReadFileName(player, fileAddress, text);
  if (length == 0 || !player.Write(block + kFileNameOffset, text, (length + 1) * 2)) return false;
  fields[TrackField::kFileName] = Utf8(text, length);
  for (size_t field = 0; field < kTrackFieldCount; ++field) {
    const char* name = kTrackFieldNames[field];
    if (*name == '\0') continue;  // the file's path, asked for apart
    // The value's buffer starts empty each time: a player that says yes and writes nothing
    // leaves no other field's value in it.
    Request request = {block + kFileNameOffset,
                       block + static_cast<uint32_t>(offsetof(Request, name)),
                       block + kValueOffset,
                       kValueUnits,
                       {},
                       0};
    for (size_t i = 0; name[i] != '\0'; ++i) request.name[i] = static_cast<char16_t>(name[i]);
    if (!player.Write(block, &request, sizeof request)) return false;
    const PlayerAnswer answer = player.Ask(block, kIpcGetExtendedFileInfoW);
    if (!answer.answered) {
      leftBlock = block;
      return false;
    }
    if (answer.value == 0) continue;
    if (!player.Read(block + kValueOffset, text, kValueUnits * 2)) return false;
    uint32_t units = 0;
    while (units < kValueUnits && Unit(text, units) != 0) ++units;
    if (units + 1 < kValueUnits) fields.value[field] = Utf8(text, units);
  }
  return true;
}

// Winamp 5.13+ and WACUP: the request goes into the player's memory, as its pointers must point
// there. A 32-bit program reaches only a 32-bit player this way: on 64-bit Windows this program
// runs under WOW64, and a player that does not is 64-bit.
[[gnu::noinline]] bool ReadFromWinamp(PlayerProcess& player, uint32_t fileAddress,
                                      TrackFields& fields, uint32_t& leftBlock) {
  bool selfWow64 = false;
  bool playerWow64 = false;
  if (!player.Open() || !player.IsWow64(true, selfWow64) || !player.IsWow64(false, playerWow64) ||
      selfWow64 != playerWow64) {
    return false;
  }
  const uint32_t block = player.Allocate(kBlockBytes);
  if (block == 0) return false;
  const bool read = AskFields(player, fileAddress, block, fields, leftBlock);
  if (leftBlock != block) player.Free(block);
  return read;
}

// AIMP: TAIMPRemoteFileInfo of its SDK's apiRemote.h, packed (88 bytes: its size, Active,
// BitRate, Channels, Duration, FileSize (8 bytes), FileMark, SampleRate, TrackNumber at 36, the
// lengths in characters of album, artist, date, file name, genre and title from 40, six
// reserved words), then those strings in that order. Lengths that run past the mapping are a
// broken record: nothing of it is believed.
[[gnu::noinline]] bool ReadFromAimp(PlayerProcess& player, TrackFields& fields) {
  constexpr uint32_t kRecordBytes = 88;
  constexpr TrackField kOrder[] = {TrackField::kAlbum,    TrackField::kArtist, TrackField::kYear,
                                   TrackField::kFileName, TrackField::kGenre,  TrackField::kTitle};
  uint8_t info[kAimpRemoteInfoBytes];
  if (!player.ReadRemoteInfo(info)) return false;
  uint64_t end = kRecordBytes;
  for (size_t i = 0; i < 6; ++i) end += 2ull * Dword(info + 40 + 4 * i);
  if (end > kAimpRemoteInfoBytes) return false;
  size_t at = kRecordBytes;
  for (size_t i = 0; i < 6; ++i) {
    const uint32_t units = Dword(info + 40 + 4 * i);
    fields[kOrder[i]] = Utf8(info + at, units);
    at += 2 * units;
  }
  const uint32_t track = Dword(info + 36);
  if (track > 0 && track <= INT32_MAX) {
    fields[TrackField::kTrackNumber] = IntToText(static_cast<int32_t>(track));
  }
  return true;
}

}  // namespace

bool ReadTrackFields(PlayerProcess& player, TrackFields& fields, uint32_t& leftBlock) {
  fields = TrackFields();
  // Winamp names its playing file; other players answer 0. No answer at all: the player hangs
  // or went away, and every further message would wait as long again.
  const PlayerAnswer file = player.Ask(0, kIpcGetPlayingFilename);
  if (!file.answered) return false;
  // A player handles the messages sent to it in order: having answered this one, it is done
  // with the request of the one it left unanswered.
  if (leftBlock != 0) {
    if (player.Open()) player.Free(leftBlock);
    leftBlock = 0;
  }
  const bool read =
      file.value != 0 ? ReadFromWinamp(player, static_cast<uint32_t>(file.value), fields, leftBlock)
                      : ReadFromAimp(player, fields);
  if (read) {
    for (const Text& value : fields.value) {
      if (!value.IsEmpty()) return true;
    }
  }
  fields = TrackFields();
  return false;
}
