#pragma once
// The program's own embedded data (RT_RCDATA resources of its module).

#include <optional>
#include <string>

#include "platform/os/Seams.h"

namespace os {

class IResources {
 public:
  virtual ~IResources() = default;
  // FindResourceW(own module, name, RT_RCDATA), LoadResource, LockResource, SizeofResource:
  // the resource's bytes, or nothing when the module has no such resource.
  virtual std::optional<std::string> LoadRcData(const std::string& name) = 0;
};

inline IResources& Resources() { return Get<IResources>(); }

}  // namespace os
