// The optional registry immunizers of Office and OneDrive against Wine's registry: their
// values written by Immunize and deleted by Remove, as the wide calls see them in the native
// view. Keys the test found missing are deleted again afterwards.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/tvqmVorletsMicrosoftOffice.h"
#include "engine/tvqmVorletsMicrosoftOneDrive.h"
#include "platform/os/win32/Text.h"
#include "tests/wine/WineTestSupport.h"

namespace {

using os::win32::Utf8ToWide;

HKEY ToHkey(os::RegKey key) { return reinterpret_cast<HKEY>(key); }

// The stored form "\A\B\" as a path below the root.
std::string PathOf(const std::string& key) { return key.substr(1, key.size() - 2); }

bool KeyExists(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, Utf8ToWide(path).c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

// The setting's value as a REG_DWORD in the native view; none when it is missing or of
// another type.
std::optional<std::int32_t> ReadDword(const TRegistrySetting& setting) {
  DWORD type = 0;
  std::vector<BYTE> data;
  if (!winetest::ReadWide(ToHkey(setting.RootKey), PathOf(setting.Key), setting.ValueName, KEY_WOW64_64KEY, type,
                          data) ||
      type != REG_DWORD || data.size() != 4) {
    return std::nullopt;
  }
  std::int32_t value = 0;
  std::memcpy(&value, data.data(), sizeof(value));
  return value;
}

TEST(OptionalRegistryImmunizersWine, OfficeAndOneDrivePoliciesAreWrittenAndDeleted) {
  std::vector<std::unique_ptr<TCustomWindows10RegistryImmunization>> immunizers;
  immunizers.push_back(std::make_unique<TWindows10OneDriveRegistryImmunization>());
  immunizers.push_back(std::make_unique<TOffice15TelemetryRegistryImmunization>());
  immunizers.push_back(std::make_unique<TOffice16TelemetryRegistryImmunization>());
  for (auto& immunizer : immunizers) {
    SCOPED_TRACE(immunizer->ClassName());
    const TRegistrySettings settings = immunizer->GetRegistrySettings();
    std::vector<std::string> messages;
    immunizer->OnLog = [&](TWindows10Immunization&, TImmunizationLogLevel, const std::string& msg) {
      messages.push_back(msg);
    };
    std::vector<std::pair<HKEY, std::string>> created;
    for (const auto& setting : settings) {
      const std::pair<HKEY, std::string> key{ToHkey(setting.RootKey), PathOf(setting.Key)};
      if (!KeyExists(key.first, key.second) && std::find(created.begin(), created.end(), key) == created.end()) {
        created.push_back(key);
      }
    }
    const auto count = static_cast<std::int32_t>(settings.size());
    EXPECT_EQ(count, immunizer->GetCount());
    EXPECT_EQ(0, immunizer->GetImmunizedCount());

    immunizer->Immunize();
    EXPECT_EQ(count, immunizer->GetImmunizedCount());
    for (const auto& setting : settings) EXPECT_EQ(setting.Value, ReadDword(setting)) << setting.ValueName;

    immunizer->Remove();
    EXPECT_EQ(0, immunizer->GetImmunizedCount());
    for (const auto& setting : settings) EXPECT_EQ(std::nullopt, ReadDword(setting)) << setting.ValueName;
    EXPECT_EQ(std::vector<std::string>{}, messages);
    for (const auto& [root, path] : created) {
      EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyExW(root, Utf8ToWide(path).c_str(), KEY_WOW64_64KEY, 0)) << path;
    }
  }
}

}  // namespace
