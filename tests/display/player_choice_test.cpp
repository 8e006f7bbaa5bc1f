#include "display/player_choice.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The windows in the z-order, as ChoosePlayer gets them.
TEST(ChoosePlayer, ThePlayingOneTheLastChangedElseTheOneFollowed) {
  struct Row {
    const char* name;
    std::vector<PlayerSeen> seen;
    uint32_t followed;
    uint32_t chosen;
  };
  const std::vector<Row> rows = {
      {"no window", {}, 0, 0},
      {"one playing", {{1, true, 0}}, 0, 1},
      {"the second plays", {{1, false, 5}, {2, true, 3}}, 1, 2},
      {"both play: the last changed", {{1, true, 3}, {2, true, 4}}, 1, 2},
      {"both play, the first changed last", {{1, true, 4}, {2, true, 3}}, 2, 1},
      {"both play, changed together: the one followed", {{1, true, 3}, {2, true, 3}}, 2, 2},
      {"both play, changed together, neither followed: the first",
       {{1, true, 3}, {2, true, 3}},
       7,
       1},
      {"none plays: the one followed", {{1, false, 9}, {2, false, 1}}, 2, 2},
      {"none plays, the one followed gone: the first", {{1, false, 1}, {2, false, 9}}, 7, 1},
      {"three, the third the last to change", {{1, true, 1}, {2, false, 9}, {3, true, 2}}, 1, 3},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(ChoosePlayer(row.seen.data(), static_cast<uint32_t>(row.seen.size()), row.followed),
              row.chosen);
  }
}

}  // namespace
