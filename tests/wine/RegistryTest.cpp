// Win32Registry against Wine's registry: what the narrow calls store, as the wide calls see
// it, and the codes the system gives back.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/bmrRegistry.h"
#include "platform/os/Registry.h"
#include "platform/os/win32/Handles.h"
#include "platform/os/win32/Text.h"
#include "tests/wine/WineTestSupport.h"

namespace {

using os::win32::Utf8ToWide;
using winetest::ScratchKey;
using winetest::ToRegKey;

std::vector<std::uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

std::vector<BYTE> WideBytes(std::wstring_view text) {
  std::vector<BYTE> bytes(text.size() * sizeof(wchar_t));
  if (!bytes.empty()) std::memcpy(bytes.data(), text.data(), bytes.size());
  return bytes;
}

// A non-ASCII text that the process's ANSI code page can hold, so that it survives the
// narrow calls; empty when none of the candidates fits.
std::string NonAsciiText() {
  static const char* const kCandidates[] = {
      "Stra\xC3\x9F" "e caf\xC3\xA9 na\xC3\xAFve",   // Western European
      "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82",  // Cyrillic
      "\xCE\x9A\xCE\xB1\xCE\xBB\xCE\xB7\xCE\xBC\xCE\xAD\xCF\x81\xCE\xB1",  // Greek
      "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E",  // Japanese
  };
  for (const char* candidate : kCandidates) {
    const std::wstring wide = Utf8ToWide(candidate);
    if (GetACP() == CP_UTF8) return candidate;
    BOOL usedDefault = FALSE;
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                                           nullptr, 0, nullptr, &usedDefault);
    if (length > 0 && !usedDefault) return candidate;
  }
  return {};
}

class Win32RegistryTest : public testing::Test {
 protected:
  void SetUp() override {
    text_ = NonAsciiText();
    if (text_.empty()) GTEST_SKIP() << "the ANSI code page " << GetACP() << " holds none of the test texts";
    ASSERT_EQ(os::kErrorSuccess, os::Registry().OpenKeyEx(ToRegKey(scratch_.root()), scratch_.path(),
                                                          os::kKeyAllAccess, key_));
  }
  void TearDown() override {
    if (key_ != 0) os::Registry().CloseKey(key_);
  }

  ScratchKey scratch_{HKEY_CURRENT_USER, "Software"};
  std::string text_;
  os::RegKey key_ = 0;
};

// Each type in both directions: written through the seam and read through RegQueryValueExW,
// written through RegSetValueExW and read through the seam.
TEST_F(Win32RegistryTest, ValuesOfEveryTypeRoundTrip) {
  struct Case {
    const char* label;
    DWORD type;
    std::vector<std::uint8_t> portable;  // what the seam takes and gives
    std::vector<BYTE> stored;            // what the wide API sees
  };
  const std::vector<std::uint8_t> binary{0x00, 0xFF, 0x10, 0x00, 0x7F};
  const std::wstring wide = Utf8ToWide(text_);
  const std::string multi = std::string("first\0", 6) + text_ + std::string("\0\0", 2);
  const std::vector<Case> cases = {
      // 0xDEADBEEF and 0x0123456789ABCDEF, little-endian.
      {"REG_DWORD", REG_DWORD, {0xEF, 0xBE, 0xAD, 0xDE}, {0xEF, 0xBE, 0xAD, 0xDE}},
      {"REG_QWORD", REG_QWORD, {0xEF, 0xCD, 0xAB, 0x89, 0x67, 0x45, 0x23, 0x01},
       {0xEF, 0xCD, 0xAB, 0x89, 0x67, 0x45, 0x23, 0x01}},
      {"REG_BINARY", REG_BINARY, binary, {binary.begin(), binary.end()}},
      {"REG_SZ", REG_SZ, Bytes(text_ + '\0'), WideBytes(wide + L'\0')},
      {"REG_EXPAND_SZ", REG_EXPAND_SZ, Bytes("%SystemRoot%\\" + text_ + '\0'),
       WideBytes(L"%SystemRoot%\\" + wide + L'\0')},
      {"REG_MULTI_SZ", REG_MULTI_SZ, Bytes(multi), WideBytes(Utf8ToWide(multi))},
  };
  std::printf("ANSI code page %u, text \"%s\"\n", GetACP(), text_.c_str());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    const std::string name = std::string("seam ") + c.label + " " + text_;
    ASSERT_EQ(os::kErrorSuccess, os::Registry().SetValueEx(key_, name, c.type, c.portable.data(),
                                                           static_cast<std::uint32_t>(c.portable.size())));
    DWORD storedType = 0;
    std::vector<BYTE> stored;
    ASSERT_TRUE(winetest::ReadWide(scratch_.root(), scratch_.path(), name, 0, storedType, stored));
    EXPECT_EQ(c.type, storedType);
    EXPECT_EQ(c.stored, stored);

    const std::string wideName = std::string("wide ") + c.label + " " + text_;
    ASSERT_EQ(ERROR_SUCCESS, winetest::WriteWide(scratch_.root(), scratch_.path(), wideName, c.type, c.stored.data(),
                                                 static_cast<DWORD>(c.stored.size())));
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    ASSERT_EQ(os::kErrorSuccess, os::Registry().QueryValueEx(key_, wideName, &type, nullptr, &size));
    EXPECT_EQ(c.type, type);
    EXPECT_EQ(c.portable.size(), size);
    std::vector<std::uint8_t> read(size + 8, 0xCC);
    ASSERT_EQ(os::kErrorSuccess, os::Registry().QueryValueEx(key_, wideName, &type, read.data(), &size));
    read.resize(size);
    EXPECT_EQ(c.portable, read);
  }
}

