// Any two texts (split at the first zero byte) as versions: the comparison is defined for
// every text, a version equals itself, and swapping the two turns the sign.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/bmrUtils.h"

namespace {

int Sign(std::int32_t value) { return (value > 0) - (value < 0); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.find('\0');
  const std::string a = input.substr(0, split);
  const std::string b = split == std::string::npos ? std::string() : input.substr(split + 1);
  if (CompareVersionStrings(a, a) != 0 || CompareVersionStrings(b, b) != 0) std::abort();
  if (Sign(CompareVersionStrings(a, b)) != -Sign(CompareVersionStrings(b, a))) std::abort();
  return 0;
}
