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
  FailureInjector failures;  // "LoadLibraryExA" (path), "LoadStringW" (path), "FindResourceA" (name)
  // Every LoadLibraryExA call: the path and the flags.
  std::vector<std::pair<std::string, std::uint32_t>> loads;

  // A module at path (compared without regard to case) with its string table.
  void AddModule(const std::string& path, std::map<std::uint32_t, std::string> strings);
  std::size_t LoadedCount() const { return loaded_.size(); }
  // A resource of a module (path "" is the program's own, module 0; another path adds the
  // module when it is not there). Names and types as the seam takes them ("#10").
  void AddResource(const std::string& path, const std::string& type, const std::string& name, std::string data);

  os::ModuleHandle LoadModuleEx(const std::string& fileName, std::uint32_t flags) override;
  std::int32_t LoadStringText(os::ModuleHandle module, std::uint32_t id, std::string& text,
                              std::int32_t bufferChars) override;
  bool ReleaseModule(os::ModuleHandle module) override;
  bool EnumResourceNamesOf(os::ModuleHandle module, const std::string& type, std::vector<std::string>& names) override;
  bool ReadResource(os::ModuleHandle module, const std::string& name, const std::string& type,
                    std::string& data) override;

 private:
  std::map<std::string, std::map<std::uint32_t, std::string>> modules_;  // by lower-case path
  std::map<os::ModuleHandle, std::string> loaded_;
  // Resources by lower-case path ("" for the program's own), then type: (name, data) in order.
  std::map<std::string, std::map<std::string, std::vector<std::pair<std::string, std::string>>>> resources_;
  const std::map<std::string, std::vector<std::pair<std::string, std::string>>>* ResourcesOf(os::ModuleHandle module) const;
  os::ModuleHandle nextModule_ = 0x10000000;
};

}  // namespace fakes
