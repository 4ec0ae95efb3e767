#pragma once
// Hosts immunizer kind: redirects a list of host names to 0.0.0.0 (or the address a policy
// sets) in a block of its own in the system hosts file. Applying adds the missing names to the
// block, undoing empties it; both save the file, with retries.
//
// Every count, apply and undo works on the file as it is at that moment, read again, never on
// an older copy: the other hosts immunizer and other programs write the same file, and a save
// from an older copy would drop their lines.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/tvqmVorletsBase.h"
#include "platform/bmrFFHosts.h"

// An IPv4 address in dotted decimal or an IPv6 address in its text forms, nothing around it.
bool IsIPAddressText(std::string_view text);

class TCustomWindows10HostsImmunization : public TWindows10Immunization {
 public:
  // Locates and reads the hosts file; a file that exists but cannot be read raises.
  TCustomWindows10HostsImmunization();
  ~TCustomWindows10HostsImmunization() override;

  // Entries of the list; a name standing twice counts twice.
  std::int32_t GetCount() override;
  // Logs the file's entry count, then counts the listed names that the file maps.
  std::int32_t GetImmunizedCount() override;
  void Immunize() override;
  // Empties the block; saves also when it was missing or empty.
  void Remove() override;

  void AddHost(const std::string& name);
  void SetSectionSuffix(const std::string& value);
  const std::string& GetSuffix() const { return Suffix; }
  // One per host name of every entry line of the file.
  std::int32_t GetHostsFileEntryCount();
  // The read-only policy, read afresh at every call.
  bool UseReadOnlyAttribute();

  const std::vector<std::string>& GetHosts() const { return Hosts; }
  // The copy of the file as last read or saved.
  const THostsFile& GetHostsFile() const { return *HostsFile; }

 private:
  // The file as it is now, with this kind's markers and address.
  std::unique_ptr<THostsFile> ReadHostsFile() const;
  void ApplyMarkers(THostsFile& file) const;
  // Up to five attempts of read, edit and save; the copy is kept only when its save succeeded.
  template <class Edit, class Report>
  void ProcessHostsFile(const char* operation, Edit edit, Report report);

  std::string Suffix;
  std::vector<std::string> Hosts;
  std::unique_ptr<THostsFile> HostsFile;
  std::string StartMarker;
  std::string EndMarker;
  std::string BlockAddress;
};
