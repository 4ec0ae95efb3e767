#pragma once
// An ini file in memory: sections in square brackets, lines of key, "=" and value. Read from
// the file's bytes in any of the encodings other programs write: UTF-8 with or without its
// byte-order mark, UTF-16 (little or big endian) with its mark, or any 8-bit code page, whose
// bytes are kept as they are. NUL bytes count as nothing, so a file cut short or full of
// binary data still gives whatever lines it has.
//
// As the runtime's memory ini file: lines are trimmed; empty lines and lines starting with
// ";" are skipped; a line in brackets starts a section (its name trimmed); lines before the
// first section are ignored; key and value are trimmed at the first "=". Section and key
// names compare without regard to ASCII letter case, and the first section and the first key
// of a name win.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class TMemIniFile {
 public:
  explicit TMemIniFile(std::string_view bytes);

  // The section names in file order (a name that stands twice is listed twice).
  std::vector<std::string> ReadSections() const;
  std::string ReadString(const std::string& Section, const std::string& Ident, const std::string& Default) const;
  // The value as a decimal number (a sign allowed) or a hexadecimal one after "$" or "0x";
  // Default when missing, not a number or outside the 32-bit range.
  std::int32_t ReadInteger(const std::string& Section, const std::string& Ident, std::int32_t Default) const;

 private:
  struct Section {
    std::string name;
    std::vector<std::pair<std::string, std::string>> lines;
    // Folded key to its first line.
    std::unordered_map<std::string, std::size_t> firstKey;
  };
  const std::string* Find(const std::string& section, const std::string& ident) const;

  std::vector<Section> sections_;
  // Folded section name to its first section.
  std::unordered_map<std::string, std::size_t> firstSection_;
};

// The text of a file's bytes: a UTF-8 mark dropped, UTF-16 with its mark turned into UTF-8
// (an unpaired surrogate becomes U+FFFD), NUL bytes dropped, other bytes kept.
std::string DecodeTextFile(std::string_view bytes);
