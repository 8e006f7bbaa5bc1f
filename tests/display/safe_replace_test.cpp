#include "display/safe_replace.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

// The three names as Windows leaves them after each call, with the outcomes ReplaceFileW's
// documentation gives for each error. `held`: names that can be neither moved, made nor deleted
// (another program holds the file open without delete sharing, a scanner or a sync client; or the
// folder refuses).
class FakeFiles final : public ReplacingFiles {
 public:
  enum class Fault : uint8_t {
    kNone,
    kRemoveReplaced,    // 1175: both keep their names
    kMoveReplacement,   // 1176 with a backup name: both keep their names
    kMoveReplacement2,  // 1177: the old file under the backup name, the new one under its own
    kSharing,           // the file is held shut: nothing moves
    kAccessDenied,      // a read-only share: nothing moves
    kNoWriteDac,        // the permissions cannot be written: refused unless told to ignore them
    kNoAclFlag,         // a system that knows no REPLACEFILE_IGNORE_ACL_ERRORS
  };

  Fault fault = Fault::kNone;
  std::map<ReplaceRole, std::string> files;
  std::vector<ReplaceRole> held;

  uint32_t Replace(bool ignoreAcl) override {
    switch (fault) {
      case Fault::kRemoveReplaced:
        return kErrorUnableToRemoveReplaced;
      case Fault::kMoveReplacement:
        return kErrorUnableToMoveReplacement;
      case Fault::kMoveReplacement2:
        files[ReplaceRole::kBackup] = files.at(ReplaceRole::kTarget);
        files.erase(ReplaceRole::kTarget);
        return kErrorUnableToMoveReplacement2;
      case Fault::kSharing:
        return kErrorSharingViolation;
      case Fault::kAccessDenied:
        return kErrorAccessDenied;
      case Fault::kNoWriteDac:
        if (!ignoreAcl) return kErrorAccessDenied;
        break;
      case Fault::kNoAclFlag:
        if (ignoreAcl) return kErrorInvalidParameter;
        break;
      case Fault::kNone:
        break;
    }
    files[ReplaceRole::kBackup] = files.at(ReplaceRole::kTarget);
    files[ReplaceRole::kTarget] = files.at(ReplaceRole::kReplacement);
    files.erase(ReplaceRole::kReplacement);
    return 0;
  }
  bool Move(ReplaceRole from, ReplaceRole to) override {
    if (Held(from) || Held(to) || files.count(to) || !files.count(from)) return false;
    files[to] = files[from];
    files.erase(from);
    return true;
  }
  bool Delete(ReplaceRole file) override { return !Held(file) && files.erase(file) == 1; }
  bool Exists(ReplaceRole file) override { return files.count(file) == 1; }

 private:
  bool Held(ReplaceRole file) const {
    for (const ReplaceRole each : held) {
      if (each == file) return true;
    }
    return false;
  }
};

using Fault = FakeFiles::Fault;
constexpr ReplaceRole kTarget = ReplaceRole::kTarget;
constexpr ReplaceRole kNew = ReplaceRole::kReplacement;
constexpr ReplaceRole kBackup = ReplaceRole::kBackup;

// Each failure ReplaceFileW documents, and each refusal a share or another program gives: the
// old text or the new one always ends up as the file, and the new one is deleted only while the
// file is there. Files: "old" settings.ini, "new" the replacement.
TEST(ReplaceSafely, AlwaysLeavesTheOldOrTheNewFileInPlace) {
  struct Row {
    const char* name;
    Fault fault;
    std::vector<ReplaceRole> held;
    ReplaceOutcome outcome;
    std::map<ReplaceRole, std::string> after;
    bool noFile = false;
  };
  const std::vector<Row> rows = {
      {"replaced: the backup goes once the new file is in place",
       Fault::kNone,
       {},
       ReplaceOutcome::kReplaced,
       {{kTarget, "new"}}},
      {"1175: both keep their names; the new one goes",
       Fault::kRemoveReplaced,
       {},
       ReplaceOutcome::kKept,
       {{kTarget, "old"}}},
      {"1176 with a backup name: both keep their names",
       Fault::kMoveReplacement,
       {},
       ReplaceOutcome::kKept,
       {{kTarget, "old"}}},
      {"1177: the new file is moved into place",
       Fault::kMoveReplacement2,
       {},
       ReplaceOutcome::kReplaced,
       {{kTarget, "new"}}},
      {"1177, the new file held: the old one is put back, the new one stays",
       Fault::kMoveReplacement2,
       {kNew},
       ReplaceOutcome::kKept,
       {{kTarget, "old"}, {kNew, "new"}}},
      {"1177, both held: neither is deleted",
       Fault::kMoveReplacement2,
       {kNew, kBackup},
       ReplaceOutcome::kStranded,
       {{kBackup, "old"}, {kNew, "new"}}},
      {"sharing violation: the file stays",
       Fault::kSharing,
       {},
       ReplaceOutcome::kKept,
       {{kTarget, "old"}}},
      {"access denied: the file stays",
       Fault::kAccessDenied,
       {},
       ReplaceOutcome::kKept,
       {{kTarget, "old"}}},
      {"ACL: a share without WRITE_DAC saves without the permissions",
       Fault::kNoWriteDac,
       {},
       ReplaceOutcome::kReplaced,
       {{kTarget, "new"}}},
      {"ACL: a system without the flag is asked again without it",
       Fault::kNoAclFlag,
       {},
       ReplaceOutcome::kReplaced,
       {{kTarget, "new"}}},
      {"no file yet: the new one becomes it",
       Fault::kNone,
       {},
       ReplaceOutcome::kReplaced,
       {{kTarget, "new"}},
       true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    FakeFiles files;
    files.fault = row.fault;
    files.files = {{kNew, "new"}};
    if (!row.noFile) files.files[kTarget] = "old";
    files.held = row.held;
    EXPECT_EQ(ReplaceSafely(files), row.outcome);
    EXPECT_EQ(files.files, row.after);
  }
}

}  // namespace
