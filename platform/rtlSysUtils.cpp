#include "platform/rtlSysUtils.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <typeinfo>

#if defined(__GNUG__)
#include <cxxabi.h>
#endif

namespace rtl {

namespace {

// Guards against a format (a translated text, say) that asks for an absurd field.
constexpr int kMaxFieldSize = 100000;

[[noreturn]] void InvalidFormat(const std::string& format) {
  throw EConvertError("Format '" + format + "' invalid or incompatible with argument");
}

std::size_t CharCount(const std::string& text) {
  std::size_t count = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80) ++count;
  }
  return count;
}

// The first maxChars characters of text.
std::string LeadingChars(const std::string& text, std::size_t maxChars) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      if (count == maxChars) return text.substr(0, i);
      ++count;
    }
  }
  return text;
}

// A float as decimal digits: 0.digits x 10^exponent, without trailing zeros; no digits is zero.
struct Decimal {
  bool negative = false;
  std::string digits;
  int exponent = 0;
};

void StripTrailingZeros(Decimal& d) {
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
}

// 17 significant digits: enough to tell every double apart, and the rounding below works on
// them as the runtime works on its decimal expansion.
Decimal ToDecimal(double value) {
  Decimal d;
  d.negative = std::signbit(value);
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific, 16);
  std::string text(buffer, result.ptr);  // d.dddddddddddddddde[+-]xx
  std::size_t e = text.find('e');
  d.digits = text.substr(0, 1) + text.substr(2, e - 2);
  d.exponent = std::atoi(text.c_str() + e + 1) + 1;
  StripTrailingZeros(d);
  if (d.digits.empty()) d.exponent = 0;
  return d;
}

// Keeps the first keep digits, rounding half away from zero.
void RoundDigits(Decimal& d, int keep) {
  if (keep < 0) {
    d.digits.clear();
    return;
  }
  if (keep >= static_cast<int>(d.digits.size())) return;
  bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
  d.digits.resize(static_cast<std::size_t>(keep));
  if (up) {
    while (!d.digits.empty() && d.digits.back() == '9') d.digits.pop_back();
    if (d.digits.empty()) {
      d.digits = "1";
      ++d.exponent;
    } else {
      ++d.digits.back();
    }
  }
  StripTrailingZeros(d);
}

char DigitAt(const Decimal& d, int position) {
  return position >= 0 && position < static_cast<int>(d.digits.size()) ? d.digits[static_cast<std::size_t>(position)]
                                                                        : '0';
}

std::string GroupThousands(const std::string& digits) {
  std::string result;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) result += ',';
    result += digits[i];
  }
  return result;
}

// Fixed notation without sign: integer digits, then precision decimals.
std::string FixedDigits(Decimal d, int precision, bool thousands, bool& isZero) {
  RoundDigits(d, d.exponent + precision);
  isZero = d.digits.empty();
  std::string integer;
  for (int i = 0; i < d.exponent; ++i) integer += DigitAt(d, i);
  if (integer.empty()) integer = "0";
  if (thousands) integer = GroupThousands(integer);
  if (precision <= 0) return integer;
  std::string result = integer + '.';
  for (int k = 0; k < precision; ++k) result += DigitAt(d, d.exponent + k);
  return result;
}

std::string FormatFloat(double value, char type, int precision) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  Decimal d = ToDecimal(value);
  bool isZero = false;
  switch (type) {
    case 'F':
    case 'N': {
      std::string text = FixedDigits(d, precision < 0 ? 2 : precision, type == 'N', isZero);
      return (d.negative && !isZero ? "-" : "") + text;
    }
    case 'M': {
      std::string text = "\xC2\xA4" + FixedDigits(d, precision < 0 ? 2 : precision, true, isZero);
      return d.negative && !isZero ? "(" + text + ")" : text;
    }
    case 'E': {
      int digits = precision < 0 ? 15 : std::max(precision, 1);
      RoundDigits(d, digits);
      int exponent = d.digits.empty() ? 0 : d.exponent - 1;
      std::string text = (d.negative && !d.digits.empty()) ? "-" : "";
      text += DigitAt(d, 0);
      if (digits > 1) text += '.';
      for (int i = 1; i < digits; ++i) text += DigitAt(d, i);
      std::string power = std::to_string(std::abs(exponent));
      return text + (exponent < 0 ? "E-" : "E+") + std::string(power.size() < 3 ? 3 - power.size() : 0, '0') + power;
    }
    default: {  // 'G': shortest of fixed and scientific, no trailing zeros
      int digits = precision < 0 ? 15 : std::max(precision, 1);
      RoundDigits(d, digits);
      if (d.digits.empty()) return "0";
      std::string sign = d.negative ? "-" : "";
      int size = static_cast<int>(d.digits.size());
      if (d.exponent <= digits && d.exponent >= -4) {
        return sign + FixedDigits(d, std::max(0, size - d.exponent), false, isZero);
      }
      std::string text = sign + d.digits.substr(0, 1);
      if (size > 1) text += '.' + d.digits.substr(1);
      return text + 'E' + std::to_string(d.exponent - 1);
    }
  }
}

// An integer that the 32-bit program would hold in a 32-bit variable reads as unsigned 32-bit.
std::uint64_t AsUnsigned(std::int64_t value) {
  if (value < 0 && value >= INT32_MIN) return static_cast<std::uint32_t>(static_cast<std::int32_t>(value));
  return static_cast<std::uint64_t>(value);
}

