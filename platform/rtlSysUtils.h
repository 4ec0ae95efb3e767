#pragma once
// Runtime helpers the whole program shares: the project's exception types and the
// Pascal-style Format that the texts of the system are written in.

#include <cstdint>
#include <exception>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace rtl {

// Base of the project's exceptions. ClassName() is what logs and reports show for the error.
class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& Message() const { return message_; }
  virtual std::string ClassName() const { return "Exception"; }

 private:
  std::string message_;
};

// The class name of any caught exception: the project's own name for its types, the
// demangled C++ type name for others, "" when it cannot be told.
std::string ExceptionClassName(const std::exception& error);

// One argument of Format.
using FormatArg = std::variant<std::int64_t, double, std::string>;

// Pascal-style Format: "%[index:][-][width][.precision]type" with the types d, u, x, s, f, g,
// e, n, m; "%%" is a percent sign. An index ("%1:s") picks the argument, later specifiers
// without one go on from there. A missing argument or a type that does not fit raises
// EConvertError, as the runtime does.
// Width and precision count characters (code points of the UTF-8 text), not bytes. Type
// letters are case-insensitive; x writes upper-case digits; u and x read a negative value in
// the 32-bit range as the unsigned 32-bit number it stands for (an HRESULT, a DWORD). Floats
// use the invariant settings ("." decimal, "," thousands, currency sign U+00A4) and round
// half away from zero, as the runtime does: Format("%.0f", {62.5}) is "63".
std::string Format(const std::string& format, const std::vector<FormatArg>& args);

// The text without the characters of code 32 or less (blanks, tabs, line breaks, control
// characters) at either end.
std::string Trim(const std::string& text);

class EConvertError : public Exception {
 public:
  using Exception::Exception;
  std::string ClassName() const override { return "EConvertError"; }
};

// Access to a list by a position outside it.
class EListError : public Exception {
 public:
  using Exception::Exception;
  std::string ClassName() const override { return "EListError"; }
};

}  // namespace rtl
