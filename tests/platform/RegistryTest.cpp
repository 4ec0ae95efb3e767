#include "platform/bmrRegistry.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/bmrCredits.h"
#include "platform/bmrDebug.h"
#include "tests/fakes/FakeWindows.h"

namespace {

using fakes::FakeRegistry;

constexpr std::uint32_t kReadControlEnumerateQuery =
    os::kReadControl | os::kKeyEnumerateSubKeys | os::kKeyQueryValue;

class TMyRegistryTest : public ::testing::Test {
 protected:
  fakes::FakeWindows windows;
  FakeRegistry& registry = windows.registry;

  std::vector<std::uint32_t> OpenAccesses() const {
    std::vector<std::uint32_t> sams;
    for (const auto& call : registry.openCalls) sams.push_back(call.sam);
    return sams;
  }
};

TEST_F(TMyRegistryTest, StartsWith32BitsAllAccessAndNoError) {
  TMyRegistry reg;
  EXPECT_EQ(reg.Bits(), 32);
  EXPECT_EQ(reg.View(), 0);
  EXPECT_EQ(reg.LastError(), 0);
  EXPECT_EQ(reg.Access(), os::kKeyAllAccess);
  EXPECT_EQ(reg.CurrentKey(), 0u);
}

TEST_F(TMyRegistryTest, OpenKeyReadOnlyFallsBackToTheRightsTheKeyGrants) {
  const std::string path = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
  struct Case {
    std::uint32_t granted;
    bool opens;
    std::vector<std::uint32_t> tries;
    std::int32_t lastError;
  } cases[] = {
      {0xFFFFFFFFu, true, {os::kKeyRead}, 0},
      {kReadControlEnumerateQuery, true, {os::kKeyRead, kReadControlEnumerateQuery}, 0},
      {os::kKeyQueryValue, true, {os::kKeyRead, kReadControlEnumerateQuery, os::kKeyQueryValue}, 0},
      {0, false, {os::kKeyRead, kReadControlEnumerateQuery, os::kKeyQueryValue}, os::kErrorAccessDenied},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.granted);
    registry.SetKeyAccess(os::kHKeyLocalMachine, path, c.granted);
    registry.openCalls.clear();
    TMyRegistry reg;
    reg.SetRootKey(os::kHKeyLocalMachine);
    EXPECT_EQ(reg.OpenKeyReadOnly("\\" + path), c.opens);
    EXPECT_EQ(OpenAccesses(), c.tries);
    EXPECT_EQ(reg.LastError(), c.lastError);
    EXPECT_EQ(reg.CurrentPath(), c.opens ? path : "");
    EXPECT_EQ(reg.Access(), os::kKeyAllAccess);
  }
}

TEST_F(TMyRegistryTest, OpenKeyReadOnlyKeepsTheViewOfTheAccessMaskAndOfSetBits) {
  // Only the 64-bit view holds the key; a 32-bit process without a view flag looks in
  // Wow6432Node.
  registry.CreateKey(os::kHKeyLocalMachine, "SOFTWARE\\Vendor\\Product");
  {
    TMyRegistry reg;
    reg.SetRootKey(os::kHKeyLocalMachine);
    EXPECT_FALSE(reg.OpenKeyReadOnly("\\SOFTWARE\\Vendor\\Product"));
  }
  {
    TMyRegistry reg;
    reg.SetRootKey(os::kHKeyLocalMachine);
    reg.SetAccess(os::kKeyAllAccess | os::kKeyWow64_64Key);
    registry.openCalls.clear();
    EXPECT_TRUE(reg.OpenKeyReadOnly("\\SOFTWARE\\Vendor\\Product"));
    ASSERT_EQ(registry.openCalls.size(), 1u);
    EXPECT_EQ(registry.openCalls[0].sam, os::kKeyRead | os::kKeyWow64_64Key);
    EXPECT_EQ(reg.Access(), os::kKeyAllAccess | os::kKeyWow64_64Key);
  }
  {
    TMyRegistry reg;
    reg.SetRootKey(os::kHKeyLocalMachine);
    reg.SetBits(64);
    EXPECT_TRUE(reg.OpenKeyReadOnly("\\SOFTWARE\\Vendor\\Product"));
  }
}

