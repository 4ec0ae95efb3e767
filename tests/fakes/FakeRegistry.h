#pragma once
// An in-memory registry: keys with case-insensitive names, typed values, the rights each key
// grants, and the 32-bit view of a 32-bit process on 64-bit Windows (HKLM\SOFTWARE\... goes to
// HKLM\SOFTWARE\Wow6432Node\... unless KEY_WOW64_64KEY is asked for; SOFTWARE\Policies is
// shared between the views). Test helpers address keys by their physical path, without any
// redirection.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/os/Registry.h"
#include "tests/fakes/FailureInjector.h"

namespace fakes {

class FakeRegistry : public os::IRegistry {
 public:
  struct Value {
    std::uint32_t type = os::kRegNone;
    std::vector<std::uint8_t> data;
  };

  // One open or create call as the program made it.
  struct OpenCall {
    std::string call;  // "RegOpenKeyA", "RegOpenKeyExA" or "RegCreateKeyExA"
    std::string path;  // root name and sub key as given, before redirection
    std::uint32_t sam = 0;
    std::int32_t result = 0;
  };

  FakeRegistry();
  ~FakeRegistry() override;

  // A 32-bit process on 64-bit Windows (the default) sees the redirected view.
  bool wow64 = true;
  FailureInjector failures;
  std::vector<OpenCall> openCalls;

  // --- test helpers (physical paths; root is a predefined key) ---
  void CreateKey(os::RegKey root, const std::string& path);
  bool KeyExists(os::RegKey root, const std::string& path) const;
  void DeleteKey(os::RegKey root, const std::string& path);
  // Restricts what opening the key may ask for; asking for more gives access denied.
  void SetKeyAccess(os::RegKey root, const std::string& path, std::uint32_t grantedAccess);
  void SetValue(os::RegKey root, const std::string& path, const std::string& name, std::uint32_t type,
                std::vector<std::uint8_t> data);
  void SetDword(os::RegKey root, const std::string& path, const std::string& name, std::uint32_t value);
  void SetString(os::RegKey root, const std::string& path, const std::string& name, const std::string& text,
                 std::uint32_t type = os::kRegSz);
  std::optional<Value> GetValue(os::RegKey root, const std::string& path, const std::string& name) const;
  std::optional<std::uint32_t> GetDword(os::RegKey root, const std::string& path, const std::string& name) const;
  std::size_t OpenHandleCount() const { return handles_.size(); }

  // --- os::IRegistry ---
  std::int32_t OpenKey(os::RegKey key, const std::string& subKey, os::RegKey& result) override;
  std::int32_t OpenKeyEx(os::RegKey key, const std::string& subKey, std::uint32_t samDesired,
                         os::RegKey& result) override;
  std::int32_t CreateKeyEx(os::RegKey key, const std::string& subKey, std::uint32_t samDesired,
                           os::RegKey& result, std::uint32_t* disposition) override;
  std::int32_t CloseKey(os::RegKey key) override;
  std::int32_t QueryValueEx(os::RegKey key, const std::string& valueName, std::uint32_t* type,
                            std::uint8_t* data, std::uint32_t* size) override;
  std::int32_t SetValueEx(os::RegKey key, const std::string& valueName, std::uint32_t type,
                          const std::uint8_t* data, std::uint32_t size) override;
  std::int32_t DeleteValue(os::RegKey key, const std::string& valueName) override;

 private:
  struct Key;
  struct Handle {
    Key* key;
    os::RegKey root;
    std::vector<std::string> parts;  // physical path below the root
    std::string path;                // root name + physical path, for messages and failure matching
    std::uint32_t access;
  };

  Key* Root(os::RegKey root) const;
  Key* Find(Key* base, const std::vector<std::string>& parts) const;
  Key* FindOrCreate(Key* base, const std::vector<std::string>& parts, bool& created);
  // Resolves a handle (predefined or opened) and a sub key to the base key and physical
  // parts, applying the 32-bit view when the process has one.
  bool Resolve(os::RegKey key, const std::string& subKey, std::uint32_t sam, os::RegKey& root,
               std::vector<std::string>& parts, std::string& path) const;
  const Handle* FindHandle(os::RegKey key) const;
  std::int32_t Open(const char* call, os::RegKey key, const std::string& subKey, std::uint32_t sam,
                    bool create, os::RegKey& result, std::uint32_t* disposition);

  std::map<os::RegKey, std::unique_ptr<Key>> roots_;
  std::map<os::RegKey, Handle> handles_;
  os::RegKey nextHandle_ = 0x1000;
};

}  // namespace fakes
