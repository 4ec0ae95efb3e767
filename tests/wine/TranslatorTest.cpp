// The translator over the real files, environment and locale calls: a catalog beside the test
// program (CMake copies the German test catalog there) is found through LANG.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "engine/tvqmVorletsMicrosoftWindowsTelemetry.h"
#include "platform/rtlTranslations.h"

namespace {

// The test program's LANG, put back when the test ends.
class SavedLang {
 public:
  SavedLang() {
    wchar_t buffer[256];
    const DWORD length = GetEnvironmentVariableW(L"LANG", buffer, 256);
    had_ = length > 0 && length < 256;
    if (had_) value_.assign(buffer, length);
  }
  ~SavedLang() { SetEnvironmentVariableW(L"LANG", had_ ? value_.c_str() : nullptr); }

 private:
  bool had_ = false;
  std::wstring value_;
};

TEST(Win32Translator, FindsTheCatalogBesideTheProgramThroughLang) {
  const SavedLang saved;
  SetEnvironmentVariableW(L"LANG", nullptr);
  const std::string uiLanguage = rtl::ChooseTranslationLanguage();
  EXPECT_FALSE(uiLanguage.empty()) << "the user's interface language has ISO names";

  ASSERT_TRUE(SetEnvironmentVariableW(L"LANG", L"de_DE.UTF-8"));
  rtl::InitializeRtlTranslations();
  EXPECT_EQ("Telemetriedienste", TWindows10TelemetryServicesImmunization::GetDisplayName());
  rtl::FinalizeRtlTranslations();
  SetEnvironmentVariableW(L"LANG", nullptr);
  EXPECT_EQ("Telemetry Services", TWindows10TelemetryServicesImmunization::GetDisplayName());
}

}  // namespace
