#pragma once
// The Windows releases the program tells apart, and the set of them that describes the
// running system, computed once at start-up.

#include <cstdint>
#include <initializer_list>

#include "platform/os/System.h"

// Stored in 4 bytes; the ordinal is the member's bit in TOperatingSystems.
enum TOperatingSystem : std::uint32_t {
  osWin40 = 0,
  osWin41 = 1,
  osWin49 = 2,
  osWin9xSeries = 3,
  osWin95Series = 4,
  osWin95 = 5,
  osWin952 = 6,
  osWin9525 = 7,
  osWin98Series = 8,
  osWin98 = 9,
  osWin98SE = 10,
  osWinME = 11,
  osWinNTSeries = 12,
  osWinNT351 = 13,
  osWinNT40 = 14,
  osWin2000 = 15,
  osWinXPSeries = 16,
  osWinXP32 = 17,
  osWin2003Series = 18,
  osWin2003 = 19,
  osWinXP64 = 20,
  osVista = 21,
  osWindows7 = 22,
  osWindows8 = 23,
  osWindows81 = 24,
  osWindows10 = 25,
};

// A set of TOperatingSystem as a 32-bit word, bit n for the member of ordinal n. A struct
// rather than a bare word so that a member can't be mistaken for a set.
struct TOperatingSystems {
  std::uint32_t Word = 0;

  constexpr TOperatingSystems() = default;
  constexpr TOperatingSystems(std::initializer_list<TOperatingSystem> members) {
    for (TOperatingSystem member : members) Include(member);
  }
  static constexpr TOperatingSystems FromWord(std::uint32_t word) {
    TOperatingSystems set;
    set.Word = word;
    return set;
  }

  constexpr TOperatingSystems& Include(TOperatingSystem member) {
    Word |= std::uint32_t{1} << member;
    return *this;
  }
  constexpr bool Contains(TOperatingSystem member) const { return (Word >> member) & 1u; }
  constexpr bool Empty() const { return Word == 0; }
  // Whether the two sets have a member in common: how an immunizer is found supported.
  constexpr bool SharesMemberWith(TOperatingSystems other) const { return (Word & other.Word) != 0; }

  friend constexpr bool operator==(TOperatingSystems, TOperatingSystems) = default;
  friend constexpr TOperatingSystems operator|(TOperatingSystems a, TOperatingSystems b) {
    return FromWord(a.Word | b.Word);
  }
};

static_assert(sizeof(TOperatingSystem) == 4 && sizeof(TOperatingSystems) == 4);

// The running system's set; written by InitializeBmrWindows, read-only afterwards.
extern TOperatingSystems CurrentOperatingSystems;

// The set for a version record. Where the registry's "CurrentVersion" reads "6.3" and the
// record reports a major version below 10, the record is corrected to 6.3 in place first:
// Windows 8.1 reports itself as 6.2 to programs that don't declare it.
TOperatingSystems DetectOperatingSystem(os::OsVersionInfo& version);

// Queries the version and computes CurrentOperatingSystems.
void InitializeBmrWindows();
