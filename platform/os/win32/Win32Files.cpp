#include "platform/os/win32/Win32Files.h"

#include <windows.h>

#include <algorithm>

#include "platform/os/win32/Handles.h"
#include "platform/os/win32/Text.h"

namespace os::win32 {

static_assert(kFileAttributeReadOnly == FILE_ATTRIBUTE_READONLY && kFileAttributeHidden == FILE_ATTRIBUTE_HIDDEN &&
              kFileAttributeSystem == FILE_ATTRIBUTE_SYSTEM && kFileAttributeDirectory == FILE_ATTRIBUTE_DIRECTORY &&
              kFileAttributeArchive == FILE_ATTRIBUTE_ARCHIVE && kFileAttributeNormal == FILE_ATTRIBUTE_NORMAL &&
              kInvalidFileAttributes == INVALID_FILE_ATTRIBUTES);
static_assert(kMoveFileReplaceExisting == MOVEFILE_REPLACE_EXISTING && kMoveFileWriteThrough == MOVEFILE_WRITE_THROUGH);
static_assert(kErrorFilePathNotFound == ERROR_PATH_NOT_FOUND && kErrorFileAccessDenied == ERROR_ACCESS_DENIED &&
              kErrorFileSharingViolation == ERROR_SHARING_VIOLATION);

namespace {

std::uint32_t LastError() { return static_cast<std::uint32_t>(GetLastError()); }

// A folder call that answers with the length it needs when the buffer is too small.
template <class Call>
std::string FolderOf(Call call) {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const UINT length = call(buffer.data(), static_cast<UINT>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) {
      buffer.resize(length);
      break;
    }
    buffer.assign(length, L'\0');
  }
  while (!buffer.empty() && buffer.back() == L'\\') buffer.pop_back();
  return WideToUtf8(buffer);
}

}  // namespace

bool Win32Files::FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Utf8ToWide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32Files::FolderExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Utf8ToWide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::uint32_t Win32Files::ReadAll(const std::string& path, std::string& content) {
  return ReadHead(path, content.max_size(), content);
}

std::uint32_t Win32Files::ReadHead(const std::string& path, std::size_t maxBytes, std::string& content) {
  content.clear();
  UniqueKernelHandle file(CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return LastError();
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file.Get(), &size) && size.QuadPart > 0) {
    content.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(static_cast<std::uint64_t>(size.QuadPart), maxBytes)));
  }
  // Read to the end (or the limit) rather than trusting the size: the file may grow while it
  // is read.
  char chunk[65536];
  while (content.size() < maxBytes) {
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(sizeof(chunk), maxBytes - content.size()));
    DWORD read = 0;
    if (!ReadFile(file.Get(), chunk, wanted, &read, nullptr)) {
      const std::uint32_t error = LastError();
      content.clear();
      return error;
    }
    if (read == 0) break;
    content.append(chunk, read);
  }
  return 0;
}

std::uint32_t Win32Files::WriteAll(const std::string& path, const std::string& content) {
  UniqueKernelHandle file(
      CreateFileW(Utf8ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return LastError();
  std::size_t written = 0;
  while (written < content.size()) {
    const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(content.size() - written, 1u << 20));
    DWORD done = 0;
    if (!WriteFile(file.Get(), content.data() + written, piece, &done, nullptr)) return LastError();
    written += done;
  }
  if (!FlushFileBuffers(file.Get())) return LastError();
  return 0;
}

std::uint32_t Win32Files::Copy(const std::string& source, const std::string& target, bool failIfExists) {
  if (CopyFileW(Utf8ToWide(source).c_str(), Utf8ToWide(target).c_str(), failIfExists ? TRUE : FALSE)) return 0;
  return LastError();
}

std::uint32_t Win32Files::Attributes(const std::string& path, std::uint32_t& attributes) {
  attributes = GetFileAttributesW(Utf8ToWide(path).c_str());
  return attributes == INVALID_FILE_ATTRIBUTES ? LastError() : 0;
}

std::uint32_t Win32Files::SetAttributes(const std::string& path, std::uint32_t attributes) {
  if (SetFileAttributesW(Utf8ToWide(path).c_str(), attributes)) return 0;
  return LastError();
}

std::uint32_t Win32Files::MoveEx(const std::string& source, const std::string& target, std::uint32_t flags) {
  if (MoveFileExW(Utf8ToWide(source).c_str(), Utf8ToWide(target).c_str(), flags)) return 0;
  return LastError();
}

std::uint32_t Win32Files::Remove(const std::string& path) {
  if (DeleteFileW(Utf8ToWide(path).c_str())) return 0;
  return LastError();
}

std::string Win32Files::SystemFolder() {
  return FolderOf([](wchar_t* buffer, UINT size) { return GetSystemDirectoryW(buffer, size); });
}

std::string Win32Files::WindowsFolder() {
  return FolderOf([](wchar_t* buffer, UINT size) { return GetWindowsDirectoryW(buffer, size); });
}

std::string Win32Files::TempFolder() {
  // The answer is the length without the terminating zero on success, the length needed with
  // it when the buffer is too small.
  std::wstring buffer(MAX_PATH + 1, L'\0');
  for (;;) {
    const DWORD length = GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length == 0) return {};
    if (length < buffer.size()) {
      buffer.resize(length);
      return WideToUtf8(buffer);
    }
    buffer.assign(length, L'\0');
  }
}

}  // namespace os::win32
