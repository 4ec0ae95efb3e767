#include "platform/bmrRegistry.h"

#include "platform/bmrCredits.h"
#include "platform/bmrDebug.h"

namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

TMyRegistry::TMyRegistry() : TRegistry(os::kKeyAllAccess) {}

void TMyRegistry::SetBits(std::uint8_t bits) {
  switch (bits) {
    case 32:
      bits_ = 32;
      SetAccess(Access() & ~os::kKeyWow64_64Key);
      view_ = 1;
      break;
    case 64:
      bits_ = 64;
      SetAccess((Access() & ~os::kKeyWow64_32Key) | os::kKeyWow64_64Key);
      view_ = 2;
      break;
    default:
      throw rtl::Exception("Windows Registry only supported with 32 or 64 bits!");
  }
}

bool TMyRegistry::OpenKeyReadOnly(const std::string& key, bool useRelative, bool relative) {
  std::string path = key;
  const bool keyRelative = SplitRelative(path);
  if (!useRelative) relative = keyRelative;
  const os::RegKey base = BaseKey(relative);
  const std::uint32_t view = (Access() & os::kKeyWow64Res) | (bits_ == 64 ? os::kKeyWow64_64Key : 0);

  // Ask for less and less: some keys (policies, service parameters) grant only reading values.
  static constexpr std::uint32_t kTries[] = {
      os::kKeyRead,
      os::kReadControl | os::kKeyEnumerateSubKeys | os::kKeyQueryValue,
      os::kKeyQueryValue,
  };
  os::RegKey opened = 0;
  for (std::uint32_t access : kTries) {
    lastError_ = os::Registry().OpenKeyEx(base, path, access | view, opened);
    if (lastError_ == os::kErrorSuccess) {
      ChangeKey(opened, JoinedPath(path, relative));
      return true;
    }
  }
  return false;
}

TMyRegDataType TMyRegistry::RegTypeToDataType(std::uint32_t type) {
  switch (type) {
    case os::kRegNone:
      return TMyRegDataType::rdtNone;
    case os::kRegSz:
      return TMyRegDataType::rdtString;
    case os::kRegExpandSz:
      return TMyRegDataType::rdtExpandString;
    case os::kRegBinary:
      return TMyRegDataType::rdtBinary;
    case os::kRegDword:
      return TMyRegDataType::rdtDWord;
    case os::kRegDwordBigEndian:
      return TMyRegDataType::rdtDWordBigEndian;
    case os::kRegLink:
      return TMyRegDataType::rdtLink;
    case os::kRegMultiSz:
      return TMyRegDataType::rdtMultiString;
    case os::kRegResourceList:
      return TMyRegDataType::rdtResourceList;
    case os::kRegFullResourceDescriptor:
      return TMyRegDataType::rdtFullResourceDescriptor;
    case os::kRegResourceRequirementsList:
      return TMyRegDataType::rdtResourceRequirementsList;
    case os::kRegQword:
      return TMyRegDataType::rdtQWord;
    default:
      return TMyRegDataType::rdtUnknown;
  }
}

bool TMyRegistry::GetDataInfo(const std::string& name, TMyRegDataInfo& info) {
  info = TMyRegDataInfo{};
  std::uint32_t type = os::kRegNone;
  std::uint32_t size = 0;
  if (os::Registry().QueryValueEx(CurrentKey(), name, &type, nullptr, &size) != os::kErrorSuccess) return false;
  info.RegData = RegTypeToDataType(type);
  info.DataType = type;
  info.DataSize = size;
  return true;
}

bool TMyRegistry::ValueExists(const std::string& name) {
  TMyRegDataInfo info;
  return GetDataInfo(name, info);
}

TMyRegDataType TMyRegistry::GetDataType(const std::string& name) {
  TMyRegDataInfo info;
  return GetDataInfo(name, info) ? info.RegData : TMyRegDataType::rdtUnknown;
}

std::int32_t TMyRegistry::GetData(const std::string& name, void* buffer, std::int32_t bufferSize,
                                  TMyRegDataType& kind) {
  std::uint32_t type = os::kRegNone;
  std::int32_t read = 0;
  switch (kind) {
    case TMyRegDataType::rdtUnknown:
    case TMyRegDataType::rdtString:
    case TMyRegDataType::rdtExpandString:
    case TMyRegDataType::rdtBinary:
    case TMyRegDataType::rdtDWord:
      read = ReadData(name, buffer, bufferSize, type);
      break;
    default: {
      std::uint32_t size = bufferSize > 0 ? static_cast<std::uint32_t>(bufferSize) : 0;
      if (os::Registry().QueryValueEx(CurrentKey(), name, &type, static_cast<std::uint8_t*>(buffer), &size) !=
          os::kErrorSuccess) {
        throw ERegistryException("Failed to get data for " + Quoted(name));
      }
      read = static_cast<std::int32_t>(size);
      break;
    }
  }
  kind = RegTypeToDataType(type);
  return read;
}

std::string TMyRegistry::ReadString(const std::string& name) {
  const std::int32_t size = TRegistry::GetDataSize(name);
  if (size <= 0) return {};
  std::string text(static_cast<std::size_t>(size), '\0');
  TMyRegDataType kind = TMyRegDataType::rdtString;
  GetData(name, text.data(), size, kind);
  if (kind != TMyRegDataType::rdtString && kind != TMyRegDataType::rdtExpandString) {
    throw ERegistryException("Invalid data type for " + Quoted(name));
  }
  const auto end = text.find('\0');
  if (end != std::string::npos) text.resize(end);
  return text;
}

bool RegReadDWord(os::RegKey root, const std::string& key, const std::string& name, std::int32_t& value) {
  TMyRegistry registry;  // closes its key also when the read raises
  registry.SetRootKey(root);
  if (!registry.OpenKeyReadOnly(key)) return false;
  bool found = false;
  if (registry.GetDataType(name) == TMyRegDataType::rdtDWord) {
    value = registry.ReadInteger(name);
    found = true;
  }
  registry.CloseKey();
  return found;
}

// --- start-up and shut-down of the registry layer's modules ---

namespace {

// These modules have no start-up work of their own; only their trace pair is left.
void TraceUnitInit(const std::string& unit) {
  DebugLogger()->LogUnitInitBegin(unit);
  DebugLogger()->LogUnitInitEnd(unit);
}

}  // namespace

// The program parses no JSON: the types module credits no JSON library.
void InitializeBmrRegistryTypes() {}

void InitializeBmrRegistry() {
  TraceUnitInit("bmrRegistry");
}

void InitializeBmrSecurity() {
  TraceUnitInit("bmrSecurity");
}

void InitializeBmrRegCache() {
  TraceUnitInit("bmrRegCache");
}

void FinalizeBmrRegCache() {
  DebugLogger()->LogUnitFinalBegin("bmrRegCache");
  DebugLogger()->LogUnitFinalEnd("bmrRegCache");
}
