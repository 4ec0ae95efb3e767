#include "platform/bmrUtils.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "platform/bmrRegistry.h"
#include "platform/os/Process.h"

namespace {

const char kTweaksKey[] = "\\SOFTWARE\\Brenmoor Limited\\Tweaks\\";

std::string ExtractFileName(const std::string& path) {
  const auto slash = path.find_last_of("\\/:");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Control characters and the blank end a part of a dotted version.
bool IsSeparatorBlank(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 1 && u <= ' ';
}

// Reads a double-quoted part starting at text[i] == '"'; two quotes in a row stand for one.
// An unclosed quote runs to the end of the text.
std::string ExtractQuoted(const std::string& text, std::size_t& i) {
  std::string part;
  ++i;
  while (i < text.size()) {
    if (text[i] == '"') {
      if (i + 1 < text.size() && text[i + 1] == '"') {
        part += '"';
        i += 2;
        continue;
      }
      ++i;
      break;
    }
    part += text[i++];
  }
  return part;
}

// Splits at "." as the runtime's delimited-text list does: blanks and control characters
// around the parts are skipped and end a part, a dot at the end adds an empty part.
std::vector<std::string> SplitVersion(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && IsSeparatorBlank(text[i])) ++i;
  while (i < n) {
    if (text[i] == '"') {
      parts.push_back(ExtractQuoted(text, i));
    } else {
      const std::size_t start = i;
      while (i < n && !IsSeparatorBlank(text[i]) && text[i] != '.') ++i;
      parts.push_back(text.substr(start, i - start));
    }
    while (i < n && IsSeparatorBlank(text[i])) ++i;
    if (i < n && text[i] == '.') {
      if (i + 1 == n) parts.emplace_back();
      do {
        ++i;
      } while (i < n && IsSeparatorBlank(text[i]));
    }
  }
  return parts;
}

// A decimal 32-bit integer with an optional sign, or 0 for anything else.
std::int64_t PartValue(const std::string& part) {
  std::size_t i = 0;
  bool negative = false;
  if (i < part.size() && (part[i] == '+' || part[i] == '-')) negative = part[i++] == '-';
  if (i == part.size()) return 0;
  std::int64_t value = 0;
  for (; i < part.size(); ++i) {
    if (part[i] < '0' || part[i] > '9') return 0;
    value = value * 10 + (part[i] - '0');
    if (value > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) return 0;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<std::int32_t>::max() || value < std::numeric_limits<std::int32_t>::min()) return 0;
  return value;
}

std::vector<std::string> VersionParts(std::string text) {
  // Only the version number counts, not what follows it ("1.5.0.35 beta").
  const auto cut = text.find_first_of(std::string(" \0", 2));
  if (cut != std::string::npos) text.resize(cut);
  return SplitVersion(text);
}

bool ReadTweak(const std::string& key, const std::string& name, std::uint8_t& value) {
  std::int32_t dword = 0;
  if (!RegReadDWord(os::kHKeyLocalMachine, key, name, dword)) return false;
  value = static_cast<std::uint8_t>(dword & 0xFF);
  return true;
}

}  // namespace

bool bmrGetTweakByte(const std::string& name, std::uint8_t& value) {
  const std::string programKey = kTweaksKey + ExtractFileName(os::Process().ModuleFileName());
  return ReadTweak(programKey, name, value) || ReadTweak(kTweaksKey, name, value);
}

std::int32_t CompareVersionStrings(const std::string& a, const std::string& b) {
  const std::vector<std::string> partsA = VersionParts(a);
  const std::vector<std::string> partsB = VersionParts(b);
  // A part the shorter version lacks counts 0, so 1.5.1 is later than 1.5.
  const std::size_t count = std::max(partsA.size(), partsB.size());
  std::int64_t result = 0;
  for (std::size_t i = 0; i < count && result == 0; ++i) {
    const std::int64_t partA = i < partsA.size() ? PartValue(partsA[i]) : 0;
    const std::int64_t partB = i < partsB.size() ? PartValue(partsB[i]) : 0;
    result = partA - partB;
  }
  // The difference of two 32-bit parts can leave the 32-bit range; keep its sign.
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(result, std::numeric_limits<std::int32_t>::min(),
                                                            std::numeric_limits<std::int32_t>::max()));
}

std::string ByteToHex(std::uint8_t value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  return {kDigits[value >> 4], kDigits[value & 0x0F]};
}

std::string WordToHex(std::uint16_t value) {
  return ByteToHex(static_cast<std::uint8_t>(value >> 8)) + ByteToHex(static_cast<std::uint8_t>(value & 0xFF));
}

std::int32_t PosChar(char c, const std::string& s) {
  const auto position = s.find(c);
  return position == std::string::npos ? 0 : static_cast<std::int32_t>(position + 1);
}
