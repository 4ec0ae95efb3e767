#pragma once
// Files in memory: contents and attributes under case-insensitive paths in folders that exist,
// with Windows' rules where the program meets them (a read-only file is not written, replaced
// or deleted; a hidden or system file is not overwritten; a file in a missing folder is not
// created; trailing dots of a name do not count; a file held open for reading only is not
// written, replaced, moved or deleted). Any call can be made to fail with a chosen
// code; a failed WriteFile leaves the first half of the content behind, as a write that
// stopped midway does.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/os/Files.h"
#include "tests/fakes/FailureInjector.h"

namespace fakes {

class FakeFiles : public os::IFiles {
 public:
  FakeFiles();

  // Calls by Win32 name: "GetFileAttributesW" (FileExists, FolderExists, Attributes),
  // "ReadFile" (ReadAll, ReadHead), "WriteFile", "CopyFileW", "SetFileAttributesW",
  // "MoveFileExW", "DeleteFileW", "GetSystemDirectoryW", "GetWindowsDirectoryW",
  // "GetTempPathW". The subject is the path (for two paths: source, " -> ", target).
  FailureInjector failures;
  std::string systemFolder = "C:\\Windows\\system32";
  std::string windowsFolder = "C:\\Windows";
  // As GetTempPathW gives it, with its trailing backslash; the folder exists.
  std::string tempFolder = "C:\\Users\\Tester\\AppData\\Local\\Temp\\";
  // Every call as "<call> <subject>", in order.
  std::vector<std::string> calls;
  // Runs before every call with its "<call> <subject>": another program at work in between.
  std::function<void(const std::string& call)> beforeCall;

  // --- test helpers ---
  void AddFolder(const std::string& path);
  // Creates or replaces the file (its folders are created too).
  void SetFile(const std::string& path, const std::string& content,
               std::uint32_t attributes = os::kFileAttributeArchive);
  bool Has(const std::string& path) const;
  std::optional<std::string> Content(const std::string& path) const;
  std::optional<std::uint32_t> AttributesOf(const std::string& path) const;
  // The paths of all files, as they were created, in case-insensitive order.
  std::vector<std::string> Paths() const;
  // A handle open on the file with only reading shared (each HoldOpen needs a Release): while
  // one is, the calls that write, replace, move or delete it fail with a sharing violation.
  void HoldOpen(const std::string& path);
  void Release(const std::string& path);

  // --- os::IFiles ---
  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  std::uint32_t ReadAll(const std::string& path, std::string& content) override;
  std::uint32_t ReadHead(const std::string& path, std::size_t maxBytes, std::string& content) override;
  std::uint32_t WriteAll(const std::string& path, const std::string& content) override;
  std::uint32_t Copy(const std::string& source, const std::string& target, bool failIfExists) override;
  std::uint32_t Attributes(const std::string& path, std::uint32_t& attributes) override;
  std::uint32_t SetAttributes(const std::string& path, std::uint32_t attributes) override;
  std::uint32_t MoveEx(const std::string& source, const std::string& target, std::uint32_t flags) override;
  std::uint32_t Remove(const std::string& path) override;
  std::string SystemFolder() override;
  std::string WindowsFolder() override;
  std::string TempFolder() override;

 private:
  struct File {
    std::string path;
    std::string content;
    std::uint32_t attributes;
  };

  static std::string Key(const std::string& path);
  static std::string FolderKey(const std::string& path);
  std::optional<std::uint32_t> Check(const char* call, const std::string& subject);
  bool ParentExists(const std::string& path) const;
  // The error of creating a file at path: missing folder, or an existing file with one of the
  // attributes that the call refuses to replace.
  std::uint32_t CreateError(const std::string& path, std::uint32_t refusedAttributes) const;
  bool IsHeld(const std::string& path) const;

  std::map<std::string, File> files_;
  std::set<std::string> folders_;
  std::map<std::string, int> held_;
};

}  // namespace fakes
