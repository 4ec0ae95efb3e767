#pragma once
// The user's interface language, as the translator falls back to it: GetUserDefaultUILanguage
// and the ISO names GetLocaleInfoW gives for it.

#include <cstdint>
#include <string>

#include "platform/os/Seams.h"

namespace os {

// GetLocaleInfoW types.
inline constexpr std::uint32_t kLocaleSIso639LangName = 0x59;
inline constexpr std::uint32_t kLocaleSIso3166CtryName = 0x5A;

class ILocale {
 public:
  virtual ~ILocale() = default;
  // GetUserDefaultUILanguage: a LANGID.
  virtual std::uint16_t UserDefaultUILanguage() = 0;
  // GetLocaleInfoW of a locale id (a LANGID with the default sort order is its own LCID) in
  // UTF-8; empty when the call fails.
  virtual std::string LocaleInfo(std::uint32_t locale, std::uint32_t type) = 0;
};

inline ILocale& Locale() { return Get<ILocale>(); }

}  // namespace os
