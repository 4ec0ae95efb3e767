#include "platform/bmrWindows.h"

#include <string>
#include <vector>

#include "platform/os/Registry.h"

TOperatingSystems CurrentOperatingSystems;

namespace {

constexpr std::int64_t kAnyBuild = -1;

struct VersionRow {
  std::uint32_t major;
  std::uint32_t minor;
  std::int64_t build;  // kAnyBuild: every build not named by an earlier row
  TOperatingSystems members;
};

// First match wins, so the rows naming a build come before the catch-all of their version.
// Minor versions 10 and 90 of major 4 are rows of their own, not 1 and 9.
const VersionRow kVersionTable[] = {
    {3, 51, kAnyBuild, {osWinNTSeries, osWinNT351}},
    {4, 0, 950, {osWin40, osWin9xSeries, osWin95Series, osWin95}},
    {4, 0, 1111, {osWin40, osWin9xSeries, osWin95Series, osWin952}},
    {4, 0, 1212, {osWin40, osWin9xSeries, osWin95Series, osWin9525}},
    {4, 0, 1381, {osWin40, osWinNTSeries, osWinNT40}},
    {4, 0, kAnyBuild, {osWin40}},
    {4, 1, 1998, {osWin41, osWin9xSeries, osWin98Series, osWin98}},
    {4, 1, 2222, {osWin41, osWin9xSeries, osWin98Series, osWin98SE}},
    {4, 1, kAnyBuild, {osWin41}},
    {4, 9, 3000, {osWin49, osWin9xSeries, osWinME}},
    {4, 9, kAnyBuild, {osWin49}},
    {4, 10, kAnyBuild, {osWin9xSeries, osWin98Series, osWin98}},
    {4, 90, kAnyBuild, {osWin9xSeries, osWinME}},
    {5, 0, kAnyBuild, {osWinNTSeries, osWin2000}},
    {5, 1, kAnyBuild, {osWinNTSeries, osWinXPSeries, osWinXP32}},
    {5, 2, 3790, {osWinNTSeries, osWin2003Series, osWinXPSeries, osWinXP64}},
    {5, 2, kAnyBuild, {osWinNTSeries, osWin2003Series, osWin2003}},
    {6, 0, kAnyBuild, {osWinNTSeries, osVista}},
    {6, 1, kAnyBuild, {osWinNTSeries, osWindows7}},
    {6, 2, kAnyBuild, {osWinNTSeries, osWindows8}},
    {6, 3, kAnyBuild, {osWinNTSeries, osWindows81}},
    {10, 0, kAnyBuild, {osWinNTSeries, osWindows10}},
};

// The text of the REG_SZ "CurrentVersion", or empty when it is missing, unreadable or of
// another type.
std::string RegistryCurrentVersion() {
  os::IRegistry& registry = os::Registry();
  os::RegKey key = 0;
  if (registry.OpenKey(os::kHKeyLocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", key) !=
      os::kErrorSuccess) {
    return {};
  }
  std::string text;
  std::uint32_t type = os::kRegNone;
  std::uint32_t size = 0;
  if (registry.QueryValueEx(key, "CurrentVersion", &type, nullptr, &size) == os::kErrorSuccess &&
      type == os::kRegSz && size > 0) {
    std::vector<std::uint8_t> buffer(size);
    if (registry.QueryValueEx(key, "CurrentVersion", &type, buffer.data(), &size) == os::kErrorSuccess &&
        type == os::kRegSz) {
      text.assign(buffer.begin(), buffer.begin() + size);
      const auto end = text.find('\0');
      if (end != std::string::npos) text.resize(end);
    }
  }
  registry.CloseKey(key);
  return text;
}

}  // namespace

TOperatingSystems DetectOperatingSystem(os::OsVersionInfo& version) {
  if (RegistryCurrentVersion() == "6.3" && version.majorVersion < 10) {
    version.majorVersion = 6;
    version.minorVersion = 3;
  }
  for (const VersionRow& row : kVersionTable) {
    if (row.major == version.majorVersion && row.minor == version.minorVersion &&
        (row.build == kAnyBuild || row.build == version.buildNumber)) {
      return row.members;
    }
  }
  return {};
}

void InitializeBmrWindows() {
  os::OsVersionInfo version;
  os::System().VersionInfo(version);
  CurrentOperatingSystems = DetectOperatingSystem(version);
}
