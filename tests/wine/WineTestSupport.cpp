#include "tests/wine/WineTestSupport.h"

#include <sddl.h>

#include <atomic>
#include <cstdio>

#include "platform/os/win32/Handles.h"
#include "platform/os/win32/Text.h"

namespace winetest {

using os::win32::Utf8ToWide;

CommandLine& Options() {
  static CommandLine options;
  return options;
}

std::wstring HostPathToWindows(const std::string& path) {
  std::wstring result = Utf8ToWide(path);
  for (wchar_t& c : result) {
    if (c == L'/') c = L'\\';
  }
  if (!result.empty() && result.front() == L'\\') result.insert(0, L"Z:");
  return result;
}

std::string UniqueName() {
  static std::atomic<int> counter{0};
  char name[96];
  std::snprintf(name, sizeof(name), "TvqmWineTest-%lu-%llu-%d", GetCurrentProcessId(),
                static_cast<unsigned long long>(GetTickCount64()), ++counter);
  return name;
}

namespace {

// Full rights for everyone, so that the test can delete what it narrowed.
constexpr const wchar_t* kFullAccess = L"D:P(A;OICI;KA;;;WD)";

LONG SetDacl(HKEY root, const std::wstring& path, REGSAM view, const wchar_t* sddl) {
  os::win32::UniqueLocalMemory<PSECURITY_DESCRIPTOR> descriptor;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, descriptor.Put(), nullptr)) {
    return static_cast<LONG>(GetLastError());
  }
  os::win32::UniqueRegKey key;
  // The owner may always change the access list, whatever the list grants.
  LONG code = RegOpenKeyExW(root, path.c_str(), 0, WRITE_DAC | view, key.Put());
  if (code != ERROR_SUCCESS) return code;
  return RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, descriptor.Get());
}

}  // namespace

ScratchKey::ScratchKey(HKEY root, const std::string& parent, REGSAM view)
    : root_(root), view_(view), path_(parent + "\\" + UniqueName()) {
  os::win32::UniqueRegKey key;
  const LONG code = RegCreateKeyExW(root_, Utf8ToWide(path_).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                    KEY_ALL_ACCESS | view_, nullptr, key.Put(), nullptr);
  if (code != ERROR_SUCCESS) std::fprintf(stderr, "scratch key %s not created: %ld\n", path_.c_str(), code);
}

ScratchKey::~ScratchKey() {
  for (const auto& name : restricted_) SetDacl(root_, Utf8ToWide(Child(name)), view_, kFullAccess);
  const std::wstring path = Utf8ToWide(path_);
  {
    os::win32::UniqueRegKey key;
    if (RegOpenKeyExW(root_, path.c_str(), 0, KEY_ALL_ACCESS | view_, key.Put()) == ERROR_SUCCESS) {
      RegDeleteTreeW(key.Get(), nullptr);
    }
  }
  const LONG code = RegDeleteKeyExW(root_, path.c_str(), view_, 0);
  if (code != ERROR_SUCCESS && code != ERROR_FILE_NOT_FOUND) {
    std::fprintf(stderr, "scratch key %s not deleted: %ld\n", path_.c_str(), code);
  }
}

void ScratchKey::CreateChild(const std::string& name, REGSAM view) const {
  os::win32::UniqueRegKey key;
  RegCreateKeyExW(root_, Utf8ToWide(Child(name)).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                  KEY_ALL_ACCESS | (view != 0 ? view : view_), nullptr, key.Put(), nullptr);
}

void ScratchKey::RestrictChild(const std::string& name, const wchar_t* sddl) const {
  restricted_.push_back(name);
  const LONG code = SetDacl(root_, Utf8ToWide(Child(name)), view_, sddl);
  if (code != ERROR_SUCCESS) std::fprintf(stderr, "access list of %s not set: %ld\n", name.c_str(), code);
}

bool ReadWide(HKEY root, const std::string& path, const std::string& name, REGSAM view, DWORD& type,
              std::vector<BYTE>& data) {
  os::win32::UniqueRegKey key;
  if (RegOpenKeyExW(root, Utf8ToWide(path).c_str(), 0, KEY_QUERY_VALUE | view, key.Put()) != ERROR_SUCCESS) {
    return false;
  }
  const std::wstring wideName = Utf8ToWide(name);
  DWORD size = 0;
  if (RegQueryValueExW(key.Get(), wideName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
  data.resize(size);
  if (RegQueryValueExW(key.Get(), wideName.c_str(), nullptr, &type, data.data(), &size) != ERROR_SUCCESS) {
    return false;
  }
  data.resize(size);
  return true;
}

LONG WriteWide(HKEY root, const std::string& path, const std::string& name, DWORD type, const void* data,
               DWORD size, REGSAM view) {
  os::win32::UniqueRegKey key;
  LONG code = RegOpenKeyExW(root, Utf8ToWide(path).c_str(), 0, KEY_SET_VALUE | view, key.Put());
  if (code != ERROR_SUCCESS) return code;
  return RegSetValueExW(key.Get(), Utf8ToWide(name).c_str(), 0, type, static_cast<const BYTE*>(data), size);
}

}  // namespace winetest
