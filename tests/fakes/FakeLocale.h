#pragma once
// The user's interface language: a LANGID and the ISO names of the locales a test knows.

#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "platform/os/Locale.h"

namespace fakes {

class FakeLocale : public os::ILocale {
 public:
  std::uint16_t uiLanguage = 0x0409;
  // (locale, type) to the text; what is not here fails.
  std::map<std::pair<std::uint32_t, std::uint32_t>, std::string> info{
      {{0x0409, os::kLocaleSIso639LangName}, "en"}, {{0x0409, os::kLocaleSIso3166CtryName}, "US"},
      {{0x0407, os::kLocaleSIso639LangName}, "de"}, {{0x0407, os::kLocaleSIso3166CtryName}, "DE"},
      {{0x0807, os::kLocaleSIso639LangName}, "de"}, {{0x0807, os::kLocaleSIso3166CtryName}, "CH"},
  };

  std::uint16_t UserDefaultUILanguage() override { return uiLanguage; }
  std::string LocaleInfo(std::uint32_t locale, std::uint32_t type) override {
    const auto it = info.find({locale, type});
    return it == info.end() ? std::string() : it->second;
  }
};

}  // namespace fakes
