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

}  // namespace

TCustomWindows10HostsImmunization::TCustomWindows10HostsImmunization() {
  // The editor completes its own default block while reading; the markers of this kind are
  // set afterwards, so that block stays in the file with every save.
  HostsFile = std::make_unique<THostsFile>();
  // A policy that switches the custom address on without giving one would write lines that
  // are no entries: they block nothing, never count, and every apply would add them again.
  std::string address;
  BlockAddress = GetPolicyCustomBlockIP(address) && !rtl::Trim(address).empty() ? address : "0.0.0.0";
  SetSectionSuffix("");
}

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
