#include "tests/fakes/FakeFiles.h"

namespace fakes {

namespace {

constexpr std::uint32_t kErrorFileNotFound = 2;
constexpr std::uint32_t kErrorFileExists = 80;
constexpr std::uint32_t kErrorAlreadyExists = 183;

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

FakeFiles::FakeFiles() {
  AddFolder(systemFolder + "\\drivers\\etc");
  AddFolder(windowsFolder + "\\Temp");
  AddFolder(tempFolder);
}

// Lower case, "/" as "\", trailing dots and blanks of the last part dropped: "hosts." is hosts.
std::string FakeFiles::Key(const std::string& path) {
  std::string key;
  key.reserve(path.size());
  for (char c : path) key += c == '/' ? '\\' : Lower(c);
  while (!key.empty() && (key.back() == '.' || key.back() == ' ')) key.pop_back();
  while (!key.empty() && key.back() == '\\') key.pop_back();
  return key;
}

std::string FakeFiles::FolderKey(const std::string& path) {
  const std::string key = Key(path);
  const auto slash = key.find_last_of('\\');
  return slash == std::string::npos ? std::string() : key.substr(0, slash);
}

void FakeFiles::AddFolder(const std::string& path) {
  std::string key = Key(path);
  while (!key.empty()) {
    folders_.insert(key);
    const auto slash = key.find_last_of('\\');
    if (slash == std::string::npos) break;
    key.resize(slash);
  }
}

bool FakeFiles::ParentExists(const std::string& path) const {
  const std::string folder = FolderKey(path);
  return folder.empty() || folders_.count(folder) > 0;
}

void FakeFiles::HoldOpen(const std::string& path) { ++held_[Key(path)]; }

void FakeFiles::Release(const std::string& path) {
  const auto found = held_.find(Key(path));
  if (found != held_.end() && --found->second == 0) held_.erase(found);
}

bool FakeFiles::IsHeld(const std::string& path) const { return held_.count(Key(path)) > 0; }

std::uint32_t FakeFiles::CreateError(const std::string& path, std::uint32_t refusedAttributes) const {
  if (IsHeld(path)) return os::kErrorFileSharingViolation;
  if (!ParentExists(path) || folders_.count(Key(path)) > 0) {
    return folders_.count(Key(path)) > 0 ? os::kErrorFileAccessDenied : os::kErrorFilePathNotFound;
  }
  const auto found = files_.find(Key(path));
  if (found != files_.end() && (found->second.attributes & refusedAttributes) != 0) {
    return os::kErrorFileAccessDenied;
  }
  return 0;
}

std::optional<std::uint32_t> FakeFiles::Check(const char* call, const std::string& subject) {
  calls.push_back(std::string(call) + " " + subject);
  if (beforeCall) beforeCall(calls.back());
  if (auto code = failures.Check(call, subject)) return static_cast<std::uint32_t>(*code);
  return std::nullopt;
}

void FakeFiles::SetFile(const std::string& path, const std::string& content, std::uint32_t attributes) {
  const std::string folder = FolderKey(path);
  if (!folder.empty()) AddFolder(folder);
  files_[Key(path)] = File{path, content, attributes};
}

bool FakeFiles::Has(const std::string& path) const { return files_.count(Key(path)) > 0; }

std::optional<std::string> FakeFiles::Content(const std::string& path) const {
  const auto found = files_.find(Key(path));
  if (found == files_.end()) return std::nullopt;
  return found->second.content;
}

std::optional<std::uint32_t> FakeFiles::AttributesOf(const std::string& path) const {
  const auto found = files_.find(Key(path));
  if (found == files_.end()) return std::nullopt;
  return found->second.attributes;
}

std::vector<std::string> FakeFiles::Paths() const {
  std::vector<std::string> paths;
  for (const auto& [key, file] : files_) paths.push_back(file.path);
  return paths;
}

bool FakeFiles::FileExists(const std::string& path) {
  if (Check("GetFileAttributesW", path)) return false;
  return Has(path);
}

bool FakeFiles::FolderExists(const std::string& path) {
  if (Check("GetFileAttributesW", path)) return false;
  return folders_.count(Key(path)) > 0;
}

std::uint32_t FakeFiles::ReadAll(const std::string& path, std::string& content) {
  return ReadHead(path, content.max_size(), content);
}

std::uint32_t FakeFiles::ReadHead(const std::string& path, std::size_t maxBytes, std::string& content) {
  content.clear();
  if (auto code = Check("ReadFile", path)) return *code;
  if (!ParentExists(path)) return os::kErrorFilePathNotFound;
  if (folders_.count(Key(path)) > 0) return os::kErrorFileAccessDenied;
  const auto found = files_.find(Key(path));
  if (found == files_.end()) return kErrorFileNotFound;
  content = found->second.content.substr(0, maxBytes);
  return 0;
}

std::uint32_t FakeFiles::WriteAll(const std::string& path, const std::string& content) {
  const auto failure = Check("WriteFile", path);
  // CREATE_ALWAYS with FILE_ATTRIBUTE_NORMAL refuses an existing hidden or system file.
  if (const std::uint32_t error =
          CreateError(path, os::kFileAttributeReadOnly | os::kFileAttributeHidden | os::kFileAttributeSystem)) {
    return error;
  }
  auto& file = files_[Key(path)];
  if (file.path.empty()) file.path = path;
  file.attributes = os::kFileAttributeArchive;
  if (failure) {
    file.content = content.substr(0, content.size() / 2);
    return *failure;
  }
  file.content = content;
  return 0;
}

std::uint32_t FakeFiles::Copy(const std::string& source, const std::string& target, bool failIfExists) {
  if (auto code = Check("CopyFileW", source + " -> " + target)) return *code;
  const auto found = files_.find(Key(source));
  if (found == files_.end()) return ParentExists(source) ? kErrorFileNotFound : os::kErrorFilePathNotFound;
  if (failIfExists && Has(target)) return kErrorFileExists;
  // CopyFileW refuses an existing hidden or read-only target.
  if (const std::uint32_t error = CreateError(target, os::kFileAttributeReadOnly | os::kFileAttributeHidden)) {
    return error;
  }
  const File copy = found->second;
  auto& file = files_[Key(target)];
  if (file.path.empty()) file.path = target;
  file.content = copy.content;
  file.attributes = copy.attributes | os::kFileAttributeArchive;
  return 0;
}

std::uint32_t FakeFiles::Attributes(const std::string& path, std::uint32_t& attributes) {
  attributes = os::kInvalidFileAttributes;
  if (auto code = Check("GetFileAttributesW", path)) return *code;
  if (folders_.count(Key(path)) > 0) {
    attributes = os::kFileAttributeDirectory;
    return 0;
  }
  const auto found = files_.find(Key(path));
  if (found == files_.end()) return ParentExists(path) ? kErrorFileNotFound : os::kErrorFilePathNotFound;
  // A file without any attribute reports FILE_ATTRIBUTE_NORMAL.
  attributes = found->second.attributes != 0 ? found->second.attributes : os::kFileAttributeNormal;
  return 0;
}

std::uint32_t FakeFiles::SetAttributes(const std::string& path, std::uint32_t attributes) {
  if (auto code = Check("SetFileAttributesW", path)) return *code;
  const auto found = files_.find(Key(path));
  if (found == files_.end()) return ParentExists(path) ? kErrorFileNotFound : os::kErrorFilePathNotFound;
  // FILE_ATTRIBUTE_NORMAL (or none) stands alone and means no attribute at all.
  const std::uint32_t settable =
      os::kFileAttributeReadOnly | os::kFileAttributeHidden | os::kFileAttributeSystem | os::kFileAttributeArchive;
  found->second.attributes = attributes & settable;
  return 0;
}

std::uint32_t FakeFiles::MoveEx(const std::string& source, const std::string& target, std::uint32_t flags) {
  if (auto code = Check("MoveFileExW", source + " -> " + target)) return *code;
  const auto found = files_.find(Key(source));
  if (found == files_.end()) return ParentExists(source) ? kErrorFileNotFound : os::kErrorFilePathNotFound;
  if (IsHeld(source)) return os::kErrorFileSharingViolation;
  if (Key(source) == Key(target)) return 0;
  if (Has(target) && (flags & os::kMoveFileReplaceExisting) == 0) return kErrorAlreadyExists;
  if (const std::uint32_t error = CreateError(target, os::kFileAttributeReadOnly)) return error;
  File moved = found->second;
  files_.erase(found);
  moved.path = target;
  files_[Key(target)] = moved;
  return 0;
}

std::uint32_t FakeFiles::Remove(const std::string& path) {
  if (auto code = Check("DeleteFileW", path)) return *code;
  const auto found = files_.find(Key(path));
  if (found == files_.end()) return ParentExists(path) ? kErrorFileNotFound : os::kErrorFilePathNotFound;
  if ((found->second.attributes & os::kFileAttributeReadOnly) != 0) return os::kErrorFileAccessDenied;
  if (IsHeld(path)) return os::kErrorFileSharingViolation;
  files_.erase(found);
  return 0;
}

std::string FakeFiles::SystemFolder() {
  if (Check("GetSystemDirectoryW", "")) return {};
  return systemFolder;
}

std::string FakeFiles::WindowsFolder() {
  if (Check("GetWindowsDirectoryW", "")) return {};
  return windowsFolder;
}

std::string FakeFiles::TempFolder() {
  if (Check("GetTempPathW", "")) return {};
  return tempFolder;
}

}  // namespace fakes
