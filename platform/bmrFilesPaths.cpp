#include "platform/bmrFilesPaths.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <string_view>

#include "platform/bmrDebug.h"
#include "platform/bmrFFMozillaProfiles.h"
#include "platform/bmrFilesPathsConfig.h"
#include "platform/os/Accounts.h"
#include "platform/os/Files.h"
#include "platform/os/Shell.h"
#include "platform/os/System.h"
#include "platform/rtlAsciiCase.h"
#include "platform/rtlSysUtils.h"

const char* const PathSourceNames[5] = {"CLSID", "WinAPI", "Environment", "Adjusted Copy", "Custom"};

TPathTemplates* PathTemplates = nullptr;

namespace {

using rtl::LowerAscii;
using rtl::LowerCaseAscii;

// Names compare as their lower-case forms: the table's order.
bool NameLess(std::string_view a, std::string_view b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    const auto ca = static_cast<unsigned char>(LowerAscii(a[i]));
    const auto cb = static_cast<unsigned char>(LowerAscii(b[i]));
    if (ca != cb) return ca < cb;
  }
  return a.size() < b.size();
}

bool SameName(std::string_view a, std::string_view b) { return rtl::SameTextAscii(a, b); }

// One trailing "\" or "/" goes.
std::string WithoutTrailingDelimiter(const std::string& value) {
  if (!value.empty() && (value.back() == '\\' || value.back() == '/')) return value.substr(0, value.size() - 1);
  return value;
}

// One trailing "\" goes (the runtime's ExcludeTrailingPathDelimiter).
std::string WithoutTrailingBackslash(const std::string& value) {
  if (!value.empty() && value.back() == '\\') return value.substr(0, value.size() - 1);
  return value;
}

// Every occurrence of pattern in text replaced, left to right; a replacement is not searched
// again.
std::string ReplaceAll(const std::string& text, const std::string& pattern, const std::string& replacement,
                       bool ignoreCase) {
  if (pattern.empty()) return text;
  const std::string haystack = ignoreCase ? LowerCaseAscii(text) : std::string();
  const std::string needle = ignoreCase ? LowerCaseAscii(pattern) : pattern;
  const std::string& searched = ignoreCase ? haystack : text;
  std::string result;
  std::size_t at = 0;
  for (;;) {
    const std::size_t found = searched.find(needle, at);
    if (found == std::string::npos) break;
    result.append(text, at, found - at);
    result += replacement;
    at = found + needle.size();
  }
  if (at == 0) return text;
  result.append(text, at, std::string::npos);
  return result;
}

std::string TwoDigits(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof(text), "%02u", value % 100);
  return text;
}

// The name-value strings of the environment block; a name is looked up without regard to
// case, the first string of that name winning.
class EnvironmentBlock {
 public:
  explicit EnvironmentBlock(std::vector<std::string> strings) : strings_(std::move(strings)) {}
  std::string Value(std::string_view name) const {
    for (const std::string& entry : strings_) {
      const std::size_t equals = entry.find('=');
      if (equals == std::string::npos) continue;
      if (SameName(std::string_view(entry).substr(0, equals), name)) return entry.substr(equals + 1);
    }
    return {};
  }

 private:
  std::vector<std::string> strings_;
};

// The enter and leave entries around a building step, the leave also when the step raises.
class MethodTrace {
 public:
  MethodTrace(const char* method, std::uint8_t level) : method_(method), level_(level) {
    DebugLogger()->LogEnterMethod(method_, level_);
  }
  ~MethodTrace() {
    try {
      DebugLogger()->LogLeaveMethod(method_, level_);
    } catch (...) {
      // A handler that raises while an exception passes must not end the process.
    }
  }
  MethodTrace(const MethodTrace&) = delete;
  MethodTrace& operator=(const MethodTrace&) = delete;

 private:
  const char* method_;
  std::uint8_t level_;
};

// Frees an item list the shell gave, whatever happens after.
class ItemIdListOwner {
 public:
  ItemIdListOwner(os::IShell& shell, os::ItemIdList list) : shell_(shell), list_(list) {}
  ~ItemIdListOwner() {
    if (list_ != nullptr) shell_.FreeItemIdList(list_);
  }
  ItemIdListOwner(const ItemIdListOwner&) = delete;
  ItemIdListOwner& operator=(const ItemIdListOwner&) = delete;

 private:
  os::IShell& shell_;
  os::ItemIdList list_;
};

constexpr const char* kQuickLaunch = "\\Microsoft\\Internet Explorer\\Quick Launch";

std::unique_ptr<TPathTemplates> g_table;

}  // namespace

// --- TPathList ---

TPathItem* TPathList::AddPath(const std::string& Value, TPathSource Source) {
  if (Value.empty()) return nullptr;
  std::string path = WithoutTrailingDelimiter(Value);
  // A lone delimiter is no folder either.
  if (path.empty()) return nullptr;
  std::string key = LowerCaseAscii(path);
  const auto found = index_.find(key);
  if (found != index_.end()) {
    TPathItem* item = items_[found->second].get();
    item->Sources |= PathSourceBit(Source);
    return item;
  }
  auto item = std::make_unique<TPathItem>();
  item->Path = std::move(path);
  item->Sources = PathSourceBit(Source);
  index_.emplace(std::move(key), items_.size());
  items_.push_back(std::move(item));
  return items_.back().get();
}

