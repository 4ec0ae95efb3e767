// The translator over the real files, environment and locale calls: a catalog beside the test
// program (CMake copies the German test catalog there) is found through LANG.

#include <gtest/gtest.h>
#include <windows.h>

#include "engine/tvqmVorletsMicrosoftWindowsTelemetry.h"
#include "platform/rtlTranslations.h"

namespace {

TEST(Win32Translator, FindsTheCatalogBesideTheProgramThroughLang) {
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
