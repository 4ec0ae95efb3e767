#include "engine/tvqmVorletsBase.h"

#include "platform/bmrRegistryText.h"
#include "platform/os/Process.h"
#include "platform/os/System.h"
#include "platform/rtlRegistry.h"
#include "platform/rtlResStrings.h"
#include "platform/rtlSysUtils.h"

namespace {

const rtl::ResourceString rslogerrorregistrydatatype{"rslogerrorregistrydatatype",
                                                     "Registry value \"%0:s\" is not of expected data type!"};
const rtl::ResourceString rslogerrorregistryopen{"rslogerrorregistryopen",
                                                 "Unable to open registry key \"%0:s%1:s\" for writing!"};
const rtl::ResourceString rsdisplaytextregistrydefinition{"rsdisplaytextregistrydefinition", "Registry: %0:s%1:s%2:s"};

// A key opened by one step, closed when the step ends, also when it raises.
class StepKey {
 public:
  StepKey() = default;
  StepKey(const StepKey&) = delete;
  StepKey& operator=(const StepKey&) = delete;
  ~StepKey() {
    if (key_ != 0) os::Registry().CloseKey(key_);
  }
  os::RegKey& Receive() { return key_; }
  os::RegKey Get() const { return key_; }

 private:
  os::RegKey key_ = 0;
};

// The stored path begins with a backslash for "from the root"; the calls take it without.
std::string SubKeyOf(const std::string& key) { return (!key.empty() && key.front() == '\\') ? key.substr(1) : key; }

// The setting's data type that a registry value type stands for.
TRegistryDataType DataTypeOf(std::uint32_t registryType) {
  switch (registryType) {
    case os::kRegSz:
      return rsdString;
    case os::kRegExpandSz:
      return rsdExpandString;
    case os::kRegBinary:
      return rsdBinary;
    case os::kRegDword:
      return rsdInteger;
    default:
      return rsdUnknown;
  }
}

// The system's text of an error code without its line break.
std::string SystemText(std::int32_t code) {
  return rtl::Trim(os::System().SystemMessageText(static_cast<std::uint32_t>(code)));
}

}  // namespace

std::string TWindows10Immunization::ClassName() const { return ClassType().ClassName(); }

void TWindows10Immunization::DoLog(TImmunizationLogLevel level, const std::string& msg) {
  if (OnLog) OnLog(*this, level, msg);
}

std::uint32_t NativeRegistryView() { return os::Process().IsWow64Process() ? os::kKeyWow64_64Key : 0; }

// --- registry kind ----------------------------------------------------------------------------

std::string TRegistrySetting::DetailsText() const {
  return rtl::Format(rtl::LoadResString(rsdisplaytextregistrydefinition), {RootKeyToString(RootKey), Key, ValueName});
}

std::int32_t TCustomWindows10RegistryImmunization::GetCount() {
  return static_cast<std::int32_t>(GetRegistrySettings().size());
}

std::int32_t TCustomWindows10RegistryImmunization::GetImmunizedCount() {
  std::int32_t count = 0;
  for (const auto& setting : GetRegistrySettings()) count += IsSettingApplied(setting);
  return count;
}

void TCustomWindows10RegistryImmunization::Immunize() {
  for (const auto& setting : GetRegistrySettings()) WriteSetting(setting);
}

void TCustomWindows10RegistryImmunization::Remove() {
  for (const auto& setting : GetRegistrySettings()) DeleteSetting(setting);
}

std::string TCustomWindows10RegistryImmunization::GetDetailsText() {
  std::string text;
  for (const auto& setting : GetRegistrySettings()) text += setting.DetailsText() + "\r\n";
  return rtl::Trim(text);
}

std::int32_t TCustomWindows10RegistryImmunization::IsSettingApplied(const TRegistrySetting& setting) {
  auto& registry = os::Registry();
  StepKey key;
  if (registry.OpenKeyEx(setting.RootKey, SubKeyOf(setting.Key), os::kKeyRead | NativeRegistryView(), key.Receive()) !=
      os::kErrorSuccess) {
    key.Receive() = 0;
    return 0;
  }
  std::uint32_t type = os::kRegNone;
  if (registry.QueryValueEx(key.Get(), setting.ValueName, &type, nullptr, nullptr) != os::kErrorSuccess) return 0;
  if (DataTypeOf(type) != setting.DataType) {
    DoLog(ilError, rtl::Format(rtl::LoadResString(rslogerrorregistrydatatype), {setting.ValueName}));
    return 0;
  }
  std::int32_t value = 0;
  std::uint32_t size = sizeof(value);
  if (registry.QueryValueEx(key.Get(), setting.ValueName, &type, reinterpret_cast<std::uint8_t*>(&value), &size) !=
          os::kErrorSuccess ||
      size != sizeof(value)) {
    return 0;
  }
  return value == setting.Value ? 1 : 0;
}

bool TCustomWindows10RegistryImmunization::OpenKeyForWriting(const TRegistrySetting& setting, os::RegKey& key) {
  if (os::Registry().CreateKeyEx(setting.RootKey, SubKeyOf(setting.Key), os::kKeyAllAccess | NativeRegistryView(), key,
                                 nullptr) == os::kErrorSuccess) {
    return true;
  }
  key = 0;
  DoLog(ilError,
        rtl::Format(rtl::LoadResString(rslogerrorregistryopen), {RootKeyToString(setting.RootKey), setting.Key}));
  return false;
}

void TCustomWindows10RegistryImmunization::WriteSetting(const TRegistrySetting& setting) {
  auto& registry = os::Registry();
  StepKey key;
  if (!OpenKeyForWriting(setting, key.Receive())) return;
  if (setting.DataType != rsdInteger) return;
  const std::int32_t result =
      registry.SetValueEx(key.Get(), setting.ValueName, os::kRegDword,
                          reinterpret_cast<const std::uint8_t*>(&setting.Value), sizeof(setting.Value));
  if (result != os::kErrorSuccess) {
    throw ERegistryException(rtl::Format("Failed to set data for value \"%s\" (error code %d: %s)",
                                         {setting.ValueName, std::int64_t{result}, SystemText(result)}));
  }
}

void TCustomWindows10RegistryImmunization::DeleteSetting(const TRegistrySetting& setting) {
  auto& registry = os::Registry();
  StepKey key;
  if (!OpenKeyForWriting(setting, key.Receive())) return;
  registry.DeleteValue(key.Get(), setting.ValueName);
}
