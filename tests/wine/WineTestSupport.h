#pragma once
// What the Wine tests share: the command line CTest gives them, unique scratch keys that are
// deleted again whatever the test's outcome, and small wide-API helpers that look at the
// registry past the implementation under test.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/os/Registry.h"
#include "platform/os/System.h"

namespace winetest {

// Set by main from the command line: the program under test and what came after "--args".
struct CommandLine {
  std::wstring exePath;  // Windows path of TolvexQuietmark.exe
  std::vector<std::string> passedArguments;
};

// The arguments tests/wine/CMakeLists.txt passes after "--args", as the program must see them.
extern const std::vector<std::string> kPassedArguments;
CommandLine& Options();

// "/work/x" -> "Z:\work\x": the prefix maps drive Z: to the host's root.
std::wstring HostPathToWindows(const std::string& path);

// A name no other run uses: "TvqmWineTest-<pid>-<ticks>-<n>".
std::string UniqueName();

// A key created for one test under root\parent\<unique name> in the given view
// (0, KEY_WOW64_64KEY or KEY_WOW64_32KEY) and deleted with all it holds when the test ends.
// Keys whose rights a test narrowed are given full rights back first.
class ScratchKey {
 public:
  ScratchKey(HKEY root, const std::string& parent, REGSAM view = 0);
  ~ScratchKey();
  ScratchKey(const ScratchKey&) = delete;
  ScratchKey& operator=(const ScratchKey&) = delete;

  HKEY root() const { return root_; }
  REGSAM view() const { return view_; }
  // Path below the root, without a leading backslash.
  const std::string& path() const { return path_; }
  std::string Child(const std::string& name) const { return path_ + "\\" + name; }
  // Creates root\path\name (and this key if needed) through the wide API.
  void CreateChild(const std::string& name, REGSAM view = 0) const;
  // Replaces the discretionary access list of root\path\name, given in SDDL.
  void RestrictChild(const std::string& name, const wchar_t* sddl) const;

 private:
  HKEY root_;
  REGSAM view_;
  std::string path_;
  mutable std::vector<std::string> restricted_;
};

// Reads a value through RegQueryValueExW: what the system really stores.
bool ReadWide(HKEY root, const std::string& path, const std::string& name, REGSAM view, DWORD& type,
              std::vector<BYTE>& data);
// Writes a value through RegSetValueExW.
LONG WriteWide(HKEY root, const std::string& path, const std::string& name, DWORD type, const void* data,
               DWORD size, REGSAM view = 0);

inline os::RegKey ToRegKey(HKEY key) { return reinterpret_cast<os::RegKey>(key); }

// The installed system, with the debugger output recorded instead of sent: OutputDebugStringA
// raises an exception for a debugger to see, and where Wine's 32-bit code is emulated its
// unwinding can bring the process down.
class RecordingSystem : public os::ISystem {
 public:
  explicit RecordingSystem(os::ISystem& inner) : inner_(inner) {}
  std::vector<std::string> debugOutput;

  bool VersionInfo(os::OsVersionInfo& info) override { return inner_.VersionInfo(info); }
  os::SystemTime LocalTime() override { return inner_.LocalTime(); }
  void DebugOutput(const std::string& text) override { debugOutput.push_back(text); }
  std::string SystemMessageText(std::uint32_t code) override { return inner_.SystemMessageText(code); }
  std::string ExpandEnvironment(const std::string& text) override { return inner_.ExpandEnvironment(text); }
  bool EnvironmentStrings(std::vector<std::string>& strings) override { return inner_.EnvironmentStrings(strings); }

 private:
  os::ISystem& inner_;
};

}  // namespace winetest
