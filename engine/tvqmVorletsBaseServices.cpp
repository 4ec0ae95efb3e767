#include "engine/tvqmVorletsBaseServices.h"

#include <cstdlib>
#include <exception>
#include <limits>

#include "platform/bmrDebug.h"
#include "platform/bmrServices.h"
#include "platform/os/Library.h"
#include "platform/os/System.h"
#include "platform/rtlRegistry.h"
#include "platform/rtlResStrings.h"
#include "platform/rtlSysUtils.h"

namespace {

const rtl::ResourceString rslogerrorservicestatusread{"rslogerrorservicestatusread",
                                                      "Unable to read status for service \"%0:s\" (error %1:d: %2:s)."};
const rtl::ResourceString rslogerrorservicestop{"rslogerrorservicestop",
                                                "Unable to stop service \"%0:s\" (error %1:d: %2:s)."};
const rtl::ResourceString rslogerrorservicestatusset{
    "rslogerrorservicestatusset", "Unable to set new status for service \"%0:s\" (error %1:d: %2:s)."};
const rtl::ResourceString rslogexceptionservicestatusset{
    "rslogexceptionservicestatusset", "Unable to set new status for service \"%0:s\" via registry (exception %1:s)."};
const rtl::ResourceString rslogerrorservicestart{"rslogerrorservicestart",
                                                 "Unable to start service \"%0:s\" (error %1:d: %2:s)."};
const rtl::ResourceString rsdisplaytextservicedefinitionsimple{"rsdisplaytextservicedefinitionsimple", "Service: %0:s"};
const rtl::ResourceString rsdisplaytextservicedefinition{"rsdisplaytextservicedefinition", "Service: %0:s (%1:s)"};

constexpr std::int32_t kStringBufferChars = 512;
// String resources are numbered in 16 bits; a larger number would name another string.
constexpr std::int64_t kLargestStringId = 0xFFFF;

// A message about one service with the error code and the system's text for it.
std::string ErrorMessage(const rtl::ResourceString& format, const std::string& name, std::uint32_t code) {
  return rtl::Format(rtl::LoadResString(format),
                     {name, std::int64_t{code}, rtl::Trim(os::System().SystemMessageText(code))});
}

// A decimal integer with an optional sign, nothing else; false for anything else or overflow.
bool ParseInteger(const std::string& text, std::int64_t& value) {
  std::size_t at = 0;
  bool negative = false;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
  if (at == text.size()) return false;
  std::int64_t result = 0;
  for (; at < text.size(); ++at) {
    if (text[at] < '0' || text[at] > '9') return false;
    result = result * 10 + (text[at] - '0');
    if (result > std::numeric_limits<std::int32_t>::max()) return false;
  }
  value = negative ? -result : result;
  return true;
}

// A library loaded for one lookup, unloaded when it ends.
class LoadedLibrary {
 public:
  explicit LoadedLibrary(const std::string& path)
      : module_(os::Library().LoadModuleEx(path, os::kLoadLibraryAsDatafile)) {}
  ~LoadedLibrary() {
    if (module_ != 0) os::Library().ReleaseModule(module_);
  }
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;
  os::ModuleHandle Get() const { return module_; }

 private:
  os::ModuleHandle module_;
};

}  // namespace

bool IsWindows10OrLater() {
  os::OsVersionInfo version;
  if (!os::System().VersionInfo(version)) return false;
  return version.majorVersion >= 10;
}

// --- TServiceSetting ---------------------------------------------------------------------------

std::string TServiceSetting::ExpandEnvironmentString(const std::string& text) {
  return os::System().ExpandEnvironment(text);
}

std::string TServiceSetting::SolveLibrary(const std::string& text) {
  if (text.empty() || text.front() != '@') return text;
  try {
    const std::string reference = text.substr(1);
    const std::size_t comma = reference.find(',');
    if (comma == std::string::npos) return {};
    const std::string path = ExpandEnvironmentString(reference.substr(0, comma));
    std::int64_t number = 0;
    if (!ParseInteger(reference.substr(comma + 1), number) || number == 0) return {};
    const std::int64_t id = std::llabs(number);
    if (id > kLargestStringId) return {};
    LoadedLibrary library(path);
    if (library.Get() == 0) return {};
    std::string resolved;
    if (os::Library().LoadStringText(library.Get(), static_cast<std::uint32_t>(id), resolved, kStringBufferChars) > 0) {
      return resolved;
    }
    return {};
  } catch (const std::exception& error) {
    DebugLogger()->LogException(error, "TServiceSetting.DetailsText#SolveLibrary", 5);
    return {};
  }
}