TEST_F(TMyRegistryTest, LastErrorIsTheResultOfTheLastTry) {
  registry.failures.Fail("RegOpenKeyExA", os::kErrorAccessDenied, "Missing", 2);
  TMyRegistry reg;
  EXPECT_FALSE(reg.OpenKeyReadOnly("Missing"));
  EXPECT_EQ(registry.openCalls.size(), 3u);
  EXPECT_EQ(reg.LastError(), os::kErrorFileNotFound);
}

TEST_F(TMyRegistryTest, RelativityFromTheKeyTextOrFromTheFlag) {
  registry.CreateKey(os::kHKeyLocalMachine, "SYSTEM\\Sub");
  registry.CreateKey(os::kHKeyLocalMachine, "Sub");
  TMyRegistry reg;
  reg.SetRootKey(os::kHKeyLocalMachine);

  ASSERT_TRUE(reg.OpenKeyReadOnly("SYSTEM"));  // relative, nothing open: under the root
  ASSERT_TRUE(reg.OpenKeyReadOnly("Sub"));
  EXPECT_EQ(registry.openCalls.back().path, "HKEY_LOCAL_MACHINE\\SYSTEM\\Sub");
  EXPECT_EQ(reg.CurrentPath(), "SYSTEM\\Sub");

  ASSERT_TRUE(reg.OpenKeyReadOnly("\\SYSTEM"));
  EXPECT_EQ(registry.openCalls.back().path, "HKEY_LOCAL_MACHINE\\SYSTEM");
  EXPECT_EQ(reg.CurrentPath(), "SYSTEM");

  ASSERT_TRUE(reg.OpenKeyReadOnly("Sub", true, false));  // the flag overrides the text
  EXPECT_EQ(registry.openCalls.back().path, "HKEY_LOCAL_MACHINE\\Sub");
  EXPECT_EQ(reg.CurrentPath(), "Sub");
  EXPECT_EQ(registry.OpenHandleCount(), 1u);
}

TEST_F(TMyRegistryTest, SetBitsChoosesTheRegistryView) {
  registry.SetDword(os::kHKeyLocalMachine, "SOFTWARE\\X", "V", 64);
  registry.SetDword(os::kHKeyLocalMachine, "SOFTWARE\\Wow6432Node\\X", "V", 32);
  TMyRegistry reg;
  reg.SetRootKey(os::kHKeyLocalMachine);
  ASSERT_TRUE(reg.OpenKeyReadOnly("\\SOFTWARE\\X"));
  EXPECT_EQ(reg.ReadInteger("V"), 32);  // a 32-bit process reads the redirected view

  reg.SetBits(64);
  EXPECT_EQ(reg.Bits(), 64);
  EXPECT_EQ(reg.View(), 2);
  EXPECT_EQ(reg.Access(), os::kKeyAllAccess | os::kKeyWow64_64Key);
  ASSERT_TRUE(reg.OpenKeyReadOnly("\\SOFTWARE\\X"));
  EXPECT_EQ(registry.openCalls.back().sam, os::kKeyRead | os::kKeyWow64_64Key);
  EXPECT_EQ(reg.ReadInteger("V"), 64);

  reg.SetAccess(reg.Access() | os::kKeyWow64_32Key);
  reg.SetBits(64);  // the two view flags never stand together
  EXPECT_EQ(reg.Access(), os::kKeyAllAccess | os::kKeyWow64_64Key);

  reg.SetBits(32);
  EXPECT_EQ(reg.Bits(), 32);
  EXPECT_EQ(reg.View(), 1);
  EXPECT_EQ(reg.Access(), os::kKeyAllAccess);
  ASSERT_TRUE(reg.OpenKeyReadOnly("\\SOFTWARE\\X"));
  EXPECT_EQ(reg.ReadInteger("V"), 32);
}

