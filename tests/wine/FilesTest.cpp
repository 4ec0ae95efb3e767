// Win32Files against Wine's file system, in a scratch folder of its own under the temp folder;
// and the hosts-file editor saving through it.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/bmrFFHosts.h"
#include "platform/os/Files.h"
#include "platform/os/win32/Text.h"
#include "tests/wine/WineTestSupport.h"

namespace {

using os::win32::Utf8ToWide;
using os::win32::WideToUtf8;

// A folder under the temp folder, deleted with everything in it when the test ends (read-only
// files included).
class ScratchFolder {
 public:
  ScratchFolder() {
    wchar_t temp[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    path_ = WideToUtf8(std::wstring(temp, length)) + winetest::UniqueName();
    if (!CreateDirectoryW(Utf8ToWide(path_).c_str(), nullptr)) {
      std::fprintf(stderr, "scratch folder %s not created: %lu\n", path_.c_str(), GetLastError());
    }
  }
  ~ScratchFolder() {
    WIN32_FIND_DATAW found;
    const std::wstring folder = Utf8ToWide(path_);
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring file = folder + L"\\" + name;
        SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(file.c_str());
      } while (FindNextFileW(search, &found));
      FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }
  // The names in the folder, in the order the system lists them.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((Utf8ToWide(path_) + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
      const std::wstring name = found.cFileName;
      if (name != L"." && name != L"..") names.push_back(WideToUtf8(name));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
  }

 private:
  std::string path_;
};

std::string ReadBack(const std::string& path) {
  std::string content;
  EXPECT_EQ(os::Files().ReadAll(path, content), 0u) << path;
  return content;
}

