#pragma once
// The credits of the outside works the program uses. Each module that brings in such a work
// registers its line; the about dialog lists them.

#include <cstdint>
#include <string>
#include <vector>

struct TLicenseEntry {
  std::string Name;          // the key of the list
  std::int32_t Hidden = 0;   // listed only when 0
  std::int32_t Category = 0;
  std::string Copyright;
  std::string URL;
};

// Adds a credit unless one of the same name (case-sensitive) is there; the first one stays.
void RegisterCredit(const std::string& name, const std::string& copyright, const std::string& url,
                    std::int32_t category, std::int32_t hidden);
// Appends "name: copyright" for every credit that is not hidden, in registration order.
void ListCredits(std::vector<std::string>& lines);
// Every registered credit, hidden ones included.
const std::vector<TLicenseEntry>& RegisteredCredits();

// Categories: outside code linked into the program, and artwork (the main window credits its
// icon set with RegisterCredit when it is created).
inline constexpr std::int32_t kCreditCategoryLibrary = 0;
inline constexpr std::int32_t kCreditCategoryArtwork = 2;

// Registers what the program's file contains whose licence asks for its notice: the MinGW-w64
// runtime and winpthreads, linked in statically. (The C++ runtime's licence asks for none.)
void RegisterRuntimeCredits();

void InitializeBmrCredits();
void FinalizeBmrCredits();
