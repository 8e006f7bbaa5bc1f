// The field reader against a player process that behaves, and fails, as Windows and Winamp do:
// memory is reached only where it is allocated, a read that runs past it fails whole
// (ERROR_PARTIAL_COPY), and the player answers IPC_GET_EXTENDED_FILE_INFOW from its own table
// of tags, copying a value into the caller's buffer as lstrcpyn does.
#include "display/track_fields.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

struct FakePlayerProcess : PlayerProcess {
  std::map<uint32_t, std::vector<uint8_t>> regions;  // base: bytes
  uint32_t nextBase = 0x00500000;
  std::u16string fileName = u"C:\\Music\\Песня.mp3";
  std::map<std::u16string, std::u16string> tags = {
      {u"title", u"Невесомость"}, {u"artist", u"青い鳥"}, {u"year", u"2021"}};
  bool openRefused = false, allocationRefused = false, playerWow64 = true, noMapping = true;
  bool yesWithoutWriting = false;  // a plug-in that answers 1 for a field it lacks, writing nothing
  int hangAt = -1, freeAfter = -1, messages = 0, unanswered = 0, allocations = 0;
  uint32_t fileAddress = 0;
  std::vector<uint8_t> mapping = std::vector<uint8_t>(kAimpRemoteInfoBytes);

  FakePlayerProcess() {  // the name ends at its page's end, with nothing readable past it
    const size_t bytes = 2 * (fileName.size() + 1);
    fileAddress = static_cast<uint32_t>(0x00401000 - bytes);
    regions[0x00400000] = std::vector<uint8_t>(4096);
    std::memcpy(regions[0x00400000].data() + 4096 - bytes, fileName.c_str(), bytes);
  }
  // The name from `offset` in two pages of readable memory, as a player may place it.
  void PlaceName(std::u16string name, uint32_t offset) {
    fileName = std::move(name);
    fileAddress = 0x00400000 + offset;
    regions[0x00400000] = std::vector<uint8_t>(8192, 0xCC);
    std::memcpy(regions[0x00400000].data() + offset, fileName.c_str(), 2 * fileName.size() + 2);
  }
  uint8_t* At(uint32_t address, uint32_t count) {
    for (auto& [base, bytes] : regions) {
      if (address >= base && address - base + uint64_t{count} <= bytes.size()) {
        return bytes.data() + (address - base);
      }
    }
    return nullptr;
  }
  std::u16string String(uint32_t address) {
    std::u16string text;
    for (uint8_t* unit; (unit = At(address, 2)) && (unit[0] | unit[1]); address += 2) {
      text += static_cast<char16_t>(unit[0] | unit[1] << 8);
    }
    return text;
  }
  PlayerAnswer Ask(uint32_t wParam, int32_t lParam) override {
    const int index = messages++;
    if (hangAt >= 0 && index >= hangAt) {
      ++unanswered;
      return {0, false};
    }
    PlayerAnswer answer = {0, true};
    if (lParam == kIpcGetPlayingFilename) answer.value = static_cast<int32_t>(fileAddress);
    uint32_t request[4];  // extendedFileInfoStructW: filename, metadata, ret, retlen
    if (lParam == kIpcGetExtendedFileInfoW && At(wParam, 16)) {
      std::memcpy(request, At(wParam, 16), 16);
      auto tag = tags.find(String(request[1]));
      const bool known = String(request[0]) == fileName && tag != tags.end();
      const std::u16string value = known ? tag->second.substr(0, request[3] - 1) : u"";
      if (known) std::memcpy(At(request[2], 2), value.c_str(), 2 * value.size() + 2);
      answer.value = known || yesWithoutWriting;
    }
    if (index == freeAfter) Free(wParam);
    return answer;
  }
  bool Open() override { return !openRefused; }
  bool IsWow64(bool self, bool& wow64) override { return wow64 = self || playerWow64, true; }
  uint32_t Allocate(uint32_t bytes) override {
    if (allocationRefused) return 0;
    ++allocations;
    regions[nextBase] = std::vector<uint8_t>((bytes + 4095) / 4096 * 4096, 0xCC);
    return std::exchange(nextBase, nextBase + 0x10000);
  }
  bool Write(uint32_t address, const void* bytes, uint32_t count) override {
    uint8_t* to = address >= 0x00500000 ? At(address, count) : nullptr;  // its own is read-only
    return to && std::memcpy(to, bytes, count);
  }
  bool Read(uint32_t address, void* bytes, uint32_t count) override {
    const uint8_t* from = At(address, count);
    return from && std::memcpy(bytes, from, count);
  }
  void Free(uint32_t address) override { allocations -= static_cast<int>(regions.erase(address)); }
  bool ReadRemoteInfo(uint8_t* bytes) override {
    return !noMapping && std::memcpy(bytes, mapping.data(), kAimpRemoteInfoBytes);
  }
};

