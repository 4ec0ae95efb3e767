#pragma once
// Makes chosen calls of a fake fail with a chosen code. A call is named by its Win32 name
// ("RegOpenKeyExA"); a rule can be narrowed to calls whose subject (a key path with value
// name, a file name, a service name) contains a text, and limited to a number of calls.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fakes {

class FailureInjector {
 public:
  // times < 0: every matching call fails.
  void Fail(std::string call, std::int64_t code, std::string subjectContains = {}, int times = -1) {
    rules_.push_back({std::move(call), code, std::move(subjectContains), times});
  }
  void Clear() { rules_.clear(); }

  // The code the call must fail with, if a rule matches; consumes one use of that rule.
  std::optional<std::int64_t> Check(std::string_view call, std::string_view subject) {
    for (auto& rule : rules_) {
      if (rule.times == 0 || rule.call != call) continue;
      if (!rule.subject.empty() && !ContainsNoCase(subject, rule.subject)) continue;
      if (rule.times > 0) --rule.times;
      return rule.code;
    }
    return std::nullopt;
  }

 private:
  struct Rule {
    std::string call;
    std::int64_t code;
    std::string subject;
    int times;
  };

  static char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
  static bool ContainsNoCase(std::string_view haystack, std::string_view needle) {
    if (needle.size() > haystack.size()) return false;
    for (std::size_t i = 0; i + needle.size() <= haystack.size(); ++i) {
      std::size_t j = 0;
      while (j < needle.size() && Lower(haystack[i + j]) == Lower(needle[j])) ++j;
      if (j == needle.size()) return true;
    }
    return false;
  }

  std::vector<Rule> rules_;
};

}  // namespace fakes
