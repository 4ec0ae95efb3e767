#include "platform/bmrPEVersions.h"

#include <algorithm>
#include <cstring>

#include "platform/bmrUtils.h"
#include "platform/os/VersionInfo.h"
#include "platform/rtlAsciiCase.h"
#include "platform/rtlUnicode.h"

namespace {

// The paths as the texts are written, every backslash doubled: the lookup takes a run of
// them as one separator.
constexpr std::u16string_view kTranslationPath = u"\\\\VarFileInfo\\\\Translation";
constexpr std::u16string_view kStringFileInfoPath = u"\\\\StringFileInfo\\\\";
constexpr std::u16string_view kSeparator = u"\\\\";

constexpr const char* kAlwaysKeys[] = {"FileVersion",     "CompanyName",      "InternalName", "Comments",
                                       "LegalCopyright",  "LegalTrademarks",  "OriginalFilename",
                                       "ProductName",     "ProductVersion",   "FileDescription",
                                       "PrivateBuild",    "SpecialBuild"};
constexpr const char* kWhenFilledKeys[] = {"Translators", "Build", "Instruction"};

// A copy of one file's version block, freed on every way out of a call.
class VersionBlock {
 public:
  // Empty when the file has no block or it cannot be copied.
  explicit VersionBlock(const std::string& fileName) {
    std::uint32_t handle = 0;
    const std::uint32_t size = os::VersionInfo().VersionInfoSize(fileName, handle);
    if (size == 0) return;
    data_.assign(size, 0);
    if (!os::VersionInfo().VersionInfoCopy(fileName, handle, size, data_.data())) data_.clear();
  }
  bool Empty() const { return data_.empty(); }

  // The value at path, or nullptr; byteCount is how many bytes of the buffer lie from it to
  // the buffer's end, so a reader never goes past the copy whatever the API answered.
  const std::uint8_t* Find(std::u16string_view path, std::uint32_t& length, std::size_t& byteCount) const {
    const void* value = nullptr;
    length = 0;
    os::VersionInfo().VersionQueryValue(data_.data(), std::u16string(path), value, length);
    const auto* address = static_cast<const std::uint8_t*>(value);
    const std::uint8_t* begin = data_.data();
    const std::uint8_t* end = begin + data_.size();
    if (address == nullptr || address < begin || address > end) return nullptr;
    byteCount = static_cast<std::size_t>(end - address);
    return address;
  }

  // The number of 4-byte entries of the translation table, 0 without one.
  std::size_t TranslationCount(const std::uint8_t** table) const {
    std::uint32_t length = 0;
    std::size_t available = 0;
    const std::uint8_t* found = Find(kTranslationPath, length, available);
    if (found == nullptr) return 0;
    if (table != nullptr) *table = found;
    return std::min<std::size_t>(length, available) / 4;
  }

  // The text of a string field, "" when the field is missing.
  std::string Text(std::u16string_view path) const {
    std::uint32_t characters = 0;
    std::size_t available = 0;
    const std::uint8_t* found = Find(path, characters, available);
    if (found == nullptr) return {};
    const std::size_t limit = std::min<std::size_t>(characters, available / 2);
    std::u16string text;
    for (std::size_t i = 0; i < limit; ++i) {
      char16_t unit;
      std::memcpy(&unit, found + 2 * i, 2);
      if (unit == 0) break;
      text += unit;
    }
    return rtl::Utf16ToUtf8(text);
  }

 private:
  std::vector<std::uint8_t> data_;
};

std::u16string Ascii16(std::string_view text) { return std::u16string(text.begin(), text.end()); }

}  // namespace

std::int32_t GetVersionTranslationCount(const std::string& fileName) {
  const VersionBlock block(fileName);
  if (block.Empty()) return 0;
  return static_cast<std::int32_t>(block.TranslationCount(nullptr));
}

bool ReadVersionStrings(const std::string& FileName, std::int32_t Index, std::vector<std::string>& Lines) {
  const VersionBlock block(FileName);
  if (block.Empty()) return false;
  try {
    const std::uint8_t* table = nullptr;
    const std::size_t count = block.TranslationCount(&table);
    // A block without a translation table, or an index past its end: nothing outside the
    // table is read, and nothing is appended.
    if (Index < 0 || static_cast<std::size_t>(Index) >= count) return false;
    std::uint16_t language = 0;
    std::uint16_t codePage = 0;
    std::memcpy(&language, table + 4 * static_cast<std::size_t>(Index), 2);
    std::memcpy(&codePage, table + 4 * static_cast<std::size_t>(Index) + 2, 2);
    const std::u16string tablePath =
        std::u16string(kStringFileInfoPath) + Ascii16(WordToHex(language) + WordToHex(codePage)) +
        std::u16string(kSeparator);
    auto line = [&](const char* key) { return std::string(key) + "=" + block.Text(tablePath + Ascii16(key)); };
    for (const char* key : kAlwaysKeys) Lines.push_back(line(key));
    for (const char* key : kWhenFilledKeys) {
      std::string text = line(key);
      if (text.back() != '=') Lines.push_back(std::move(text));
    }
    return true;
  } catch (...) {
    return false;
  }
}

