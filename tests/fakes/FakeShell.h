#pragma once
// The shell's special folders in memory, per user token (0 the current user, -1 the default
// user) and CSIDL number: a fresh Windows 10 with the 32-bit program's view (Program Files
// (x86), SysWOW64) for the current user "Tester" and the default user. A folder stored with
// an empty path is a virtual one (Control Panel): its item list exists, it has no file-system
// path. Item lists are counted, so a test sees every one that was not freed.

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/os/Shell.h"
#include "tests/fakes/FailureInjector.h"

namespace fakes {

class FakeShell : public os::IShell {
 public:
  FakeShell();

  // Calls by Win32 name: "SHGetFolderLocation", "SHGetPathFromIDListW", "SHGetFolderPathW";
  // the subject is "csidl <number> token <token>".
  FailureInjector failures;
  // Every call as "<call> <subject>", in order.
  std::vector<std::string> calls;
  std::map<std::pair<os::UserToken, std::int32_t>, std::string> folders;

  void SetFolder(os::UserToken token, std::int32_t csidl, const std::string& path) { folders[{token, csidl}] = path; }
  void RemoveFolder(os::UserToken token, std::int32_t csidl) { folders.erase({token, csidl}); }
  // Item lists given out and not freed yet; lists freed twice or used after they were freed.
  std::size_t LiveItemLists() const { return lists_.size(); }
  int misusedItemLists = 0;

  // --- os::IShell ---
  os::HResult FolderLocation(std::int32_t csidl, os::UserToken token, os::ItemIdList& list) override;
  bool PathFromItemIdList(os::ItemIdList list, std::string& path) override;
  void FreeItemIdList(os::ItemIdList list) override;
  os::HResult FolderPath(std::int32_t csidl, os::UserToken token, std::uint32_t flags, std::string& path) override;

 private:
  struct ListRecord {
    std::string subject;
    std::string path;
  };
  const std::string* Find(std::int32_t csidl, os::UserToken token) const;

  std::map<std::uintptr_t, ListRecord> lists_;
  std::uintptr_t nextList_ = 0x1000;
};

}  // namespace fakes
