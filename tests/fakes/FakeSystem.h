#pragma once
// The process and the system as a test sets them up: arguments, module path, ids, version,
// a clock that a test moves, the debugger output it records and the texts of error codes.

#include <cctype>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/os/Process.h"
#include "platform/os/System.h"
#include "tests/fakes/FailureInjector.h"

namespace fakes {

class FakeProcess : public os::IProcess {
 public:
  std::vector<std::string> arguments{"C:\\Program Files\\Tolvex\\TolvexQuietmark.exe"};
  std::string moduleFileName = "C:\\Program Files\\Tolvex\\TolvexQuietmark.exe";
  std::uint32_t processId = 0x1A2B;
  std::uint32_t threadId = 0x3C;
  // A 32-bit process on 64-bit Windows unless a test says otherwise (see FakeWindows::SetWow64).
  bool wow64 = true;
  std::string standardError;

  // Replaces the arguments after the program path.
  void SetCommandLine(std::vector<std::string> switches) {
    arguments.resize(1);
    arguments.insert(arguments.end(), switches.begin(), switches.end());
  }

  std::vector<std::string> Arguments() override { return arguments; }
  std::string ModuleFileName() override { return moduleFileName; }
  std::uint32_t CurrentProcessId() override { return processId; }
  std::uint32_t CurrentThreadId() override { return threadId; }
  bool IsWow64Process() override { return wow64; }
  void WriteStandardError(const std::string& text) override { standardError += text; }
};

class FakeSystem : public os::ISystem {
 public:
  // A fresh Windows 10 (1903) unless a test says otherwise.
  os::OsVersionInfo version{10, 0, 18362, 2, ""};
  bool versionQuerySucceeds = true;
  os::SystemTime now{2026, 12, 4, 10, 9, 30, 15, 250};
  std::vector<std::string> debugOutput;
  std::map<std::uint32_t, std::string> messages{
      {0, "The operation completed successfully.\r\n"},
      {2, "The system cannot find the file specified.\r\n"},
      {5, "Access is denied.\r\n"},
      {1060, "The specified service does not exist as an installed service.\r\n"},
  };

  bool VersionInfo(os::OsVersionInfo& info) override {
    if (!versionQuerySucceeds) return false;
    info = version;
    return true;
  }
  os::SystemTime LocalTime() override { return now; }
  // The monotonic clock; only a test moves it.
  std::uint64_t ticks = 1000;
  std::uint64_t TickCount() override { return ticks; }
  // Every pause asked for, in milliseconds; none is waited.
  std::vector<std::uint32_t> pauses;
  void Pause(std::uint32_t milliseconds) override { pauses.push_back(milliseconds); }
  void DebugOutput(const std::string& text) override { debugOutput.push_back(text); }
  std::string SystemMessageText(std::uint32_t code) override {
    auto it = messages.find(code);
    return it == messages.end() ? std::string() : it->second;
  }
  // Names compare without regard to case, as Windows compares them.
  std::map<std::string, std::string> environment{
      {"SYSTEMROOT", "C:\\Windows"}, {"WINDIR", "C:\\Windows"}, {"SYSTEMDRIVE", "C:"},
      {"PROGRAMDATA", "C:\\ProgramData"}, {"USERPROFILE", "C:\\Users\\Tester"}};
  std::string ExpandEnvironment(const std::string& text) override {
    std::string result;
    std::size_t at = 0;
    while (at < text.size()) {
      const std::size_t open = text.find('%', at);
      const std::size_t close = open == std::string::npos ? open : text.find('%', open + 1);
      if (close == std::string::npos) {
        result += text.substr(at);
        break;
      }
      std::string name = text.substr(open + 1, close - open - 1);
      for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      auto it = environment.find(name);
      if (it == environment.end()) {
        // An unknown name stays as written; its closing % may open the next one.
        result += text.substr(at, close - at);
        at = close;
      } else {
        result += text.substr(at, open - at) + it->second;
        at = close + 1;
      }
    }
    return result;
  }
  // The block GetEnvironmentStringsW gives: these strings as they stand when set (a test of
  // order, duplicates or odd entries), else "NAME=value" for each variable above.
  std::optional<std::vector<std::string>> environmentBlock;
  bool environmentBlockFails = false;
  bool EnvironmentStrings(std::vector<std::string>& strings) override {
    strings.clear();
    if (environmentBlockFails) return false;
    if (environmentBlock) {
      strings = *environmentBlock;
    } else {
      for (const auto& [name, value] : environment) strings.push_back(name + "=" + value);
    }
    return true;
  }
};

}  // namespace fakes
