// A reader of Windows INI files that answers as GetPrivateProfileIntA and
// GetPrivateProfileStringA do, for builds without the private-profile functions.
// It reads from the file's bytes in memory and is safe with any bytes.
#pragma once

#include <cstdint>
#include <string_view>

class IniFile {
 public:
  // A missing file reads like an empty one: every read gives its default.
  IniFile() = default;
  explicit IniFile(std::string_view bytes) : bytes_(bytes) {}

  // GetPrivateProfileIntA: the default when the key is missing or empty; otherwise leading
  // blanks, an optional sign and a decimal number or one introduced by 0x, 0o or 0b, read
  // up to the first character that does not fit, wrapping around in 32 bits.
  [[nodiscard]] uint32_t ReadInt(std::string_view section, std::string_view key,
                                 int32_t defaultValue) const;

  // GetPrivateProfileStringA: the key's value (or the default) without one pair of
  // enclosing quotes, cut to size - 1 bytes and zero-terminated. Answers its length.
  uint32_t ReadText(std::string_view section, std::string_view key, const char* defaultValue,
                    char* buffer, uint32_t size) const;

  // Where a writer puts a key's value, as offsets into the bytes: the value that the reads above
  // take (`kValue`, `length` bytes at `at`); the end of a key line without "=" (`kNoEquals`);
  // else the end of the last line of the section that is no comment (`kInSection`: a new line
  // goes there); or, without the section, the end of the file (`kNoSection`).
  struct Place {
    enum Kind : uint8_t { kValue, kNoEquals, kInSection, kNoSection } kind;
    size_t at;
    size_t length;
  };
  [[nodiscard]] Place Locate(std::string_view section, std::string_view key) const;

  // Whether a section of that name opens anywhere in the file, also one without keys (as
  // GetPrivateProfileSectionNamesA lists it).
  [[nodiscard]] bool HasSection(std::string_view section) const;

 private:
  // The first key of that name in the first section of that name, when it has a value.
  [[nodiscard]] bool Find(std::string_view section, std::string_view key,
                          std::string_view& value) const;

  std::string_view bytes_;
};
