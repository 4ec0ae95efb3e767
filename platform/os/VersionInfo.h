#pragma once
// The version API of version.dll: the size of a file's version block, a copy of it, and the
// lookup of a sub-block path in the copy. Method names avoid the windows.h macros
// (GetFileVersionInfoSize, VerQueryValue).

#include <cstdint>
#include <string>

#include "platform/os/Seams.h"

namespace os {

class IVersionInfo {
 public:
  virtual ~IVersionInfo() = default;

  // GetFileVersionInfoSizeW: the size in bytes of fileName's version block, 0 when the file is
  // missing, cannot be read or has none. handle receives the value to pass to the copy.
  virtual std::uint32_t VersionInfoSize(const std::string& fileName, std::uint32_t& handle) = 0;
  // GetFileVersionInfoW: copies the block into data, a buffer of size bytes.
  virtual bool VersionInfoCopy(const std::string& fileName, std::uint32_t handle, std::uint32_t size,
                               void* data) = 0;
  // VerQueryValueW on a copied block: value receives the address of the sub-block's value
  // inside block and length its length (bytes for binary values, characters for texts).
  // False, value and length untouched, when the path is not there.
  virtual bool VersionQueryValue(const void* block, const std::u16string& subBlock, const void*& value,
                                 std::uint32_t& length) = 0;
};

inline IVersionInfo& VersionInfo() { return Get<IVersionInfo>(); }

}  // namespace os
