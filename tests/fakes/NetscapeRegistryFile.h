#pragma once
// Writes the bytes of a Netscape registry file ("registry.dat", "nsreg.dat") from a tree, the
// way those programs laid it out: a 16-byte header with the root's offset at 12, then one
// 32-byte descriptor per node in tree order (a key, its value entries, its subkeys), then the
// texts, each ended by a NUL. Offsets of the written descriptors are kept by path, so a test
// can break one field afterwards.

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace fakes {

struct NsNode {
  std::string name;
  bool isKey = true;
  std::string value;
  std::vector<NsNode> values;   // a key's value entries, in file order
  std::vector<NsNode> subkeys;  // a key's subkeys, in file order

  static NsNode Key(std::string name, std::vector<NsNode> values = {}, std::vector<NsNode> subkeys = {}) {
    return NsNode{std::move(name), true, {}, std::move(values), std::move(subkeys)};
  }
  static NsNode Value(std::string name, std::string value) { return NsNode{std::move(name), false, std::move(value), {}, {}}; }
};

class NetscapeRegistryFile {
 public:
  // Descriptor fields, by their byte position.
  enum Field : std::uint32_t { kLocation = 0, kName = 4, kNameLength = 8, kType = 10, kLeft = 12, kDown = 16,
                               kValue = 20, kValueLength = 24, kParent = 28 };

  explicit NetscapeRegistryFile(const NsNode& root) {
    std::vector<const NsNode*> order;
    Assign(root, "", order);
    bytes_.assign(16, '\0');
    std::memcpy(&bytes_[0], "\x76\x44\x11\x00", 4);  // the header's magic; not read
    Put32(12, 16);
    bytes_.resize(16 + order.size() * 32, '\0');
    Write(root, 0);
    bytes_ += '\0';  // the last descriptor never ends exactly at the end
  }

  const std::string& Bytes() const { return bytes_; }
  // The offset of the node at a path of names ("" the root, "Users\bob\ProfileLocation");
  // a later node of a path already taken gets "*" appended.
  std::uint32_t OffsetOf(const std::string& path) const { return offsets_.at(path); }
  void Put32(std::uint32_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes_[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  }
  void Put16(std::uint32_t at, std::uint16_t value) {
    bytes_[at] = static_cast<char>(value & 0xFF);
    bytes_[at + 1] = static_cast<char>(value >> 8);
  }
  void SetField(const std::string& path, Field field, std::uint32_t value) {
    if (field == kNameLength || field == kType) {
      Put16(OffsetOf(path) + field, static_cast<std::uint16_t>(value));
    } else {
      Put32(OffsetOf(path) + field, value);
    }
  }

 private:
  static std::string Join(const std::string& path, const std::string& name) {
    return path.empty() && name.empty() ? std::string() : (path.empty() ? name : path + "\\" + name);
  }

  void Assign(const NsNode& node, std::string path, std::vector<const NsNode*>& order) {
    const auto at = static_cast<std::uint32_t>(16 + order.size() * 32);
    nodes_[&node] = at;
    while (!offsets_.try_emplace(path, at).second) path += "*";
    order.push_back(&node);
    for (const NsNode& value : node.values) Assign(value, Join(path, value.name), order);
    for (const NsNode& subkey : node.subkeys) Assign(subkey, Join(path, subkey.name), order);
  }

  std::uint32_t AddText(const std::string& text) {
    const auto at = static_cast<std::uint32_t>(bytes_.size());
    bytes_ += text;
    bytes_ += '\0';
    return at;
  }

  // Writes the node at its offset and its chains.
  void Write(const NsNode& node, std::uint32_t parent) {
    const std::uint32_t at = nodes_.at(&node);
    Put32(at + kLocation, at);
    Put32(at + kName, AddText(node.name));
    Put16(at + kNameLength, static_cast<std::uint16_t>(node.name.size() + 1));
    Put16(at + kType, node.isKey ? 1 : 2);
    Put32(at + kParent, parent);
    if (!node.isKey) {
      Put32(at + kValue, AddText(node.value));
      Put32(at + kValueLength, static_cast<std::uint32_t>(node.value.size() + 1));
      return;
    }
    WriteChain(node.values, at, kValue);
    WriteChain(node.subkeys, at, kDown);
  }

  void WriteChain(const std::vector<NsNode>& chain, std::uint32_t key, Field head) {
    for (std::size_t i = 0; i < chain.size(); ++i) {
      if (i == 0) Put32(key + head, nodes_.at(&chain[i]));
      if (i + 1 < chain.size()) Put32(nodes_.at(&chain[i]) + kLeft, nodes_.at(&chain[i + 1]));
      Write(chain[i], key);
    }
  }

  std::string bytes_;
  std::map<const NsNode*, std::uint32_t> nodes_;
  std::map<std::string, std::uint32_t> offsets_;
};

}  // namespace fakes
