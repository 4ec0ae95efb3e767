#pragma once
// Method names avoid the names windows.h defines as macros (CopyFile, MoveFileEx, DeleteFile,
// GetFileAttributes, SetFileAttributes, GetSystemDirectory, GetWindowsDirectory): a Win32
// implementation includes both.
// The file operations the hosts-file editor makes: whole files read and written at once,
// copies, attributes, the replacing move and the system's own folders. Paths are UTF-8; the
// Win32 implementation calls the wide functions. Each call that can fail gives the Win32
// error code back (0 for success), as GetLastError reports it after the call.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/os/Seams.h"

namespace os {

inline constexpr std::uint32_t kFileAttributeReadOnly = 0x0001;
inline constexpr std::uint32_t kFileAttributeHidden = 0x0002;
inline constexpr std::uint32_t kFileAttributeSystem = 0x0004;
inline constexpr std::uint32_t kFileAttributeDirectory = 0x0010;
inline constexpr std::uint32_t kFileAttributeArchive = 0x0020;
inline constexpr std::uint32_t kFileAttributeNormal = 0x0080;
inline constexpr std::uint32_t kInvalidFileAttributes = 0xFFFFFFFFu;

inline constexpr std::uint32_t kMoveFileReplaceExisting = 0x0001;
inline constexpr std::uint32_t kMoveFileWriteThrough = 0x0008;

inline constexpr std::uint32_t kErrorFilePathNotFound = 3;
inline constexpr std::uint32_t kErrorFileAccessDenied = 5;
inline constexpr std::uint32_t kErrorFileSharingViolation = 32;

class IFiles {
 public:
  virtual ~IFiles() = default;

  // GetFileAttributesW: true for an existing file, false for a folder or nothing.
  virtual bool FileExists(const std::string& path) = 0;
  // GetFileAttributesW: true for an existing folder, false for a file or nothing.
  virtual bool FolderExists(const std::string& path) = 0;
  // CreateFileW (GENERIC_READ, shared for reading and writing, OPEN_EXISTING) and ReadFile to
  // the end: the file's bytes as they are.
  virtual std::uint32_t ReadAll(const std::string& path, std::string& content) = 0;
  // As ReadAll, but reads no more than maxBytes: the first maxBytes bytes of a longer file.
  // What another program wrote can be of any size; this reads it without ever holding more.
  virtual std::uint32_t ReadHead(const std::string& path, std::size_t maxBytes, std::string& content) = 0;
  // CreateFileW (GENERIC_WRITE, not shared, CREATE_ALWAYS), WriteFile of every byte and
  // FlushFileBuffers. A failure after the create leaves whatever was written.
  virtual std::uint32_t WriteAll(const std::string& path, const std::string& content) = 0;
  // CopyFileW.
  virtual std::uint32_t Copy(const std::string& source, const std::string& target, bool failIfExists) = 0;
  // GetFileAttributesW; kInvalidFileAttributes in attributes when it fails.
  virtual std::uint32_t Attributes(const std::string& path, std::uint32_t& attributes) = 0;
  // SetFileAttributesW.
  virtual std::uint32_t SetAttributes(const std::string& path, std::uint32_t attributes) = 0;
  // MoveFileExW with the kMoveFile... flags.
  virtual std::uint32_t MoveEx(const std::string& source, const std::string& target, std::uint32_t flags) = 0;
  // DeleteFileW.
  virtual std::uint32_t Remove(const std::string& path) = 0;
  // GetSystemDirectoryW and GetWindowsDirectoryW, without a trailing backslash; empty when the
  // call fails.
  virtual std::string SystemFolder() = 0;
  virtual std::string WindowsFolder() = 0;
  // GetTempPathW, as the call gives it (with its trailing backslash); empty when it fails.
  virtual std::string TempFolder() = 0;
};

inline IFiles& Files() { return Get<IFiles>(); }

}  // namespace os
