#include "platform/bmrCredits.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class CreditsTest : public ::testing::Test {
 protected:
  void SetUp() override { InitializeBmrCredits(); }
  void TearDown() override { FinalizeBmrCredits(); }
};

TEST_F(CreditsTest, FirstRegistrationOfANameWins) {
  RegisterCredit("uLkJSON", "Copyright (c) the uLkJSON authors", "https://example.org/ulkjson", 0, 0);
  RegisterCredit("uLkJSON", "another line", "https://example.org/other", 2, 1);
  ASSERT_EQ(RegisteredCredits().size(), 1u);
  const TLicenseEntry& entry = RegisteredCredits()[0];
  EXPECT_EQ(entry.Copyright, "Copyright (c) the uLkJSON authors");
  EXPECT_EQ(entry.URL, "https://example.org/ulkjson");
  EXPECT_EQ(entry.Category, 0);
  EXPECT_EQ(entry.Hidden, 0);
}

TEST_F(CreditsTest, ListsVisibleCreditsInOrderAfterExistingLines) {
  RegisterCredit("uLkJSON", "Copyright (c) the uLkJSON authors", "https://example.org/ulkjson", 0, 0);
  RegisterCredit("ulkjson", "a different name by case", "", 0, 0);
  RegisterCredit("Secret", "never listed", "", 0, 1);
  RegisterCredit("Icons", "Copyright (c) the icon designers", "", 2, 0);
  EXPECT_EQ(RegisteredCredits().size(), 4u);

  std::vector<std::string> lines{"kept"};
  ListCredits(lines);
  EXPECT_EQ(lines, (std::vector<std::string>{"kept", "uLkJSON: Copyright (c) the uLkJSON authors",
                                             "ulkjson: a different name by case",
                                             "Icons: Copyright (c) the icon designers"}));
}

TEST_F(CreditsTest, StartAndShutDownEmptyTheList) {
  RegisterCredit("A", "a", "", 0, 0);
  FinalizeBmrCredits();
  EXPECT_TRUE(RegisteredCredits().empty());
  RegisterCredit("B", "b", "", 0, 0);
  InitializeBmrCredits();
  std::vector<std::string> lines;
  ListCredits(lines);
  EXPECT_TRUE(lines.empty());
}

}  // namespace

namespace {

TEST_F(CreditsTest, TheRuntimeCreditsNameWhatTheExeContains) {
  RegisterRuntimeCredits();
  std::vector<std::string> lines;
  ListCredits(lines);
  ASSERT_EQ(2u, lines.size());
  EXPECT_EQ(0u, lines[0].rfind("MinGW-w64 runtime: Copyright", 0)) << lines[0];
  EXPECT_EQ(0u, lines[1].rfind("winpthreads: Copyright", 0)) << lines[1];
}

}  // namespace
