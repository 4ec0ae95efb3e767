// Any bytes as a gettext catalog: the reader must end, and a catalog it accepts holds no more
// messages than the file has table entries for.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/rtlTranslations.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  rtl::MessageCatalog messages;
  const bool read = rtl::ParseMoCatalog(bytes, messages);
  if (!read && !messages.empty()) std::abort();
  // Each message needs an 8-byte entry in each table (the tables may overlap anything).
  if (read && messages.size() > size / 8) std::abort();
  for (const auto& [id, text] : messages) {
    if (id.empty() || text.empty() || id.size() > size || text.size() > size) std::abort();
  }
  return 0;
}
