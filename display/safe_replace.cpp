#include "display/safe_replace.h"

namespace {

constexpr ReplaceRole kTarget = ReplaceRole::kTarget;
constexpr ReplaceRole kReplacement = ReplaceRole::kReplacement;
constexpr ReplaceRole kBackup = ReplaceRole::kBackup;

// After a failed replace the file is where ReplaceFileW left it. The replacement is removed only
// while the file is known to be there: with 1176 (no backup name) or 1177 ReplaceFileW has moved
// the old one away, and then the new one is put in its place, else the old one is put back.
ReplaceOutcome Recover(ReplacingFiles& files) {
  if (files.Exists(kTarget)) {
    files.Delete(kReplacement);
    return ReplaceOutcome::kKept;
  }
  if (files.Move(kReplacement, kTarget)) {
    files.Delete(kBackup);
    return ReplaceOutcome::kReplaced;
  }
  if (files.Move(kBackup, kTarget)) {
    files.Delete(kReplacement);
    return ReplaceOutcome::kKept;
  }
  return ReplaceOutcome::kStranded;
}

}  // namespace

ReplaceOutcome ReplaceSafely(ReplacingFiles& files) {
  if (!files.Exists(kTarget)) {
    if (files.Move(kReplacement, kTarget)) return ReplaceOutcome::kReplaced;
    // No old file to keep: the new one goes, also when another program made the file meanwhile.
    files.Delete(kReplacement);
    return ReplaceOutcome::kKept;
  }
  // Without WRITE_DAC on a share the permissions cannot be carried over: they are left as the
  // folder gives them, and the text is saved. A system that knows no such flag refuses the call
  // as a whole, and is asked again without it.
  uint32_t error = files.Replace(true);
  if (error == kErrorInvalidParameter) error = files.Replace(false);
  if (error != 0) return Recover(files);
  files.Delete(kBackup);
  return ReplaceOutcome::kReplaced;
}