std::string VersionValueOf(const std::vector<std::string>& lines, std::string_view name) {
  for (const std::string& line : lines) {
    const auto equals = line.find('=');
    if (equals != std::string::npos && rtl::SameTextAscii(std::string_view(line).substr(0, equals), name)) {
      return line.substr(equals + 1);
    }
  }
  return {};
}

// VS_VERSIONINFO: every node is wLength (bytes of the node with its children), wValueLength
// (bytes, or characters for a text), wType (1 text, 0 binary), the key in UTF-16 up to its
// NUL, padding to 4 bytes, the value, padding to 4 bytes, then the children. Offsets are
// taken from the start of the block, which Windows keeps 4-byte aligned.
namespace {

struct Node {
  std::size_t begin = 0;
  std::size_t end = 0;  // begin + wLength, never past the parent's end
  std::size_t valueBegin = 0;
  std::size_t valueBytes = 0;
  std::uint32_t valueLength = 0;  // as the block states it, cut to what fits
  std::size_t childrenBegin = 0;
};

class BlockReader {
 public:
  BlockReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::uint16_t Word(std::size_t offset) const {
    std::uint16_t value;
    std::memcpy(&value, data_ + offset, 2);
    return value;
  }

  static std::size_t Align(std::size_t offset) { return (offset + 3) & ~static_cast<std::size_t>(3); }

  // The node at offset within a parent ending at limit, its key in key; false when it does
  // not fit.
  bool Read(std::size_t offset, std::size_t limit, Node& node, std::u16string& key) const {
    if (offset + 6 > limit) return false;
    const std::size_t length = Word(offset);
    if (length < 6 || offset + length > limit) return false;
    node.begin = offset;
    node.end = offset + length;
    key.clear();
    std::size_t at = offset + 6;
    for (;; at += 2) {
      if (at + 2 > node.end) return false;  // a key without its NUL
      const char16_t unit = static_cast<char16_t>(Word(at));
      if (unit == 0) break;
      key += unit;
    }
    const std::uint16_t valueLength = Word(offset + 2);
    const bool text = Word(offset + 4) == 1;
    node.valueBegin = std::min(Align(at + 2), node.end);
    const std::size_t room = node.end - node.valueBegin;
    node.valueBytes = std::min<std::size_t>(text ? 2u * valueLength : valueLength, text ? room & ~std::size_t{1} : room);
    node.valueLength = static_cast<std::uint32_t>(text ? node.valueBytes / 2 : node.valueBytes);
    node.childrenBegin = std::min(Align(node.valueBegin + node.valueBytes), node.end);
    return true;
  }

  const std::uint8_t* At(std::size_t offset) const { return data_ + offset; }
  std::size_t Size() const { return size_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

bool SameKey(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto fold = [](char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c; };
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

}  // namespace

bool FindVersionValue(const void* block, std::size_t size, std::u16string_view path, const void*& value,
                      std::uint32_t& length) {
  if (block == nullptr || size < 6) return false;
  const BlockReader reader(static_cast<const std::uint8_t*>(block), size);
  const std::size_t rootLength = reader.Word(0);
  Node node;
  std::u16string key;
  if (!reader.Read(0, std::min(size, rootLength), node, key)) return false;
  std::size_t at = 0;
  while (true) {
    while (at < path.size() && path[at] == u'\\') ++at;
    if (at >= path.size()) break;
    std::size_t next = path.find(u'\\', at);
    if (next == std::u16string_view::npos) next = path.size();
    const std::u16string_view wanted = path.substr(at, next - at);
    at = next;
    Node child;
    bool found = false;
    for (std::size_t offset = node.childrenBegin; offset < node.end;) {
      if (!reader.Read(offset, node.end, child, key)) break;
      if (SameKey(key, wanted)) {
        found = true;
        break;
      }
      offset = BlockReader::Align(child.end);
    }
    if (!found) return false;
    node = child;
  }
  value = reader.At(node.valueBegin);
  length = node.valueLength;
  return true;
}
