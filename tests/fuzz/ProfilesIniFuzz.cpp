// Any bytes as a "profiles.ini": the reader must end and give one folder per profile section,
// each ending in a path delimiter.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/bmrFFMozillaProfiles.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> profiles;
  ReadProfilesIniText("C:\\Users\\Fuzz\\AppData\\Roaming\\Mozilla\\Firefox\\profiles.ini", bytes, profiles);
  for (const std::string& profile : profiles) {
    if (profile.empty() || profile.back() != '\\') std::abort();
  }
  // A section needs at least "[PROFILE]" and a line break's worth of bytes.
  if (profiles.size() > size / 9 + 1) std::abort();
  return 0;
}
