// Replaces a file by another one so that a failure at any point leaves one of the two under the
// file's name, as ReplaceFileW's documented outcomes allow: settings.ini, or any file the program
// writes whole through a file beside it.
#pragma once

#include <cstdint>

// The Win32 errors whose outcomes ReplaceFileW documents, and those met on a share or while
// another program holds a file.
inline constexpr uint32_t kErrorAccessDenied = 5;                 // ERROR_ACCESS_DENIED
inline constexpr uint32_t kErrorSharingViolation = 32;            // ERROR_SHARING_VIOLATION
inline constexpr uint32_t kErrorInvalidParameter = 87;            // ERROR_INVALID_PARAMETER
inline constexpr uint32_t kErrorUnableToRemoveReplaced = 1175;    // ERROR_UNABLE_TO_REMOVE_REPLACED
inline constexpr uint32_t kErrorUnableToMoveReplacement = 1176;   // ..._MOVE_REPLACEMENT
inline constexpr uint32_t kErrorUnableToMoveReplacement2 = 1177;  // ..._MOVE_REPLACEMENT_2

// The three files of a replacement: the file, the one that takes its place, and the backup name
// beside it that the old file passes through.
enum class ReplaceRole : uint8_t { kTarget, kReplacement, kBackup };

// The file system, as Win32 answers for those three names.
class ReplacingFiles {
 public:
  virtual ~ReplacingFiles() = default;
  // ReplaceFileW(target, replacement, backup), keeping the target's attributes, with
  // REPLACEFILE_IGNORE_ACL_ERRORS when `ignoreAcl`: 0 when replaced, else GetLastError's code.
  [[nodiscard]] virtual uint32_t Replace(bool ignoreAcl) = 0;
  // MoveFileExW, written through, never over a file that is there.
  [[nodiscard]] virtual bool Move(ReplaceRole from, ReplaceRole to) = 0;
  virtual bool Delete(ReplaceRole file) = 0;
  [[nodiscard]] virtual bool Exists(ReplaceRole file) = 0;
};

enum class ReplaceOutcome : uint8_t {
  kReplaced,  // the replacement is the file now; no other file is left
  kKept,      // the file is as it was; the replacement is removed
  kStranded,  // neither could be put back: the old file waits under the backup name and the
              // replacement under its own
};

// The replacement (already written and flushed) takes the target's place, or becomes it where
// there is none.
[[nodiscard]] ReplaceOutcome ReplaceSafely(ReplacingFiles& files);
