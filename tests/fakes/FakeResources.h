#pragma once
// The program's embedded data, in memory: name -> bytes.

#include <map>
#include <optional>
#include <string>

#include "platform/os/Resources.h"

namespace fakes {

class FakeResources : public os::IResources {
 public:
  std::map<std::string, std::string> rcData;
  std::optional<std::string> LoadRcData(const std::string& name) override {
    const auto it = rcData.find(name);
    if (it == rcData.end()) return std::nullopt;
    return it->second;
  }

 private:
  os::ScopedOverride<os::IResources> override_{*this};
};

}  // namespace fakes
