#pragma once
// The help window class's calls: the classes registered and the fonts made, recorded; the
// registration can be made to fail with a chosen last error.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/os/HelpWindow.h"

namespace fakes {

class FakeHelpWindowApi : public os::IHelpWindowApi {
 public:
  static constexpr os::ModuleHandle kProgramModule = 0x00400000;
  static constexpr std::uintptr_t kApplicationIcon = 0x10003;
  static constexpr std::uintptr_t kArrowCursor = 0x10005;

  std::vector<os::WindowClassRecord> registered;
  std::vector<std::pair<std::string, std::uint8_t>> fonts;  // face, character set
  // RegisterClassA fails with this last error.
  std::optional<std::uint32_t> registerFails;

  os::ModuleHandle ProgramModule() override { return kProgramModule; }
  std::uintptr_t LoadSystemIcon(std::uintptr_t id) override { return id == os::kIdiApplication ? kApplicationIcon : 0; }
  std::uintptr_t LoadSystemCursor(std::uintptr_t id) override { return id == os::kIdcArrow ? kArrowCursor : 0; }
  std::uintptr_t CreateFontWithFace(const std::string& face, std::uint8_t charSet) override {
    fonts.emplace_back(face, charSet);
    return 0x0A000000 + fonts.size();
  }
  std::uint16_t RegisterHelpClass(const os::WindowClassRecord& record) override {
    if (registerFails) {
      lastError_ = *registerFails;
      return 0;
    }
    registered.push_back(record);
    return static_cast<std::uint16_t>(0xC000 + registered.size());
  }
  std::uint32_t LastError() override { return lastError_; }

 private:
  std::uint32_t lastError_ = 0;
};

}  // namespace fakes
