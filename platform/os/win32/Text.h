#pragma once
// Text conversions at the Win32 boundary. The portable code keeps UTF-8; the narrow calls
// take the ANSI code page, the wide calls UTF-16. Every conversion works on the whole given
// length, so embedded zeros (REG_MULTI_SZ, terminators) pass through unchanged. Malformed
// input never fails: the system puts its replacement character in its place.

#include <string>
#include <string_view>

namespace os::win32 {

std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);

// The ANSI code page of the process (CP_ACP); characters it lacks become its default
// character.
std::wstring AnsiToWide(std::string_view text);
std::string WideToAnsi(std::wstring_view text);

// UTF-8 -> UTF-16 -> ANSI and back.
std::string Utf8ToAnsi(std::string_view text);
std::string AnsiToUtf8(std::string_view text);

}  // namespace os::win32
