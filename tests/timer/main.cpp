#include <gtest/gtest.h>

#include "tests/common/failure_printer.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  test_support::InstallFailurePrinter();
  return RUN_ALL_TESTS();
}
