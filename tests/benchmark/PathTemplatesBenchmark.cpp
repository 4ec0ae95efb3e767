// The start-up cost of the path templates on the in-memory Windows: the table built from the
// shell folders of both users, the environment and the profile files of a user with several
// Mozilla-family programs of ten profiles each, and the one expansion the program makes.
// Run it from a release build:
//   cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release
//   cmake --build build/bench --target tvqm_paths_benchmark && build/bench/tests/benchmark/tvqm_paths_benchmark

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "platform/bmrFilesPaths.h"
#include "tests/fakes/FakeWindows.h"
#include "tests/fakes/NetscapeRegistryFile.h"

namespace {

constexpr int kProfilesEach = 10;
const std::string kRoaming = "C:\\Users\\Tester\\AppData\\Roaming";

std::string ProfilesIni(const std::string& folder) {
  std::string ini = "[General]\r\nStartWithLastProfile=1\r\nVersion=2\r\n\r\n";
  for (int i = 0; i < kProfilesEach; ++i) {
    const std::string n = std::to_string(i);
    ini += "[Profile" + n + "]\r\nName=profile" + n + "\r\nIsRelative=" + (i % 2 ? "0" : "1") + "\r\nPath=" +
           (i % 2 ? folder + "\\Profiles\\abcd" + n + ".other" : "Profiles/abcd" + n + ".default") + "\r\n\r\n";
  }
  return ini + "[Install308046B0AF4A39CB]\r\nDefault=Profiles/abcd0.default\r\nLocked=1\r\n";
}

std::string Registry(bool netscape, const std::string& folder) {
  using fakes::NsNode;
  std::vector<NsNode> keys;
  for (int i = 0; i < kProfilesEach; ++i) {
    keys.push_back(NsNode::Key("user" + std::to_string(i),
                               {NsNode::Value(netscape ? "ProfileLocation" : "directory",
                                              folder + "\\Users50\\user" + std::to_string(i))}));
  }
  const NsNode listed = netscape ? NsNode::Key("Users", {NsNode::Value("CurrentUser", "user0")}, keys)
                                 : NsNode::Key("Common", {NsNode::Value("Version", "1.0")},
                                               {NsNode::Key("Profiles", {NsNode::Value("CurrentProfile", "user0")}, keys)});
  return fakes::NetscapeRegistryFile(NsNode::Key("", {}, {listed})).Bytes();
}

// The fakes with the environment of a 32-bit process on Windows 10 and profile files of six
// programs in both application-data folders of the environment and the shell.
struct World {
  fakes::FakeWindows windows;
  World() {
    windows.system.environmentBlock = std::vector<std::string>{
        "ALLUSERSPROFILE=C:\\ProgramData", "APPDATA=" + kRoaming,
        "CommonProgramFiles=C:\\Program Files (x86)\\Common Files", "LOCALAPPDATA=C:\\Users\\Tester\\AppData\\Local",
        "Path=C:\\Windows\\system32;C:\\Windows;C:\\Windows\\System32\\Wbem;C:\\Windows\\System32\\WindowsPowerShell\\v1.0\\",
        "TEMP=C:\\Users\\Tester\\AppData\\Local\\Temp", "TMP=C:\\Users\\Tester\\AppData\\Local\\Temp",
        "USERPROFILE=C:\\Users\\Tester"};
    windows.files.AddFolder("C:\\Windows\\sysnative");
    for (const char* ini : {"Mozilla\\Firefox", "Thunderbird", "Mozilla\\SeaMonkey", "Moonchild Productions\\Pale Moon"}) {
      const std::string folder = kRoaming + "\\" + ini;
      windows.files.SetFile(folder + "\\profiles.ini", ProfilesIni(folder));
    }
    windows.files.SetFile(kRoaming + "\\Mozilla\\registry.dat", Registry(false, kRoaming + "\\Mozilla"));
    windows.files.SetFile(kRoaming + "\\nsreg.dat", Registry(true, "C:\\Program Files\\Netscape"));
  }
};

void BM_BuildPathTemplates(benchmark::State& state) {
  World world;
  std::size_t profiles = 0;
  for (auto _ : state) {
    TPathTemplates table;
    profiles = table.Find("MOZILLAPROFILE")->Count();
    benchmark::DoNotOptimize(profiles);
  }
  if (profiles != 6 * kProfilesEach) state.SkipWithError("the profile tree was not found");
  state.counters["profiles"] = static_cast<double>(profiles);
}
BENCHMARK(BM_BuildPathTemplates)->Unit(benchmark::kMicrosecond);

void BM_ExpandDesktop(benchmark::State& state) {
  World world;
  TPathTemplates table;
  for (auto _ : state) benchmark::DoNotOptimize(table.Expand("<$DESKTOP>\\", true));
}
BENCHMARK(BM_ExpandDesktop)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
