// Any bytes as a Netscape registry file: the reader must end, stay inside the bytes, keep no
// more text than they hold, and answer the finder's questions about the tree it made.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/bmrFFNetscapeRegistry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto registry = TNSRegistry::FromBytes(bytes);

  // Walk the tree without recursion: every node hangs below its parent and texts are bounded.
  std::size_t nodes = 0, text = 0;
  std::vector<const TDataRec*> pending;
  if (registry->Root() != nullptr) pending.push_back(registry->Root());
  while (!pending.empty()) {
    const TDataRec* node = pending.back();
    pending.pop_back();
    ++nodes;
    text += node->Name.size() + node->Value.size();
    for (const auto& child : node->Children) {
      if (child->Parent != node) std::abort();
      pending.push_back(child.get());
    }
  }
  // Each node has an offset of its own, and texts never hold more than the file.
  if (nodes > size || text > size) std::abort();

  // What the profile finder asks.
  for (const char* listed : {"Users", "Common\\Profiles", "/\\Common"}) {
    std::string joined;
    registry->GetKeyNames(listed, joined);
    for (const std::string& name : registry->KeyNames(listed)) {
      std::string value;
      registry->ReadValue(std::string(listed) + "\\" + name + "\\directory", value);
      registry->ReadValue(std::string(listed) + "\\" + name + "\\ProfileLocation", value);
    }
  }
  return 0;
}
