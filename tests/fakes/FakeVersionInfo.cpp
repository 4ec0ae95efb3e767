#include "tests/fakes/FakeVersionInfo.h"

#include <algorithm>
#include <cstring>

#include "platform/bmrPEVersions.h"
#include "platform/rtlAsciiCase.h"
#include "platform/rtlUnicode.h"

namespace fakes {

namespace {

void PutWord(std::vector<std::uint8_t>& out, std::size_t at, std::uint16_t value) {
  out[at] = static_cast<std::uint8_t>(value & 0xFF);
  out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void Pad(std::vector<std::uint8_t>& out) {
  while (out.size() % 4 != 0) out.push_back(0);
}

// One node: header, key, value, children; its length is filled in when it is complete.
void AppendNode(std::vector<std::uint8_t>& out, const std::string& key, bool text,
                const std::vector<std::uint8_t>& value, std::uint16_t valueLength,
                const std::vector<std::vector<std::uint8_t>>& children) {
  Pad(out);
  const std::size_t begin = out.size();
  out.resize(begin + 6, 0);
  PutWord(out, begin + 2, valueLength);
  PutWord(out, begin + 4, text ? 1 : 0);
  for (char16_t unit : rtl::Utf8ToUtf16(key) + u'\0') {
    out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    out.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  Pad(out);
  out.insert(out.end(), value.begin(), value.end());
  for (const auto& child : children) {
    Pad(out);
    out.insert(out.end(), child.begin(), child.end());
  }
  PutWord(out, begin, static_cast<std::uint16_t>(out.size() - begin));
}

std::vector<std::uint8_t> Node(const std::string& key, bool text, const std::vector<std::uint8_t>& value,
                               std::uint16_t valueLength, const std::vector<std::vector<std::uint8_t>>& children) {
  std::vector<std::uint8_t> out;
  AppendNode(out, key, text, value, valueLength, children);
  return out;
}

std::vector<std::uint8_t> TextValue(const std::string& text, std::uint16_t& characters) {
  const std::u16string wide = rtl::Utf8ToUtf16(text) + u'\0';
  characters = static_cast<std::uint16_t>(wide.size());
  std::vector<std::uint8_t> bytes;
  for (char16_t unit : wide) {
    bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  return bytes;
}

}  // namespace

std::vector<std::uint8_t> BuildVersionBlock(const VersionBlockSpec& spec) {
  // VS_FIXEDFILEINFO: the signature and structure version, version 1.0.0.0, the rest 0.
  std::vector<std::uint8_t> fixed(52, 0);
  const std::uint32_t header[] = {0xFEEF04BD, 0x00010000, 0x00010000, 0, 0x00010000, 0};
  std::memcpy(fixed.data(), header, sizeof header);

  std::vector<std::vector<std::uint8_t>> children;
  std::vector<std::vector<std::uint8_t>> tables;
  for (const auto& table : spec.tables) {
    std::vector<std::vector<std::uint8_t>> strings;
    for (const auto& [key, text] : table.strings) {
      std::uint16_t characters = 0;
      const auto value = TextValue(text, characters);
      strings.push_back(Node(key, true, value, characters, {}));
    }
    tables.push_back(Node(table.code, true, {}, 0, strings));
  }
  if (!tables.empty()) children.push_back(Node("StringFileInfo", true, {}, 0, tables));
  if (spec.translations) {
    std::vector<std::uint8_t> entries(spec.translations->size() * 4);
    if (!entries.empty()) std::memcpy(entries.data(), spec.translations->data(), entries.size());
    const auto var = Node("Translation", false, entries, static_cast<std::uint16_t>(entries.size()), {});
    children.push_back(Node("VarFileInfo", true, {}, 0, {var}));
  }
  return Node("VS_VERSION_INFO", false, fixed, static_cast<std::uint16_t>(fixed.size()), children);
}

void FakeVersionInfo::SetBlock(const std::string& path, std::vector<std::uint8_t> block) {
  blocks_[rtl::LowerCaseAscii(path)] = std::move(block);
}

const std::vector<std::uint8_t>* FakeVersionInfo::Block(const std::string& fileName) const {
  const auto it = blocks_.find(rtl::LowerCaseAscii(fileName));
  return it == blocks_.end() ? nullptr : &it->second;
}

std::uint32_t FakeVersionInfo::VersionInfoSize(const std::string& fileName, std::uint32_t& handle) {
  handle = 0;
  if (failures.Check("GetFileVersionInfoSizeW", fileName)) return 0;
  const auto* block = Block(fileName);
  return block == nullptr ? 0 : static_cast<std::uint32_t>(block->size());
}

bool FakeVersionInfo::VersionInfoCopy(const std::string& fileName, std::uint32_t, std::uint32_t size, void* data) {
  if (failures.Check("GetFileVersionInfoW", fileName)) return false;
  const auto* block = Block(fileName);
  if (block == nullptr) return false;
  std::memcpy(data, block->data(), std::min<std::size_t>(size, block->size()));
  return true;
}

bool FakeVersionInfo::VersionQueryValue(const void* block, const std::u16string& subBlock, const void*& value,
                                        std::uint32_t& length) {
  queries.push_back(subBlock);
  // As VerQueryValueW: the block's extent is what its root says.
  std::uint16_t rootLength = 0;
  std::memcpy(&rootLength, block, 2);
  return FindVersionValue(block, rootLength, subBlock, value, length);
}

}  // namespace fakes
