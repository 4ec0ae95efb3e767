// The service control functions, the service immunizer kind and the display-name lookup
// against Wine's Service Control Manager: a test service built beside this program is
// installed under a unique name for each test and deleted again afterwards.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "engine/tvqmVorletsBaseServices.h"
#include "engine/tvqmVorletsMicrosoftWindowsOptional.h"
#include "platform/bmrServices.h"
#include "platform/os/win32/Text.h"
#include "tests/wine/WineTestSupport.h"

namespace {

using os::win32::Utf8ToWide;
using os::win32::WideToUtf8;

struct ScHandleTraits {
  using Handle = SC_HANDLE;
  static Handle Empty() noexcept { return nullptr; }
  static bool IsOwned(Handle handle) noexcept { return handle != nullptr; }
  static void Close(Handle handle) noexcept { CloseServiceHandle(handle); }
};
template <class Traits>
class Owned {
 public:
  explicit Owned(typename Traits::Handle handle = Traits::Empty()) : handle_(handle) {}
  ~Owned() {
    if (Traits::IsOwned(handle_)) Traits::Close(handle_);
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  typename Traits::Handle Get() const { return handle_; }
  explicit operator bool() const { return Traits::IsOwned(handle_); }

 private:
  typename Traits::Handle handle_;
};
using ScOwned = Owned<ScHandleTraits>;

// The folder of this program, where the build puts the test service and the string library.
std::wstring OwnFolder() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L"\\/"));
}

DWORD StateOf(const std::string& name) {
  ScOwned manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  ScOwned service(OpenServiceW(manager.Get(), Utf8ToWide(name).c_str(), SERVICE_QUERY_STATUS));
  SERVICE_STATUS status{};
  if (!service || !QueryServiceStatus(service.Get(), &status)) return 0;
  return status.dwCurrentState;
}

DWORD StartTypeOf(const std::string& name, std::wstring* binaryPath = nullptr) {
  ScOwned manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  ScOwned service(OpenServiceW(manager.Get(), Utf8ToWide(name).c_str(), SERVICE_QUERY_CONFIG));
  std::vector<std::uint64_t> buffer(8192 / 8);
  auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
  DWORD needed = 0;
  if (!service || !QueryServiceConfigW(service.Get(), config, 8192, &needed)) return 0xFFFFFFFF;
  if (binaryPath != nullptr) *binaryPath = config->lpBinaryPathName;
  return config->dwStartType;
}

// Waits until the service reaches the state; false after the time limit.
bool WaitForState(const std::string& name, DWORD state, DWORD milliseconds = 60000) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  while (StateOf(name) != state) {
    if (GetTickCount64() > end) return false;
    Sleep(100);
  }
  return true;
}

