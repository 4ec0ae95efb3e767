#include "platform/bmrCredits.h"

namespace {

std::vector<TLicenseEntry> g_credits;

}  // namespace

void RegisterCredit(const std::string& name, const std::string& copyright, const std::string& url,
                    std::int32_t category, std::int32_t hidden) {
  for (const TLicenseEntry& entry : g_credits) {
    if (entry.Name == name) return;
  }
  g_credits.push_back(TLicenseEntry{name, hidden, category, copyright, url});
}

void ListCredits(std::vector<std::string>& lines) {
  for (const TLicenseEntry& entry : g_credits) {
    if (entry.Hidden == 0) lines.push_back(entry.Name + ": " + entry.Copyright);
  }
}

const std::vector<TLicenseEntry>& RegisteredCredits() { return g_credits; }

void RegisterRuntimeCredits() {
  RegisterCredit("MinGW-w64 runtime", "Copyright (c) 2009, 2010 by the mingw-w64 project", "https://www.mingw-w64.org/",
                 kCreditCategoryLibrary, 0);
  RegisterCredit("winpthreads", "Copyright (c) 2011 mingw-w64 project", "https://www.mingw-w64.org/",
                 kCreditCategoryLibrary, 0);
}

void InitializeBmrCredits() { g_credits.clear(); }

void FinalizeBmrCredits() { std::vector<TLicenseEntry>().swap(g_credits); }
