#include "engine/tvqmVorletsBaseHosts.h"

#include <exception>

#include "engine/hmQuietmarkGroupPoliciesClient.h"
#include "platform/os/System.h"
#include "platform/rtlResStrings.h"
#include "platform/rtlSysUtils.h"

namespace {

const rtl::ResourceString rsloginformationhostsfileentrycount{"rsloginformationhostsfileentrycount",
                                                              "%0:d entries found in hosts file (%1:s)."};
const rtl::ResourceString rslogerrorhostsfileaccess{"rslogerrorhostsfileaccess",
                                                    "Unable to access hosts file, attempt %0:d: %1:s."};
const rtl::ResourceString rslogerrorhostsfileremoveaccess{"rslogerrorhostsfileremoveaccess",
                                                          "Unable to access hosts file %0:s."};
const rtl::ResourceString rslogsuccesshostsfileaccess{"rslogsuccesshostsfileaccess",
                                                      "Processed hosts file on attempt %0:d."};

constexpr std::int64_t kAttempts = 5;
// Another program (a virus scanner, the DNS client) may hold the file for a moment: the
// attempts wait a little longer each time.
constexpr std::uint32_t kFirstPauseMs = 100;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// Four decimal numbers 0 to 255 without leading zeros, separated by dots.
bool IsIPv4Text(std::string_view text) {
  int parts = 0;
  std::size_t at = 0;
  while (true) {
    const std::size_t start = at;
    int value = 0;
    while (at < text.size() && IsDigit(text[at]) && at - start < 3) value = value * 10 + (text[at++] - '0');
    const std::size_t digits = at - start;
    if (digits == 0 || value > 255 || (digits > 1 && text[start] == '0')) return false;
    if (++parts == 4) return at == text.size();
    if (at >= text.size() || text[at] != '.') return false;
    ++at;
  }
}

// Eight groups of one to four hex digits separated by colons, one run of zero groups
// written as "::", the last two groups possibly as an IPv4 address.
bool IsIPv6Text(std::string_view text) {
  int groups = 0;
  bool compressed = false;
  std::size_t at = 0;
  if (text.substr(0, 2) == "::") {
    compressed = true;
    at = 2;
    if (at == text.size()) return true;
  } else if (!text.empty() && text.front() == ':') {
    return false;
  }
  while (at < text.size()) {
    const std::size_t start = at;
    while (at < text.size() && IsHexDigit(text[at]) && at - start < 5) ++at;
    if (at < text.size() && text[at] == '.') {
      // The IPv4 tail takes the place of two groups.
      if (!IsIPv4Text(text.substr(start))) return false;
      groups += 2;
      at = text.size();
      break;
    }
    const std::size_t digits = at - start;
    if (digits == 0 || digits > 4) return false;
    ++groups;
    if (at == text.size()) break;
    if (text[at] != ':') return false;
    ++at;
    if (at < text.size() && text[at] == ':') {
      if (compressed) return false;
      compressed = true;
      ++at;
      if (at == text.size()) break;
    } else if (at == text.size()) {
      return false;
    }
  }
  return compressed ? groups < 8 : groups == 8;
}

}  // namespace

TCustomWindows10HostsImmunization::TCustomWindows10HostsImmunization() {
  // The editor completes its own default block while reading; the markers of this kind are
  // set afterwards, so that block stays in the file with every save.
  HostsFile = std::make_unique<THostsFile>();
  // A policy address that is no address would write lines that are no entries ("#" makes
  // comments that never count, so every apply adds them again) or, with a line break, lines
  // of its own: only an IPv4 or IPv6 address is used.
  std::string address;
  BlockAddress = GetPolicyCustomBlockIP(address) && IsIPAddressText(address) ? address : "0.0.0.0";
  SetSectionSuffix("");
}

bool IsIPAddressText(std::string_view text) { return IsIPv4Text(text) || IsIPv6Text(text); }

