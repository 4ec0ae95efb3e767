#pragma once
// The in-house registry layer for reading: keys opened read-only with falling access rights,
// every Windows value type, and a one-call REG_DWORD read.

#include <cstdint>
#include <string>

#include "platform/os/Registry.h"
#include "platform/rtlRegistry.h"

// The Windows value types in the order this layer numbers them; rdtUnknown is any type
// Windows does not name.
enum class TMyRegDataType : std::uint8_t {
  rdtUnknown,
  rdtNone,
  rdtString,
  rdtExpandString,
  rdtBinary,
  rdtDWord,
  rdtDWordLittleEndian,
  rdtDWordBigEndian,
  rdtLink,
  rdtMultiString,
  rdtResourceList,
  rdtFullResourceDescriptor,
  rdtResourceRequirementsList,
  rdtQWord,
  rdtQWordLittleEndian,
};

// One query of a value without its data.
struct TMyRegDataInfo {
  TMyRegDataType RegData = TMyRegDataType::rdtUnknown;
  std::uint32_t DataType = 0;
  std::uint32_t DataSize = 0;
};

class TMyRegistry : public TRegistry {
 public:
  TMyRegistry();

  std::uint8_t Bits() const { return bits_; }
  std::int32_t View() const { return view_; }
  // The result of the last key-open attempt of OpenKeyReadOnly (0 = success).
  std::int32_t LastError() const { return lastError_; }

  // 32 or 64: the registry view of every key opened afterwards. Anything else raises.
  virtual void SetBits(std::uint8_t bits);

  // Tries KEY_READ, then READ_CONTROL|KEY_ENUMERATE_SUB_KEYS|KEY_QUERY_VALUE, then
  // KEY_QUERY_VALUE alone, so a key that grants only part of KEY_READ still opens. With
  // useRelative the relativity is `relative`; otherwise it comes from a leading "\".
  bool OpenKeyReadOnly(const std::string& key, bool useRelative = false, bool relative = false);

  bool GetDataInfo(const std::string& name, TMyRegDataInfo& info);
  bool ValueExists(const std::string& name);
  // rdtUnknown when the value is missing or cannot be queried.
  TMyRegDataType GetDataType(const std::string& name);
  std::string ReadString(const std::string& name);
  // Reads into buffer; `kind` is the kind asked for on entry and the value's kind on return.
  // Gives the number of bytes read; raises ERegistryException when the value cannot be read.
  std::int32_t GetData(const std::string& name, void* buffer, std::int32_t bufferSize, TMyRegDataType& kind);

  static TMyRegDataType RegTypeToDataType(std::uint32_t type);

 private:
  std::uint8_t bits_ = 32;
  std::int32_t view_ = 0;
  std::int32_t lastError_ = 0;
};

// Reads the REG_DWORD `name` of root\key. False for a missing key or value and for any other
// type; value is then left as it was. Read errors raise.
bool RegReadDWord(os::RegKey root, const std::string& key, const std::string& name, std::int32_t& value);

// Start-up and shut-down work of the registry layer's small modules, which have nothing else
// of their own: bmrRegistryTypes registers its credit, bmrRegistry, bmrSecurity and
// bmrRegCache trace their start-up, bmrRegCache its shut-down.
void InitializeBmrRegistryTypes();
void InitializeBmrRegistry();
void InitializeBmrSecurity();
void InitializeBmrRegCache();
void FinalizeBmrRegCache();
