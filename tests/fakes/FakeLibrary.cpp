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

void FakeLibrary::AddResource(const std::string& path, const std::string& type, const std::string& name,
                              std::string data) {
  if (!path.empty()) modules_.try_emplace(Lower(path));
  resources_[Lower(path)][type].emplace_back(name, std::move(data));
}

const std::map<std::string, std::vector<std::pair<std::string, std::string>>>* FakeLibrary::ResourcesOf(
    os::ModuleHandle module) const {
  std::string path;
  if (module != 0) {
    auto it = loaded_.find(module);
    if (it == loaded_.end()) return nullptr;
    path = it->second;
  }
  auto found = resources_.find(path);
  return found == resources_.end() ? nullptr : &found->second;
}

bool FakeLibrary::EnumResourceNamesOf(os::ModuleHandle module, const std::string& type,
                                      std::vector<std::string>& names) {
  const auto* resources = ResourcesOf(module);
  if (!resources) return false;
  auto it = resources->find(type);
  if (it == resources->end() || it->second.empty()) return false;
  for (const auto& [name, data] : it->second) names.push_back(name);
  return true;
}

bool FakeLibrary::ReadResource(os::ModuleHandle module, const std::string& name, const std::string& type,
                               std::string& data) {
  data.clear();
  if (failures.Check("FindResourceA", name)) return false;
  const auto* resources = ResourcesOf(module);
  if (!resources) return false;
  auto it = resources->find(type);
  if (it == resources->end()) return false;
  for (const auto& [resourceName, bytes] : it->second) {
    if (Lower(resourceName) == Lower(name)) {
      data = bytes;
      return true;
    }
  }
  return false;
}

}  // namespace fakes
