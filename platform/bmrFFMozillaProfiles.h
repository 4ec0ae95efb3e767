#pragma once
// Finds the profile folders of Mozilla-family programs below a base folder (an application-
// data folder): the "profiles.ini" files of the newer programs and the binary registry files
// of the older ones, each probed directly in the base folder and in its "Local\" and
// "Roaming\" sub-folders.
//
// The files come from other programs: a file that is missing, cannot be read, is larger than
// any such file is, or makes no sense adds nothing, and no failure leaves the finder.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct TMozillaProfileSpecification {
  // The product of the row; 8 (the "nsreg.dat" of the old Netscape) lists its profiles under
  // "Users", every other registry file under "Common\Profiles".
  std::int32_t Kind;
  // 0: a binary registry file; 1: a "profiles.ini".
  std::int32_t FileType;
  const char* RelativePath;
};

inline constexpr std::size_t kMozillaProfileSpecificationCount = 18;
extern const std::array<TMozillaProfileSpecification, kMozillaProfileSpecificationCount> MozillaProfileSpecifications;
// Tried between the base folder and a row's path, in this order.
extern const std::array<const char*, 3> MozillaProfileSubFolders;

// A "profiles.ini" larger than this is no profile list and is not read.
inline constexpr std::size_t kMaxProfilesIniSize = 256u << 10;

// Probes every row under every sub-folder of BaseDir and appends each profile folder found
// (ending in a path delimiter) to Profiles. Entries are not sorted and may repeat.
void FindMozillaProfiles(const std::string& BaseDir, std::vector<std::string>& Profiles);
// The profile folders listed in a "profiles.ini".
void ReadProfilesIni(const std::string& IniFile, std::vector<std::string>& Profiles);
// The same for the bytes of such a file; IniFile gives the folder of relative paths.
void ReadProfilesIniText(const std::string& IniFile, std::string_view bytes, std::vector<std::string>& Profiles);
// The profile folders recorded in a binary registry file of the row's Kind.
void ReadNetscapeRegistryProfiles(const std::string& RegFile, std::int32_t Kind, std::vector<std::string>& Profiles);
