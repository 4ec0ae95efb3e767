#pragma once
// The runtime's registry class: one current key under a root key, opened with an access mask,
// and typed reads and writes of its values. Everything goes through os::IRegistry.

#include <cstdint>
#include <string>

#include "platform/os/Registry.h"
#include "platform/rtlSysUtils.h"

class ERegistryException : public rtl::Exception {
 public:
  using rtl::Exception::Exception;
  std::string ClassName() const override { return "ERegistryException"; }
};

// The value kinds the runtime class tells apart.
enum class TRegDataType : std::uint8_t { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

struct TRegDataInfo {
  TRegDataType RegData = TRegDataType::rdUnknown;
  std::int32_t DataSize = 0;
};

class TRegistry {
 public:
  explicit TRegistry(std::uint32_t access = os::kKeyAllAccess);
  virtual ~TRegistry();
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  os::RegKey RootKey() const { return rootKey_; }
  // Changing the root closes the current key: its path no longer means anything.
  void SetRootKey(os::RegKey rootKey);
  os::RegKey CurrentKey() const { return currentKey_; }
  const std::string& CurrentPath() const { return currentPath_; }
  std::uint32_t Access() const { return access_; }
  void SetAccess(std::uint32_t access) { access_ = access; }

  void CloseKey();
  // Closes the current key, then takes over `key` (which this object now closes) as current.
  void ChangeKey(os::RegKey key, const std::string& path);

  // A key beginning with "\" is taken from the root key, any other from the current key when
  // one is open. With canCreate a missing key is created.
  bool OpenKey(const std::string& key, bool canCreate);
  bool OpenKeyReadOnly(const std::string& key);
  bool KeyExists(const std::string& key);

  bool ValueExists(const std::string& name);
  bool GetDataInfo(const std::string& name, TRegDataInfo& info);
  TRegDataType GetDataType(const std::string& name);
  // -1 when the value cannot be queried.
  std::int32_t GetDataSize(const std::string& name);
  // Reads at most bufferSize bytes into buffer and gives the number read; raises
  // ERegistryException when the value cannot be read (missing, or larger than the buffer).
  std::int32_t GetData(const std::string& name, void* buffer, std::int32_t bufferSize, TRegDataType& regData);

  std::int32_t ReadInteger(const std::string& name);
  bool ReadBool(const std::string& name) { return ReadInteger(name) != 0; }
  // Empty for a missing or empty value; raises for a value that is not REG_SZ/REG_EXPAND_SZ.
  std::string ReadString(const std::string& name);
  void WriteInteger(const std::string& name, std::int32_t value);
  void WriteBool(const std::string& name, bool value) { WriteInteger(name, value ? 1 : 0); }
  void WriteString(const std::string& name, const std::string& value);
  void WriteExpandString(const std::string& name, const std::string& value);
  bool DeleteValue(const std::string& name);

  static TRegDataType DataTypeToRegData(std::uint32_t type);

 protected:
  // "\Key" is absolute; strips the backslash and gives false in that case.
  static bool SplitRelative(std::string& key);
  // The key a relative or absolute path is resolved against.
  os::RegKey BaseKey(bool relative) const;
  // The path of a key opened as `key` from BaseKey(relative).
  std::string JoinedPath(const std::string& key, bool relative) const;
  // The data read shared with subclasses: raises "Failed to get data for value" on failure,
  // gives the bytes read and the value's Windows type.
  std::int32_t ReadData(const std::string& name, void* buffer, std::int32_t bufferSize, std::uint32_t& type);
  void PutData(const std::string& name, const void* buffer, std::uint32_t size, std::uint32_t type);

 private:
  os::RegKey rootKey_ = os::kHKeyCurrentUser;
  os::RegKey currentKey_ = 0;
  std::string currentPath_;
  std::uint32_t access_;
};
