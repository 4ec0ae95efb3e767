// The Wine test program: GoogleTest over the real Win32 implementations. CTest passes
// "--exe=<host path of TolvexQuietmark.exe>" and, after "--args", the arguments whose
// splitting the process tests check. They are read through os::Process(), in UTF-8; the
// runtime's argv is in the ANSI code page.

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "platform/os/Process.h"
#include "platform/os/win32/Win32Providers.h"
#include "tests/wine/WineTestSupport.h"

namespace {

// gtest's printer also sends every failure and skip to OutputDebugStringA, which raises an
// exception for a debugger to see. Where Wine's 32-bit code is emulated, that exception's
// unwinding can bring the process down, and the report is lost with it. This printer keeps
// the default one for everything but those lines, which it prints the same way itself.
class ResultPrinter : public testing::EmptyTestEventListener {
 public:
  explicit ResultPrinter(testing::TestEventListener* inner) : inner_(inner) {}

  void OnTestProgramStart(const testing::UnitTest& test) override { inner_->OnTestProgramStart(test); }
  void OnTestIterationStart(const testing::UnitTest& test, int iteration) override {
    inner_->OnTestIterationStart(test, iteration);
  }
  void OnEnvironmentsSetUpStart(const testing::UnitTest& test) override { inner_->OnEnvironmentsSetUpStart(test); }
  void OnEnvironmentsSetUpEnd(const testing::UnitTest& test) override { inner_->OnEnvironmentsSetUpEnd(test); }
  void OnTestSuiteStart(const testing::TestSuite& suite) override { inner_->OnTestSuiteStart(suite); }
#ifndef GTEST_REMOVE_LEGACY_TEST_CASEAPI_
  void OnTestCaseStart(const testing::TestCase& suite) override { inner_->OnTestCaseStart(suite); }
  void OnTestCaseEnd(const testing::TestCase& suite) override { inner_->OnTestCaseEnd(suite); }
#endif
  void OnTestStart(const testing::TestInfo& info) override { inner_->OnTestStart(info); }
  void OnTestPartResult(const testing::TestPartResult& result) override {
    if (result.type() == testing::TestPartResult::kSuccess) return;
    const char* kind = result.type() == testing::TestPartResult::kSkip ? "Skipped" : "Failure";
    std::printf("%s:%d: %s\n%s\n", result.file_name() != nullptr ? result.file_name() : "unknown file",
                result.line_number(), kind, result.message());
    std::fflush(stdout);
  }
  void OnTestEnd(const testing::TestInfo& info) override { inner_->OnTestEnd(info); }
  void OnTestSuiteEnd(const testing::TestSuite& suite) override { inner_->OnTestSuiteEnd(suite); }
  void OnEnvironmentsTearDownStart(const testing::UnitTest& test) override {
    inner_->OnEnvironmentsTearDownStart(test);
  }
  void OnEnvironmentsTearDownEnd(const testing::UnitTest& test) override { inner_->OnEnvironmentsTearDownEnd(test); }
  void OnTestIterationEnd(const testing::UnitTest& test, int iteration) override {
    inner_->OnTestIterationEnd(test, iteration);
  }
  void OnTestProgramEnd(const testing::UnitTest& test) override { inner_->OnTestProgramEnd(test); }

 private:
  std::unique_ptr<testing::TestEventListener> inner_;
};

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  testing::TestEventListeners& listeners = testing::UnitTest::GetInstance()->listeners();
  if (testing::TestEventListener* printer = listeners.default_result_printer()) {
    listeners.Release(printer);
    listeners.Append(new ResultPrinter(printer));
  }
  InstallWin32Providers();
  auto& options = winetest::Options();
  const std::vector<std::string> arguments = os::Process().Arguments();
  bool inArguments = false;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (inArguments) {
      options.passedArguments.push_back(argument);
    } else if (argument.rfind("--exe=", 0) == 0) {
      options.exePath = winetest::HostPathToWindows(argument.substr(6));
    } else if (argument == "--args") {
      inArguments = true;
    }
  }
  return RUN_ALL_TESTS();
}