TEST_F(Win32RegistryTest, KeyNamesAreConvertedBothWays) {
  const std::string child = scratch_.Child("Schl\xC3\xBCssel " + text_);
  os::RegKey created = 0;
  std::uint32_t disposition = 0;
  ASSERT_EQ(os::kErrorSuccess, os::Registry().CreateKeyEx(ToRegKey(scratch_.root()), child, os::kKeyAllAccess,
                                                          created, &disposition));
  EXPECT_EQ(os::kRegCreatedNewKey, disposition);
  os::Registry().CloseKey(created);

  os::win32::UniqueRegKey wide;
  EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExW(scratch_.root(), Utf8ToWide(child).c_str(), 0, KEY_READ, wide.Put()));
  os::RegKey opened = 0;
  EXPECT_EQ(os::kErrorSuccess, os::Registry().OpenKey(ToRegKey(scratch_.root()), child, opened));
  os::Registry().CloseKey(opened);
  ASSERT_EQ(os::kErrorSuccess, os::Registry().CreateKeyEx(ToRegKey(scratch_.root()), child, os::kKeyRead, created,
                                                          &disposition));
  EXPECT_EQ(os::kRegOpenedExistingKey, disposition);
  os::Registry().CloseKey(created);
}

// The caller sizes its buffer from the seam's answer, so the answer must be the size of the
// UTF-8 text, which is longer than the ANSI text the system stores.
TEST_F(Win32RegistryTest, SizesAreThoseOfTheDataTheCallerGets) {
  const std::string utf8 = text_ + '\0';
  const std::string ansi = os::win32::Utf8ToAnsi(utf8);
  ASSERT_EQ(os::kErrorSuccess, os::Registry().SetValueEx(key_, "Text", os::kRegSz,
                                                         reinterpret_cast<const std::uint8_t*>(utf8.data()),
                                                         static_cast<std::uint32_t>(utf8.size())));
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  ASSERT_EQ(os::kErrorSuccess, os::Registry().QueryValueEx(key_, "Text", &type, nullptr, &size));
  EXPECT_EQ(utf8.size(), size);
  if (GetACP() != CP_UTF8) {
    EXPECT_NE(ansi.size(), utf8.size()) << "the test text must differ in length";
  }

  std::vector<std::uint8_t> buffer(utf8.size());
  size = static_cast<std::uint32_t>(utf8.size() - 1);
  EXPECT_EQ(os::kErrorMoreData, os::Registry().QueryValueEx(key_, "Text", &type, buffer.data(), &size));
  EXPECT_EQ(utf8.size(), size);
  EXPECT_EQ(os::kRegSz, type);
  size = static_cast<std::uint32_t>(buffer.size());
  ASSERT_EQ(os::kErrorSuccess, os::Registry().QueryValueEx(key_, "Text", nullptr, buffer.data(), &size));
  EXPECT_EQ(Bytes(utf8), buffer);

  const std::uint32_t number = 42;
  ASSERT_EQ(os::kErrorSuccess, os::Registry().SetValueEx(key_, "Number", os::kRegDword,
                                                         reinterpret_cast<const std::uint8_t*>(&number), 4));
  std::uint8_t small[2] = {};
  size = sizeof(small);
  EXPECT_EQ(os::kErrorMoreData, os::Registry().QueryValueEx(key_, "Number", &type, small, &size));
  EXPECT_EQ(4u, size);
  type = 0;
  EXPECT_EQ(os::kErrorSuccess, os::Registry().QueryValueEx(key_, "Number", &type, nullptr, nullptr));
  EXPECT_EQ(os::kRegDword, type);
  EXPECT_EQ(os::kErrorInvalidParameter, os::Registry().QueryValueEx(key_, "Number", &type, small, nullptr));
}

