// Any bytes as the hosts file, edited by both hosts immunizers: loading, saving and loading
// again gives the same lines; an apply loses no line of the file; apply then undo gives back
// the user's lines byte for byte. The first line, when it starts with "@", is the policy's
// BlockIP value: only an address (or 0.0.0.0) may reach the file.

#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "engine/tvqmVorletsMicrosoftWindowsOptional.h"
#include "engine/tvqmVorletsMicrosoftWindowsTelemetry.h"
#include "tests/fakes/FakeWindows.h"

namespace {

const char kHosts[] = "C:\\Windows\\system32\\drivers\\etc\\hosts.";
const char kPolicy[] = "SOFTWARE\\Policies\\Brenmoor Ltd.\\Tolvex Quietmark\\Hosts";

void Check(bool condition) {
  if (!condition) std::abort();
}

std::vector<std::string> LinesOf(const std::string& text) {
  fakes::FakeWindows windows;
  windows.files.SetFile(kHosts, text);
  THostsFile file(kHosts);
  return file.Lines;
}

// Whether every line of part stands in whole, in its order.
bool KeepsEveryLine(const std::vector<std::string>& whole, const std::vector<std::string>& part) {
  std::size_t at = 0;
  for (const auto& line : whole) {
    if (at < part.size() && line == part[at]) ++at;
  }
  return at == part.size();
}

bool IsMarkerText(const std::string& line) {
  const std::string text = rtl::Trim(line);
  return text.rfind("# Start of entries inserted by Tolvex", 0) == 0 ||
         text.rfind("# End of entries inserted by Tolvex", 0) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string content(reinterpret_cast<const char*>(data), size);
  fakes::FakeWindows windows;
  if (!content.empty() && content.front() == '@') {
    const std::size_t end = content.find('\n');
    windows.registry.SetDword(os::kHKeyLocalMachine, kPolicy, "CustomBlockIP", 1);
    windows.registry.SetString(os::kHKeyLocalMachine, kPolicy, "BlockIP", content.substr(1, end - 1));
    content = end == std::string::npos ? std::string() : content.substr(end + 1);
  }
  windows.files.SetFile(kHosts, content);

  // Load, save, load: the same lines.
  std::vector<std::string> loaded;
  {
    THostsFile file(kHosts);
    loaded = file.Lines;
    Check(LinesOf(file.Text()) == loaded);
  }
  bool hasMarkers = false;
  for (const auto& line : loaded) hasMarkers = hasMarkers || IsMarkerText(line);

  TWindows10TelemetryHostsImmunization standard;
  TWindows10TelemetryHostsOptionalImmunization optional;
  standard.Immunize();
  optional.Immunize();
  const std::string applied = windows.files.Content(kHosts).value_or("");
  const std::vector<std::string> appliedLines = LinesOf(applied);
  Check(KeepsEveryLine(appliedLines, loaded));
  Check(standard.GetImmunizedCount() == standard.GetCount());
  Check(optional.GetImmunizedCount() == optional.GetCount());
  // Every line the apply added is a line of a block, or an address, a TAB and names.
  std::size_t at = 0;
  for (const auto& line : appliedLines) {
    if (at < loaded.size() && line == loaded[at]) {
      ++at;
      continue;
    }
    if (line.empty() || line.front() == '#') continue;
    const std::size_t tab = line.find('\t');
    Check(tab != std::string::npos && IsIPAddressText(line.substr(0, tab)));
    Check(line.find('#', tab) == std::string::npos);
  }

  optional.Remove();
  standard.Remove();
  const std::vector<std::string> undone = LinesOf(windows.files.Content(kHosts).value_or(""));
  if (!hasMarkers) {
    // The user's lines come first, as they were; after them only the empty blocks.
    Check(undone.size() >= loaded.size() && std::equal(loaded.begin(), loaded.end(), undone.begin()));
    for (std::size_t i = loaded.size(); i < undone.size(); ++i) {
      Check(undone[i].empty() || undone[i].front() == '#');
    }
    // Another apply and undo changes nothing more.
    const std::string once = *windows.files.Content(kHosts);
    standard.Immunize();
    standard.Remove();
    Check(*windows.files.Content(kHosts) == once);
  }
  for (const auto& path : windows.files.Paths()) Check(path.find("tvqm-new") == std::string::npos);
  return 0;
}
