#pragma once
// The string fields of an executable's version block (VS_VERSIONINFO), appended to a list as
// "key=value" lines that the caller reads by name (VersionValueOf). Keeps no state.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class TVersionResourceField { vrProductVersion, vrFileVersion };

// The key text of each TVersionResourceField member, in its order.
inline constexpr std::array<const char*, 2> VersionResourceFieldKeys = {"ProductVersion", "FileVersion"};

// The number of translations in fileName's version block; 0 when it has no block or the block
// no translation table. fileName is UTF-8.
std::int32_t GetVersionTranslationCount(const std::string& fileName);

// Appends the lines of the translation Index (0 is the first) to Lines, which is not cleared:
// "FileVersion", "CompanyName", "InternalName", "Comments", "LegalCopyright",
// "LegalTrademarks", "OriginalFilename", "ProductName", "ProductVersion", "FileDescription",
// "PrivateBuild", "SpecialBuild" always (a missing field gives "key="), then "Translators",
// "Build" and "Instruction" only when their line does not end with "=". Texts are UTF-8.
// True when every line was appended. False, Lines unchanged, when the file has no block, the
// block no translation table or Index is not below the number of translations; False too
// when an exception ended the reading, with the lines appended before it kept.
bool ReadVersionStrings(const std::string& FileName, std::int32_t Index, std::vector<std::string>& Lines);

// The name-value lookup of such a list: the value of the first line whose name (the text
// before the first "=") equals name without regard to ASCII letter case; "" when none does.
std::string VersionValueOf(const std::vector<std::string>& lines, std::string_view name);

// The sub-block lookup of VerQueryValueW over a block in memory, for systems without the
// version API and for the in-memory Windows of the tests. path is a run of keys separated by
// backslashes (a run of them counts as one; "\" alone is the root's value); keys compare
// without regard to ASCII letter case. Nothing outside [block, block + size) is read, and
// never more than the root's own length says; a malformed block finds nothing. value and
// length as VerQueryValueW gives them: bytes for binary values, characters for texts.
bool FindVersionValue(const void* block, std::size_t size, std::u16string_view path, const void*& value,
                      std::uint32_t& length);
