#include "platform/bmrFFNetscapeRegistry.h"

#include <algorithm>
#include <utility>

#include "platform/bmrFFHosts.h"
#include "platform/os/Files.h"
#include "platform/rtlAsciiCase.h"

namespace {

constexpr std::size_t kDescriptorSize = 32;
constexpr std::uint16_t kTypeKey = 1;

using rtl::LowerCaseAscii;
using rtl::SameTextAscii;

// "/\" in front of a path is dropped.
std::string_view WithoutLeadingMarker(std::string_view path) {
  if (path.size() >= 2 && path[0] == '/' && path[1] == '\\') path.remove_prefix(2);
  return path;
}

struct Descriptor {
  std::uint32_t location, name;
  std::uint16_t nameLength, type;
  std::uint32_t left, down, value, valueLength, parent;
};

// The file's bytes and what reading them has used up.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes), visited_(bytes.size(), false), textBudget_(bytes.size()) {}

  bool Uint32At(std::uint64_t offset, std::uint32_t& value) const {
    if (offset + 4 > bytes_.size()) return false;
    value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes_[offset + i]);
    return true;
  }

  // The descriptor at offset, when it may be read and passes its checks: it lies before the
  // end of the file (one that ends exactly there is not read), its location is its offset,
  // its parent is the key it was reached from, and it was not read before (a chain that leads
  // back to a node already read ends there).
  bool DescriptorAt(std::uint32_t offset, std::uint32_t expectedParent, Descriptor& d) {
    if (offset < 13 || std::uint64_t{offset} + kDescriptorSize >= bytes_.size()) return false;
    if (visited_[offset]) return false;
    std::uint32_t packed = 0;
    Uint32At(offset, d.location);
    Uint32At(offset + 4, d.name);
    Uint32At(offset + 8, packed);
    d.nameLength = static_cast<std::uint16_t>(packed & 0xFFFFu);
    d.type = static_cast<std::uint16_t>(packed >> 16);
    Uint32At(offset + 12, d.left);
    Uint32At(offset + 16, d.down);
    Uint32At(offset + 20, d.value);
    Uint32At(offset + 24, d.valueLength);
    Uint32At(offset + 28, d.parent);
    if (d.location != offset || d.parent != expectedParent) return false;
    visited_[offset] = true;
    return true;
  }

  // The bytes at offset and length that the file holds, NUL bytes dropped. False once the
  // texts read would hold more than the file: descriptors that point many times at the same
  // bytes are no tree of these programs, and the reader stops taking nodes there.
  bool TextAt(std::uint32_t offset, std::uint32_t length, std::string& text) {
    text.clear();
    if (offset >= bytes_.size()) return true;
    const std::size_t available = std::min<std::size_t>(length, bytes_.size() - offset);
    if (available > textBudget_) return false;
    textBudget_ -= available;
    const std::string_view raw = bytes_.substr(offset, available);
    text.reserve(available);
    for (char c : raw) {
      if (c != '\0') text += c;
    }
    return true;
  }

 private:
  std::string_view bytes_;
  std::vector<bool> visited_;
  std::size_t textBudget_;
};

// One chain of nodes (linked through their left fields) that is being read, below one key.
struct ChainFrame {
  enum Stage { kNextNode, kAfterValues, kAfterSubkeys };
  ChainFrame(TDataRec* parent_, std::uint32_t parentOffset_, std::uint32_t next_)
      : parent(parent_), parentOffset(parentOffset_), next(next_) {}
  TDataRec* parent;               // none for the root's chain
  std::uint32_t parentOffset;     // what each descriptor's parent field must hold
  std::uint32_t next;             // the offset of the next node of the chain
  Stage stage = kNextNode;
  std::uint32_t currentOffset = 0;
  std::uint32_t down = 0;
  std::uint32_t left = 0;
  std::vector<std::unique_ptr<TDataRec>> nodes;
};

}  // namespace

TDataRec::~TDataRec() {
  // A chain of subkeys can be as deep as the file allows; free it from a list instead of
  // through nested destructors.
  std::vector<std::unique_ptr<TDataRec>> pending = std::move(Children);
  while (!pending.empty()) {
    std::unique_ptr<TDataRec> node = std::move(pending.back());
    pending.pop_back();
    for (auto& child : node->Children) pending.push_back(std::move(child));
    node->Children.clear();
  }
}

const TDataRec* TDataRec::FindChild(std::string_view name, bool valuesOnly) const {
  if (Children.size() <= 8) {
    for (const auto& child : Children) {
      if ((!valuesOnly || child->IsValue) && SameTextAscii(child->Name, name)) return child.get();
    }
    return nullptr;
  }
  if (!index_) {
    auto index = std::make_unique<Index>();
    for (std::size_t i = 0; i < Children.size(); ++i) {
      std::string folded = LowerCaseAscii(Children[i]->Name);
      if (Children[i]->IsValue) index->firstValue.try_emplace(folded, i);
      index->first.try_emplace(std::move(folded), i);
    }
    index_ = std::move(index);
  }
  const auto& map = valuesOnly ? index_->firstValue : index_->first;
  const auto found = map.find(LowerCaseAscii(name));
  return found == map.end() ? nullptr : Children[found->second].get();
}

