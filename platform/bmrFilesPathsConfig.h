#pragma once
// The configuration table of the path templates: for each template that a shell special
// folder (or another source) fills, its CSIDL number and its two-letter code.

#include <array>
#include <cstdint>
#include <string>

struct TPathSolveConfig {
  // The shell special-folder number; -1 for a name that no shell folder fills.
  std::int32_t CSIDL;
  const char* Name;
  // "AA" for the first row, then "AB" ... "AZ", "BA" ... in row order.
  const char* Code;
};

inline constexpr std::size_t kPathSolveConfigCount = 49;

extern const std::array<TPathSolveConfig, kPathSolveConfigCount> PathSolveConfig;

// The code of the last row whose name equals name without regard to ASCII letter case;
// empty when no row does.
std::string PathSolveCode(const std::string& name);
