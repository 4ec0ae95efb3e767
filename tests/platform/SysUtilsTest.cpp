#include "platform/rtlSysUtils.h"

#include <gtest/gtest.h>

#include <ios>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace sysutils_test {

using rtl::FormatArg;

struct FormatCase {
  std::string format;
  std::vector<FormatArg> args;
  std::string expected;
};

std::int64_t I(std::int64_t value) { return value; }

TEST(FormatTest, FormatsTheSpecifiersTheProgramUses) {
  const std::vector<FormatCase> cases = {
      // the texts of the program
      {"%0:s is not supported on your OS.", {"TFoo"}, "TFoo is not supported on your OS."},
      {"%0:d of %1:d blocked currently.", {I(3), I(7)}, "3 of 7 blocked currently."},
      {"%0:.0f%1:s protected (%2:d of %3:d).", {62.5, "%", I(5), I(8)}, "63% protected (5 of 8)."},
      {"%s (error code %d: %s)", {"Call", I(-2147467259), "x"}, "Call (error code -2147467259: x)"},
      {"{%s} %4x:%4x", {"a.exe", I(0x1A2B), I(0x3C)}, "{a.exe} 1A2B:  3C"},
      {"  /%-20s - %s", {"help", "shows this page"}, "  /help                 - shows this page"},
      // width, alignment, precision
      {"[%5s]", {"ab"}, "[   ab]"},
      {"[%-5s]", {"ab"}, "[ab   ]"},
      {"[%-3s]", {"abcdef"}, "[abcdef]"},
      {"[%.2s]", {"abcdef"}, "[ab]"},
      {"[%0:-6s]", {"x"}, "[x     ]"},
      {"[%-6s]", {"gr\xC3\xB6\xC3\x9F" "e"}, "[gr\xC3\xB6\xC3\x9F" "e ]"},  // counts characters, not bytes
      {"[%.2s]", {"\xC3\xA4\xC3\xB6\xC3\xBC"}, "[\xC3\xA4\xC3\xB6]"},
      // indexes go on from the last one used
      {"%1:s %0:s", {"a", "b"}, "b a"},
      {"%1:s %s", {"a", "b", "c"}, "b c"},
      {"%s %0:s %s", {"a", "b"}, "a a b"},
      // integers
      {"%d|%d", {I(0), I(-7)}, "0|-7"},
      {"%.3d|%.3d", {I(5), I(-5)}, "005|-005"},
      {"%d", {I(9007199254740993)}, "9007199254740993"},
      {"%x|%X|%.8x", {I(255), I(255), I(0x1A2B)}, "FF|FF|00001A2B"},
      {"%x|%u", {I(-1), I(-1)}, "FFFFFFFF|4294967295"},  // a 32-bit value reads unsigned
      {"%S=%D", {"n", I(1)}, "n=1"},
      {"100%%", {}, "100%"},
      {"", {}, ""},
      // floats round half away from zero
      {"%.0f|%.0f|%.0f", {2.5, 99.5, -2.5}, "3|100|-3"},
      {"%.0f|%.0f", {0.4, -0.4}, "0|0"},
      {"%.2f|%f|%.1f", {0.125, 1.0, 0.05}, "0.13|1.00|0.1"},
      {"%.3f", {-0.0005}, "-0.001"},
      {"%8.2f|%-8.1f|", {3.14159, 2.0}, "    3.14|2.0     |"},
      {"%n|%.0n", {1234567.891, 999.5}, "1,234,567.89|1,000"},
      {"%m|%m", {1234.5, -0.5}, "\xC2\xA4" "1,234.50|(\xC2\xA4" "0.50)"},
      {"%e|%.3e|%.1e", {1234.5, -0.000123456, 0.0}, "1.23450000000000E+003|-1.23E-004|0E+000"},
      {"%g|%g|%g|%g", {0.1 + 0.2, 100.0, 1e20, 1.5e-7}, "0.3|100|1E20|1.5E-7"},
      {"%g|%.3g|%g", {0.00001, 1234.0, 0.0}, "0.00001|1.23E3|0"},
      {"%f|%f|%f", {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                     -std::numeric_limits<double>::infinity()},
       "NAN|INF|-INF"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(rtl::Format(c.format, c.args), c.expected) << "format: " << c.format;
  }
}

TEST(FormatTest, RaisesConvertErrorForMissingArgumentsAndMismatchingTypes) {
  const std::vector<FormatCase> cases = {
      {"%d", {}, ""},
      {"%s %s", {"a"}, ""},
      {"%2:s", {"a", "b"}, ""},
      {"%d", {"7"}, ""},
      {"%d", {7.0}, ""},
      {"%s", {I(1)}, ""},
      {"%.0f", {I(50)}, ""},  // an integer is no float, as in the runtime
      {"%x", {"FF"}, ""},
      {"%q", {I(1)}, ""},
      {"50%", {}, ""},
      {"%-", {"a"}, ""},
      {"%.s", {"a"}, ""},
      {"%999999999s", {"a"}, ""},
  };
  for (const auto& c : cases) {
    EXPECT_THROW(rtl::Format(c.format, c.args), rtl::EConvertError) << "format: " << c.format;
  }
  try {
    rtl::Format("%1:s", {"a"});
    FAIL();
  } catch (const rtl::EConvertError& error) {
    EXPECT_EQ(error.ClassName(), "EConvertError");
    EXPECT_STREQ(error.what(), "No argument for format '%1:s'");
  }
}

namespace inner {
struct EPlainError : std::exception {};
}  // namespace inner

class EOwnError : public rtl::Exception {
 public:
  using Exception::Exception;
  std::string ClassName() const override { return "EOwnError"; }
};

TEST(ExceptionClassNameTest, NamesOwnAndForeignExceptions) {
  EXPECT_EQ(rtl::ExceptionClassName(rtl::Exception("x")), "Exception");
  EXPECT_EQ(rtl::ExceptionClassName(rtl::EConvertError("x")), "EConvertError");
  EXPECT_EQ(rtl::ExceptionClassName(rtl::EListError("x")), "EListError");
  EXPECT_EQ(rtl::ExceptionClassName(EOwnError("x")), "EOwnError");
  // Through a base reference the dynamic type counts.
  const std::exception& base = EOwnError("x");
  EXPECT_EQ(rtl::ExceptionClassName(base), "EOwnError");
  EXPECT_EQ(rtl::ExceptionClassName(std::runtime_error("x")), "std::runtime_error");
  EXPECT_EQ(rtl::ExceptionClassName(inner::EPlainError()), "sysutils_test::inner::EPlainError");
  // No ABI tag in the name.
  EXPECT_EQ(rtl::ExceptionClassName(std::ios_base::failure("x")), "std::ios_base::failure");
}

}  // namespace sysutils_test

TEST(Trim, RemovesControlCharactersAndBlanksAtBothEndsOnly) {
  EXPECT_EQ(rtl::Trim(" \t\r\n a b \x01\x1F "), "a b");
  EXPECT_EQ(rtl::Trim("\t\r\n "), "");
  EXPECT_EQ(rtl::Trim(""), "");
  // Bytes of UTF-8 characters are above 32 and stay.
  EXPECT_EQ(rtl::Trim("\xC2\xA0x\xC3\xBC"), "\xC2\xA0x\xC3\xBC");
}