// AIMP's record as apiRemote.h lays it out, with its six strings after it.
void WriteAimpRecord(std::vector<uint8_t>& map, uint32_t track, std::vector<std::u16string> texts,
                     uint32_t titleLength) {
  auto dword = [&](size_t at, uint32_t value) { std::memcpy(map.data() + at, &value, 4); };
  dword(0, 88);
  dword(4, 1);
  dword(36, track);
  size_t at = 88;
  for (size_t i = 0; i < 6; ++i) {
    dword(40 + 4 * i, static_cast<uint32_t>(texts[i].size()));
    std::memcpy(map.data() + at, texts[i].data(), 2 * texts[i].size());
    at += 2 * texts[i].size();
  }
  if (titleLength) dword(60, titleLength);
}

std::string Shown(const TrackFields& fields) {
  std::string text;
  for (size_t i = 0; i < kTrackFieldCount; ++i) {
    const std::string name = *kTrackFieldNames[i] ? kTrackFieldNames[i] : "file";
    if (!fields.value[i].IsEmpty()) text += name + "=" + fields.value[i].CStr() + ";";
  }
  return text;
}

struct Row {
  const char* what;
  std::function<void(FakePlayerProcess&)> player;
  std::string fields;
  int left = 0;  // blocks still in the player: a request a hung player has yet to handle
};

