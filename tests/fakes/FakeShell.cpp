#include "tests/fakes/FakeShell.h"

namespace fakes {

namespace {

std::string Subject(std::int32_t csidl, os::UserToken token) {
  return "csidl " + std::to_string(csidl) + " token " + std::to_string(token);
}

struct StandardFolder {
  std::int32_t csidl;
  const char* below;  // below the user's profile; "" for the profile itself
};

// The per-user folders below a profile, as Windows 10 lays them out.
const StandardFolder kUserFolders[] = {
    {0, "\\Desktop"},  // the desktop's item list gives the desktop folder's path
    {2, "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs"},
    {5, "\\Documents"},
    {6, "\\Favorites"},
    {7, "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Startup"},
    {8, "\\AppData\\Roaming\\Microsoft\\Windows\\Recent"},
    {9, "\\AppData\\Roaming\\Microsoft\\Windows\\SendTo"},
    {11, "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu"},
    {12, "\\Documents"},
    {13, "\\Music"},
    {14, "\\Videos"},
    {16, "\\Desktop"},
    {19, "\\AppData\\Roaming\\Microsoft\\Windows\\Network Shortcuts"},
    {21, "\\AppData\\Roaming\\Microsoft\\Windows\\Templates"},
    {26, "\\AppData\\Roaming"},
    {27, "\\AppData\\Roaming\\Microsoft\\Windows\\Printer Shortcuts"},
    {28, "\\AppData\\Local"},
    {40, ""},
};

// The folders every user shares.
const std::pair<std::int32_t, const char*> kCommonFolders[] = {
    {3, ""},  // Control Panel
    {20, "C:\\Windows\\Fonts"},
    {22, "C:\\ProgramData\\Microsoft\\Windows\\Start Menu"},
    {23, "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"},
    {24, "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Startup"},
    {25, "C:\\Users\\Public\\Desktop"},
    {35, "C:\\ProgramData"},
    {36, "C:\\Windows"},
    {37, "C:\\Windows\\SysWOW64"},
    {38, "C:\\Program Files (x86)"},
    {43, "C:\\Program Files (x86)\\Common Files"},
    {45, "C:\\ProgramData\\Microsoft\\Windows\\Templates"},
    {46, "C:\\Users\\Public\\Documents"},
    {53, "C:\\Users\\Public\\Music"},
    {55, "C:\\Users\\Public\\Videos"},
    {62, "C:\\Users"},
};

}  // namespace

FakeShell::FakeShell() {
  for (const auto& [token, profile] :
       {std::pair<os::UserToken, std::string>{os::kCurrentUserToken, "C:\\Users\\Tester"},
        std::pair<os::UserToken, std::string>{os::kDefaultUserToken, "C:\\Users\\Default"}}) {
    for (const auto& folder : kUserFolders) SetFolder(token, folder.csidl, profile + folder.below);
    for (const auto& [csidl, path] : kCommonFolders) SetFolder(token, csidl, path);
  }
}

const std::string* FakeShell::Find(std::int32_t csidl, os::UserToken token) const {
  const auto found = folders.find({token, csidl});
  return found == folders.end() ? nullptr : &found->second;
}

os::HResult FakeShell::FolderLocation(std::int32_t csidl, os::UserToken token, os::ItemIdList& list) {
  list = nullptr;
  const std::string subject = Subject(csidl, token);
  calls.push_back("SHGetFolderLocation " + subject);
  if (auto code = failures.Check("SHGetFolderLocation", subject)) return static_cast<os::HResult>(*code);
  const std::string* path = Find(csidl, token);
  if (path == nullptr) return os::kEFileNotFound;
  const std::uintptr_t id = nextList_++;
  lists_[id] = ListRecord{subject, *path};
  list = reinterpret_cast<os::ItemIdList>(id);
  return os::kSOk;
}

bool FakeShell::PathFromItemIdList(os::ItemIdList list, std::string& path) {
  const auto found = lists_.find(reinterpret_cast<std::uintptr_t>(list));
  if (found == lists_.end()) {
    ++misusedItemLists;
    return false;
  }
  calls.push_back("SHGetPathFromIDListW " + found->second.subject);
  if (failures.Check("SHGetPathFromIDListW", found->second.subject)) return false;
  if (found->second.path.empty()) return false;
  path = found->second.path;
  return true;
}

void FakeShell::FreeItemIdList(os::ItemIdList list) {
  // ILFree of nothing does nothing.
  if (list == nullptr) return;
  if (lists_.erase(reinterpret_cast<std::uintptr_t>(list)) == 0) ++misusedItemLists;
}

os::HResult FakeShell::FolderPath(std::int32_t csidl, os::UserToken token, std::uint32_t /*flags*/,
                                  std::string& path) {
  const std::string subject = Subject(csidl, token);
  calls.push_back("SHGetFolderPathW " + subject);
  if (auto code = failures.Check("SHGetFolderPathW", subject)) return static_cast<os::HResult>(*code);
  const std::string* found = Find(csidl, token);
  if (found == nullptr) return os::kEFileNotFound;
  if (found->empty()) return os::kEFail;
  path = *found;
  return os::kSOk;
}

}  // namespace fakes
