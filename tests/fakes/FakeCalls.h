#pragma once
// The shape every call of a fake COM object shares: the call is recorded with its library,
// which may make it fail with a chosen code; otherwise the fake does what the call does and
// answers success (0, S_OK).

#include <cstdint>
#include <optional>
#include <string>

namespace fakes {

// Library::Enter(call, subject) records the call and gives the code it must fail with, if any.
template <class Library, class Action>
std::int32_t Answer(Library& library, const std::string& call, const std::string& subject, Action action) {
  if (const std::optional<std::int32_t> code = library.Enter(call, subject)) return *code;
  action();
  return 0;
}

}  // namespace fakes
