// Loads, counts, applies and saves hosts files of growing size on the in-memory files and
// prints the times: each step must cost in proportion to the file, so the time per entry stays
// flat as the file doubles. Run it from a release build:
//   cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release
//   cmake --build build/bench --target tvqm_hosts_benchmark && build/bench/tests/benchmark/tvqm_hosts_benchmark

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/tvqmVorletsMicrosoftWindowsTelemetry.h"
#include "platform/bmrFFHosts.h"
#include "tests/fakes/FakeWindows.h"

namespace {

const char kHosts[] = "C:\\Windows\\system32\\drivers\\etc\\hosts.";

// A block list as users keep them: a header, then one name per line, a comment now and then.
std::string BlockList(std::size_t entries) {
  std::string text = "# Copyright notice of the list\r\n127.0.0.1 localhost\r\n::1 localhost\r\n";
  text.reserve(entries * 40);
  char line[96];
  for (std::size_t i = 0; i < entries; ++i) {
    if (i % 1000 == 0) text += "\r\n# section " + std::to_string(i / 1000) + "\r\n";
    std::snprintf(line, sizeof(line), "0.0.0.0 ads%zu.tracker-%zu.example # listed\r\n", i, i % 97);
    text += line;
  }
  return text;
}

using Clock = std::chrono::steady_clock;

template <class Step>
double BestMilliseconds(int rounds, Step step) {
  double best = 1e300;
  for (int r = 0; r < rounds; ++r) {
    const auto started = Clock::now();
    step();
    best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - started).count());
  }
  return best;
}

}  // namespace

// Other sizes may be given as arguments.
int main(int argc, char** argv) {
  std::vector<std::size_t> sizes = {12500, 25000, 50000, 100000};
  if (argc > 1) {
    sizes.clear();
    for (int i = 1; i < argc; ++i) sizes.push_back(std::stoul(argv[i]));
  }
  constexpr int kRounds = 5;
  std::printf("best of %d rounds; ms, and ns per entry in brackets\n", kRounds);
  std::printf("%8s %20s %20s %20s %20s\n", "entries", "load", "count", "apply+save", "save");
  for (const std::size_t size : sizes) {
    const std::string original = BlockList(size);
    fakes::FakeWindows windows;

    // Reading and parsing the file into lines and the name index.
    const double load = BestMilliseconds(kRounds, [&] {
      windows.files.SetFile(kHosts, original);
      THostsFile file(kHosts);
      if (file.Entries.Count() < static_cast<std::int32_t>(size)) std::abort();
    });

    // The immunizer's count: the file read again and its 37 names looked up.
    windows.files.SetFile(kHosts, original);
    TWindows10TelemetryHostsImmunization counter;
    const double count = BestMilliseconds(kRounds, [&] {
      if (counter.GetImmunizedCount() != 0) std::abort();
    });

    // The apply: read again, the 37 names added to the block, the file saved beside and
    // replaced (with its backup).
    const double apply = BestMilliseconds(kRounds, [&] {
      windows.files.SetFile(kHosts, original);
      TWindows10TelemetryHostsImmunization immunizer;
      immunizer.Immunize();
    });
    if (windows.files.Content(kHosts)->find("0.0.0.0\tv10.events.data.microsoft.com") == std::string::npos) {
      std::abort();
    }

    // Writing the lines back alone.
    windows.files.SetFile(kHosts, original);
    THostsFile file(kHosts);
    const double save = BestMilliseconds(kRounds, [&] { file.Save(false); });

    auto cell = [&](double ms) {
      char text[32];
      std::snprintf(text, sizeof(text), "%8.2f [%6.0f]", ms, ms * 1e6 / static_cast<double>(size));
      return std::string(text);
    };
    std::printf("%8zu %20s %20s %20s %20s\n", size, cell(load).c_str(), cell(count).c_str(), cell(apply).c_str(),
                cell(save).c_str());
  }
  return 0;
}
