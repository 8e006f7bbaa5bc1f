// GoogleTest's printer also sends every failure to OutputDebugStringA. Under Wine running on
// qemu-i386 the exception that carries it can kill the test process (sometimes with exit code
// 0), so one failed check would hide every later one, or even pass. This printer forwards every
// event to GoogleTest's own but prints failures itself. Install it first thing in main.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace test_support {

class FailurePrinter : public testing::TestEventListener {
 public:
  explicit FailurePrinter(testing::TestEventListener* inner) : inner_(inner) {}

  void OnTestPartResult(const testing::TestPartResult& result) override {
    if (result.type() == testing::TestPartResult::kSuccess) return;
    const char* kind = result.type() == testing::TestPartResult::kSkip ? "Skipped" : "Failure";
    std::printf("%s:%d: %s\n%s\n", result.file_name() ? result.file_name() : "unknown file",
                result.line_number(), kind, result.message());
    std::fflush(stdout);
  }

  void OnTestProgramStart(const testing::UnitTest& u) override { inner_->OnTestProgramStart(u); }
  void OnTestIterationStart(const testing::UnitTest& u, int i) override {
    inner_->OnTestIterationStart(u, i);
  }
  void OnEnvironmentsSetUpStart(const testing::UnitTest& u) override {
    inner_->OnEnvironmentsSetUpStart(u);
  }
  void OnEnvironmentsSetUpEnd(const testing::UnitTest& u) override {
    inner_->OnEnvironmentsSetUpEnd(u);
  }
  void OnTestSuiteStart(const testing::TestSuite& s) override { inner_->OnTestSuiteStart(s); }
#ifndef GTEST_REMOVE_LEGACY_TEST_CASEAPI_
  // GoogleTest's printer still prints suites from the older names of these two.
  void OnTestCaseStart(const testing::TestCase& s) override {
    inner_->OnTestCaseStart(s);
  }
  void OnTestCaseEnd(const testing::TestCase& s) override {
    inner_->OnTestCaseEnd(s);
  }
#endif
  void OnTestStart(const testing::TestInfo& t) override {
    inner_->OnTestStart(t);
  }
  void OnTestDisabled(const testing::TestInfo& t) override {
    inner_->OnTestDisabled(t);
  }
  void OnTestEnd(const testing::TestInfo& t) override {
    inner_->OnTestEnd(t);
  }
  void OnTestSuiteEnd(const testing::TestSuite& s) override {
    inner_->OnTestSuiteEnd(s);
  }
  void OnEnvironmentsTearDownStart(const testing::UnitTest& u) override {
    inner_->OnEnvironmentsTearDownStart(u);
  }
  void OnEnvironmentsTearDownEnd(const testing::UnitTest& u) override {
    inner_->OnEnvironmentsTearDownEnd(u);
  }
  void OnTestIterationEnd(const testing::UnitTest& u, int i) override {
    inner_->OnTestIterationEnd(u, i);
  }
  void OnTestProgramEnd(const testing::UnitTest& u) override {
    inner_->OnTestProgramEnd(u);
  }

 private:
  std::unique_ptr<testing::TestEventListener> inner_;
};

// Puts the printer in place of GoogleTest's default one.
inline void InstallFailurePrinter() {
  testing::TestEventListeners& listeners = testing::UnitTest::GetInstance()->listeners();
  listeners.Append(new FailurePrinter(listeners.Release(listeners.default_result_printer())));
}

}  // namespace test_support
