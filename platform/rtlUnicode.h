#pragma once
// UTF-8 and UTF-16 in the portable code (version blocks keep their texts in UTF-16). Malformed
// input never fails: an unpaired surrogate or a broken UTF-8 sequence becomes U+FFFD.

#include <cstdint>
#include <string>
#include <string_view>

namespace rtl {

void AppendUtf8(std::string& out, std::uint32_t code);
std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);

}  // namespace rtl
