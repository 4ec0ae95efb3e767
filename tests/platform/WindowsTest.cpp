#include "platform/bmrWindows.h"

#include <gtest/gtest.h>

#include "tests/fakes/FakeWindows.h"

namespace {

// The key as a 32-bit process on 64-bit Windows sees it.
const char kCurrentVersionKey[] = "SOFTWARE\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion";

class DetectOperatingSystemTest : public ::testing::Test {
 protected:
  fakes::FakeWindows windows;
  fakes::FakeRegistry& registry = windows.registry;

  TOperatingSystems Detect(std::uint32_t major, std::uint32_t minor, std::uint32_t build = 0) {
    os::OsVersionInfo version{major, minor, build, 2, ""};
    return DetectOperatingSystem(version);
  }
};

TEST_F(DetectOperatingSystemTest, VersionTable) {
  struct Case {
    std::uint32_t major, minor, build;
    TOperatingSystems expected;
  } cases[] = {
      {3, 51, 1057, {osWinNTSeries, osWinNT351}},
      {4, 0, 950, {osWin40, osWin9xSeries, osWin95Series, osWin95}},
      {4, 0, 1111, {osWin40, osWin9xSeries, osWin95Series, osWin952}},
      {4, 0, 1212, {osWin40, osWin9xSeries, osWin95Series, osWin9525}},
      {4, 0, 1381, {osWin40, osWinNTSeries, osWinNT40}},
      {4, 0, 1000, {osWin40}},
      {4, 1, 1998, {osWin41, osWin9xSeries, osWin98Series, osWin98}},
      {4, 1, 2222, {osWin41, osWin9xSeries, osWin98Series, osWin98SE}},
      {4, 1, 2000, {osWin41}},
      {4, 9, 3000, {osWin49, osWin9xSeries, osWinME}},
      {4, 9, 3001, {osWin49}},
      {4, 10, 1998, {osWin9xSeries, osWin98Series, osWin98}},  // not the 4.1 rows
      {4, 90, 3000, {osWin9xSeries, osWinME}},                 // not the 4.9 rows
      {5, 0, 2195, {osWinNTSeries, osWin2000}},
      {5, 1, 2600, {osWinNTSeries, osWinXPSeries, osWinXP32}},
      {5, 2, 3790, {osWinNTSeries, osWin2003Series, osWinXPSeries, osWinXP64}},
      {5, 2, 3791, {osWinNTSeries, osWin2003Series, osWin2003}},
      {6, 0, 6002, {osWinNTSeries, osVista}},
      {6, 1, 7601, {osWinNTSeries, osWindows7}},
      {6, 2, 9200, {osWinNTSeries, osWindows8}},
      {6, 3, 9600, {osWinNTSeries, osWindows81}},
      {10, 0, 19045, {osWinNTSeries, osWindows10}},
      {6, 4, 0, {}},
      {11, 0, 0, {}},
      {3, 10, 0, {}},
      {0, 0, 0, {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Detect(c.major, c.minor, c.build).Word, c.expected.Word) << c.major << '.' << c.minor << '.' << c.build;
  }
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(DetectOperatingSystemTest, RegistryVersionSixThreeCorrectsOlderReports) {
  registry.SetString(os::kHKeyLocalMachine, kCurrentVersionKey, "CurrentVersion", "6.3");
  struct Case {
    std::uint32_t major, minor;
    TOperatingSystems expected;
  } cases[] = {
      {6, 2, {osWinNTSeries, osWindows81}},
      {6, 1, {osWinNTSeries, osWindows81}},
      {10, 0, {osWinNTSeries, osWindows10}},  // 10 and later are never corrected
      {11, 0, {}},
  };
  for (const auto& c : cases) {
    os::OsVersionInfo version{c.major, c.minor, 9200, 2, ""};
    EXPECT_EQ(DetectOperatingSystem(version).Word, c.expected.Word) << c.major << '.' << c.minor;
    const bool corrected = c.major < 10;
    EXPECT_EQ(version.majorVersion, corrected ? 6u : c.major);
    EXPECT_EQ(version.minorVersion, corrected ? 3u : c.minor);
    EXPECT_EQ(version.buildNumber, 9200u);
  }
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(DetectOperatingSystemTest, OnlyAReadableStringSixThreeCorrects) {
  const TOperatingSystems windows8{osWinNTSeries, osWindows8};
  EXPECT_EQ(Detect(6, 2), windows8);  // no key at all

  registry.SetString(os::kHKeyLocalMachine, kCurrentVersionKey, "CurrentVersion", "6.2");
  EXPECT_EQ(Detect(6, 2), windows8);

  registry.SetString(os::kHKeyLocalMachine, kCurrentVersionKey, "CurrentVersion", "6.3", os::kRegExpandSz);
  EXPECT_EQ(Detect(6, 2), windows8);

  registry.SetString(os::kHKeyLocalMachine, kCurrentVersionKey, "CurrentVersion", "6.3 ");
  EXPECT_EQ(Detect(6, 2), windows8);

  registry.SetString(os::kHKeyLocalMachine, kCurrentVersionKey, "CurrentVersion", "6.3");
  registry.failures.Fail("RegQueryValueExA", os::kErrorAccessDenied, "CurrentVersion", 1);
  EXPECT_EQ(Detect(6, 2), windows8);  // type query refused
  registry.failures.Fail("RegOpenKeyA", os::kErrorAccessDenied, "CurrentVersion", 1);
  EXPECT_EQ(Detect(6, 2), windows8);
  EXPECT_EQ(Detect(6, 2), (TOperatingSystems{osWinNTSeries, osWindows81}));  // readable again

  EXPECT_EQ(registry.OpenHandleCount(), 0u);
  EXPECT_EQ(registry.openCalls.back().call, "RegOpenKeyA");
}

TEST(TOperatingSystemsTest, SetsAreBitsOfTheOrdinals) {
  EXPECT_EQ((TOperatingSystems{osWinNTSeries, osWindows10}).Word, (1u << 12) | (1u << 25));
  EXPECT_EQ((TOperatingSystems{osWinNTSeries, osWindows7}).Word, (1u << 12) | (1u << 22));
  EXPECT_EQ((TOperatingSystems{osWin40}).Word, 1u);
  EXPECT_TRUE(TOperatingSystems{}.Empty());

  const TOperatingSystems windows81{osWinNTSeries, osWindows81};
  const TOperatingSystems sevenToTen{osWindows7, osWindows8, osWindows81, osWindows10};
  const TOperatingSystems tenOnly{osWindows10};
  EXPECT_TRUE(sevenToTen.SharesMemberWith(windows81));
  EXPECT_FALSE(tenOnly.SharesMemberWith(windows81));
  EXPECT_FALSE(TOperatingSystems{}.SharesMemberWith(windows81));
  EXPECT_TRUE(windows81.Contains(osWinNTSeries));
  EXPECT_FALSE(windows81.Contains(osWindows8));
  EXPECT_EQ((tenOnly | windows81).Word, (1u << 12) | (1u << 24) | (1u << 25));
}

TEST(InitializeBmrWindowsTest, ComputesTheSetOfTheReportedVersion) {
  const TOperatingSystems saved = CurrentOperatingSystems;
  {
    fakes::FakeWindows windows;
    windows.system.version = {6, 2, 9200, 2, ""};
    windows.registry.SetString(os::kHKeyLocalMachine, kCurrentVersionKey, "CurrentVersion", "6.3");
    InitializeBmrWindows();
    EXPECT_EQ(CurrentOperatingSystems, (TOperatingSystems{osWinNTSeries, osWindows81}));

    windows.system.version = {10, 0, 18362, 2, ""};
    InitializeBmrWindows();
    EXPECT_EQ(CurrentOperatingSystems, (TOperatingSystems{osWinNTSeries, osWindows10}));
  }
  CurrentOperatingSystems = saved;
}

}  // namespace
