#include "tests/fakes/FakeLibrary.h"

namespace fakes {

namespace {

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace

void FakeLibrary::AddModule(const std::string& path, std::map<std::uint32_t, std::string> strings) {
  modules_[Lower(path)] = std::move(strings);
}

os::ModuleHandle FakeLibrary::LoadModuleEx(const std::string& fileName, std::uint32_t flags) {
  loads.emplace_back(fileName, flags);
  if (failures.Check("LoadLibraryExA", fileName)) return 0;
  if (modules_.find(Lower(fileName)) == modules_.end()) return 0;
  const os::ModuleHandle module = nextModule_;
  nextModule_ += 0x10000;
  loaded_[module] = Lower(fileName);
  return module;
}

std::int32_t FakeLibrary::LoadStringText(os::ModuleHandle module, std::uint32_t id, std::string& text,
                                         std::int32_t bufferChars) {
  text.clear();
  auto it = loaded_.find(module);
  if (it == loaded_.end() || bufferChars <= 0) return 0;
  if (failures.Check("LoadStringW", it->second)) return 0;
  const auto& strings = modules_[it->second];
  auto found = strings.find(id);
  if (found == strings.end()) return 0;
  // Cut to the buffer, counted in characters (code points), leaving room for the zero.
  std::int32_t count = 0;
  std::size_t at = 0;
  const std::string& source = found->second;
  while (at < source.size() && count < bufferChars - 1) {
    std::size_t next = at + 1;
    while (next < source.size() && (static_cast<unsigned char>(source[next]) & 0xC0) == 0x80) ++next;
    at = next;
    ++count;
  }
  text = source.substr(0, at);
  return count;
}

bool FakeLibrary::ReleaseModule(os::ModuleHandle module) { return loaded_.erase(module) == 1; }

}  // namespace fakes
