// The end-to-end tests: tunelamp.exe and the stand-in player, each in a process of its own.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace {

// GoogleTest's own printer also hands every failure to OutputDebugStringA; under Wine on qemu
// the exception that carries it can kill the test process, hiding every later result. This
// printer forwards everything to GoogleTest's except the failures, which it prints itself.
class FailurePrinter : public testing::TestEventListener {
 public:
  explicit FailurePrinter(testing::TestEventListener* inner) : inner_(inner) {}

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
  void OnTestPartResult(const testing::TestPartResult& r) override {
    if (r.type() == testing::TestPartResult::kSuccess) return;
    const char* kind = r.type() == testing::TestPartResult::kSkip ? "Skipped" : "Failure";
    std::printf("%s:%d: %s\n%s\n", r.file_name() ? r.file_name() : "unknown", r.line_number(), kind,
                r.message());
    std::fflush(stdout);
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

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  testing::TestEventListeners& listeners = testing::UnitTest::GetInstance()->listeners();
  listeners.Append(new FailurePrinter(listeners.Release(listeners.default_result_printer())));
  return RUN_ALL_TESTS();
}
