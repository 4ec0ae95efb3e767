// Any bytes as a version block: every lookup must end, and what it finds must lie inside the
// bytes, the value's length included.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/bmrPEVersions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static constexpr std::u16string_view kPaths[] = {
      u"\\",
      u"\\\\VarFileInfo\\\\Translation",
      u"\\StringFileInfo\\040904E4\\ProductName",
      u"\\\\StringFileInfo\\\\040904E4\\\\LegalCopyright",
      u"StringFileInfo",
      u"\\A\\B\\C\\D\\E\\F",
  };
  for (const std::u16string_view path : kPaths) {
    const void* value = nullptr;
    std::uint32_t length = 0;
    if (!FindVersionValue(data, size, path, value, length)) continue;
    const auto* at = static_cast<const std::uint8_t*>(value);
    if (at < data || at > data + size) std::abort();
    // Texts count characters, binary values bytes: either way no more than two bytes each.
    if (static_cast<std::size_t>(at - data) + length > size) std::abort();
  }
  return 0;
}