std::string TServiceSetting::DetailsText() const {
  if (DisplayName.empty()) return rtl::Format(rtl::LoadResString(rsdisplaytextservicedefinitionsimple), {Name});
  return rtl::Format(rtl::LoadResString(rsdisplaytextservicedefinition), {SolveLibrary(DisplayName), Name});
}

// --- TCustomWindowsServicesImmunization --------------------------------------------------------

std::int32_t TCustomWindowsServicesImmunization::GetCount() {
  return static_cast<std::int32_t>(GetServiceSettings().size());
}

std::int32_t TCustomWindowsServicesImmunization::GetImmunizedCount() {
  std::int32_t count = 0;
  for (const auto& setting : GetServiceSettings()) count += IsServiceDisabled(setting.Name);
  return count;
}

void TCustomWindowsServicesImmunization::Immunize() {
  for (const auto& setting : GetServiceSettings()) DisableService(setting.Name);
}

void TCustomWindowsServicesImmunization::Remove() {
  for (const auto& setting : GetServiceSettings()) EnableService(setting.Name);
}

std::string TCustomWindowsServicesImmunization::GetDetailsText() {
  std::string text;
  for (const auto& setting : GetServiceSettings()) text += setting.DetailsText() + "\r\n";
  return rtl::Trim(text);
}

std::int32_t TCustomWindowsServicesImmunization::IsServiceDisabled(const std::string& name) {
  std::int32_t result = 1;
  if (bmrServiceRunning(name)) result = 0;
  TServiceConfig config;
  std::uint32_t error = 0;
  if (bmrServiceConfig(name, config, error)) {
    if (config.startType != os::kServiceDisabled) result = 0;
  } else {
    DoLog(ilInformation, ErrorMessage(rslogerrorservicestatusread, name, error));
  }
  return result;
}

void TCustomWindowsServicesImmunization::DisableService(const std::string& name) {
  std::uint32_t error = 0;
  // The stop request is sent; the service stops in its own time.
  if (bmrServiceRunning(name) && !bmrServiceStop(name, error)) {
    DoLog(ilInformation, ErrorMessage(rslogerrorservicestop, name, error));
  }
  TServiceConfig config;
  if (!bmrServiceConfig(name, config, error)) {
    DoLog(ilInformation, ErrorMessage(rslogerrorservicestatusread, name, error));
    return;
  }
  config.startType = os::kServiceDisabled;
  if (bmrServiceChangeConfig(name, config, error)) return;
  SetStartTypeInRegistry(name, os::kServiceDisabled, error);
}

void TCustomWindowsServicesImmunization::EnableService(const std::string& name) {
  std::uint32_t error = 0;
  TServiceConfig config;
  if (bmrServiceConfig(name, config, error)) {
    config.startType = os::kServiceAutoStart;
    if (!bmrServiceChangeConfig(name, config, error)) SetStartTypeInRegistry(name, os::kServiceAutoStart, error);
  } else {
    DoLog(ilInformation, ErrorMessage(rslogerrorservicestatusread, name, error));
  }
  if (!bmrServiceRunning(name) && !bmrServiceStart(name, error)) {
    DoLog(ilInformation, ErrorMessage(rslogerrorservicestart, name, error));
  }
}

void TCustomWindowsServicesImmunization::SetStartTypeInRegistry(const std::string& name, std::uint32_t startType,
                                                                std::uint32_t changeError) {
  try {
    TRegistry registry(os::kKeyAllAccess);
    registry.SetRootKey(os::kHKeyLocalMachine);
    // A key that cannot be opened leaves the start type as it was, unreported.
    if (registry.OpenKey("\\SYSTEM\\CurrentControlSet\\Services\\" + name, true)) {
      registry.WriteInteger("Start", static_cast<std::int32_t>(startType));
    }
  } catch (const std::exception& error) {
    DoLog(ilError, ErrorMessage(rslogerrorservicestatusset, name, changeError));
    DoLog(ilError, rtl::Format(rtl::LoadResString(rslogexceptionservicestatusset), {name, std::string(error.what())}));
  }
}