TEST(Win32Files, WholeFilesKeepEveryByteAndMissingOnesGiveTheSystemsCodes) {
  ScratchFolder folder;
  auto& files = os::Files();
  // A name beyond the ANSI code page goes through the wide calls.
  const std::string path = folder.File("d\xC3\xA9j\xC3\xA0-\xE6\x97\xA5.txt");
  std::string content = "line\r\nlf\nlone\r";
  content += std::string("\0\xFF\x80 end", 7);
  content += std::string(200000, 'x');

  EXPECT_FALSE(files.FileExists(path));
  EXPECT_EQ(files.WriteAll(path, content), 0u);
  EXPECT_TRUE(files.FileExists(path));
  EXPECT_EQ(ReadBack(path), content);
  EXPECT_EQ(files.WriteAll(path, "short"), 0u);
  EXPECT_EQ(ReadBack(path), "short") << "the write replaces the whole content";

  EXPECT_FALSE(files.FileExists(folder.path())) << "a folder is no file";
  std::string ignored = "stale";
  EXPECT_EQ(files.ReadAll(folder.File("missing"), ignored), static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(ignored, "");
  EXPECT_EQ(files.ReadAll(folder.File("no\\such"), ignored), static_cast<std::uint32_t>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(files.WriteAll(folder.File("no\\such"), "x"), static_cast<std::uint32_t>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(files.Remove(folder.File("missing")), static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
}

TEST(Win32Files, CopyAndTheReplacingMove) {
  ScratchFolder folder;
  auto& files = os::Files();
  const std::string hosts = folder.File("hosts");
  const std::string copy = folder.File("hosts.backup");
  const std::string replacement = folder.File("hosts.new");
  ASSERT_EQ(files.WriteAll(hosts, "old\r\n"), 0u);

  EXPECT_EQ(files.Copy(hosts + ".", copy, false), 0u) << "the trailing dot names the same file";
  EXPECT_EQ(ReadBack(copy), "old\r\n");
  EXPECT_EQ(files.Copy(hosts, copy, true), static_cast<std::uint32_t>(ERROR_FILE_EXISTS));
  EXPECT_EQ(files.Copy(folder.File("missing"), copy, false), static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));

  ASSERT_EQ(files.WriteAll(replacement, "new\r\n"), 0u);
  EXPECT_EQ(files.MoveEx(replacement, hosts, 0), static_cast<std::uint32_t>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(files.MoveEx(replacement, hosts + ".", os::kMoveFileReplaceExisting | os::kMoveFileWriteThrough), 0u);
  EXPECT_EQ(ReadBack(hosts), "new\r\n");
  EXPECT_FALSE(files.FileExists(replacement));
  EXPECT_EQ(files.Remove(copy), 0u);
  EXPECT_FALSE(files.FileExists(copy));
}

TEST(Win32Files, AttributesAreSetAndRead) {
  ScratchFolder folder;
  auto& files = os::Files();
  const std::string path = folder.File("hosts");
  ASSERT_EQ(files.WriteAll(path, "old\r\n"), 0u);

  // Only the read-only bit is looked at: Wine keeps the hidden and system bits only where the
  // file system can store them.
  std::uint32_t attributes = 0;
  EXPECT_EQ(files.SetAttributes(path, os::kFileAttributeReadOnly), 0u);
  EXPECT_EQ(files.Attributes(path, attributes), 0u);
  EXPECT_EQ(attributes & os::kFileAttributeReadOnly, os::kFileAttributeReadOnly);
  EXPECT_EQ(files.SetAttributes(path, os::kFileAttributeNormal), 0u);
  EXPECT_EQ(files.Attributes(path, attributes), 0u);
  EXPECT_EQ(attributes & os::kFileAttributeReadOnly, 0u);

  EXPECT_EQ(files.Attributes(folder.File("missing"), attributes), static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(attributes, os::kInvalidFileAttributes);
  EXPECT_EQ(files.SetAttributes(folder.File("missing"), os::kFileAttributeNormal),
            static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
}

TEST(Win32Files, AReadOnlyFileIsNeitherWrittenNorDeleted) {
  ScratchFolder folder;
  auto& files = os::Files();
  const std::string path = folder.File("hosts");
  ASSERT_EQ(files.WriteAll(path, "old\r\n"), 0u);
  ASSERT_EQ(files.SetAttributes(path, os::kFileAttributeReadOnly), 0u);

  const std::uint32_t written = files.WriteAll(path, "overwritten\r\n");
  if (written == 0) {
    GTEST_SKIP() << "Wine wrote a file that has the read-only attribute: it does so when it runs as root, "
                    "where the attribute (the file's Unix write permission) binds no one";
  }
  EXPECT_EQ(written, static_cast<std::uint32_t>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(ReadBack(path), "old\r\n");
  EXPECT_EQ(files.Remove(path), static_cast<std::uint32_t>(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(files.FileExists(path));
}

// Why the editor clears the attributes before its replace: Windows does not replace a read-only
// file.
TEST(Win32Files, AReadOnlyFileIsNotReplaced) {
  ScratchFolder folder;
  auto& files = os::Files();
  const std::string path = folder.File("hosts");
  const std::string replacement = folder.File("hosts.new");
  ASSERT_EQ(files.WriteAll(path, "old\r\n"), 0u);
  ASSERT_EQ(files.WriteAll(replacement, "new\r\n"), 0u);
  ASSERT_EQ(files.SetAttributes(path, os::kFileAttributeReadOnly), 0u);

  const std::uint32_t moved = files.MoveEx(replacement, path, os::kMoveFileReplaceExisting);
  if (moved == 0) {
    EXPECT_EQ(ReadBack(path), "new\r\n");
    GTEST_SKIP() << "Wine replaced a file that has the read-only attribute with MoveFileExW, where Windows "
                    "refuses with ERROR_ACCESS_DENIED";
  }
  EXPECT_EQ(moved, static_cast<std::uint32_t>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(ReadBack(path), "old\r\n");
  EXPECT_EQ(files.SetAttributes(path, os::kFileAttributeNormal), 0u);
  EXPECT_EQ(files.MoveEx(replacement, path, os::kMoveFileReplaceExisting), 0u);
  EXPECT_EQ(ReadBack(path), "new\r\n");
}

TEST(Win32Files, TheSystemsFoldersAndItsHostsFile) {
  wchar_t system[MAX_PATH];
  wchar_t windows[MAX_PATH];
  ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
  ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
  EXPECT_EQ(os::Files().SystemFolder(), WideToUtf8(system));
  EXPECT_EQ(os::Files().WindowsFolder(), WideToUtf8(windows));

  const std::string location = GetHostsFileLocation();
  std::printf("hosts file: %s\n", location.c_str());
  EXPECT_TRUE(os::Files().FileExists(location)) << location;
  EXPECT_EQ(location.back(), '.');
}

// The editor through the real calls: the new content beside the file, the replace, the dated
// backup, and the attribute it was asked for; nothing else left in the folder.
TEST(Win32Files, TheEditorSavesBesideReplacesAndBacksUp) {
  ScratchFolder folder;
  const std::string hosts = folder.File("hosts.");
  const std::string user = "# the user's own\r\n127.0.0.1 localhost\r\n";
  ASSERT_EQ(os::Files().WriteAll(hosts, user), 0u);
  ASSERT_EQ(os::Files().SetAttributes(hosts, os::kFileAttributeHidden), 0u);

  THostsFile file(hosts);
  file.AddEntries({"blocked.example"});
  file.Save(true);

  const std::string saved = ReadBack(hosts);
  EXPECT_EQ(saved.rfind(user, 0), 0u) << saved;
  EXPECT_NE(saved.find("\r\n127.0.0.1\tblocked.example\r\n"), std::string::npos) << saved;
  std::uint32_t attributes = 0;
  ASSERT_EQ(os::Files().Attributes(hosts, attributes), 0u);
  EXPECT_EQ(attributes & (os::kFileAttributeReadOnly | os::kFileAttributeHidden | os::kFileAttributeSystem),
            os::kFileAttributeReadOnly);

  std::vector<std::string> names = folder.Names();
  std::sort(names.begin(), names.end());
  ASSERT_EQ(names.size(), 2u) << "only the file and its backup";
  EXPECT_EQ(names[0], "hosts");
  ASSERT_EQ(names[1].size(), std::string("hosts.20151231-235959.backup").size()) << names[1];
  EXPECT_EQ(names[1].substr(0, 6), "hosts.");
  EXPECT_EQ(names[1].substr(names[1].size() - 7), ".backup");
  EXPECT_EQ(ReadBack(folder.File(names[1])), user);
}

// The save replaces only the file it read: one created or changed behind its back stays, and
// every backup keeps a name of its own.
TEST(Win32Files, TheEditorReplacesOnlyTheFileItRead) {
  ScratchFolder folder;
  const std::string hosts = folder.File("hosts.");
  const std::string other = "# written by another program\r\n10.0.0.9 other.example\r\n";

  THostsFile missing(hosts);
  ASSERT_EQ(os::Files().WriteAll(hosts, other), 0u);
  EXPECT_THROW(missing.Save(false), EFChangedError);
  EXPECT_EQ(ReadBack(hosts), other) << "a file that appeared after a read that found none";

  THostsFile read(hosts);
  ASSERT_EQ(os::Files().WriteAll(hosts, other + "10.0.0.8 later.example\r\n"), 0u);
  EXPECT_THROW(read.Save(false), EFChangedError);
  EXPECT_EQ(ReadBack(hosts), other + "10.0.0.8 later.example\r\n") << "a file changed after the read";

  THostsFile fresh(hosts);
  fresh.Save(false);
  fresh.Save(false);
  std::size_t backups = 0;
  for (const auto& name : folder.Names()) {
    if (name.size() > 7 && name.substr(name.size() - 7) == ".backup") ++backups;
    EXPECT_EQ(name.find("tvqm-new"), std::string::npos) << name;
  }
  // Every save keeps its own, the two refused ones too.
  EXPECT_EQ(backups, 4u) << "one backup per save, also within one second";
}

}  // namespace
