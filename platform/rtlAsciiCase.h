#pragma once
// Letter case of the ASCII letters only: the names in other programs' files and the template
// names compare this way, whatever the code page of the rest of their bytes.

#include <string>
#include <string_view>

namespace rtl {

inline char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

inline std::string LowerCaseAscii(std::string_view text) {
  std::string folded(text);
  for (char& c : folded) c = LowerAscii(c);
  return folded;
}

inline bool SameTextAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

}  // namespace rtl