TPathItem* TPathList::SetPath(const std::string& Value, TPathSource Source) {
  if (Value.empty()) return nullptr;
  std::string path = WithoutTrailingDelimiter(Value);
  if (path.empty()) return nullptr;
  if (items_.empty()) items_.push_back(std::make_unique<TPathItem>());
  TPathItem* first = items_.front().get();
  first->Path = std::move(path);
  first->Sources = PathSourceBit(Source);
  // The first item's path changed: each path points at its first item again.
  index_.clear();
  for (std::size_t i = 0; i < items_.size(); ++i) index_.try_emplace(LowerCaseAscii(items_[i]->Path), i);
  return first;
}

std::string TPathList::GetMacro() const { return "<$" + Name + ">"; }

TPathItem* TPathList::GetItem(std::size_t Index) const {
  if (Index >= items_.size()) {
    throw rtl::EListError(rtl::Format("List index out of bounds (%d)", {static_cast<std::int64_t>(Index)}));
  }
  return items_[Index].get();
}

// --- TPathTemplates ---

TPathTemplates::TPathTemplates() {
  // The running system's major version picks the route of the shell-folder lookups.
  os::OsVersionInfo version;
  if (os::System().VersionInfo(version)) majorVersion_ = version.majorVersion;
  AddUsingCLSIDs(os::kCurrentUserToken);
  AddUsingCLSIDs(os::kDefaultUserToken);
  AddUsingEnvironment();
  AddDerived();
}

TPathTemplates::~TPathTemplates() = default;

std::unique_ptr<TPathTemplates> TPathTemplates::Empty() {
  return std::unique_ptr<TPathTemplates>(new TPathTemplates(EmptyTag{}));
}

void TPathTemplates::Clear() { lists_.clear(); }

const TPathList* TPathTemplates::Find(const std::string& Name) const {
  const auto at = std::lower_bound(lists_.begin(), lists_.end(), Name,
                                   [](const std::unique_ptr<TPathList>& list, const std::string& name) {
                                     return NameLess(list->Name, name);
                                   });
  if (at != lists_.end() && SameName((*at)->Name, Name)) return at->get();
  return nullptr;
}

TPathList* TPathTemplates::GetList(const std::string& Name) {
  const auto at = std::lower_bound(lists_.begin(), lists_.end(), Name,
                                   [](const std::unique_ptr<TPathList>& list, const std::string& name) {
                                     return NameLess(list->Name, name);
                                   });
  if (at != lists_.end() && SameName((*at)->Name, Name)) return at->get();
  return lists_.insert(at, std::make_unique<TPathList>(Name, PathSolveCode(Name)))->get();
}

void TPathTemplates::AddUsingCLSIDs(std::intptr_t Token) {
  MethodTrace trace("AddUsingCLSIDs", 8);
  auto& shell = os::Shell();
  for (const TPathSolveConfig& row : PathSolveConfig) {
    if (row.CSIDL < 0) continue;
    if (majorVersion_ >= 6) {
      os::ItemIdList list = nullptr;
      const os::HResult result = shell.FolderLocation(row.CSIDL, Token, list);
      const ItemIdListOwner owner(shell, list);
      if (result == os::kSOk && list != nullptr) {
        TPathList* paths = GetList(row.Name);
        std::string path;
        if (shell.PathFromItemIdList(list, path)) paths->AddPath(path, psCLSID);
      }
    } else {
      std::string path;
      const os::HResult result = shell.FolderPath(row.CSIDL, Token, os::kShGetFolderPathTypeCurrent, path);
      if (result == os::kSOk) {
        DebugLogger()->LogInfo("SHGetFolderPathW = S_OK", 8);
        GetList(row.Name)->AddPath(path, psCLSID);
      } else {
        DebugLogger()->LogError(
            rtl::Format("SHGetFolderPathW = (%d) %s",
                        {static_cast<std::int64_t>(result),
                         os::System().SystemMessageText(static_cast<std::uint32_t>(result))}),
            4);
      }
    }
  }
}