TEST_F(Win32RegistryTest, FailuresGiveTheSystemsCodes) {
  const os::RegKey root = ToRegKey(scratch_.root());
  os::RegKey readOnly = 0;
  ASSERT_EQ(os::kErrorSuccess, os::Registry().OpenKeyEx(root, scratch_.path(), os::kKeyQueryValue, readOnly));
  os::RegKey closed = 0;
  ASSERT_EQ(os::kErrorSuccess, os::Registry().OpenKeyEx(root, scratch_.path(), os::kKeyRead, closed));
  ASSERT_EQ(os::kErrorSuccess, os::Registry().CloseKey(closed));
  const std::uint8_t one[4] = {1, 0, 0, 0};

  struct Case {
    const char* label;
    std::function<std::int32_t()> call;
    std::int32_t expected;
  };
  os::RegKey out = 0;
  std::uint32_t size = 0;
  // The closed handle first: a handle opened later may get its number again.
  const std::vector<Case> cases = {
      {"query through a closed handle", [&] { return os::Registry().QueryValueEx(closed, "v", nullptr, nullptr, &size); },
       os::kErrorInvalidHandle},
      {"close of a closed handle", [&] { return os::Registry().CloseKey(closed); }, os::kErrorInvalidHandle},
      {"open of a missing key", [&] { return os::Registry().OpenKeyEx(root, scratch_.Child("missing"), os::kKeyRead, out); },
       os::kErrorFileNotFound},
      {"RegOpenKey of a missing key", [&] { return os::Registry().OpenKey(root, scratch_.Child("missing"), out); },
       os::kErrorFileNotFound},
      {"query of a missing value", [&] { return os::Registry().QueryValueEx(key_, "missing", nullptr, nullptr, &size); },
       os::kErrorFileNotFound},
      {"delete of a missing value", [&] { return os::Registry().DeleteValue(key_, "missing"); },
       os::kErrorFileNotFound},
      {"write through a read-only handle", [&] { return os::Registry().SetValueEx(readOnly, "v", os::kRegDword, one, 4); },
       os::kErrorAccessDenied},
      {"delete through a read-only handle", [&] { return os::Registry().DeleteValue(readOnly, "v"); },
       os::kErrorAccessDenied},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, c.call()) << c.label;
  }
  os::Registry().CloseKey(readOnly);
}

// Windows asks the parent handle for KEY_CREATE_SUB_KEY before it creates a key below it.
TEST_F(Win32RegistryTest, CreatingBelowAReadOnlyHandleIsDenied) {
  os::RegKey readOnly = 0;
  ASSERT_EQ(os::kErrorSuccess,
            os::Registry().OpenKeyEx(ToRegKey(scratch_.root()), scratch_.path(), os::kKeyQueryValue, readOnly));
  os::RegKey child = 0;
  const std::int32_t code = os::Registry().CreateKeyEx(readOnly, "child", os::kKeyAllAccess, child, nullptr);
  os::Registry().CloseKey(readOnly);
  if (code == os::kErrorSuccess) {
    os::Registry().CloseKey(child);
    GTEST_SKIP() << "Wine does not check the parent handle's rights: RegCreateKeyEx below a handle opened with "
                    "KEY_QUERY_VALUE alone succeeded (Windows gives 5)";
  }
  EXPECT_EQ(os::kErrorAccessDenied, code);
}

// Windows refuses a sub key that begins with a backslash (ERROR_BAD_PATHNAME); the callers
// strip it first, and FakeRegistry gives the same code.
TEST_F(Win32RegistryTest, LeadingBackslashIsABadPathname) {
  os::RegKey out = 0;
  const std::int32_t code =
      os::Registry().OpenKeyEx(ToRegKey(scratch_.root()), "\\" + scratch_.path(), os::kKeyRead, out);
  std::printf("RegOpenKeyExA with a leading backslash gave %d\n", code);
  if (code == os::kErrorSuccess) os::Registry().CloseKey(out);
  EXPECT_EQ(os::kErrorBadPathname, code);
}