std::string WithMinDigits(std::string digits, int precision) {
  if (precision > 0 && static_cast<int>(digits.size()) < precision) {
    digits.insert(0, static_cast<std::size_t>(precision) - digits.size(), '0');
  }
  return digits;
}

std::string FormatInteger(std::int64_t value, char type, int precision) {
  if (type == 'D') {
    std::string digits = std::to_string(value);
    bool negative = value < 0;
    if (negative) digits.erase(0, 1);
    return (negative ? "-" : "") + WithMinDigits(digits, precision);
  }
  std::uint64_t number = AsUnsigned(value);
  char buffer[32];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, number, type == 'X' ? 16 : 10);
  std::string digits(buffer, result.ptr);
  for (char& c : digits) {
    if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
  }
  return WithMinDigits(digits, precision);
}

// Reads a decimal number at pos; -1 when there is none.
int ReadNumber(const std::string& format, std::size_t& pos) {
  if (pos >= format.size() || format[pos] < '0' || format[pos] > '9') return -1;
  int value = 0;
  while (pos < format.size() && format[pos] >= '0' && format[pos] <= '9') {
    value = value * 10 + (format[pos] - '0');
    if (value > kMaxFieldSize) InvalidFormat(format);
    ++pos;
  }
  return value;
}

}  // namespace

std::string Format(const std::string& format, const std::vector<FormatArg>& args) {
  std::string result;
  std::size_t nextArg = 0;
  std::size_t pos = 0;
  while (pos < format.size()) {
    std::size_t percent = format.find('%', pos);
    if (percent == std::string::npos) {
      result.append(format, pos, std::string::npos);
      break;
    }
    result.append(format, pos, percent - pos);
    pos = percent + 1;
    if (pos < format.size() && format[pos] == '%') {
      result += '%';
      ++pos;
      continue;
    }

    int number = ReadNumber(format, pos);
    std::size_t argIndex = nextArg;
    if (number >= 0 && pos < format.size() && format[pos] == ':') {
      argIndex = static_cast<std::size_t>(number);
      ++pos;
      number = -1;
    }
    bool leftAlign = false;
    if (number < 0 && pos < format.size() && format[pos] == '-') {
      leftAlign = true;
      ++pos;
    }
    int width = number >= 0 ? number : ReadNumber(format, pos);
    int precision = -1;
    if (pos < format.size() && format[pos] == '.') {
      ++pos;
      precision = ReadNumber(format, pos);
      if (precision < 0) InvalidFormat(format);
    }
    if (pos >= format.size()) InvalidFormat(format);
    char type = format[pos++];
    if (type >= 'a' && type <= 'z') type = static_cast<char>(type - 'a' + 'A');

    if (argIndex >= args.size()) throw EConvertError("No argument for format '" + format + "'");
    nextArg = argIndex + 1;
    const FormatArg& arg = args[argIndex];

    std::string text;
    switch (type) {
      case 'D':
      case 'U':
      case 'X':
        if (!std::holds_alternative<std::int64_t>(arg)) InvalidFormat(format);
        text = FormatInteger(std::get<std::int64_t>(arg), type, precision);
        break;
      case 'F':
      case 'G':
      case 'E':
      case 'N':
      case 'M':
        if (!std::holds_alternative<double>(arg)) InvalidFormat(format);
        text = FormatFloat(std::get<double>(arg), type, precision);
        break;
      case 'S':
        if (!std::holds_alternative<std::string>(arg)) InvalidFormat(format);
        text = std::get<std::string>(arg);
        if (precision >= 0) text = LeadingChars(text, static_cast<std::size_t>(precision));
        break;
      default:
        InvalidFormat(format);
    }

    std::size_t chars = CharCount(text);
    if (width > 0 && chars < static_cast<std::size_t>(width)) {
      std::string padding(static_cast<std::size_t>(width) - chars, ' ');
      text = leftAlign ? text + padding : padding + text;
    }
    result += text;
  }
  return result;
}

std::string ExceptionClassName(const std::exception& error) {
  if (const auto* own = dynamic_cast<const Exception*>(&error)) return own->ClassName();
  const char* raw = typeid(error).name();
  std::string name;
#if defined(__GNUG__)
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> demangled(abi::__cxa_demangle(raw, nullptr, nullptr, &status), std::free);
  if (status != 0 || !demangled) return "";
  name = demangled.get();
  // libstdc++ tags some types with their ABI ("std::ios_base::failure[abi:cxx11]").
  for (std::size_t tag; (tag = name.find("[abi:")) != std::string::npos;) {
    std::size_t end = name.find(']', tag);
    name.erase(tag, end == std::string::npos ? std::string::npos : end - tag + 1);
  }
#else
  // MSVC names are readable already: "class std::runtime_error".
  name = raw != nullptr ? raw : "";
  for (const char* prefix : {"class ", "struct "}) {
    std::string p(prefix);
    if (name.compare(0, p.size(), p) == 0) {
      name.erase(0, p.size());
      break;
    }
  }
#endif
  return name;
}

std::string Trim(const std::string& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
  return text.substr(begin, end - begin);
}

}  // namespace rtl