void TPathTemplates::AddUsingEnvironment() {
  UpdateDateTime();
  auto& files = os::Files();

  const std::string windows = files.WindowsFolder();
  if (!windows.empty()) {
    GetList("WINDIR")->AddPath(windows, psWinAPI);
    GetList("WINDIR2")->AddPath(windows, psWinAPI);
  }

  const std::string system = files.SystemFolder();
  if (!system.empty()) {
    GetList("SYSDIR")->AddPath(system, psWinAPI);
    GetList("SYSDIR2")->AddPath(system, psWinAPI);
    // A 32-bit program on 64-bit Windows reaches the real system folder through "sysnative";
    // elsewhere that folder does not exist and the system folder is the native one.
    const std::string native = ReplaceAll(system, "\\system32", "\\sysnative", false);
    GetList("SYSNATIVE")->AddPath(files.FolderExists(native) ? native : system, psWinAPI);
  }

  const std::string temp = files.TempFolder();
  if (!temp.empty()) GetList("TEMP")->AddPath(temp, psWinAPI);

  std::vector<std::string> strings;
  if (os::System().EnvironmentStrings(strings)) {
    const EnvironmentBlock environment(std::move(strings));
    TPathList* path = GetList("PATH");
    const std::string searchPath = environment.Value("PATH");
    std::size_t start = 0;
    for (;;) {
      const std::size_t semicolon = searchPath.find(';', start);
      path->AddPath(searchPath.substr(start, semicolon - start), psEnvironment);
      if (semicolon == std::string::npos) break;
      start = semicolon + 1;
    }
    GetList("APPDATA")->AddPath(environment.Value("APPDATA"), psEnvironment);
    GetList("LOCALAPPDATA")->AddPath(environment.Value("LOCALAPPDATA"), psEnvironment);
    TPathList* tempList = GetList("TEMP");
    tempList->AddPath(environment.Value("TEMP"), psEnvironment);
    tempList->AddPath(environment.Value("TMP"), psEnvironment);
    GetList("PROFILE")->AddPath(environment.Value("USERPROFILE"), psEnvironment);
    GetList("COMMONPROFILE")->AddPath(environment.Value("ALLUSERSPROFILE"), psEnvironment);
    TPathList* common = GetList("COMMONPROGRAMFILES");
    common->AddPath(environment.Value("CommonProgramFiles"), psEnvironment);
    common->AddPath(environment.Value("CommonProgramFiles(x86)"), psEnvironment);
    common->AddPath(environment.Value("CommonProgramFilesW6432"), psEnvironment);
  }

  std::string name;
  if (os::Accounts().QueryComputerNameW(name)) GetList("COMPUTER")->AddPath(name, psWinAPI);
  name.clear();
  if (os::Accounts().QueryUserNameW(name)) GetList("USER")->AddPath(name, psWinAPI);
}

void TPathTemplates::AddDerived() {
  const TPathList* appData = GetList("APPDATA");
  TPathList* quickLaunch = GetList("QUICKLAUNCH");
  for (std::size_t i = 0; i < appData->Count(); ++i) {
    quickLaunch->AddPath(WithoutTrailingBackslash(appData->GetItem(i)->Path) + kQuickLaunch, psCopy);
  }

  TPathList* mozilla = GetList("MOZILLAPROFILE");
  std::vector<std::string> profiles;
  for (std::size_t i = 0; i < appData->Count(); ++i) FindMozillaProfiles(appData->GetItem(i)->Path, profiles);
  for (const std::string& profile : profiles) mozilla->AddPath(WithoutTrailingBackslash(profile), psCopy);

  const TPathList* commonAppData = GetList("COMMONAPPDATA");
  TPathList* commonQuickLaunch = GetList("COMMONQUICKLAUNCH");
  for (std::size_t i = 0; i < commonAppData->Count(); ++i) {
    commonQuickLaunch->AddPath(WithoutTrailingBackslash(commonAppData->GetItem(i)->Path) + kQuickLaunch, psCopy);
  }
}

void TPathTemplates::UpdateDateTime() {
  auto& system = os::System();
  os::SystemTime now = system.LocalTime();
  GetList("DATE")->SetPath(TwoDigits(now.year) + "-" + TwoDigits(now.month) + "-" + TwoDigits(now.day), psCustom);
  now = system.LocalTime();
  GetList("TIME")->SetPath(TwoDigits(now.hour) + "-" + TwoDigits(now.minute) + "-" + TwoDigits(now.second), psCustom);
  now = system.LocalTime();
  GetList("DATETIME")
      ->SetPath(TwoDigits(now.year) + "-" + TwoDigits(now.month) + "-" + TwoDigits(now.day) + "_" +
                    TwoDigits(now.hour) + "-" + TwoDigits(now.minute) + "-" + TwoDigits(now.second),
                psCustom);
}

std::string TPathTemplates::Expand(const std::string& Text, bool IgnoreCase) {
  UpdateDateTime();
  std::string result = Text;
  for (const auto& list : lists_) {
    if (list->Count() == 0) continue;
    result = ReplaceAll(result, list->GetMacro(), list->GetItem(0)->Path, IgnoreCase);
  }
  return result;
}

// --- start-up and shut-down ---

void InitializeBmrFilesPaths() {
  PathTemplates = nullptr;
  g_table.reset();
  try {
    g_table = std::make_unique<TPathTemplates>();
  } catch (const std::exception& error) {
    // Nothing the table needs may end the start-up: without it the update download finds no
    // desktop, and that is all.
    DebugLogger()->LogException(error, "TPathTemplates.Create", 5);
  } catch (...) {
    DebugLogger()->LogError("TPathTemplates.Create: an exception of an unknown type was raised", 5);
  }
  if (!g_table) {
    try {
      g_table = TPathTemplates::Empty();
    } catch (...) {
      // Out of memory even for an empty table: the program goes on without one.
    }
  }
  PathTemplates = g_table.get();
}

void FinalizeBmrFilesPaths() {
  PathTemplates = nullptr;
  g_table.reset();
}