TEST(Win32RegistryKeys, PredefinedKeysAreTheSystemsHandles) {
  EXPECT_EQ(os::kHKeyClassesRoot, ToRegKey(HKEY_CLASSES_ROOT));
  EXPECT_EQ(os::kHKeyCurrentUser, ToRegKey(HKEY_CURRENT_USER));
  EXPECT_EQ(os::kHKeyLocalMachine, ToRegKey(HKEY_LOCAL_MACHINE));
  EXPECT_EQ(os::kHKeyUsers, ToRegKey(HKEY_USERS));
  EXPECT_EQ(os::kHKeyCurrentConfig, ToRegKey(HKEY_CURRENT_CONFIG));
  // A predefined key is usable as it stands.
  os::RegKey key = 0;
  ASSERT_EQ(os::kErrorSuccess, os::Registry().OpenKeyEx(os::kHKeyLocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
                                                        os::kKeyQueryValue, key));
  std::uint32_t size = 0;
  EXPECT_EQ(os::kErrorSuccess, os::Registry().QueryValueEx(key, "CurrentVersion", nullptr, nullptr, &size));
  os::Registry().CloseKey(key);
}

// A 32-bit process on 64-bit Windows: HKLM\SOFTWARE is redirected to Wow6432Node unless
// KEY_WOW64_64KEY is asked for; SOFTWARE\Policies is one key for both views.
TEST(Win32RegistryViews, ThirtyTwoBitProcessSeesTheRedirectedView) {
  BOOL wow64 = FALSE;
  ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &wow64));
  ASSERT_TRUE(wow64) << "the tests run as a 32-bit process in a 64-bit prefix";

  const std::string name = winetest::UniqueName();
  struct Write {
    std::string path;
    std::uint32_t view;
    REGSAM cleanupView;
  };
  const Write writes[] = {
      {"SOFTWARE\\" + name + "-64", os::kKeyWow64_64Key, KEY_WOW64_64KEY},
      {"SOFTWARE\\" + name + "-default", 0, KEY_WOW64_32KEY},
      {"SOFTWARE\\Policies\\" + name + "-policy", 0, KEY_WOW64_64KEY},
      {"SOFTWARE\\Policies\\" + name + "-policy64", os::kKeyWow64_64Key, KEY_WOW64_64KEY},
  };
  struct Cleanup {
    Cleanup(std::wstring keyPath, REGSAM keyView) : path(std::move(keyPath)), view(keyView) {}
    ~Cleanup() { RegDeleteKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), view, 0); }
    Cleanup(const Cleanup&) = delete;
    Cleanup& operator=(const Cleanup&) = delete;
    std::wstring path;
    REGSAM view;
  };
  std::vector<std::unique_ptr<Cleanup>> cleanups;
  for (const auto& write : writes) {
    os::RegKey key = 0;
    ASSERT_EQ(os::kErrorSuccess, os::Registry().CreateKeyEx(os::kHKeyLocalMachine, write.path,
                                                            os::kKeyAllAccess | write.view, key, nullptr))
        << write.path;
    cleanups.push_back(std::make_unique<Cleanup>(Utf8ToWide(write.path), write.cleanupView));
    const std::uint32_t value = 7;
    EXPECT_EQ(os::kErrorSuccess,
              os::Registry().SetValueEx(key, "V", os::kRegDword, reinterpret_cast<const std::uint8_t*>(&value), 4));
    os::Registry().CloseKey(key);
  }

  struct Read {
    const char* label;
    std::string path;
    std::uint32_t view;
    std::int32_t expected;
  };
  const Read reads[] = {
      {"64-bit key, default view", "SOFTWARE\\" + name + "-64", 0, os::kErrorFileNotFound},
      {"64-bit key, 64-bit view", "SOFTWARE\\" + name + "-64", os::kKeyWow64_64Key, os::kErrorSuccess},
      {"default key, 64-bit view", "SOFTWARE\\" + name + "-default", os::kKeyWow64_64Key, os::kErrorFileNotFound},
      {"default key under Wow6432Node", "SOFTWARE\\Wow6432Node\\" + name + "-default", os::kKeyWow64_64Key,
       os::kErrorSuccess},
      {"default key, default view", "SOFTWARE\\" + name + "-default", 0, os::kErrorSuccess},
      {"policy key, 64-bit view", "SOFTWARE\\Policies\\" + name + "-policy", os::kKeyWow64_64Key, os::kErrorSuccess},
      {"64-bit policy key, default view", "SOFTWARE\\Policies\\" + name + "-policy64", 0, os::kErrorSuccess},
  };
  for (const auto& read : reads) {
    os::RegKey key = 0;
    const std::int32_t code = os::Registry().OpenKeyEx(os::kHKeyLocalMachine, read.path, os::kKeyRead | read.view, key);
    EXPECT_EQ(read.expected, code) << read.label;
    if (code != os::kErrorSuccess) continue;
    std::uint32_t value = 0;
    std::uint32_t size = sizeof(value);
    EXPECT_EQ(os::kErrorSuccess, os::Registry().QueryValueEx(key, "V", nullptr, reinterpret_cast<std::uint8_t*>(&value), &size));
    EXPECT_EQ(7u, value) << read.label;
    os::Registry().CloseKey(key);
  }
}

