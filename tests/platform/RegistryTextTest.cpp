#include "platform/bmrRegistryText.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

TEST(RootKeyToStringTest, NamesPredefinedKeysAndWritesOthersAsSigned32BitNumbers) {
  const std::vector<std::pair<os::RegKey, std::string>> cases = {
      {os::kHKeyClassesRoot, "HKEY_CLASSES_ROOT"},
      {os::kHKeyCurrentUser, "HKEY_CURRENT_USER"},
      {os::kHKeyLocalMachine, "HKEY_LOCAL_MACHINE"},
      {os::kHKeyUsers, "HKEY_USERS"},
      {os::kHKeyPerformanceData, "HKEY_PERFORMANCE_DATA"},
      {os::kHKeyCurrentConfig, "HKEY_CURRENT_CONFIG"},
      {os::kHKeyDynData, "HKEY_DYN_DATA"},
      // the 32-bit value, not sign-extended
      {static_cast<os::RegKey>(0x80000002u), "HKEY_LOCAL_MACHINE"},
      {os::PredefinedKey(0x80000007u), "-2147483641"},
      {0, "0"},
      {0x7FFFFFFF, "2147483647"},
      {os::PredefinedKey(0xFFFFFFFFu), "-1"},
      {0x1000, "4096"},
  };
  for (const auto& [key, text] : cases) {
    EXPECT_EQ(RootKeyToString(key), text) << key;
  }
}

}  // namespace
