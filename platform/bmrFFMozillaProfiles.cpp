#include "platform/bmrFFMozillaProfiles.h"

#include <exception>

#include "platform/bmrFFNetscapeRegistry.h"
#include "platform/os/Files.h"
#include "platform/rtlAsciiCase.h"
#include "platform/rtlIniFiles.h"

namespace {

constexpr std::int32_t kKindNetscape = 8;
constexpr std::int32_t kFileTypeRegistry = 0;

void AddTrailingDelimiter(std::string& path) {
  if (path.empty() || path.back() != '\\') path += '\\';
}

// The folder of a file with its trailing delimiter; empty for a bare name.
std::string FolderOf(const std::string& file) {
  const std::size_t end = file.find_last_of("\\:");
  return end == std::string::npos ? std::string() : file.substr(0, end + 1);
}

bool StartsWithProfile(const std::string& section) {
  static constexpr char kPrefix[] = "PROFILE";
  if (section.size() < sizeof(kPrefix) - 1) return false;
  return rtl::SameTextAscii(std::string_view(section).substr(0, sizeof(kPrefix) - 1), kPrefix);
}

}  // namespace

const std::array<TMozillaProfileSpecification, kMozillaProfileSpecificationCount> MozillaProfileSpecifications = {{
    {2, 1, "Mozilla\\Firefox\\profiles.ini"},
    {0, 0, "Beonex\\registry.dat"},
    {1, 0, "Firebird\\registry.dat"},
    {1, 0, "Phoenix\\registry.dat"},
    {3, 1, "Flock\\Browser\\profiles.ini"},
    {4, 1, "K-Meleon\\profiles.ini"},
    {4, 0, "K-Meleon\\registry.dat"},
    {5, 1, "altimit-dev\\lolifox\\profiles.ini"},
    {5, 1, "kyobu-senbi\\lolifox\\profiles.ini"},
    {6, 0, "Mozilla\\registry.dat"},
    {6, 1, "Mozilla\\SeaMonkey\\profiles.ini"},
    {8, 0, "nsreg.dat"},
    {7, 1, "Netscape\\Navigator\\profiles.ini"},
    {12, 1, "Postbox\\profiles.ini"},
    {13, 1, "Songbird2\\profiles.ini"},
    {11, 1, "Thunderbird\\profiles.ini"},
    {9, 1, "Moonchild Productions\\Pale Moon\\profiles.ini"},
    {10, 1, "Wyzo\\Data\\profiles.ini"},
}};

const std::array<const char*, 3> MozillaProfileSubFolders = {"", "Local\\", "Roaming\\"};

void FindMozillaProfiles(const std::string& BaseDir, std::vector<std::string>& Profiles) {
  std::string base = BaseDir;
  AddTrailingDelimiter(base);
  auto& files = os::Files();
  for (const auto& row : MozillaProfileSpecifications) {
    for (const char* subFolder : MozillaProfileSubFolders) {
      const std::string candidate = base + subFolder + row.RelativePath;
      if (!files.FileExists(candidate)) continue;
      // What one file holds is added whole or not at all: a file that fails midway (memory
      // for a giant list, a read error) leaves the list as it was.
      const std::size_t before = Profiles.size();
      try {
        if (row.FileType == kFileTypeRegistry) {
          ReadNetscapeRegistryProfiles(candidate, row.Kind, Profiles);
        } else {
          ReadProfilesIni(candidate, Profiles);
        }
      } catch (const std::exception&) {
        Profiles.resize(before);
      }
    }
  }
}

void ReadProfilesIni(const std::string& IniFile, std::vector<std::string>& Profiles) {
  std::string bytes;
  if (os::Files().ReadHead(IniFile, kMaxProfilesIniSize + 1, bytes) != 0) return;
  if (bytes.size() > kMaxProfilesIniSize) return;
  ReadProfilesIniText(IniFile, bytes, Profiles);
}

void ReadProfilesIniText(const std::string& IniFile, std::string_view bytes, std::vector<std::string>& Profiles) {
  const TMemIniFile ini(bytes);
  std::vector<std::string> sections = ini.ReadSections();
  std::erase_if(sections, [](const std::string& name) { return !StartsWithProfile(name); });
  for (const std::string& section : sections) {
    std::string path = ini.ReadString(section, "Path", "");
    for (char& c : path) {
      if (c == '/') c = '\\';
    }
    if (ini.ReadInteger(section, "IsRelative", 0) == 1) path = FolderOf(IniFile) + path;
    AddTrailingDelimiter(path);
    Profiles.push_back(std::move(path));
  }
}

void ReadNetscapeRegistryProfiles(const std::string& RegFile, std::int32_t Kind, std::vector<std::string>& Profiles) {
  const TNSRegistry registry(RegFile);
  const bool netscape = Kind == kKindNetscape;
  const std::string listed = netscape ? "Users" : "Common\\Profiles";
  const char* location = netscape ? "\\ProfileLocation" : "\\directory";
  for (const std::string& name : registry.KeyNames(listed)) {
    try {
      std::string value;
      registry.ReadValue(listed + "\\" + name + location, value);
      AddTrailingDelimiter(value);
      Profiles.push_back(std::move(value));
    } catch (const std::exception&) {
      // One profile that cannot be read is left out; the others go on.
    }
  }
}
