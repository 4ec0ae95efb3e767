#pragma once
// os::ILocale over GetUserDefaultUILanguage and GetLocaleInfoW.

#include "platform/os/Locale.h"

namespace os::win32 {

class Win32Locale final : public os::ILocale {
 public:
  std::uint16_t UserDefaultUILanguage() override;
  std::string LocaleInfo(std::uint32_t locale, std::uint32_t type) override;
};

}  // namespace os::win32
