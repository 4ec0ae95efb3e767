#pragma once
// os::IFiles over kernel32's wide file functions.

#include "platform/os/Files.h"

namespace os::win32 {

class Win32Files final : public os::IFiles {
 public:
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
};

}  // namespace os::win32
