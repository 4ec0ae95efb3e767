#pragma once
// The product policy values an administrator sets under HKLM\SOFTWARE\Policies: read only, each
// read afresh (open, read, close), falling back to a default with a level-5 debug-log entry
// when an existing key holds no readable flag.

#include <string>

inline constexpr const char* kPolicyKeyImmunisation =
    "\\SOFTWARE\\Policies\\Brenmoor Ltd.\\Tolvex Quietmark\\Immunisation\\";
inline constexpr const char* kPolicyKeyHosts = "\\SOFTWARE\\Policies\\Brenmoor Ltd.\\Tolvex Quietmark\\Hosts\\";

// The flag valueName (a non-zero REG_DWORD) in HKLM\key, or defaultValue: silently when the key
// cannot be opened, with a log entry when the value is missing or not a REG_DWORD.
bool ReadRegBoolean(const std::string& key, const std::string& valueName, bool defaultValue);

// True, with value set, when the flag flagName is true and the text stringName could be read
// (missing or empty text gives ""); false with value unchanged otherwise.
bool ReadRegOptionalString(const std::string& key, const std::string& flagName, const std::string& stringName,
                           std::string& value);

// "Disable" + className under the Immunisation key.
bool IsImmunizerDisabledByPolicy(const std::string& className);
// "EnableReadOnlyFileAttribute" under the Hosts key.
bool GetPolicyHostsReadOnly();
// "BlockIP" when "CustomBlockIP" is set, under the Hosts key.
bool GetPolicyCustomBlockIP(std::string& address);
