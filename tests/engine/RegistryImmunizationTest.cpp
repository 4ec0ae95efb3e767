#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/tvqmVorletsBase.h"
#include "platform/rtlRegistry.h"
#include "tests/fakes/FakeWindows.h"

namespace {

const os::RegKey HKLM = os::kHKeyLocalMachine;
const os::RegKey HKCU = os::kHKeyCurrentUser;

// A registry immunizer whose settings the test chooses.
class TTestRegistryImmunization final
    : public TImmunizationClass<TTestRegistryImmunization, TCustomWindows10RegistryImmunization> {
 public:
  static constexpr const char* kClassName = "TTestRegistryImmunization";
  static std::string GetDisplayName() { return "Test"; }
  TRegistrySettings settings;
  TRegistrySettings GetRegistrySettings() override { return settings; }
};

struct Message {
  TImmunizationLogLevel level;
  std::string text;
  bool operator==(const Message&) const = default;
};

void PrintTo(const Message& m, std::ostream* os) { *os << int(m.level) << ": " << m.text; }

class RegistryImmunizationTest : public ::testing::Test {
 protected:
  RegistryImmunizationTest() {
    immunizer.OnLog = [this](TWindows10Immunization& sender, TImmunizationLogLevel level, const std::string& msg) {
      EXPECT_EQ(&sender, &immunizer);
      messages.push_back({level, msg});
    };
  }