TNSRegistry::TNSRegistry(const std::string& FileName) {
  auto& files = os::Files();
  if (!files.FileExists(FileName)) return;
  std::string bytes;
  const std::uint32_t error = files.ReadHead(FileName, kMaxFileSize + 1, bytes);
  if (error != 0) {
    throw EFOpenError("Cannot open file \"" + FileName + "\". (error code " + std::to_string(error) + ")");
  }
  if (bytes.size() > kMaxFileSize) return;
  LoadFromBytes(bytes);
}

TNSRegistry::~TNSRegistry() = default;

std::unique_ptr<TNSRegistry> TNSRegistry::FromBytes(std::string_view bytes) {
  std::unique_ptr<TNSRegistry> registry(new TNSRegistry());
  if (bytes.size() <= kMaxFileSize) registry->LoadFromBytes(bytes);
  return registry;
}

// Reads the tree as a recursive descent would, with the recursion kept in a list of chain
// frames: a node, then its chain of value entries, then its chain of subkeys, then the next
// node of its own chain. A chain's nodes join their key's child list once the whole chain is
// read, last first, so a key lists its value entries and then its subkeys, each group in the
// reverse of its file order. A node that fails its checks ends its chain.
void TNSRegistry::LoadFromBytes(std::string_view bytes) {
  Reader reader(bytes);
  std::uint32_t rootOffset = 0;
  if (!reader.Uint32At(12, rootOffset)) return;

  std::vector<ChainFrame> frames;
  frames.emplace_back(nullptr, 0, rootOffset);
  while (!frames.empty()) {
    ChainFrame& frame = frames.back();
    if (frame.stage == ChainFrame::kAfterValues) {
      frame.stage = ChainFrame::kAfterSubkeys;
      if (frame.down != 0) {
        TDataRec* key = frame.nodes.back().get();
        const std::uint32_t keyOffset = frame.currentOffset, down = frame.down;
        frames.emplace_back(key, keyOffset, down);
      }
      continue;
    }
    if (frame.stage == ChainFrame::kAfterSubkeys) {
      frame.stage = ChainFrame::kNextNode;
      // The root's own chain is never reached from anywhere: the root alone is the tree.
      frame.next = frame.parent == nullptr ? 0 : frame.left;
      continue;
    }

    Descriptor d{};
    std::unique_ptr<TDataRec> node;
    if (frame.next != 0 && reader.DescriptorAt(frame.next, frame.parentOffset, d)) {
      node = std::make_unique<TDataRec>();
      node->Parent = frame.parent;
      if (!reader.TextAt(d.name, d.nameLength, node->Name)) node.reset();
    }
    if (node && d.type != kTypeKey) {
      node->IsValue = true;
      if (!reader.TextAt(d.value, d.valueLength, node->Value)) node.reset();
    }
    if (!node) {
      // The chain ends: its nodes join the key, last first.
      ChainFrame done = std::move(frame);
      frames.pop_back();
      if (done.parent == nullptr) {
        if (!done.nodes.empty()) root_ = std::move(done.nodes.front());
      } else {
        for (auto it = done.nodes.rbegin(); it != done.nodes.rend(); ++it) done.parent->Children.push_back(std::move(*it));
      }
      continue;
    }
    frame.currentOffset = frame.next;
    frame.left = d.left;
    const bool isKey = !node->IsValue;
    TDataRec* added = node.get();
    frame.nodes.push_back(std::move(node));
    if (isKey) {
      frame.down = d.down;
      frame.stage = ChainFrame::kAfterValues;
      if (d.value != 0) {
        const std::uint32_t keyOffset = frame.currentOffset, values = d.value;
        frames.emplace_back(added, keyOffset, values);
      }
    } else {
      frame.next = frame.parent == nullptr ? 0 : d.left;
    }
  }
}

const TDataRec* TNSRegistry::FindNode(std::string_view path) const {
  const TDataRec* node = root_.get();
  if (node == nullptr) return nullptr;
  for (;;) {
    const std::size_t slash = path.find('\\');
    const std::string_view head = path.substr(0, slash);
    node = node->FindChild(head, false);
    // A path ending in "\" names the node before the "\".
    if (node == nullptr || slash == std::string_view::npos || slash + 1 == path.size()) return node;
    path.remove_prefix(slash + 1);
  }
}

std::vector<std::string> TNSRegistry::KeyNames(const std::string& Path) const {
  std::vector<std::string> names;
  const TDataRec* key = FindNode(WithoutLeadingMarker(Path));
  if (key == nullptr) return names;
  for (const auto& child : key->Children) {
    if (!child->IsValue) names.push_back(child->Name);
  }
  return names;
}

void TNSRegistry::GetKeyNames(const std::string& Path, std::string& Text) const {
  Text.clear();
  const std::vector<std::string> names = KeyNames(Path);
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) Text += "\r\n";
    Text += names[i];
  }
}

void TNSRegistry::ReadValue(const std::string& FullPath, std::string& Value) const {
  Value.clear();
  const std::size_t slash = FullPath.rfind('\\');
  if (slash == std::string::npos) return;
  const std::string_view whole(FullPath);
  const TDataRec* key = FindNode(WithoutLeadingMarker(whole.substr(0, slash)));
  if (key == nullptr) return;
  const TDataRec* entry = key->FindChild(whole.substr(slash + 1), true);
  if (entry != nullptr) Value = entry->Value;
}
