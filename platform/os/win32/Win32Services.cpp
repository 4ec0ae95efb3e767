#include "platform/os/win32/Win32Services.h"

#include <windows.h>

#include <cwchar>
#include <optional>
#include <vector>

#include "platform/os/win32/Text.h"

namespace os::win32 {

namespace {

// The code of the last failed call, taken right after it: the conversions and frees that
// follow a call may touch the thread's last error.
thread_local std::uint32_t t_lastError = 0;

template <class Result>
Result Checked(Result result) {
  if (!result) t_lastError = GetLastError();
  return result;
}

SC_HANDLE ToScHandle(ScHandle handle) { return reinterpret_cast<SC_HANDLE>(handle); }
ScHandle FromScHandle(SC_HANDLE handle) { return reinterpret_cast<ScHandle>(handle); }

void CopyStatus(const SERVICE_STATUS& from, ServiceStatus& to) {
  to.serviceType = from.dwServiceType;
  to.currentState = from.dwCurrentState;
  to.controlsAccepted = from.dwControlsAccepted;
  to.win32ExitCode = from.dwWin32ExitCode;
  to.serviceSpecificExitCode = from.dwServiceSpecificExitCode;
  to.checkPoint = from.dwCheckPoint;
  to.waitHint = from.dwWaitHint;
}

std::string TextOf(const wchar_t* text) { return text == nullptr ? std::string() : WideToUtf8(text); }

// A zero-separated list that ends with an empty name.
std::string ListOf(const wchar_t* list) {
  if (list == nullptr) return {};
  const wchar_t* end = list;
  while (*end != L'\0') end += wcslen(end) + 1;
  return WideToUtf8(std::wstring_view(list, static_cast<std::size_t>(end - list)));
}

// An optional text argument: null stays null (no change).
struct WideArgument {
  explicit WideArgument(const std::string* text) {
    if (text != nullptr) value = Utf8ToWide(*text);
  }
  LPCWSTR Get() const { return value ? value->c_str() : nullptr; }
  std::optional<std::wstring> value;
};

}  // namespace

ScHandle Win32Services::OpenManager(const std::string& machineName, std::uint32_t desiredAccess) {
  const std::string machine = Utf8ToAnsi(machineName);
  return FromScHandle(Checked(OpenSCManagerA(machineName.empty() ? nullptr : machine.c_str(), nullptr, desiredAccess)));
}

ScHandle Win32Services::OpenServiceByName(ScHandle manager, const std::string& serviceName,
                                          std::uint32_t desiredAccess) {
  const std::wstring name = Utf8ToWide(serviceName);
  return FromScHandle(Checked(OpenServiceW(ToScHandle(manager), name.c_str(), desiredAccess)));
}

bool Win32Services::QueryStatus(ScHandle service, ServiceStatus& status) {
  SERVICE_STATUS record{};
  if (!Checked(QueryServiceStatus(ToScHandle(service), &record))) return false;
  CopyStatus(record, status);
  return true;
}

bool Win32Services::QueryConfig(ScHandle service, ServiceConfig* config, std::uint32_t bufferSize,
                                std::uint32_t& bytesNeeded) {
  // The record and its texts in one block, aligned for the record.
  std::vector<std::uint64_t> buffer((bufferSize + sizeof(std::uint64_t) - 1) / sizeof(std::uint64_t));
  auto* record =
      config == nullptr || buffer.empty() ? nullptr : reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
  DWORD needed = 0;
  const BOOL ok =
      Checked(QueryServiceConfigW(ToScHandle(service), record, record == nullptr ? 0 : bufferSize, &needed));
  bytesNeeded = needed;
  if (!ok) return false;
  config->serviceType = record->dwServiceType;
  config->startType = record->dwStartType;
  config->errorControl = record->dwErrorControl;
  config->binaryPathName = TextOf(record->lpBinaryPathName);
  config->loadOrderGroup = TextOf(record->lpLoadOrderGroup);
  config->tagId = record->dwTagId;
  config->dependencies = ListOf(record->lpDependencies);
  config->serviceStartName = TextOf(record->lpServiceStartName);
  config->displayName = TextOf(record->lpDisplayName);
  return true;
}

bool Win32Services::ChangeConfig(ScHandle service, std::uint32_t serviceType, std::uint32_t startType,
                                 std::uint32_t errorControl, const std::string* binaryPathName,
                                 const std::string* loadOrderGroup, std::uint32_t* tagId,
                                 const std::string* dependencies, const std::string* serviceStartName,
                                 const std::string* password, const std::string* displayName) {
  const WideArgument binary(binaryPathName), group(loadOrderGroup), account(serviceStartName), secret(password),
      display(displayName);
  // Dependencies are a zero-separated list ending in an empty name: keep the zeros and add the end.
  std::optional<std::wstring> list;
  if (dependencies != nullptr) list = Utf8ToWide(*dependencies) + std::wstring(2, L'\0');
  DWORD tag = tagId != nullptr ? *tagId : 0;
  const BOOL ok = Checked(ChangeServiceConfigW(
      ToScHandle(service), serviceType, startType, errorControl, binary.Get(), group.Get(),
      tagId != nullptr ? &tag : nullptr, list ? list->c_str() : nullptr, account.Get(), secret.Get(), display.Get()));
  if (ok && tagId != nullptr) *tagId = tag;
  return ok != FALSE;
}

bool Win32Services::StartWithoutArguments(ScHandle service) {
  return Checked(StartServiceW(ToScHandle(service), 0, nullptr)) != FALSE;
}

bool Win32Services::Control(ScHandle service, std::uint32_t control, ServiceStatus& status) {
  SERVICE_STATUS record{};
  if (!Checked(ControlService(ToScHandle(service), control, &record))) return false;
  CopyStatus(record, status);
  return true;
}

bool Win32Services::Close(ScHandle handle) { return Checked(CloseServiceHandle(ToScHandle(handle))) != FALSE; }

std::uint32_t Win32Services::LastError() { return t_lastError; }

}  // namespace os::win32