TEST(TrackFieldsTest, EveryPlayerAndEveryFailureGivesTheRightFieldsOrNone) {
  const std::string tagged = "title=Невесомость;artist=青い鳥;year=2021;file=C:\\Music\\Песня.mp3;";
  // The longest name the reader's room holds, with its terminator.
  const std::u16string longest = u"C:\\" + std::u16string(1020, u'n');
  const std::string longestTagged =
      "title=Невесомость;artist=青い鳥;year=2021;file=C:\\" + std::string(1020, 'n') + ";";
  const std::vector<Row> rows = {
      {"Winamp: the name read page by page up to its page's end", [](auto&) {}, tagged},
      {"the names Winamp's plug-ins answer (in_mp3, in_cdda)",
       [](auto& p) {
         p.tags = {{u"track", u"7/12"},
                   {u"disc", u"1/2"},
                   {u"composer", u"Bach"},
                   {u"albumartist", u"Band"}};
       },
       "albumartist=Band;track=7/12;disc=1/2;composer=Bach;file=C:\\Music\\Песня.mp3;"},
      {"text beyond the Basic Multilingual Plane, and half a surrogate pair",
       [](auto& p) {
         p.tags = {{u"title", u"夜🎵"}, {u"artist", std::u16string{0xD83C, u'x'}}};
       },
       "title=夜🎵;artist=\uFFFDx;file=C:\\Music\\Песня.mp3;"},
      {"the longest name from a page's start: the room's end is reached",
       [&](auto& p) { p.PlaceName(longest, 0); }, longestTagged},
      {"one unit longer across a page's end: it does not fit",
       [&](auto& p) { p.PlaceName(longest + u"n", 4096 - 100); }, ""},
      {"a file without tags: its name alone", [](auto& p) { p.tags.clear(); },
       "file=C:\\Music\\Песня.mp3;"},
      {"a value that fills the buffer may be cut: no field",
       [](auto& p) { p.tags[u"album"] = std::u16string(600, u'x'); }, tagged},
      {"a value one short of the buffer is whole",
       [](auto& p) {
         p.tags = {{u"genre", std::u16string(510, u'g')}};
       },
       "genre=" + std::string(510, 'g') + ";file=C:\\Music\\Песня.mp3;"},
      {"yes without a value: no earlier field's text under this name",
       [](auto& p) { p.yesWithoutWriting = true; }, tagged},
      {"access refused", [](auto& p) { p.openRefused = true; }, ""},
      {"a 64-bit player", [](auto& p) { p.playerWow64 = false; }, ""},
      {"allocation refused", [](auto& p) { p.allocationRefused = true; }, ""},
      {"the name's pointer cannot be read", [](auto& p) { p.fileAddress = 0x00300000; }, ""},
      {"a read cut short: no terminator before unreadable memory",
       [](auto& p) { p.regions[0x00400000][4094] = 'x'; }, ""},
      {"hung at the first field", [](auto& p) { p.hangAt = 1; }, "", 1},
      {"hung at the name", [](auto& p) { p.hangAt = 0; }, ""},
      {"the request freed in between", [](auto& p) { p.freeAfter = 2; }, ""},
      {"foobar2000: no name, no mapping", [](auto& p) { p.fileAddress = 0; }, ""},
      {"AIMP's record",
       [](auto& p) {
         p.fileAddress = 0;
         p.noMapping = false;
         WriteAimpRecord(p.mapping, 7, {u"Спутник", u"青い鳥", u"2021", u"", u"", u"夜"}, 0);
       },
       "title=夜;artist=青い鳥;album=Спутник;track=7;year=2021;"},
      {"AIMP's track number 0: none",
       [](auto& p) {
         p.fileAddress = 0;
         p.noMapping = false;
         WriteAimpRecord(p.mapping, 0, {u"", u"青い鳥", u"", u"", u"", u"夜"}, 0);
       },
       "title=夜;artist=青い鳥;"},
      {"AIMP's strings ending at the mapping's last byte",
       [](auto& p) {
         p.fileAddress = 0;
         p.noMapping = false;
         WriteAimpRecord(p.mapping, 7, {u"a", u"b", u"", u"", u"", u"c"}, (2048 - 88) / 2 - 2);
       },
       "title=c;artist=b;album=a;track=7;"},
      {"AIMP's strings ending a unit past the mapping",
       [](auto& p) {
         p.fileAddress = 0;
         p.noMapping = false;
         WriteAimpRecord(p.mapping, 7, {u"a", u"b", u"", u"", u"", u"c"}, (2048 - 88) / 2 - 1);
       },
       ""},
      {"AIMP's record with lengths past the mapping",
       [](auto& p) {
         p.fileAddress = 0;
         p.noMapping = false;
         WriteAimpRecord(p.mapping, 7, {u"a", u"b", u"", u"", u"", u"c"}, 981);
       },
       ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    FakePlayerProcess player;
    row.player(player);
    TrackFields fields;
    fields[TrackField::kGenre] = Text("stale");
    uint32_t leftBlock = 0;
    EXPECT_EQ(!row.fields.empty(), ReadTrackFields(player, fields, leftBlock));
    EXPECT_EQ(row.fields, Shown(fields));
    EXPECT_EQ(row.left, player.allocations) << "left in the player";
    EXPECT_LE(player.unanswered, 1) << "waited on a hung player more than once";
    // The player answers again: nothing of ours stays there.
    player.hangAt = -1;
    (void)ReadTrackFields(player, fields, leftBlock);
    EXPECT_EQ(0, player.allocations) << "left in the player once it answers";
  }
}

}  // namespace
