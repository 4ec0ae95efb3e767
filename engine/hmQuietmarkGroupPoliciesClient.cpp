#include "engine/hmQuietmarkGroupPoliciesClient.h"

#include <exception>

#include "platform/bmrDebug.h"
#include "platform/rtlRegistry.h"
#include "platform/rtlSysUtils.h"

namespace {

// The policy keys are read in the view a 32-bit process is given; SOFTWARE\Policies is the
// same in both views.
bool OpenPolicyKey(TRegistry& registry, const std::string& key) {
  registry.SetRootKey(os::kHKeyLocalMachine);
  return registry.OpenKeyReadOnly(key);
}

void LogFailedRead(const std::exception& error, const std::string& key, const std::string& valueName) {
  DebugLogger()->LogException(
      error, rtl::Format("hmQuietmarkGroupPoliciesClient.ReadRegBoolean(\"%s\", \"%s\")", {key, valueName}), 5);
}

}  // namespace

bool ReadRegBoolean(const std::string& key, const std::string& valueName, bool defaultValue) {
  TRegistry registry(os::kKeyRead);
  if (!OpenPolicyKey(registry, key)) return defaultValue;
  try {
    return registry.ReadBool(valueName);
  } catch (const std::exception& error) {
    registry.CloseKey();
    LogFailedRead(error, key, valueName);
    return defaultValue;
  }
}

bool ReadRegOptionalString(const std::string& key, const std::string& flagName, const std::string& stringName,
                           std::string& value) {
  TRegistry registry(os::kKeyRead);
  if (!OpenPolicyKey(registry, key)) return false;
  try {
    if (!registry.ReadBool(flagName)) return false;
    value = registry.ReadString(stringName);
    return true;
  } catch (const std::exception& error) {
    registry.CloseKey();
    // The entry names the flag, also when the text was what failed.
    LogFailedRead(error, key, flagName);
    return false;
  }
}

bool IsImmunizerDisabledByPolicy(const std::string& className) {
  return ReadRegBoolean(kPolicyKeyImmunisation, "Disable" + className, false);
}

bool GetPolicyHostsReadOnly() { return ReadRegBoolean(kPolicyKeyHosts, "EnableReadOnlyFileAttribute", false); }

bool GetPolicyCustomBlockIP(std::string& address) {
  return ReadRegOptionalString(kPolicyKeyHosts, "CustomBlockIP", "BlockIP", address);
}
