// The settings reader on any file bytes, names, defaults and buffer sizes, and the settings
// loader on any file. The reader must stay inside the caller's buffer (an exact-size heap
// block, so the address sanitizer sees one byte too far), answer a zero-terminated text of
// the length it reports, cut longer texts rather than garble them, and take its value from
// the file or the default. The loader must hand on what the reader gives.
#include <cctype>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "display/events.h"
#include "display/settings.h"
#include "display/state.h"
#include "tests/fuzz/fuzz_host.h"

namespace {

constexpr uint32_t kWhole = 1 << 16;  // more than any fuzzed file

std::string Read(const IniFile& ini, const std::string& section, const std::string& key,
                 const char* fallback, uint32_t size, uint32_t* length) {
  // Exactly `size` bytes: one byte past them is outside the block.
  const std::unique_ptr<char[]> buffer(new char[size == 0 ? 1 : size]);
  std::memset(buffer.get(), 0x55, size == 0 ? 1 : size);
  *length = ini.ReadText(section, key, fallback, buffer.get(), size);
  if (size == 0) {
    FUZZ_CHECK(*length == 0);
    FUZZ_CHECK(buffer[0] == 0x55);
    return {};
  }
  FUZZ_CHECK(*length < size);
  FUZZ_CHECK(buffer[*length] == '\0');
  FUZZ_CHECK(std::strlen(buffer.get()) == *length);
  return std::string(buffer.get(), *length);
}

std::string SwapCase(std::string_view text) {
  std::string swapped(text);
  for (char& c : swapped) {
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 32);
    else if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c + 32);
  }
  return swapped;
}

void CheckReader(const IniFile& ini, std::string_view file, const std::string& section,
                 const std::string& key, const std::string& fallback, uint32_t size,
                 int32_t defaultNumber) {
  uint32_t length = 0;
  const std::string cut = Read(ini, section, key, fallback.c_str(), size, &length);
  uint32_t wholeLength = 0;
  const std::string whole = Read(ini, section, key, fallback.c_str(), kWhole, &wholeLength);

  // A short buffer gets the start of the text: all of what fits, or one byte less where a
  // quoted value is cut right before its closing quote.
  FUZZ_CHECK(whole.compare(0, cut.size(), cut) == 0);
  if (size > 0) {
    const size_t fits = whole.size() < size - 1 ? whole.size() : size - 1;
    FUZZ_CHECK(cut.size() == fits || cut.size() + 1 == fits);
  }
  // The text comes from the file or from the default, in one piece.
  FUZZ_CHECK(whole.empty() || file.find(whole) != std::string_view::npos ||
             fallback.find(whole) != std::string::npos);
  // Names compare without regard to ASCII case.
  uint32_t swappedLength = 0;
  FUZZ_CHECK(Read(ini, SwapCase(section), SwapCase(key), fallback.c_str(), kWhole,
                  &swappedLength) == whole);

  // A key with a value reads as a number whatever the default; otherwise the default.
  uint32_t valueLength = 0;
  const std::string value = Read(ini, section, key, "", kWhole, &valueLength);
  const uint32_t number = ini.ReadInt(section, key, defaultNumber);
  if (value.empty()) {
    FUZZ_CHECK(number == static_cast<uint32_t>(defaultNumber));
  } else {
    FUZZ_CHECK(number == ini.ReadInt(section, key, defaultNumber ^ 0x5A5A5A5A));
  }
}

void CheckLoader(std::string_view file, HotKeyAnswer hotKeyAnswer) {
  const IniFile ini(file);
  ResetNowPlaying();
  FuzzHost host;
  host.settings = file;
  host.hotKeyAnswer = hotKeyAnswer;
  LoadSettings(host);
  const NowPlayingState& state = NowPlaying();
  const Settings& settings = state.settings;

  FUZZ_CHECK(settings.keepInterval == ini.ReadInt("Main", "KeepTitle", 3000));
  FUZZ_CHECK(settings.checkInterval == ini.ReadInt("Main", "CheckTitle", 500));
  FUZZ_CHECK(settings.memoryEconomy == (ini.ReadInt("Main", "MemEconomy", 1) == 1));
  char color[256];
  ini.ReadText("Main", "Color", "$e69500", color, sizeof color);
  // "accent" in any case is the accent colour, which this host answers as the highlight's 0.
  const bool accent = settings.color.source == ColorSource::kAccent;
  FUZZ_CHECK(accent ? settings.color.value == 0 : settings.color.value == ParseInteger(color));
  FUZZ_CHECK(host.formColor == settings.color.value);
  FUZZ_CHECK(host.labelColor == settings.color.value);

  FUZZ_CHECK(host.fontPoints == static_cast<int32_t>(ini.ReadInt("Font", "Size", 20)));
  FUZZ_CHECK(host.formHeight == static_cast<int32_t>(static_cast<uint32_t>(host.fontPoints) + 30u));
  FUZZ_CHECK(host.labelHeight == host.formHeight);
  // The face name is at most 255 bytes and hands on its terminator.
  FUZZ_CHECK(host.fontNameLength <= 255);
  FUZZ_CHECK(host.fontNameTerminated);
  FUZZ_CHECK(state.automatic && !state.shown && !state.cancel && !state.forced);
  // Each key is asked for at most twice; the notice is one line of plain ASCII, and only a
  // [Keys] section brings one.
  FUZZ_CHECK(host.hotKeys <= 6);
  for (const char c : state.keyNotice.View()) FUZZ_CHECK(c >= ' ' && c < 0x7F);
  FUZZ_CHECK(ini.HasSection("Keys") || state.keyNotice.IsEmpty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  const uint32_t bufferSize = input.Byte();
  const std::string section(input.Piece(32));
  const std::string key(input.Piece(32));
  // A default is a C text: it ends at its first zero byte.
  const std::string fallback = std::string(input.Piece(64)).c_str();
  const auto defaultNumber = static_cast<int32_t>(input.Word());
  // The system's answer to every hot key, from the same word, so the inputs keep their layout.
  const auto hotKeyAnswer = static_cast<HotKeyAnswer>(static_cast<uint32_t>(defaultNumber) % 3);
  const std::string_view file = input.Rest();
  const IniFile ini(file);

  CheckReader(ini, file, section, key, fallback, bufferSize, defaultNumber);
  // The loader's own keys, which the fuzzer will not often spell by chance.
  CheckReader(ini, file, "Font", "Name", "Tahoma", 256, 20);
  CheckReader(ini, file, "Main", "KeepTitle", "", 30, 3000);
  CheckLoader(file, hotKeyAnswer);
  return 0;
}
