#include "platform/rtlIniFiles.h"

#include <limits>

#include "platform/rtlAsciiCase.h"
#include "platform/rtlUnicode.h"

namespace {

using rtl::LowerAscii;
using rtl::AppendUtf8;
using rtl::LowerCaseAscii;

// The runtime's Trim: characters of code 32 or less go at both ends.
std::string_view TrimView(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= 32) text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32) text.remove_suffix(1);
  return text;
}

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
  std::string out;
  out.reserve(bytes.size());
  auto unit = [&](std::size_t i) {
    const auto a = static_cast<unsigned char>(bytes[i]);
    const auto b = static_cast<unsigned char>(bytes[i + 1]);
    return static_cast<std::uint32_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
  };
  // A last odd byte is half a character of a file cut short: dropped.
  const std::size_t units = bytes.size() / 2;
  for (std::size_t u = 0; u < units; ++u) {
    std::uint32_t code = unit(2 * u);
    if (code >= 0xD800 && code <= 0xDBFF && u + 1 < units) {
      const std::uint32_t low = unit(2 * (u + 1));
      if (low >= 0xDC00 && low <= 0xDFFF) {
        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        ++u;
      } else {
        code = 0xFFFD;
      }
    } else if (code >= 0xD800 && code <= 0xDFFF) {
      code = 0xFFFD;
    }
    if (code != 0) AppendUtf8(out, code);
  }
  return out;
}

}  // namespace

std::string DecodeTextFile(std::string_view bytes) {
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) {
    return Utf16ToUtf8(bytes.substr(2), false);
  }
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFE && static_cast<unsigned char>(bytes[1]) == 0xFF) {
    return Utf16ToUtf8(bytes.substr(2), true);
  }
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  std::string text;
  text.reserve(bytes.size());
  for (char c : bytes) {
    if (c != '\0') text += c;
  }
  return text;
}

TMemIniFile::TMemIniFile(std::string_view bytes) {
  const std::string text = DecodeTextFile(bytes);
  const std::string_view all(text);
  Section* current = nullptr;
  std::size_t at = 0;
  while (at < all.size()) {
    // A line ends at CR LF, CR or LF.
    std::size_t end = all.find_first_of("\r\n", at);
    if (end == std::string_view::npos) end = all.size();
    const std::string_view line = TrimView(all.substr(at, end - at));
    at = end;
    if (at < all.size()) at += (all[at] == '\r' && at + 1 < all.size() && all[at + 1] == '\n') ? 2 : 1;
    if (line.empty() || line.front() == ';') continue;
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      std::string name(TrimView(line.substr(1, line.size() - 2)));
      firstSection_.try_emplace(LowerCaseAscii(name), sections_.size());
      sections_.push_back(Section{std::move(name), {}, {}});
      current = &sections_.back();
      continue;
    }
    if (current == nullptr) continue;
    const std::size_t equals = line.find('=');
    std::string key(TrimView(line.substr(0, equals)));
    std::string value(equals == std::string_view::npos ? std::string_view() : TrimView(line.substr(equals + 1)));
    if (equals != std::string_view::npos) current->firstKey.try_emplace(LowerCaseAscii(key), current->lines.size());
    current->lines.emplace_back(std::move(key), std::move(value));
  }
}

std::vector<std::string> TMemIniFile::ReadSections() const {
  std::vector<std::string> names;
  names.reserve(sections_.size());
  for (const auto& section : sections_) names.push_back(section.name);
  return names;
}

const std::string* TMemIniFile::Find(const std::string& section, const std::string& ident) const {
  const auto found = firstSection_.find(LowerCaseAscii(section));
  if (found == firstSection_.end()) return nullptr;
  const Section& s = sections_[found->second];
  const auto line = s.firstKey.find(LowerCaseAscii(ident));
  return line == s.firstKey.end() ? nullptr : &s.lines[line->second].second;
}

std::string TMemIniFile::ReadString(const std::string& Section, const std::string& Ident,
                                    const std::string& Default) const {
  const std::string* value = Find(Section, Ident);
  return value == nullptr ? Default : *value;
}

std::int32_t TMemIniFile::ReadInteger(const std::string& Section, const std::string& Ident,
                                      std::int32_t Default) const {
  const std::string* found = Find(Section, Ident);
  if (found == nullptr) return Default;
  std::string_view text(*found);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  unsigned base = 10;
  if (!text.empty() && text.front() == '$') {
    base = 16;
    text.remove_prefix(1);
  } else if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return Default;
  std::uint64_t value = 0;
  for (char c : text) {
    unsigned digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<unsigned>(c - '0');
    } else if (base == 16 && LowerAscii(c) >= 'a' && LowerAscii(c) <= 'f') {
      digit = static_cast<unsigned>(LowerAscii(c) - 'a' + 10);
    } else {
      return Default;
    }
    value = value * base + digit;
    if (value > 0xFFFFFFFFull) return Default;
  }
  if (base == 16) {
    // A hexadecimal number stands for the 32 bits it spells.
    std::uint32_t bits = static_cast<std::uint32_t>(value);
    if (negative) bits = 0u - bits;
    return static_cast<std::int32_t>(bits);
  }
  const std::int64_t signedValue = negative ? -static_cast<std::int64_t>(value) : static_cast<std::int64_t>(value);
  if (signedValue < std::numeric_limits<std::int32_t>::min() || signedValue > std::numeric_limits<std::int32_t>::max()) {
    return Default;
  }
  return static_cast<std::int32_t>(signedValue);
}
