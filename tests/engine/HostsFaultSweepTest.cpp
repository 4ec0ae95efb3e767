// Apply, count and undo of both hosts immunizers with each file call in turn made to fail,
// once or from that call on, with the codes a busy or briefly absent file gives. Whatever
// fails, the hosts file is the old one or the new one (never half-written, empty or without
// a user line), every backup is a whole copy of the old file, and once a later save
// succeeds no temporary file is left.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/tvqmVorletsMicrosoftWindowsOptional.h"
#include "engine/tvqmVorletsMicrosoftWindowsTelemetry.h"
#include "tests/fakes/FakeWindows.h"

namespace {

const char kHosts[] = "C:\\Windows\\system32\\drivers\\etc\\hosts.";
const std::string kPolicy = "SOFTWARE\\Policies\\Brenmoor Ltd.\\Tolvex Quietmark\\Hosts";

enum class Operation { Apply, Count, Undo };

struct FileSetup {
  const char* name;
  std::string content;
  bool readOnly;
};

std::unique_ptr<TCustomWindows10HostsImmunization> MakeImmunizer(bool optional) {
  if (optional) return std::make_unique<TWindows10TelemetryHostsOptionalImmunization>();
  return std::make_unique<TWindows10TelemetryHostsImmunization>();
}

void RunOperation(TCustomWindows10HostsImmunization& immunizer, Operation operation) {
  switch (operation) {
    case Operation::Apply: immunizer.Immunize(); break;
    case Operation::Count: immunizer.GetImmunizedCount(); break;
    case Operation::Undo: immunizer.Remove(); break;
  }
}

void Prepare(fakes::FakeWindows& windows, const FileSetup& setup) {
  windows.registry.SetDword(os::kHKeyLocalMachine, kPolicy, "EnableReadOnlyFileAttribute", setup.readOnly ? 1 : 0);
  windows.files.SetFile(kHosts, setup.content,
                        setup.readOnly ? os::kFileAttributeReadOnly : os::kFileAttributeArchive);
}

bool IsTemporary(const std::string& path) { return path.find("tvqm-new") != std::string::npos; }

TEST(HostsFaultSweep, AFailingFileCallLeavesTheOldFileOrTheNewOne) {
  const std::string user = "# my own\r\n127.0.0.1 localhost\r\n  # indented 0.0.0.0 vortex.data.microsoft.com\r\n";
  const std::string applied = user + "\r\n# Start of entries inserted by Tolvex Quietmark for Windows 10\r\n"
                                     "0.0.0.0\tvortex.data.microsoft.com\r\n"
                                     "# End of entries inserted by Tolvex Quietmark for Windows 10\r\n";
  const std::vector<FileSetup> setups = {
      {"CR LF", user, false},
      {"LF", "# my own\n127.0.0.1 localhost\n10.0.0.2 nas.home\n", false},
      {"BOM", "\xEF\xBB\xBF# my own\r\n127.0.0.1 localhost\r\n", false},
      {"no final line end", "# my own\r\n127.0.0.1 localhost", false},
      {"read-only policy, applied before", applied, true},
  };
  const std::uint32_t codes[] = {2, 3, 5, 32};
  int runs = 0;
  for (const auto& setup : setups) {
    for (const bool optional : {false, true}) {
      for (const Operation operation : {Operation::Apply, Operation::Count, Operation::Undo}) {
        // The run without faults: its calls, and the new file.
        std::size_t callCount = 0;
        std::string newContent;
        {
          fakes::FakeWindows windows;
          Prepare(windows, setup);
          auto immunizer = MakeImmunizer(optional);
          windows.files.calls.clear();
          RunOperation(*immunizer, operation);
          callCount = windows.files.calls.size();
          newContent = *windows.files.Content(kHosts);
        }
        for (std::size_t failing = 0; failing < callCount; ++failing) {
          for (const std::uint32_t code : codes) {
            for (const bool fromThenOn : {false, true}) {
              SCOPED_TRACE(std::string(setup.name) + (optional ? ", optional" : ", standard") + ", operation " +
                           std::to_string(static_cast<int>(operation)) + ", call " + std::to_string(failing) +
                           ", code " + std::to_string(code) + (fromThenOn ? ", from then on" : ", once"));
              ++runs;
              fakes::FakeWindows windows;
              Prepare(windows, setup);
              auto immunizer = MakeImmunizer(optional);
              std::size_t seen = 0;
              std::string failedCall;
              windows.files.beforeCall = [&](const std::string& call) {
                const std::size_t index = seen++;
                if (index == failing || (fromThenOn && index > failing)) {
                  if (failedCall.empty()) failedCall = call;
                  windows.files.failures.Fail(call.substr(0, call.find(' ')), code, "", 1);
                }
              };
              RunOperation(*immunizer, operation);
              windows.files.beforeCall = nullptr;

              const auto content = windows.files.Content(kHosts);
              ASSERT_TRUE(content.has_value()) << "failed: " << failedCall;
              EXPECT_TRUE(*content == setup.content || *content == newContent)
                  << "failed: " << failedCall << "\n" << *content;
              for (const auto& path : windows.files.Paths()) {
                if (path.find(".backup") != std::string::npos) {
                  EXPECT_EQ(windows.files.Content(path), setup.content) << path;
                }
              }
              // A later run without faults saves and leaves nothing beside the file.
              if (operation == Operation::Count) continue;
              RunOperation(*immunizer, operation);
              EXPECT_EQ(windows.files.Content(kHosts), newContent) << "failed: " << failedCall;
              for (const auto& path : windows.files.Paths()) EXPECT_FALSE(IsTemporary(path)) << path;
              EXPECT_EQ(windows.files.AttributesOf(kHosts),
                        setup.readOnly ? os::kFileAttributeReadOnly : 0u);
            }
          }
        }
      }
    }
  }
  EXPECT_GT(runs, 500);
}

}  // namespace
