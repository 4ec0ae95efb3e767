#include "platform/os/win32/Text.h"

#include <windows.h>

#include <climits>
#include <stdexcept>

namespace os::win32 {

namespace {

int CheckedLength(std::size_t length) {
  if (length > static_cast<std::size_t>(INT_MAX)) throw std::length_error("text too long to convert");
  return static_cast<int>(length);
}

std::wstring ToWide(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  const int length = CheckedLength(text.size());
  const int needed = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
  if (needed <= 0) return {};
  std::wstring result(static_cast<std::size_t>(needed), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), length, result.data(), needed);
  return result;
}

std::string FromWide(UINT codePage, std::wstring_view text) {
  if (text.empty()) return {};
  const int length = CheckedLength(text.size());
  const int needed = WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return {};
  std::string result(static_cast<std::size_t>(needed), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), length, result.data(), needed, nullptr, nullptr);
  return result;
}

}  // namespace

std::wstring Utf8ToWide(std::string_view text) { return ToWide(CP_UTF8, text); }
std::string WideToUtf8(std::wstring_view text) { return FromWide(CP_UTF8, text); }
std::wstring AnsiToWide(std::string_view text) { return ToWide(CP_ACP, text); }
std::string WideToAnsi(std::wstring_view text) { return FromWide(CP_ACP, text); }
std::string Utf8ToAnsi(std::string_view text) { return WideToAnsi(Utf8ToWide(text)); }
std::string AnsiToUtf8(std::string_view text) { return WideToUtf8(AnsiToWide(text)); }

}  // namespace os::win32
