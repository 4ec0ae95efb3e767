#pragma once
// Libraries loaded as data files for their string tables (the libraries that indirect display
// names point into): modules by path, compared without regard to case, each with its strings.

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/os/Library.h"
#include "tests/fakes/FailureInjector.h"

namespace fakes {

class FakeLibrary : public os::ILibrary {
 public:
  FailureInjector failures;  // "LoadLibraryExA" (path), "LoadStringW" (path)
  // Every LoadLibraryExA call: the path and the flags.
  std::vector<std::pair<std::string, std::uint32_t>> loads;

  // A module at path (compared without regard to case) with its string table.
  void AddModule(const std::string& path, std::map<std::uint32_t, std::string> strings);
  std::size_t LoadedCount() const { return loaded_.size(); }

  os::ModuleHandle LoadModuleEx(const std::string& fileName, std::uint32_t flags) override;
  std::int32_t LoadStringText(os::ModuleHandle module, std::uint32_t id, std::string& text,
                              std::int32_t bufferChars) override;
  bool ReleaseModule(os::ModuleHandle module) override;

 private:
  std::map<std::string, std::map<std::uint32_t, std::string>> modules_;  // by lower-case path
  std::map<os::ModuleHandle, std::string> loaded_;
  os::ModuleHandle nextModule_ = 0x10000000;
};

}  // namespace fakes