// TMyRegistry::OpenKeyReadOnly asks for less and less until a key opens. Which try opened the
// key shows in what the handle may do: enumerate (second try and better), notify (first).
class OpenKeyReadOnlyTest : public testing::Test {
 protected:
  ScratchKey scratch_{HKEY_CURRENT_USER, "Software"};
};

TEST_F(OpenKeyReadOnlyTest, FallsBackToTheRightsTheKeyGrants) {
  struct Case {
    const char* label;
    const wchar_t* sddl;
    bool opens;
    std::int32_t lastError;
    bool canEnumerate;
    bool canNotify;
  };
  const Case cases[] = {
      {"everything granted: first try", L"D:P(A;OICI;KA;;;WD)", true, 0, true, true},
      {"READ_CONTROL|KEY_ENUMERATE_SUB_KEYS|KEY_QUERY_VALUE: second try", L"D:P(A;;0x20009;;;WD)", true, 0, true,
       false},
      {"KEY_QUERY_VALUE alone: third try", L"D:P(A;;0x1;;;WD)", true, 0, false, false},
      {"nothing granted", L"D:P", false, os::kErrorAccessDenied, false, false},
  };
  int index = 0;
  for (const auto& c : cases) {
    const std::string name = "key" + std::to_string(index++);
    scratch_.CreateChild(name);
    scratch_.CreateChild(name + "\\child");
    scratch_.RestrictChild(name, c.sddl);
  }

  // Wine's registry may not look at access lists at all; then there is nothing to test.
  {
    os::win32::UniqueRegKey probe;
    const LONG code = RegOpenKeyExW(scratch_.root(), Utf8ToWide(scratch_.Child("key2")).c_str(), 0, KEY_READ,
                                    probe.Put());
    if (code == ERROR_SUCCESS) {
      GTEST_SKIP() << "Wine does not enforce registry key access lists: RegOpenKeyEx(KEY_READ) of a key "
                      "granting only KEY_QUERY_VALUE succeeded";
    }
    ASSERT_EQ(ERROR_ACCESS_DENIED, code);
  }

  index = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    const std::string name = "key" + std::to_string(index++);
    TMyRegistry registry;
    registry.SetRootKey(os::kHKeyCurrentUser);
    EXPECT_EQ(c.opens, registry.OpenKeyReadOnly("\\" + scratch_.Child(name)));
    EXPECT_EQ(c.lastError, registry.LastError());
    if (!c.opens) continue;
    const HKEY key = reinterpret_cast<HKEY>(registry.CurrentKey());
    wchar_t child[64];
    DWORD length = 64;
    const LONG enumerated = RegEnumKeyExW(key, 0, child, &length, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(c.canEnumerate, enumerated == ERROR_SUCCESS) << "RegEnumKeyEx gave " << enumerated;
    os::win32::UniqueKernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const LONG notified = RegNotifyChangeKeyValue(key, FALSE, REG_NOTIFY_CHANGE_LAST_SET, event.Get(), TRUE);
    EXPECT_EQ(c.canNotify, notified == ERROR_SUCCESS) << "RegNotifyChangeKeyValue gave " << notified;
  }
}

}  // namespace
