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

void InitializeBmrCredits() { g_credits.clear(); }

void FinalizeBmrCredits() { std::vector<TLicenseEntry>().swap(g_credits); }
