#include "tests/fakes/FakeRegistry.h"

#include <cstring>

namespace fakes {

namespace {

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path) {
    if (c == '\\') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

std::string RootName(os::RegKey root) {
  if (root == os::kHKeyClassesRoot) return "HKEY_CLASSES_ROOT";
  if (root == os::kHKeyCurrentUser) return "HKEY_CURRENT_USER";
  if (root == os::kHKeyLocalMachine) return "HKEY_LOCAL_MACHINE";
  if (root == os::kHKeyUsers) return "HKEY_USERS";
  if (root == os::kHKeyPerformanceData) return "HKEY_PERFORMANCE_DATA";
  if (root == os::kHKeyCurrentConfig) return "HKEY_CURRENT_CONFIG";
  if (root == os::kHKeyDynData) return "HKEY_DYN_DATA";
  return {};
}

std::string JoinPath(os::RegKey root, const std::vector<std::string>& parts) {
  std::string path = RootName(root);
  for (const auto& part : parts) path += "\\" + part;
  return path;
}

bool IsPredefined(os::RegKey key) { return !RootName(key).empty(); }

}  // namespace

struct FakeRegistry::Key {
  std::string name;
  std::uint32_t grantedAccess = 0xFFFFFFFFu;
  std::map<std::string, std::unique_ptr<Key>> children;          // by lower-case name
  std::map<std::string, std::pair<std::string, Value>> values;  // by lower-case name
};

FakeRegistry::FakeRegistry() {
  for (os::RegKey root : {os::kHKeyClassesRoot, os::kHKeyCurrentUser, os::kHKeyLocalMachine, os::kHKeyUsers,
                          os::kHKeyPerformanceData, os::kHKeyCurrentConfig, os::kHKeyDynData}) {
    roots_[root] = std::make_unique<Key>();
    roots_[root]->name = RootName(root);
  }
}

FakeRegistry::~FakeRegistry() = default;

FakeRegistry::Key* FakeRegistry::Root(os::RegKey root) const {
  auto it = roots_.find(root);
  return it == roots_.end() ? nullptr : it->second.get();
}

FakeRegistry::Key* FakeRegistry::Find(Key* base, const std::vector<std::string>& parts) const {
  Key* key = base;
  for (const auto& part : parts) {
    if (key == nullptr) return nullptr;
    auto it = key->children.find(Lower(part));
    key = it == key->children.end() ? nullptr : it->second.get();
  }
  return key;
}

FakeRegistry::Key* FakeRegistry::FindOrCreate(Key* base, const std::vector<std::string>& parts, bool& created) {
  created = false;
  Key* key = base;
  for (const auto& part : parts) {
    auto& slot = key->children[Lower(part)];
    if (!slot) {
      slot = std::make_unique<Key>();
      slot->name = part;
      created = true;
    }
    key = slot.get();
  }
  return key;
}

const FakeRegistry::Handle* FakeRegistry::FindHandle(os::RegKey key) const {
  auto it = handles_.find(key);
  return it == handles_.end() ? nullptr : &it->second;
}

bool FakeRegistry::Resolve(os::RegKey key, const std::string& subKey, std::uint32_t sam, os::RegKey& root,
                           std::vector<std::string>& parts, std::string& path) const {
  root = key;
  parts.clear();
  if (!IsPredefined(key)) {
    const Handle* handle = FindHandle(key);
    if (handle == nullptr) return false;
    root = handle->root;
    parts = handle->parts;
  }
  for (auto& part : SplitPath(subKey)) parts.push_back(part);
  const bool view32 = wow64 && (sam & os::kKeyWow64_64Key) == 0;
  if (view32 && root == os::kHKeyLocalMachine && parts.size() >= 2 && Lower(parts[0]) == "software" &&
      Lower(parts[1]) != "wow6432node" && Lower(parts[1]) != "policies") {
    parts.insert(parts.begin() + 1, "Wow6432Node");
  }
  path = JoinPath(root, parts);
  return Root(root) != nullptr;
}

std::int32_t FakeRegistry::Open(const char* call, os::RegKey key, const std::string& subKey, std::uint32_t sam,
                                bool create, os::RegKey& result, std::uint32_t* disposition) {
  const std::string logical =
      (IsPredefined(key) ? RootName(key) : (FindHandle(key) ? FindHandle(key)->path : std::string("?"))) +
      (subKey.empty() ? "" : "\\" + subKey);
  auto finish = [&](std::int32_t code) {
    openCalls.push_back({call, logical, sam, code});
    return code;
  };
  if (auto code = failures.Check(call, logical)) return finish(static_cast<std::int32_t>(*code));
  if (!subKey.empty() && subKey.front() == '\\') return finish(os::kErrorBadPathname);
  os::RegKey root = 0;
  std::vector<std::string> parts;
  std::string path;
  if (!Resolve(key, subKey, sam, root, parts, path)) return finish(os::kErrorInvalidHandle);
  Key* base = Root(root);

  const std::uint32_t wanted = sam & ~os::kKeyWow64Res;
  Key* target = Find(base, parts);
  if (target == nullptr) {
    if (!create) return finish(os::kErrorFileNotFound);
    // The deepest existing key must allow creating sub keys.
    Key* parent = base;
    for (const auto& part : parts) {
      auto it = parent->children.find(Lower(part));
      if (it == parent->children.end()) break;
      parent = it->second.get();
    }
    if ((parent->grantedAccess & os::kKeyCreateSubKey) == 0) return finish(os::kErrorAccessDenied);
    bool created = false;
    target = FindOrCreate(base, parts, created);
    if (disposition) *disposition = os::kRegCreatedNewKey;
  } else {
    if ((wanted & ~target->grantedAccess) != 0) return finish(os::kErrorAccessDenied);
    if (disposition) *disposition = os::kRegOpenedExistingKey;
  }
  result = nextHandle_++;
  handles_[result] = Handle{target, root, parts, path, wanted == 0 ? target->grantedAccess : wanted};
  return finish(os::kErrorSuccess);
}

std::int32_t FakeRegistry::OpenKey(os::RegKey key, const std::string& subKey, os::RegKey& result) {
  return Open("RegOpenKeyA", key, subKey, 0, false, result, nullptr);
}

std::int32_t FakeRegistry::OpenKeyEx(os::RegKey key, const std::string& subKey, std::uint32_t samDesired,
                                     os::RegKey& result) {
  return Open("RegOpenKeyExA", key, subKey, samDesired, false, result, nullptr);
}

std::int32_t FakeRegistry::CreateKeyEx(os::RegKey key, const std::string& subKey, std::uint32_t samDesired,
                                       os::RegKey& result, std::uint32_t* disposition) {
  return Open("RegCreateKeyExA", key, subKey, samDesired, true, result, disposition);
}

std::int32_t FakeRegistry::CloseKey(os::RegKey key) {
  if (auto code = failures.Check("RegCloseKey", FindHandle(key) ? FindHandle(key)->path : "")) {
    return static_cast<std::int32_t>(*code);
  }
  if (IsPredefined(key)) return os::kErrorSuccess;
  return handles_.erase(key) ? os::kErrorSuccess : os::kErrorInvalidHandle;
}

std::int32_t FakeRegistry::QueryValueEx(os::RegKey key, const std::string& valueName, std::uint32_t* type,
                                        std::uint8_t* data, std::uint32_t* size) {
  Key* node = nullptr;
  std::string path;
  std::uint32_t access = 0xFFFFFFFFu;
  if (IsPredefined(key)) {
    node = Root(key);
    path = RootName(key);
  } else if (const Handle* handle = FindHandle(key)) {
    node = handle->key;
    path = handle->path;
    access = handle->access;
  } else {
    return os::kErrorInvalidHandle;
  }
  if (auto code = failures.Check("RegQueryValueExA", path + "\\" + valueName)) return static_cast<std::int32_t>(*code);
  if ((access & os::kKeyQueryValue) == 0) return os::kErrorAccessDenied;
  auto it = node->values.find(Lower(valueName));
  if (it == node->values.end()) return os::kErrorFileNotFound;
  const Value& value = it->second.second;
  if (type) *type = value.type;
  const auto length = static_cast<std::uint32_t>(value.data.size());
  if (data == nullptr) {
    if (size) *size = length;
    return os::kErrorSuccess;
  }
  if (size == nullptr) return os::kErrorInvalidParameter;
  if (*size < length) {
    *size = length;
    return os::kErrorMoreData;
  }
  if (length) std::memcpy(data, value.data.data(), length);
  *size = length;
  return os::kErrorSuccess;
}

std::int32_t FakeRegistry::SetValueEx(os::RegKey key, const std::string& valueName, std::uint32_t type,
                                      const std::uint8_t* data, std::uint32_t size) {
  const Handle* handle = FindHandle(key);
  if (handle == nullptr) return os::kErrorInvalidHandle;
  if (auto code = failures.Check("RegSetValueExA", handle->path + "\\" + valueName)) {
    return static_cast<std::int32_t>(*code);
  }
  if ((handle->access & os::kKeySetValue) == 0) return os::kErrorAccessDenied;
  handle->key->values[Lower(valueName)] = {valueName, Value{type, std::vector<std::uint8_t>(data, data + size)}};
  return os::kErrorSuccess;
}

std::int32_t FakeRegistry::DeleteValue(os::RegKey key, const std::string& valueName) {
  const Handle* handle = FindHandle(key);
  if (handle == nullptr) return os::kErrorInvalidHandle;
  if (auto code = failures.Check("RegDeleteValueA", handle->path + "\\" + valueName)) {
    return static_cast<std::int32_t>(*code);
  }
  if ((handle->access & os::kKeySetValue) == 0) return os::kErrorAccessDenied;
  return handle->key->values.erase(Lower(valueName)) ? os::kErrorSuccess : os::kErrorFileNotFound;
}

// --- test helpers ---

void FakeRegistry::CreateKey(os::RegKey root, const std::string& path) {
  bool created = false;
  FindOrCreate(Root(root), SplitPath(path), created);
}

bool FakeRegistry::KeyExists(os::RegKey root, const std::string& path) const {
  return Find(Root(root), SplitPath(path)) != nullptr;
}

void FakeRegistry::DeleteKey(os::RegKey root, const std::string& path) {
  auto parts = SplitPath(path);
  if (parts.empty()) return;
  const std::string last = Lower(parts.back());
  parts.pop_back();
  if (Key* parent = Find(Root(root), parts)) parent->children.erase(last);
}

void FakeRegistry::SetKeyAccess(os::RegKey root, const std::string& path, std::uint32_t grantedAccess) {
  bool created = false;
  FindOrCreate(Root(root), SplitPath(path), created)->grantedAccess = grantedAccess;
}

void FakeRegistry::SetValue(os::RegKey root, const std::string& path, const std::string& name, std::uint32_t type,
                            std::vector<std::uint8_t> data) {
  bool created = false;
  Key* key = FindOrCreate(Root(root), SplitPath(path), created);
  key->values[Lower(name)] = {name, Value{type, std::move(data)}};
}

void FakeRegistry::SetDword(os::RegKey root, const std::string& path, const std::string& name, std::uint32_t value) {
  std::vector<std::uint8_t> data(4);
  std::memcpy(data.data(), &value, 4);
  SetValue(root, path, name, os::kRegDword, std::move(data));
}

void FakeRegistry::SetString(os::RegKey root, const std::string& path, const std::string& name,
                             const std::string& text, std::uint32_t type) {
  std::vector<std::uint8_t> data(text.begin(), text.end());
  data.push_back(0);
  SetValue(root, path, name, type, std::move(data));
}

std::optional<FakeRegistry::Value> FakeRegistry::GetValue(os::RegKey root, const std::string& path,
                                                          const std::string& name) const {
  Key* key = Find(Root(root), SplitPath(path));
  if (key == nullptr) return std::nullopt;
  auto it = key->values.find(Lower(name));
  if (it == key->values.end()) return std::nullopt;
  return it->second.second;
}

std::optional<std::uint32_t> FakeRegistry::GetDword(os::RegKey root, const std::string& path,
                                                    const std::string& name) const {
  auto value = GetValue(root, path, name);
  if (!value || value->type != os::kRegDword || value->data.size() != 4) return std::nullopt;
  std::uint32_t result = 0;
  std::memcpy(&result, value->data.data(), 4);
  return result;
}

}  // namespace fakes
