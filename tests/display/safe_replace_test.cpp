#include "display/safe_replace.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr ReplaceRole kTarget = ReplaceRole::kTarget;
constexpr ReplaceRole kNew = ReplaceRole::kReplacement;
constexpr ReplaceRole kBackup = ReplaceRole::kBackup;

// The three names as Windows leaves them. ReplaceFileW answers `error` (0: replaced, the old file
// under the backup name) with the outcome its documentation gives: 1177 leaves the old file under
// the backup name and the new one under its own; every other error leaves both where they were.
// A share without WRITE_DAC refuses unless ACL errors are ignored; a system that knows no such
// flag answers 87 to it. `held`: names that can be neither moved, made nor deleted (another
// program holds the file open without delete sharing, or the folder refuses).
class FakeFiles final : public ReplacingFiles {
 public:
  enum class Acl : uint8_t { kWritable, kNoWriteDac, kNoFlag };
  uint32_t error = 0;
  Acl acl = Acl::kWritable;
  std::map<ReplaceRole, std::string> files;
  std::set<ReplaceRole> held;

  uint32_t Replace(bool ignoreAcl) override {
    if (acl == Acl::kNoWriteDac && !ignoreAcl) return kErrorAccessDenied;
    if (acl == Acl::kNoFlag && ignoreAcl) return kErrorInvalidParameter;
    if (error != 0 && error != kErrorUnableToMoveReplacement2) return error;
    files[kBackup] = files.at(kTarget);
    files.erase(kTarget);
    return error != 0 ? error : Move(kNew, kTarget) ? 0 : kErrorUnableToMoveReplacement2;
  }
  bool Move(ReplaceRole from, ReplaceRole to) override {
    if (held.count(from) || held.count(to) || files.count(to) || !files.count(from)) return false;
    files[to] = files[from];
    files.erase(from);
    return true;
  }
  bool Delete(ReplaceRole file) override { return !held.count(file) && files.erase(file) == 1; }
  bool Exists(ReplaceRole file) override { return files.count(file) == 1; }
};

// Each failure ReplaceFileW documents, and each refusal a share or another program gives: the
// old text or the new one always ends up as the file, and the new one is deleted only while the
// file is there. Files: "old" settings.ini, "new" the replacement.
TEST(ReplaceSafely, AlwaysLeavesTheOldOrTheNewFileInPlace) {
  using Acl = FakeFiles::Acl;
  constexpr ReplaceOutcome kReplaced = ReplaceOutcome::kReplaced;
  constexpr ReplaceOutcome kKept = ReplaceOutcome::kKept;
  struct Row {
    const char* name;
    uint32_t error;
    ReplaceOutcome outcome;
    std::map<ReplaceRole, std::string> after;
    std::set<ReplaceRole> held = {};
    Acl acl = Acl::kWritable;
    bool noFile = false;
  };
  const std::map<ReplaceRole, std::string> kOld = {{kTarget, "old"}};
  const std::map<ReplaceRole, std::string> kNewOnly = {{kTarget, "new"}};
  const std::map<ReplaceRole, std::string> kBoth = {{kTarget, "old"}, {kNew, "new"}};
  const std::map<ReplaceRole, std::string> kStranded = {{kBackup, "old"}, {kNew, "new"}};
  const std::map<ReplaceRole, std::string> kNothing;
  const std::set<ReplaceRole> kFree, kNewHeld = {kNew}, kBothHeld = {kNew, kBackup};
  const std::set<ReplaceRole> kFolderRefuses = {kTarget};
  const std::vector<Row> rows = {
      {"replaced: the backup goes once the new file is in place", 0, kReplaced, kNewOnly},
      {"1175: both keep their names; the new one goes", kErrorUnableToRemoveReplaced, kKept, kOld},
      {"1176 with a backup name: both keep their names", kErrorUnableToMoveReplacement, kKept,
       kOld},
      {"1177: the new file is moved into place", kErrorUnableToMoveReplacement2, kReplaced,
       kNewOnly},
      {"1177, the new file held: the old one is put back, the new one stays",
       kErrorUnableToMoveReplacement2, kKept, kBoth, kNewHeld},
      {"1177, both held: neither is deleted", kErrorUnableToMoveReplacement2,
       ReplaceOutcome::kStranded, kStranded, kBothHeld},
      {"sharing violation: the file stays", kErrorSharingViolation, kKept, kOld},
      {"access denied: the file stays", kErrorAccessDenied, kKept, kOld},
      {"ACL: a share without WRITE_DAC saves without the permissions", 0, kReplaced, kNewOnly,
       kFree, Acl::kNoWriteDac},
      {"ACL: a system without the flag is asked again without it", 0, kReplaced, kNewOnly, kFree,
       Acl::kNoFlag},
      {"no file yet: the new one becomes it", 0, kReplaced, kNewOnly, kFree, Acl::kWritable, true},
      {"no file yet, and the folder refuses it: nothing is left", 0, kKept, kNothing,
       kFolderRefuses, Acl::kWritable, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    FakeFiles files;
    files.error = row.error;
    files.acl = row.acl;
    files.files = {{kNew, "new"}};
    if (!row.noFile) files.files[kTarget] = "old";
    files.held = row.held;
    EXPECT_EQ(ReplaceSafely(files), row.outcome);
    EXPECT_EQ(files.files, row.after);
  }
}

}  // namespace
