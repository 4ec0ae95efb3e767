#pragma once
// Version blocks of files, built as the resource compiler lays them out (VS_VERSIONINFO), and
// the version API over them.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/os/VersionInfo.h"
#include "tests/fakes/FailureInjector.h"

namespace fakes {

struct VersionStringTable {
  std::string code = "040904E4";  // language and code page in eight hexadecimal digits
  std::vector<std::pair<std::string, std::string>> strings;  // key, UTF-8 text
};

struct VersionBlockSpec {
  std::vector<VersionStringTable> tables;
  // The entries of "\VarFileInfo\Translation" (language in the low half); none: no table.
  std::optional<std::vector<std::uint32_t>> translations = std::vector<std::uint32_t>{0x04E40409};
};

// The bytes of a version block with a VS_FIXEDFILEINFO, the string tables and the
// translation table.
std::vector<std::uint8_t> BuildVersionBlock(const VersionBlockSpec& spec);

class FakeVersionInfo : public os::IVersionInfo {
 public:
  FailureInjector failures;  // "GetFileVersionInfoSizeW", "GetFileVersionInfoW" (file name)
  // Every path VerQueryValueW was asked for.
  std::vector<std::u16string> queries;

  // The block of the file at path (compared without regard to case).
  void SetBlock(const std::string& path, std::vector<std::uint8_t> block);

  std::uint32_t VersionInfoSize(const std::string& fileName, std::uint32_t& handle) override;
  bool VersionInfoCopy(const std::string& fileName, std::uint32_t handle, std::uint32_t size, void* data) override;
  bool VersionQueryValue(const void* block, const std::u16string& subBlock, const void*& value,
                         std::uint32_t& length) override;

 private:
  const std::vector<std::uint8_t>* Block(const std::string& fileName) const;
  std::map<std::string, std::vector<std::uint8_t>> blocks_;  // by lower-case path
};

}  // namespace fakes
