#include "platform/bmrUtils.h"

#include <gtest/gtest.h>

#include "platform/rtlRegistry.h"
#include "tests/fakes/FakeWindows.h"

namespace {

// --- bmrGetTweakByte ---

// A 32-bit process reads HKLM\SOFTWARE through Wow6432Node.
const char kTweaks[] = "SOFTWARE\\Wow6432Node\\Brenmoor Limited\\Tweaks";
const char kProgramTweaks[] = "SOFTWARE\\Wow6432Node\\Brenmoor Limited\\Tweaks\\TolvexQuietmark.exe";

class TweakByteTest : public ::testing::Test {
 protected:
  fakes::FakeWindows windows;
  fakes::FakeRegistry& registry = windows.registry;
};

TEST_F(TweakByteTest, TheProgramsOwnSubkeyWinsOverTheTweaksKey) {
  registry.SetDword(os::kHKeyLocalMachine, kTweaks, "CreateHostsBackups", 1);
  registry.SetDword(os::kHKeyLocalMachine, kProgramTweaks, "CreateHostsBackups", 0);
  std::uint8_t value = 7;
  EXPECT_TRUE(bmrGetTweakByte("CreateHostsBackups", value));
  EXPECT_EQ(value, 0);

  // The subkey is named after the running program's file, whatever its folder.
  windows.process.moduleFileName = "D:\\Other\\Renamed.exe";
  registry.SetDword(os::kHKeyLocalMachine, std::string(kTweaks) + "\\Renamed.exe", "CreateHostsBackups", 5);
  EXPECT_TRUE(bmrGetTweakByte("CreateHostsBackups", value));
  EXPECT_EQ(value, 5);
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(TweakByteTest, OnlyTheLowByteOfADwordCounts) {
  struct Case {
    std::uint32_t stored;
    std::uint8_t value;
  } cases[] = {{0, 0}, {1, 1}, {256, 0}, {511, 255}, {0xFFFFFF01u, 1}};
  for (const auto& c : cases) {
    registry.SetDword(os::kHKeyLocalMachine, kTweaks, "T", c.stored);
    std::uint8_t value = 77;
    EXPECT_TRUE(bmrGetTweakByte("T", value)) << c.stored;
    EXPECT_EQ(value, c.value) << c.stored;
  }
}

TEST_F(TweakByteTest, ValuesOfOtherTypesCountAsAbsent) {
  registry.SetString(os::kHKeyLocalMachine, kProgramTweaks, "T", "0");
  std::uint8_t value = 9;
  EXPECT_FALSE(bmrGetTweakByte("T", value));
  EXPECT_EQ(value, 9);

  registry.SetDword(os::kHKeyLocalMachine, kTweaks, "T", 3);  // the next key is still tried
  EXPECT_TRUE(bmrGetTweakByte("T", value));
  EXPECT_EQ(value, 3);
}

TEST_F(TweakByteTest, NoKeysAtAllGiveFalse) {
  std::uint8_t value = 9;
  EXPECT_FALSE(bmrGetTweakByte("CreateHostsBackups", value));
  EXPECT_EQ(value, 9);
}

TEST_F(TweakByteTest, ReadErrorsPassToTheCaller) {
  registry.SetValue(os::kHKeyLocalMachine, kProgramTweaks, "T", os::kRegDword, {0, 0, 0, 0, 0, 0, 0, 0});
  std::uint8_t value = 9;
  EXPECT_THROW(bmrGetTweakByte("T", value), ERegistryException);
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

// --- CompareVersionStrings ---

TEST(CompareVersionStringsTest, DifferenceOfTheFirstDifferingParts) {
  struct Case {
    const char* a;
    const char* b;
    std::int32_t result;
  } cases[] = {
      {"1.5", "1.5", 0},
      {"1.10", "1.9", 1},
      {"1.0", "3.0", -2},
      {"2.0.0.1", "2.0.0.7", -6},
      {"1.5.0.35 beta", "1.5.0.35", 0},  // only the text before the first blank counts
      {"1.5 2.0", "1.5", 0},
      {" 2.0", "", 0},                   // a leading blank empties the text
      {"1.x", "1.0", 0},                 // a part that is no number counts 0
      {"1.x", "1.1", -1},
      {"1..3", "1.0.3", 0},              // an empty part counts 0
      {".5", "0.5", 0},
      {"-1.0", "1.0", -2},
      {"1.99999999999", "1.0", 0},       // out of 32-bit range: no number
      {"1.\"7\"", "1.7", 0},             // quotes around a part are removed
      {"1.\"7.9\"", "1.0", 0},           // a dot inside them belongs to the part: no number
      {"1\t.2", "1.2", 0},               // control characters end a part
      {"1.2\t", "1.2", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CompareVersionStrings(c.a, c.b), c.result) << '"' << c.a << "\" vs \"" << c.b << '"';
    EXPECT_EQ(CompareVersionStrings(c.b, c.a), -c.result) << '"' << c.b << "\" vs \"" << c.a << '"';
  }
}

// A part the shorter version lacks counts 0: stopping at the shorter one would take 1.5.1 for
// 1.5 and never offer that update.
TEST(CompareVersionStringsTest, MissingPartsCountZero) {
  struct Case {
    const char* a;
    const char* b;
    std::int32_t result;
  } cases[] = {
      {"1.5.1", "1.5", 1},
      {"1.5", "1.5.0", 0},
      {"1.5", "1.5.0.0", 0},
      {"1.5.0.3", "1.5", 3},
      {"2", "1.9", 1},
      {"1.5.", "1.5", 0},  // the empty last part counts 0
      {"", "1.5", -1},     // no text is version 0
      {"", "0.0", 0},
      {"", "", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CompareVersionStrings(c.a, c.b), c.result) << '"' << c.a << "\" vs \"" << c.b << '"';
    EXPECT_EQ(CompareVersionStrings(c.b, c.a), -c.result) << '"' << c.b << "\" vs \"" << c.a << '"';
  }
}

TEST(CompareVersionStringsTest, HugeDifferencesKeepTheirSign) {
  EXPECT_GT(CompareVersionStrings("2147483647", "-2147483648"), 0);
  EXPECT_LT(CompareVersionStrings("-2147483648", "2147483647"), 0);
}

// --- hexadecimal and character search ---

TEST(HexTest, UpperCaseDigitsHighNibbleFirst) {
  EXPECT_EQ(ByteToHex(0), "00");
  EXPECT_EQ(ByteToHex(10), "0A");
  EXPECT_EQ(ByteToHex(0xAB), "AB");
  EXPECT_EQ(ByteToHex(255), "FF");
  EXPECT_EQ(WordToHex(1252), "04E4");
  EXPECT_EQ(WordToHex(1033), "0409");
  EXPECT_EQ(WordToHex(0xFFFF), "FFFF");
}

TEST(PosCharTest, OneBasedPositionOfTheFirstOccurrence) {
  EXPECT_EQ(PosChar('a', "banana"), 2);
  EXPECT_EQ(PosChar('b', "banana"), 1);
  EXPECT_EQ(PosChar('x', "banana"), 0);
  EXPECT_EQ(PosChar('a', ""), 0);
  EXPECT_EQ(PosChar('\xE4', "K\xC3\xA4se"), 0);  // bytes, not characters
  EXPECT_EQ(PosChar('\xA4', "K\xC3\xA4se"), 3);
}

}  // namespace
