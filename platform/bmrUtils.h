#pragma once
// Small routines of the in-house library: tweak values, dotted version comparison,
// hexadecimal formatting and a character search.

#include <cstdint>
#include <string>

// Reads the tweak value `name` (a REG_DWORD under HKLM "\SOFTWARE\Brenmoor Limited\Tweaks\",
// first in the subkey named after the program's file name, then in the key itself). True
// with its low byte in value when found; false, value untouched, when found in neither.
bool bmrGetTweakByte(const std::string& name, std::uint8_t& value);

// Positive when a is the later version, negative when b is, 0 when equal: the difference of
// the first differing dotted parts. Only the text before the first blank counts; a part that
// is no number counts 0, and so does a part the shorter version lacks (1.5 equals 1.5.0).
std::int32_t CompareVersionStrings(const std::string& a, const std::string& b);

// Upper-case hexadecimal: two digits for a byte, four for a word.
std::string ByteToHex(std::uint8_t value);
std::string WordToHex(std::uint16_t value);

// 1-based position of the first byte equal to c in s; 0 when there is none.
std::int32_t PosChar(char c, const std::string& s);