TEST_F(TMyRegistryTest, SetBitsRejectsOtherWidthsAndChangesNothing) {
  TMyRegistry reg;
  for (std::uint8_t bits : {0, 16, 63, 128}) {
    try {
      reg.SetBits(bits);
      ADD_FAILURE() << "no exception for " << int{bits};
    } catch (const rtl::Exception& error) {
      EXPECT_EQ(error.Message(), "Windows Registry only supported with 32 or 64 bits!");
      EXPECT_EQ(error.ClassName(), "Exception");
    }
  }
  EXPECT_EQ(reg.Bits(), 32);
  EXPECT_EQ(reg.View(), 0);
  EXPECT_EQ(reg.Access(), os::kKeyAllAccess);
}

TEST_F(TMyRegistryTest, RegTypeToDataTypeNeverGivesTheLittleEndianAliases) {
  const TMyRegDataType expected[] = {
      TMyRegDataType::rdtNone,         TMyRegDataType::rdtString,
      TMyRegDataType::rdtExpandString, TMyRegDataType::rdtBinary,
      TMyRegDataType::rdtDWord,        TMyRegDataType::rdtDWordBigEndian,
      TMyRegDataType::rdtLink,         TMyRegDataType::rdtMultiString,
      TMyRegDataType::rdtResourceList, TMyRegDataType::rdtFullResourceDescriptor,
      TMyRegDataType::rdtResourceRequirementsList, TMyRegDataType::rdtQWord,
  };
  for (std::uint32_t type = 0; type < std::size(expected); ++type) {
    EXPECT_EQ(TMyRegistry::RegTypeToDataType(type), expected[type]) << type;
  }
  EXPECT_EQ(static_cast<int>(TMyRegDataType::rdtDWord), 5);
  EXPECT_EQ(static_cast<int>(TMyRegDataType::rdtQWord), 13);
  EXPECT_EQ(TMyRegistry::RegTypeToDataType(12), TMyRegDataType::rdtUnknown);
  EXPECT_EQ(TMyRegistry::RegTypeToDataType(0xFFFFFFFFu), TMyRegDataType::rdtUnknown);
}

TEST_F(TMyRegistryTest, ValueQueriesRaiseNothing) {
  registry.SetValue(os::kHKeyCurrentUser, "K", "Q", os::kRegQword, std::vector<std::uint8_t>(8, 1));
  registry.SetValue(os::kHKeyCurrentUser, "K", "Odd", 0x4242, {1});
  TMyRegistry reg;
  EXPECT_FALSE(reg.ValueExists("Q"));  // no key open
  EXPECT_EQ(reg.GetDataType("Q"), TMyRegDataType::rdtUnknown);

  ASSERT_TRUE(reg.OpenKeyReadOnly("K"));
  EXPECT_TRUE(reg.ValueExists("Q"));
  EXPECT_EQ(reg.GetDataType("Q"), TMyRegDataType::rdtQWord);
  TMyRegDataInfo info;
  ASSERT_TRUE(reg.GetDataInfo("Odd", info));
  EXPECT_EQ(info.RegData, TMyRegDataType::rdtUnknown);
  EXPECT_EQ(info.DataType, 0x4242u);
  EXPECT_EQ(info.DataSize, 1u);
  EXPECT_FALSE(reg.ValueExists("Missing"));
  EXPECT_EQ(reg.GetDataType("Missing"), TMyRegDataType::rdtUnknown);

  registry.failures.Fail("RegQueryValueExA", os::kErrorAccessDenied, "K\\Q");
  EXPECT_FALSE(reg.ValueExists("Q"));
  EXPECT_EQ(reg.GetDataType("Q"), TMyRegDataType::rdtUnknown);
}