TCustomWindows10HostsImmunization::~TCustomWindows10HostsImmunization() {
  Hosts.clear();
  HostsFile.reset();
}

void TCustomWindows10HostsImmunization::AddHost(const std::string& name) { Hosts.push_back(name); }

void TCustomWindows10HostsImmunization::SetSectionSuffix(const std::string& value) {
  Suffix = value;
  StartMarker = rtl::Trim("# Start of entries inserted by Tolvex Quietmark for Windows 10 " + value);
  EndMarker = rtl::Trim("# End of entries inserted by Tolvex Quietmark for Windows 10 " + value);
  ApplyMarkers(*HostsFile);
}

void TCustomWindows10HostsImmunization::ApplyMarkers(THostsFile& file) const {
  file.StartMarker = StartMarker;
  file.EndMarker = EndMarker;
  file.DefaultAddress = BlockAddress;
}

std::unique_ptr<THostsFile> TCustomWindows10HostsImmunization::ReadHostsFile() const {
  auto file = std::make_unique<THostsFile>(HostsFile->GetFileName());
  ApplyMarkers(*file);
  return file;
}

std::int32_t TCustomWindows10HostsImmunization::GetCount() { return static_cast<std::int32_t>(Hosts.size()); }

std::int32_t TCustomWindows10HostsImmunization::GetHostsFileEntryCount() { return HostsFile->Entries.Count(); }

bool TCustomWindows10HostsImmunization::UseReadOnlyAttribute() { return GetPolicyHostsReadOnly(); }

std::int32_t TCustomWindows10HostsImmunization::GetImmunizedCount() {
  try {
    HostsFile = ReadHostsFile();
  } catch (const std::exception& error) {
    // The count then stands on the copy last read or saved, which matched the file then.
    DoLog(ilError, rtl::Format(rtl::LoadResString(rslogerrorhostsfileremoveaccess), {std::string(error.what())}));
  }
  DoLog(ilInformation, rtl::Format(rtl::LoadResString(rsloginformationhostsfileentrycount),
                                   {std::int64_t{GetHostsFileEntryCount()}, HostsFile->GetFileName()}));
  std::int32_t count = 0;
  for (const auto& name : Hosts) {
    if (HostsFile->HasEntry(name)) ++count;
  }
  return count;
}

template <class Edit, class Report>
void TCustomWindows10HostsImmunization::ProcessHostsFile(const char* operation, Edit edit, Report report) {
  std::int64_t attempt = 1;
  bool done = false;
  while (!done && attempt <= kAttempts) {
    try {
      auto file = ReadHostsFile();
      edit(*file);
      file->Save(UseReadOnlyAttribute());
      HostsFile = std::move(file);
      done = true;
    } catch (const std::exception& error) {
      report(attempt, std::string(error.what()));
      if (attempt < kAttempts) os::System().Pause(kFirstPauseMs << (attempt - 1));
      ++attempt;
    }
  }
  os::System().DebugOutput(rtl::Format("TCustomWindows10HostsImmunization.%s: %d", {std::string(operation), attempt}));
  if (done && attempt > 1) {
    DoLog(ilSuccess, rtl::Format(rtl::LoadResString(rslogsuccesshostsfileaccess), {attempt}));
  }
}

void TCustomWindows10HostsImmunization::Immunize() {
  ProcessHostsFile(
      "Immunize", [this](THostsFile& file) { file.AddEntries(Hosts); },
      [this](std::int64_t attempt, const std::string& message) {
        DoLog(ilError, rtl::Format(rtl::LoadResString(rslogerrorhostsfileaccess), {attempt, message}));
      });
}

void TCustomWindows10HostsImmunization::Remove() {
  ProcessHostsFile(
      "Remove", [](THostsFile& file) { file.RemoveAllEntries(); },
      [this](std::int64_t, const std::string& message) {
        DoLog(ilError, rtl::Format(rtl::LoadResString(rslogerrorhostsfileremoveaccess), {message}));
      });
}
