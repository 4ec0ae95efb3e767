#include "platform/rtlRegistry.h"

namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

TRegistry::TRegistry(std::uint32_t access) : access_(access) {}

TRegistry::~TRegistry() {
  // A destructor must not throw: a key left open when the registry seam is gone is dropped.
  try {
    CloseKey();
  } catch (...) {
  }
}

void TRegistry::SetRootKey(os::RegKey rootKey) {
  if (rootKey_ == rootKey) return;
  rootKey_ = rootKey;
  CloseKey();
}

void TRegistry::CloseKey() {
  if (currentKey_ != 0) {
    os::Registry().CloseKey(currentKey_);
    currentKey_ = 0;
    currentPath_.clear();
  }
}

void TRegistry::ChangeKey(os::RegKey key, const std::string& path) {
  CloseKey();
  currentKey_ = key;
  currentPath_ = path;
}

bool TRegistry::SplitRelative(std::string& key) {
  if (!key.empty() && key.front() == '\\') {
    key.erase(0, 1);
    return false;
  }
  return true;
}

os::RegKey TRegistry::BaseKey(bool relative) const {
  return (currentKey_ == 0 || !relative) ? rootKey_ : currentKey_;
}

std::string TRegistry::JoinedPath(const std::string& key, bool relative) const {
  return (currentKey_ != 0 && relative) ? currentPath_ + "\\" + key : key;
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
  std::string path = key;
  const bool relative = SplitRelative(path);
  os::RegKey opened = 0;
  // Creating the empty path would just reopen the base key; open it instead.
  const std::int32_t result =
      (!canCreate || path.empty())
          ? os::Registry().OpenKeyEx(BaseKey(relative), path, access_, opened)
          : os::Registry().CreateKeyEx(BaseKey(relative), path, access_, opened, nullptr);
  if (result != os::kErrorSuccess) return false;
  ChangeKey(opened, JoinedPath(path, relative));
  return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& key) {
  std::string path = key;
  const bool relative = SplitRelative(path);
  os::RegKey opened = 0;
  const std::uint32_t access = os::kKeyRead | (access_ & os::kKeyWow64Res);
  if (os::Registry().OpenKeyEx(BaseKey(relative), path, access, opened) != os::kErrorSuccess) return false;
  ChangeKey(opened, JoinedPath(path, relative));
  return true;
}

bool TRegistry::KeyExists(const std::string& key) {
  std::string path = key;
  const bool relative = SplitRelative(path);
  os::RegKey opened = 0;
  const std::uint32_t access =
      os::kReadControl | os::kKeyQueryValue | os::kKeyEnumerateSubKeys | (access_ & os::kKeyWow64Res);
  if (os::Registry().OpenKeyEx(BaseKey(relative), path, access, opened) != os::kErrorSuccess) return false;
  os::Registry().CloseKey(opened);
  return true;
}

TRegDataType TRegistry::DataTypeToRegData(std::uint32_t type) {
  switch (type) {
    case os::kRegSz:
      return TRegDataType::rdString;
    case os::kRegExpandSz:
      return TRegDataType::rdExpandString;
    case os::kRegDword:
      return TRegDataType::rdInteger;
    case os::kRegBinary:
      return TRegDataType::rdBinary;
    default:
      return TRegDataType::rdUnknown;
  }
}

bool TRegistry::GetDataInfo(const std::string& name, TRegDataInfo& info) {
  info = TRegDataInfo{};
  std::uint32_t type = os::kRegNone;
  std::uint32_t size = 0;
  if (os::Registry().QueryValueEx(currentKey_, name, &type, nullptr, &size) != os::kErrorSuccess) return false;
  info.RegData = DataTypeToRegData(type);
  info.DataSize = static_cast<std::int32_t>(size);
  return true;
}

bool TRegistry::ValueExists(const std::string& name) {
  TRegDataInfo info;
  return GetDataInfo(name, info);
}

TRegDataType TRegistry::GetDataType(const std::string& name) {
  TRegDataInfo info;
  return GetDataInfo(name, info) ? info.RegData : TRegDataType::rdUnknown;
}

std::int32_t TRegistry::GetDataSize(const std::string& name) {
  TRegDataInfo info;
  return GetDataInfo(name, info) ? info.DataSize : -1;
}

std::int32_t TRegistry::ReadData(const std::string& name, void* buffer, std::int32_t bufferSize,
                                 std::uint32_t& type) {
  type = os::kRegNone;
  std::uint32_t size = bufferSize > 0 ? static_cast<std::uint32_t>(bufferSize) : 0;
  if (os::Registry().QueryValueEx(currentKey_, name, &type, static_cast<std::uint8_t*>(buffer), &size) !=
      os::kErrorSuccess) {
    throw ERegistryException("Failed to get data for value " + Quoted(name));
  }
  return static_cast<std::int32_t>(size);
}

std::int32_t TRegistry::GetData(const std::string& name, void* buffer, std::int32_t bufferSize,
                                TRegDataType& regData) {
  std::uint32_t type = os::kRegNone;
  const std::int32_t read = ReadData(name, buffer, bufferSize, type);
  regData = DataTypeToRegData(type);
  return read;
}

std::int32_t TRegistry::ReadInteger(const std::string& name) {
  std::int32_t value = 0;
  TRegDataType regData = TRegDataType::rdUnknown;
  GetData(name, &value, sizeof(value), regData);
  if (regData != TRegDataType::rdInteger) throw ERegistryException("Invalid registry data type: " + Quoted(name));
  return value;
}

std::string TRegistry::ReadString(const std::string& name) {
  const std::int32_t size = GetDataSize(name);
  if (size <= 0) return {};
  std::string text(static_cast<std::size_t>(size), '\0');
  TRegDataType regData = TRegDataType::rdUnknown;
  GetData(name, text.data(), size, regData);
  if (regData != TRegDataType::rdString && regData != TRegDataType::rdExpandString) {
    throw ERegistryException("Invalid data type for " + Quoted(name));
  }
  const auto end = text.find('\0');
  if (end != std::string::npos) text.resize(end);
  return text;
}

void TRegistry::PutData(const std::string& name, const void* buffer, std::uint32_t size, std::uint32_t type) {
  if (os::Registry().SetValueEx(currentKey_, name, type, static_cast<const std::uint8_t*>(buffer), size) !=
      os::kErrorSuccess) {
    throw ERegistryException("Failed to set data for value " + Quoted(name));
  }
}

void TRegistry::WriteInteger(const std::string& name, std::int32_t value) {
  PutData(name, &value, sizeof(value), os::kRegDword);
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
  PutData(name, value.c_str(), static_cast<std::uint32_t>(value.size() + 1), os::kRegSz);
}

void TRegistry::WriteExpandString(const std::string& name, const std::string& value) {
  PutData(name, value.c_str(), static_cast<std::uint32_t>(value.size() + 1), os::kRegExpandSz);
}

bool TRegistry::DeleteValue(const std::string& name) {
  return os::Registry().DeleteValue(currentKey_, name) == os::kErrorSuccess;
}