TEST_F(TMyRegistryTest, ReadStringGivesOnlyTextValues) {
  const std::string key = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
  registry.SetString(os::kHKeyLocalMachine, key, "DataBasePath", "%SystemRoot%\\System32\\drivers\\etc",
                     os::kRegExpandSz);
  registry.SetValue(os::kHKeyLocalMachine, key, "Nul", os::kRegSz, {'a', 'b', 0, 'c', 0});
  registry.SetString(os::kHKeyLocalMachine, key, "Multi", "a", os::kRegMultiSz);
  registry.SetDword(os::kHKeyLocalMachine, key, "Dword", 1);
  TMyRegistry reg;
  reg.SetRootKey(os::kHKeyLocalMachine);
  ASSERT_TRUE(reg.OpenKeyReadOnly("\\" + key));

  EXPECT_EQ(reg.ReadString("DataBasePath"), "%SystemRoot%\\System32\\drivers\\etc");
  EXPECT_EQ(reg.ReadString("Nul"), "ab");
  EXPECT_EQ(reg.ReadString("Missing"), "");
  for (const char* name : {"Dword", "Multi"}) {
    try {
      reg.ReadString(name);
      ADD_FAILURE() << name;
    } catch (const ERegistryException& error) {
      EXPECT_EQ(error.Message(), std::string("Invalid data type for \"") + name + "\"");
    }
  }
}

TEST_F(TMyRegistryTest, GetDataReportsTheValuesKindAndTheBytesRead) {
  registry.SetValue(os::kHKeyCurrentUser, "K", "Q", os::kRegQword, {1, 2, 3, 4, 5, 6, 7, 8});
  registry.SetDword(os::kHKeyCurrentUser, "K", "D", 0x01020304);
  TMyRegistry reg;
  ASSERT_TRUE(reg.OpenKeyReadOnly("K"));

  std::uint8_t buffer[16] = {};
  struct Case {
    const char* name;
    TMyRegDataType asked;
    TMyRegDataType reported;
    std::int32_t bytes;
  } cases[] = {
      {"Q", TMyRegDataType::rdtUnknown, TMyRegDataType::rdtQWord, 8},  // read as the runtime does
      {"Q", TMyRegDataType::rdtQWord, TMyRegDataType::rdtQWord, 8},    // read directly
      {"D", TMyRegDataType::rdtString, TMyRegDataType::rdtDWord, 4},
      {"D", TMyRegDataType::rdtBinary, TMyRegDataType::rdtDWord, 4},
  };
  for (const auto& c : cases) {
    TMyRegDataType kind = c.asked;
    EXPECT_EQ(reg.GetData(c.name, buffer, sizeof(buffer), kind), c.bytes) << c.name;
    EXPECT_EQ(kind, c.reported) << c.name;
  }
  EXPECT_EQ(buffer[0], 4);
}

TEST_F(TMyRegistryTest, GetDataFailuresNameTheValue) {
  registry.SetValue(os::kHKeyCurrentUser, "K", "Q", os::kRegQword, std::vector<std::uint8_t>(8, 0));
  TMyRegistry reg;
  ASSERT_TRUE(reg.OpenKeyReadOnly("K"));
  std::uint8_t small[4] = {};
  struct Case {
    TMyRegDataType asked;
    const char* message;
  } cases[] = {
      {TMyRegDataType::rdtBinary, "Failed to get data for value \"Q\""},
      {TMyRegDataType::rdtQWord, "Failed to get data for \"Q\""},
  };
  for (const auto& c : cases) {
    TMyRegDataType kind = c.asked;
    try {
      reg.GetData("Q", small, sizeof(small), kind);  // eight bytes do not fit in four
      ADD_FAILURE() << c.message;
    } catch (const ERegistryException& error) {
      EXPECT_EQ(error.Message(), c.message);
    }
  }
}

// --- RegReadDWord ---

class RegReadDWordTest : public TMyRegistryTest {};