  fakes::FakeWindows windows;
  TTestRegistryImmunization immunizer;
  std::vector<Message> messages;
};

const TRegistrySetting kDataCollection{HKLM, "\\SOFTWARE\\Policies\\Microsoft\\Windows\\DataCollection\\",
                                       "AllowTelemetry", rsdInteger, 0};
const TRegistrySetting kHotSpot{HKLM, "\\SOFTWARE\\Microsoft\\PolicyManager\\default\\WiFi\\Hotspot\\", "value",
                                rsdInteger, -1};
const TRegistrySetting kUserOne{HKCU, "\\Software\\Test\\Same\\", "One", rsdInteger, 1};
const TRegistrySetting kUserTwo{HKCU, "\\Software\\Test\\Same\\", "Two", rsdInteger, 2};

TEST_F(RegistryImmunizationTest, WithoutSettingsNothingIsCountedTouchedOrDescribed) {
  EXPECT_EQ(immunizer.GetCount(), 0);
  EXPECT_EQ(immunizer.GetImmunizedCount(), 0);
  immunizer.Immunize();
  immunizer.Remove();
  EXPECT_EQ(immunizer.GetDetailsText(), "");
  EXPECT_TRUE(windows.registry.openCalls.empty());
  EXPECT_TRUE(messages.empty());
}

TEST_F(RegistryImmunizationTest, ImmunizeWritesDwordsAndRemoveDeletesThemLeavingTheKeys) {
  immunizer.settings = {kDataCollection, kHotSpot, kUserOne, kUserTwo};
  EXPECT_EQ(immunizer.GetCount(), 4);
  EXPECT_EQ(immunizer.GetImmunizedCount(), 0);

  immunizer.Immunize();
  EXPECT_EQ(immunizer.GetImmunizedCount(), 4);
  const auto& r = windows.registry;
  EXPECT_EQ(r.GetDword(HKLM, "SOFTWARE\\Policies\\Microsoft\\Windows\\DataCollection", "AllowTelemetry"), 0u);
  EXPECT_EQ(r.GetDword(HKLM, "SOFTWARE\\Microsoft\\PolicyManager\\default\\WiFi\\Hotspot", "value"), 0xFFFFFFFFu);
  EXPECT_EQ(r.GetDword(HKCU, "Software\\Test\\Same", "One"), 1u);
  EXPECT_EQ(r.GetDword(HKCU, "Software\\Test\\Same", "Two"), 2u);

  // Another number in place of one value: that one alone counts as missing, silently.
  windows.registry.SetDword(HKCU, "Software\\Test\\Same", "Two", 7);
  EXPECT_EQ(immunizer.GetImmunizedCount(), 3);

  immunizer.Remove();
  EXPECT_EQ(immunizer.GetImmunizedCount(), 0);
  EXPECT_FALSE(r.GetValue(HKCU, "Software\\Test\\Same", "One"));
  EXPECT_FALSE(r.GetValue(HKCU, "Software\\Test\\Same", "Two"));
  EXPECT_FALSE(r.GetValue(HKLM, "SOFTWARE\\Policies\\Microsoft\\Windows\\DataCollection", "AllowTelemetry"));
  EXPECT_TRUE(r.KeyExists(HKLM, "SOFTWARE\\Policies\\Microsoft\\Windows\\DataCollection"));

  // Remove again, and Remove where the keys never existed: the paths are created, no message.
  windows.registry.DeleteKey(HKCU, "Software\\Test");
  immunizer.Remove();
  EXPECT_TRUE(r.KeyExists(HKCU, "Software\\Test\\Same"));
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(r.OpenHandleCount(), 0u);
}

TEST_F(RegistryImmunizationTest, OnSixtyFourBitWindowsKeysAreOpenedInTheNativeView) {
  immunizer.settings = {kHotSpot};
  immunizer.Immunize();

  const auto& r = windows.registry;
  EXPECT_EQ(r.GetDword(HKLM, "SOFTWARE\\Microsoft\\PolicyManager\\default\\WiFi\\Hotspot", "value"), 0xFFFFFFFFu);
  EXPECT_FALSE(r.KeyExists(HKLM, "SOFTWARE\\Wow6432Node\\Microsoft\\PolicyManager"));

  // What a 32-bit view would show does not count.
  windows.registry.DeleteKey(HKLM, "SOFTWARE\\Microsoft\\PolicyManager");
  windows.registry.SetDword(HKLM, "SOFTWARE\\Wow6432Node\\Microsoft\\PolicyManager\\default\\WiFi\\Hotspot", "value",
                            0xFFFFFFFFu);
  EXPECT_EQ(immunizer.GetImmunizedCount(), 0);

  immunizer.Immunize();
  immunizer.Remove();
  for (const auto& call : windows.registry.openCalls) {
    EXPECT_EQ(call.sam & os::kKeyWow64Res, os::kKeyWow64_64Key) << call.call << " " << call.path;
  }
}

TEST_F(RegistryImmunizationTest, OnThirtyTwoBitWindowsNoViewFlagIsPassed) {
  windows.SetWow64(false);
  immunizer.settings = {kHotSpot};
  immunizer.Immunize();
  immunizer.GetImmunizedCount();
  immunizer.Remove();

  ASSERT_EQ(windows.registry.openCalls.size(), 3u);
  EXPECT_EQ(windows.registry.openCalls[0].sam, os::kKeyAllAccess);
  EXPECT_EQ(windows.registry.openCalls[1].sam, os::kKeyRead);
  EXPECT_EQ(windows.registry.openCalls[2].sam, os::kKeyAllAccess);
  EXPECT_EQ(windows.registry.openCalls[1].path,
            "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\PolicyManager\\default\\WiFi\\Hotspot\\");
}

TEST_F(RegistryImmunizationTest, ValueOfAnotherTypeIsReportedAtEveryCountUntilImmunizeReplacesIt) {
  immunizer.settings = {kDataCollection};
  windows.registry.SetString(HKLM, "SOFTWARE\\Policies\\Microsoft\\Windows\\DataCollection", "AllowTelemetry", "0");

  EXPECT_EQ(immunizer.GetImmunizedCount(), 0);
  EXPECT_EQ(immunizer.GetImmunizedCount(), 0);
  const Message mismatch{ilError, "Registry value \"AllowTelemetry\" is not of expected data type!"};
  EXPECT_EQ(messages, (std::vector<Message>{mismatch, mismatch}));

  immunizer.Immunize();
  const auto value =
      windows.registry.GetValue(HKLM, "SOFTWARE\\Policies\\Microsoft\\Windows\\DataCollection", "AllowTelemetry");
  ASSERT_TRUE(value);
  EXPECT_EQ(value->type, os::kRegDword);
  EXPECT_EQ(immunizer.GetImmunizedCount(), 1);
  EXPECT_EQ(messages.size(), 2u);
}

TEST_F(RegistryImmunizationTest, KeyThatCannotBeReadCountsAsNotInPlaceSilently) {
  immunizer.settings = {kUserOne};
  windows.registry.SetDword(HKCU, "Software\\Test\\Same", "One", 1);
  windows.registry.SetKeyAccess(HKCU, "Software\\Test\\Same", os::kKeySetValue);

  EXPECT_EQ(immunizer.GetImmunizedCount(), 0);
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(windows.registry.OpenHandleCount(), 0u);
}

TEST_F(RegistryImmunizationTest, KeyThatCannotBeOpenedForWritingIsReportedPerSettingAndTheRestGoesOn) {
  immunizer.settings = {kDataCollection, kUserOne};
  windows.registry.failures.Fail("RegCreateKeyExA", os::kErrorAccessDenied, "DataCollection");
  const Message refused{
      ilError,
      "Unable to open registry key \"HKEY_LOCAL_MACHINE\\SOFTWARE\\Policies\\Microsoft\\Windows\\DataCollection\\\" "
      "for writing!"};

  immunizer.Immunize();
  EXPECT_EQ(messages, std::vector<Message>{refused});
  EXPECT_EQ(windows.registry.GetDword(HKCU, "Software\\Test\\Same", "One"), 1u);

  immunizer.Remove();
  EXPECT_EQ(messages, (std::vector<Message>{refused, refused}));
  EXPECT_FALSE(windows.registry.GetValue(HKCU, "Software\\Test\\Same", "One"));
}

TEST_F(RegistryImmunizationTest, WriteThatFailsAfterTheKeyOpenedRaisesAndStopsTheRestWithTheKeyClosed) {
  immunizer.settings = {kUserOne, kUserTwo, kDataCollection};
  windows.registry.failures.Fail("RegSetValueExA", os::kErrorAccessDenied, "\\Two");

  try {
    immunizer.Immunize();
    FAIL() << "Immunize did not raise";
  } catch (const ERegistryException& error) {
    EXPECT_EQ(std::string(error.what()), "Failed to set data for value \"Two\" (error code 5: Access is denied.)");
  }
  EXPECT_EQ(windows.registry.GetDword(HKCU, "Software\\Test\\Same", "One"), 1u);
  EXPECT_FALSE(windows.registry.KeyExists(HKLM, "SOFTWARE\\Policies\\Microsoft\\Windows\\DataCollection"));
  EXPECT_EQ(windows.registry.OpenHandleCount(), 0u);
  EXPECT_TRUE(messages.empty());
}

TEST_F(RegistryImmunizationTest, DetailsAreOneLinePerSettingJoinedByCrLf) {
  immunizer.settings = {kDataCollection, kUserOne};
  EXPECT_EQ(immunizer.GetDetailsText(),
            "Registry: HKEY_LOCAL_MACHINE\\SOFTWARE\\Policies\\Microsoft\\Windows\\DataCollection\\AllowTelemetry\r\n"
            "Registry: HKEY_CURRENT_USER\\Software\\Test\\Same\\One");
}

TEST_F(RegistryImmunizationTest, SettingsOfAnotherDataTypeAreCountedButNeverWritten) {
  TRegistrySetting text = kUserOne;
  text.DataType = rsdString;
  immunizer.settings = {text};

  immunizer.Immunize();
  EXPECT_TRUE(windows.registry.KeyExists(HKCU, "Software\\Test\\Same"));
  EXPECT_FALSE(windows.registry.GetValue(HKCU, "Software\\Test\\Same", "One"));

  // A DWORD is then the wrong type.
  windows.registry.SetDword(HKCU, "Software\\Test\\Same", "One", 1);
  EXPECT_EQ(immunizer.GetImmunizedCount(), 0);
  EXPECT_EQ(messages.size(), 1u);
}

}  // namespace
