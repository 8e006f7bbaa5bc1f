// The toolkit's tests. `--child=<scenario>` runs one scenario that ends the process instead.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/common/failure_printer.h"
#include "tests/toolkit/support.h"

int main(int argc, char** argv) {
  constexpr const char kChild[] = "--child=";
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], kChild, sizeof(kChild) - 1) == 0) {
      return RunChildScenario(argv[i] + sizeof(kChild) - 1);
    }
  }
  testing::InitGoogleTest(&argc, argv);
  test_support::InstallFailurePrinter();
  return RUN_ALL_TESTS();
}
