#include <gtest/gtest.h>

#include <cstdio>

namespace {

using ::testing::TestEventListener;
using ::testing::TestInfo;
using ::testing::TestPartResult;
using ::testing::TestSuite;
using ::testing::UnitTest;

// GoogleTest's printer also sends every failure to OutputDebugStringA. Under Wine running on
// qemu-i386, the exception that call raises kills the process (sometimes with exit code 0), so
// one failed check would hide every later one, or even pass. This printer forwards everything
// to GoogleTest's own but prints failures itself.
class FailurePrinter : public TestEventListener {
 public:
  explicit FailurePrinter(TestEventListener* inner) : inner_(inner) {}
  ~FailurePrinter() override { delete inner_; }
  FailurePrinter(const FailurePrinter&) = delete;
  FailurePrinter& operator=(const FailurePrinter&) = delete;

  void OnTestPartResult(const TestPartResult& result) override {
    if (result.type() == TestPartResult::kSuccess) return;
    std::printf("%s:%d: %s\n%s\n", result.file_name() ? result.file_name() : "unknown file",
                result.line_number(),
                result.type() == TestPartResult::kSkip ? "Skipped" : "Failure", result.message());
    std::fflush(stdout);
  }

  void OnTestProgramStart(const UnitTest& u) override { inner_->OnTestProgramStart(u); }
  void OnTestIterationStart(const UnitTest& u, int i) override {
    inner_->OnTestIterationStart(u, i);
  }
  void OnEnvironmentsSetUpStart(const UnitTest& u) override { inner_->OnEnvironmentsSetUpStart(u); }
  void OnEnvironmentsSetUpEnd(const UnitTest& u) override { inner_->OnEnvironmentsSetUpEnd(u); }
  void OnTestSuiteStart(const TestSuite& s) override { inner_->OnTestSuiteStart(s); }
  void OnTestStart(const TestInfo& t) override { inner_->OnTestStart(t); }
  void OnTestDisabled(const TestInfo& t) override { inner_->OnTestDisabled(t); }
  void OnTestEnd(const TestInfo& t) override { inner_->OnTestEnd(t); }
  void OnTestSuiteEnd(const TestSuite& s) override { inner_->OnTestSuiteEnd(s); }
#ifndef GTEST_REMOVE_LEGACY_TEST_CASEAPI_
  // GoogleTest's printer still prints suites from the older names of these two.
  void OnTestCaseStart(const TestSuite& s) override {
    inner_->OnTestCaseStart(s);
  }
  void OnTestCaseEnd(const TestSuite& s) override {
    inner_->OnTestCaseEnd(s);
  }
#endif
  void OnEnvironmentsTearDownStart(const UnitTest& u) override {
    inner_->OnEnvironmentsTearDownStart(u);
  }
  void OnEnvironmentsTearDownEnd(const UnitTest& u) override {
    inner_->OnEnvironmentsTearDownEnd(u);
  }
  void OnTestIterationEnd(const UnitTest& u, int i) override {
    inner_->OnTestIterationEnd(u, i);
  }
  void OnTestProgramEnd(const UnitTest& u) override {
    inner_->OnTestProgramEnd(u);
  }

 private:
  TestEventListener* inner_;
};

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  auto& listeners = UnitTest::GetInstance()->listeners();
  listeners.Append(new FailurePrinter(listeners.Release(listeners.default_result_printer())));
  return RUN_ALL_TESTS();
}