TEST_F(RegReadDWordTest, FindsOnlyDwordValues) {
  const std::string key = "SOFTWARE\\Wow6432Node\\Brenmoor Limited\\Tweaks";
  registry.SetDword(os::kHKeyLocalMachine, key, "Dword", 0x80000001u);
  registry.SetString(os::kHKeyLocalMachine, key, "Text", "1");
  registry.SetValue(os::kHKeyLocalMachine, key, "Binary", os::kRegBinary, {1, 0, 0, 0});
  struct Case {
    const char* key;
    const char* name;
    bool found;
    std::int32_t value;
  } cases[] = {
      {"\\SOFTWARE\\Brenmoor Limited\\Tweaks\\", "Dword", true, -0x7FFFFFFF},
      {"\\SOFTWARE\\Brenmoor Limited\\Tweaks\\", "Text", false, 99},
      {"\\SOFTWARE\\Brenmoor Limited\\Tweaks\\", "Binary", false, 99},
      {"\\SOFTWARE\\Brenmoor Limited\\Tweaks\\", "Missing", false, 99},
      {"\\SOFTWARE\\Brenmoor Limited\\Missing\\", "Dword", false, 99},
  };
  for (const auto& c : cases) {
    std::int32_t value = 99;
    EXPECT_EQ(RegReadDWord(os::kHKeyLocalMachine, c.key, c.name, value), c.found) << c.key << c.name;
    EXPECT_EQ(value, c.value) << c.key << c.name;
  }
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(RegReadDWordTest, ReadErrorsPassToTheCallerWithTheKeyClosed) {
  registry.SetValue(os::kHKeyLocalMachine, "SOFTWARE\\Wow6432Node\\T", "Long", os::kRegDword,
                    {1, 0, 0, 0, 0, 0, 0, 0});
  std::int32_t value = 5;
  EXPECT_THROW(RegReadDWord(os::kHKeyLocalMachine, "\\SOFTWARE\\T", "Long", value), ERegistryException);
  EXPECT_EQ(value, 5);
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

// --- start-up of the registry layer's modules ---

std::vector<std::pair<TDebugEntryKind, TDebugType>>* g_entryKinds = nullptr;
std::vector<std::string>* g_entryMessages = nullptr;

void RecordEntry(TDebugEntryKind kind, TDebugType scope, const TDebugSender*, const std::string& message,
                 const TDebugArguments&) {
  if (g_entryKinds != nullptr) g_entryKinds->emplace_back(kind, scope);
  if (g_entryMessages != nullptr) g_entryMessages->push_back(message);
}

class RegistryModulesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedHandlers_ = DebugHandlerData().EntryHandlers;
    g_entryKinds = &kinds;
    g_entryMessages = &messages;
    RegisterLogHandler(RecordEntry);
  }
  void TearDown() override {
    DebugHandlerData().EntryHandlers = savedHandlers_;
    g_entryKinds = nullptr;
    g_entryMessages = nullptr;
  }

  fakes::FakeWindows windows;  // the logger's lines read the clock and the process ids
  std::vector<std::pair<TDebugEntryKind, TDebugType>> kinds;
  std::vector<std::string> messages;

 private:
  std::vector<TDebugEntryHandler> savedHandlers_;
};

TEST_F(RegistryModulesTest, StartUpAndShutDownTracePairs) {
  ASSERT_NE(DebugLogger().get(), nullptr);
  InitializeBmrRegistry();
  InitializeBmrSecurity();
  InitializeBmrRegCache();
  FinalizeBmrRegCache();

  using Kind = std::pair<TDebugEntryKind, TDebugType>;
  const Kind initBegin{dekEnter, dtUnitConstructor}, initEnd{dekLeave, dtUnitConstructor};
  const Kind finalBegin{dekEnter, dtUnitDestructor}, finalEnd{dekLeave, dtUnitDestructor};
  EXPECT_EQ(kinds, (std::vector<Kind>{initBegin, initEnd, initBegin, initEnd, initBegin, initEnd, finalBegin,
                                      finalEnd}));
  EXPECT_EQ(messages, (std::vector<std::string>{"bmrRegistry", "bmrRegistry", "bmrSecurity", "bmrSecurity",
                                                "bmrRegCache", "bmrRegCache", "bmrRegCache", "bmrRegCache"}));
}

TEST_F(RegistryModulesTest, RegistryTypesCreditsNoJsonLibrary) {
  const std::vector<TLicenseEntry> saved = RegisteredCredits();
  InitializeBmrCredits();

  InitializeBmrRegistryTypes();
  const std::vector<TLicenseEntry> credits = RegisteredCredits();

  InitializeBmrCredits();
  for (const auto& entry : saved) RegisterCredit(entry.Name, entry.Copyright, entry.URL, entry.Category, entry.Hidden);

  EXPECT_TRUE(credits.empty()) << "the program contains no JSON library";
  EXPECT_TRUE(kinds.empty());  // the types module leaves no trace
}

}  // namespace