// The test service installed under a unique name (demand start, stopped), stopped and deleted
// when the test ends.
class InstalledService : public testing::Test {
 protected:
  void SetUp() override {
    const std::wstring exe = OwnFolder() + L"\\tvqm_test_service.exe";
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(exe.c_str()))
        << WideToUtf8(exe) << " is built with the tests";
    name_ = NameToInstall();
    ScOwned manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    ASSERT_TRUE(manager) << "OpenSCManagerW: " << GetLastError();
    binaryPath_ = L"\"" + exe + L"\"";
    ScOwned service(CreateServiceW(manager.Get(), Utf8ToWide(name_).c_str(), L"Tolvex test service", SERVICE_ALL_ACCESS,
                                   SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                   binaryPath_.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(service) << "CreateServiceW: " << GetLastError();
    installed_ = true;
  }

  void TearDown() override {
    if (!installed_) return;
    ScOwned manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    {
      ScOwned service(OpenServiceW(manager.Get(), Utf8ToWide(name_).c_str(), SERVICE_ALL_ACCESS));
      SERVICE_STATUS status{};
      if (QueryServiceStatus(service.Get(), &status) && status.dwCurrentState != SERVICE_STOPPED) {
        ControlService(service.Get(), SERVICE_CONTROL_STOP, &status);
        EXPECT_TRUE(WaitForState(name_, SERVICE_STOPPED)) << name_ << " did not stop";
      }
      EXPECT_TRUE(DeleteService(service.Get())) << "DeleteService: " << GetLastError();
    }
    // A deleted service can still be opened for a moment.
    const ULONGLONG end = GetTickCount64() + 30000;
    for (;;) {
      ScOwned again(OpenServiceW(manager.Get(), Utf8ToWide(name_).c_str(), SERVICE_QUERY_STATUS));
      if (!again && GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST) break;
      if (GetTickCount64() > end) {
        ADD_FAILURE() << name_ << " is still there after DeleteService";
        break;
      }
      Sleep(100);
    }
  }

  virtual std::string NameToInstall() { return winetest::UniqueName(); }

  // The service, started, is stopped and disabled by Immunize and set to automatic start and
  // started again by Remove, without a message; the immunizer lists it alone.
  void StartThenImmunizeAndRemove(TWindows10Immunization& immunizer) {
    std::vector<std::string> messages;
    immunizer.OnLog = [&](TWindows10Immunization&, TImmunizationLogLevel level, const std::string& msg) {
      messages.push_back(std::to_string(level) + ": " + msg);
    };
    std::uint32_t error = 0;
    ASSERT_TRUE(bmrServiceStart(name_, error)) << error;
    ASSERT_TRUE(WaitForState(name_, SERVICE_RUNNING));
    EXPECT_EQ(1, immunizer.GetCount());
    EXPECT_EQ(0, immunizer.GetImmunizedCount());

    immunizer.Immunize();
    EXPECT_EQ(static_cast<DWORD>(SERVICE_DISABLED), StartTypeOf(name_));
    EXPECT_TRUE(WaitForState(name_, SERVICE_STOPPED)) << "state " << StateOf(name_);
    EXPECT_EQ(1, immunizer.GetImmunizedCount());

    immunizer.Remove();
    EXPECT_EQ(static_cast<DWORD>(SERVICE_AUTO_START), StartTypeOf(name_));
    EXPECT_TRUE(WaitForState(name_, SERVICE_RUNNING)) << "state " << StateOf(name_);
    EXPECT_EQ(0, immunizer.GetImmunizedCount());
    EXPECT_EQ(std::vector<std::string>{}, messages);
    immunizer.OnLog = nullptr;
  }

  std::string name_;
  std::wstring binaryPath_;
  bool installed_ = false;
};

TEST_F(InstalledService, TheFiveFunctionsDisableEnableStartAndStopIt) {
  std::uint32_t error = 0xDEADBEEF;
  EXPECT_FALSE(bmrServiceRunning(name_, error));
  EXPECT_EQ(0xDEADBEEFu, error);

  TServiceConfig config;
  ASSERT_TRUE(bmrServiceConfig(name_, config, error)) << error;
  EXPECT_EQ(0u, error);
  EXPECT_EQ(static_cast<std::uint32_t>(SERVICE_WIN32_OWN_PROCESS), config.serviceType);
  EXPECT_EQ(static_cast<std::uint32_t>(SERVICE_DEMAND_START), config.startType);
  EXPECT_EQ(static_cast<std::uint32_t>(SERVICE_ERROR_NORMAL), config.errorControl);
  EXPECT_EQ("", config.binaryPathName) << "only the numbers are kept";

  EXPECT_TRUE(bmrServiceStop(name_, error)) << "a stopped service needs no stop";
  EXPECT_EQ(0u, error);

  config.startType = SERVICE_DISABLED;
  config.serviceType = SERVICE_WIN32_SHARE_PROCESS;
  ASSERT_TRUE(bmrServiceChangeConfig(name_, config, error)) << error;
  std::wstring path;
  EXPECT_EQ(static_cast<DWORD>(SERVICE_DISABLED), StartTypeOf(name_, &path));
  EXPECT_EQ(binaryPath_, path) << "nothing else changed";
  EXPECT_FALSE(bmrServiceStart(name_, error));
  EXPECT_EQ(static_cast<std::uint32_t>(ERROR_SERVICE_DISABLED), error);

  config.startType = SERVICE_AUTO_START;
  ASSERT_TRUE(bmrServiceChangeConfig(name_, config, error)) << error;
  EXPECT_EQ(static_cast<DWORD>(SERVICE_AUTO_START), StartTypeOf(name_));
  ASSERT_TRUE(bmrServiceStart(name_, error)) << error;
  ASSERT_TRUE(WaitForState(name_, SERVICE_RUNNING)) << "state " << StateOf(name_);
  EXPECT_TRUE(bmrServiceRunning(name_));
  EXPECT_TRUE(bmrServiceStart(name_, error)) << "a running service needs no start";
  EXPECT_EQ(0u, error);

  ASSERT_TRUE(bmrServiceStop(name_, error)) << error;
  EXPECT_TRUE(WaitForState(name_, SERVICE_STOPPED)) << "state " << StateOf(name_);
  EXPECT_FALSE(bmrServiceRunning(name_));
}

TEST(Win32Services, AMissingServiceGives1060AndTheSizeQueryGives122) {
  const std::string missing = winetest::UniqueName();
  std::uint32_t error = 0;
  EXPECT_FALSE(bmrServiceRunning(missing, error));
  EXPECT_EQ(static_cast<std::uint32_t>(ERROR_SERVICE_DOES_NOT_EXIST), error);
  TServiceConfig config;
  EXPECT_FALSE(bmrServiceConfig(missing, config, error));
  EXPECT_EQ(static_cast<std::uint32_t>(ERROR_SERVICE_DOES_NOT_EXIST), error);
  EXPECT_FALSE(bmrServiceStart(missing, error));
  EXPECT_EQ(static_cast<std::uint32_t>(ERROR_SERVICE_DOES_NOT_EXIST), error);
  EXPECT_TRUE(bmrServiceStop(missing, error));
  EXPECT_EQ(static_cast<std::uint32_t>(ERROR_SERVICE_DOES_NOT_EXIST), error);

  // The seam itself: the first configuration call only reports the size it needs.
  auto& services = os::Services();
  const os::ScHandle manager = services.OpenManager({}, os::kGenericRead);
  ASSERT_NE(0u, manager) << services.LastError();
  const os::ScHandle spooler = services.OpenServiceByName(manager, "Spooler", os::kServiceQueryConfig);
  if (spooler == 0) {
    services.Close(manager);
    GTEST_SKIP() << "this prefix has no Spooler service: " << services.LastError();
  }
  std::uint32_t needed = 0;
  EXPECT_FALSE(services.QueryConfig(spooler, nullptr, 0, needed));
  EXPECT_EQ(os::kErrorInsufficientBuffer, services.LastError());
  EXPECT_GT(needed, static_cast<std::uint32_t>(sizeof(QUERY_SERVICE_CONFIGW)));
  os::ServiceConfig full;
  std::uint32_t again = 0;
  EXPECT_TRUE(services.QueryConfig(spooler, &full, needed, again)) << services.LastError();
  EXPECT_NE("", full.binaryPathName);
  EXPECT_TRUE(services.Close(spooler));
  EXPECT_TRUE(services.Close(manager));
}

// A service immunizer whose one service is the test service.
class TTestServiceImmunization final
    : public TImmunizationClass<TTestServiceImmunization, TCustomWindowsServicesImmunization> {
 public:
  static constexpr const char* kClassName = "TTestServiceImmunization";
  static std::string GetDisplayName() { return "Test service"; }
  TServiceSettings settings;
  TServiceSettings GetServiceSettings() override { return settings; }
};

// %TVQM_TEST_FOLDER% stands for this program's folder while the object lives.
class TestFolderVariable {
 public:
  TestFolderVariable() { SetEnvironmentVariableW(L"TVQM_TEST_FOLDER", OwnFolder().c_str()); }
  ~TestFolderVariable() { SetEnvironmentVariableW(L"TVQM_TEST_FOLDER", nullptr); }
};

TEST_F(InstalledService, AnImmunizerStopsAndDisablesItThenEnablesAndStartsIt) {
  TestFolderVariable folder;
  TTestServiceImmunization immunizer;
  immunizer.settings = {{name_, "@%TVQM_TEST_FOLDER%\\tvqm_test_strings.dll,-3001", ""}};
  StartThenImmunizeAndRemove(immunizer);
  EXPECT_EQ("Service: Tolvex Test Telemetry Service (" + name_ + ")", immunizer.GetDetailsText());
}

// Wine has no Remote Registry service: the test service stands in for it under its name, and
// the optional immunizer runs on it as it stands.
class StandInRemoteRegistry : public InstalledService {
 protected:
  void SetUp() override {
    ScOwned manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    ScOwned existing(OpenServiceW(manager.Get(), L"RemoteRegistry", SERVICE_QUERY_STATUS));
    if (existing) GTEST_SKIP() << "this system has a Remote Registry service of its own, which the test leaves alone";
    InstalledService::SetUp();
  }
  std::string NameToInstall() override { return "RemoteRegistry"; }
};

TEST_F(StandInRemoteRegistry, TheOptionalImmunizerStopsAndDisablesItThenStartsItAgain) {
  TWindows10RemoteRegistryServicesImmunization immunizer;
  StartThenImmunizeAndRemove(immunizer);
}

// Wine has no OneDrive sync services either: both count as in place, each count says why.
TEST(Win32Services, TheOneDriveImmunizerCountsMissingSyncServicesAsInPlace) {
  TWindows10OneDriveServicesImmunization immunizer;
  std::vector<std::string> messages;
  immunizer.OnLog = [&](TWindows10Immunization&, TImmunizationLogLevel level, const std::string& msg) {
    messages.push_back(std::to_string(level) + ": " + msg);
  };
  for (const char* name : {"OneSyncSvc", "OneSyncSvc_Session1"}) {
    ScOwned manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    ScOwned existing(OpenServiceW(manager.Get(), Utf8ToWide(name).c_str(), SERVICE_QUERY_STATUS));
    if (existing) GTEST_SKIP() << "this system has " << name << ", which the test leaves alone";
  }
  EXPECT_EQ(2, immunizer.GetCount());
  EXPECT_EQ(2, immunizer.GetImmunizedCount());
  ASSERT_EQ(2u, messages.size());
  EXPECT_EQ(0u, messages[0].rfind("2: Unable to read status for service \"OneSyncSvc\" (error 1060: ", 0)) << messages[0];
  EXPECT_EQ(0u, messages[1].rfind("2: Unable to read status for service \"OneSyncSvc_Session1\" (error 1060: ", 0))
      << messages[1];
}

TEST(SolveLibrary, ReadsTheStringTableOfALibraryLoadedAsData) {
  TestFolderVariable folder;
  const std::string library = WideToUtf8(OwnFolder()) + "\\tvqm_test_strings.dll";
  ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(Utf8ToWide(library).c_str())) << library;
  EXPECT_EQ("Tolvex Test Telemetry Service", TServiceSetting::SolveLibrary("@" + library + ",-3001"));
  EXPECT_EQ("Collects nothing and sends nothing.",
            TServiceSetting::SolveLibrary("@%TVQM_TEST_FOLDER%\\tvqm_test_strings.dll,3002"));
  EXPECT_EQ("Grüße aus dem Dienst", TServiceSetting::SolveLibrary("@" + library + ",-3003")) << "UTF-16 to UTF-8";
  EXPECT_EQ("", TServiceSetting::SolveLibrary("@" + library + ",-3999")) << "no such string";
  EXPECT_EQ("", TServiceSetting::SolveLibrary("@%TVQM_TEST_FOLDER%\\missing.dll,-3001"));
}

// A 32-bit process on 64-bit Windows: the indirect names point into the real system folder,
// which the process itself sees as SysWOW64.
TEST(SolveLibrary, ReadsALibraryOfTheRealSystemFolder) {
  BOOL wow64 = FALSE;
  ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &wow64));
  if (!wow64) GTEST_SKIP() << "not a WOW64 process: there is no redirected system folder";
  wchar_t windows[MAX_PATH];
  ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
  const std::string name = winetest::UniqueName() + ".dll";
  const std::wstring native = std::wstring(windows) + L"\\Sysnative\\" + Utf8ToWide(name);
  const std::wstring source = OwnFolder() + L"\\tvqm_test_strings.dll";
  ASSERT_TRUE(CopyFileW(source.c_str(), native.c_str(), TRUE)) << GetLastError();
  const std::wstring redirected = std::wstring(windows) + L"\\system32\\" + Utf8ToWide(name);
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(redirected.c_str())) << "only in the real folder";

  EXPECT_EQ("Tolvex Test Telemetry Service",
            TServiceSetting::SolveLibrary("@%SystemRoot%\\system32\\" + name + ",-3001"));
  EXPECT_TRUE(DeleteFileW(native.c_str())) << GetLastError();
}

}  // namespace
