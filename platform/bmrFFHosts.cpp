#include "platform/bmrFFHosts.h"

#include <algorithm>
#include <functional>
#include <unordered_set>

#include "platform/bmrDebug.h"
#include "platform/bmrRegistry.h"
#include "platform/bmrUtils.h"
#include "platform/os/Files.h"
#include "platform/os/Services.h"
#include "platform/os/System.h"
#include "platform/rtlSysUtils.h"

namespace {

const char kTcpipParametersKey[] = "\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";

// The running Windows' version, read once at start-up; only Save looks at it.
os::OsVersionInfo g_version;

// Windows 2000's DNS client keeps the hosts file's names and does not see a new file until
// it starts again.
bool IsWindows2000() { return g_version.majorVersion == 5 && g_version.minorVersion == 0; }

// Whether the DNS client service could be asked, and whether it was running (neither stopped
// nor paused).
void QueryDnsCache(bool& queried, bool& running) {
  auto& services = os::Services();
  queried = false;
  running = false;
  const os::ScHandle manager = services.OpenManager("", os::kGenericRead);
  if (manager == 0) return;
  const os::ScHandle service =
      services.OpenServiceByName(manager, "Dnscache", os::kServiceQueryStatus | os::kServiceStop);
  if (service != 0) {
    os::ServiceStatus status;
    queried = services.QueryStatus(service, status);
    running = queried && status.currentState != os::kServiceStopped && status.currentState != os::kServicePaused;
    services.Close(service);
  }
  services.Close(manager);
}

void StartDnsCache() {
  auto& services = os::Services();
  const os::ScHandle manager = services.OpenManager("", os::kGenericRead);
  if (manager == 0) return;
  const os::ScHandle service = services.OpenServiceByName(manager, "Dnscache", os::kServiceStart);
  if (service != 0) {
    services.StartWithoutArguments(service);
    services.Close(service);
  }
  services.Close(manager);
}

bool IsSeparator(char c) { return c == ' ' || c == '\t'; }

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

bool IsEntryText(const std::string& text) {
  return !text.empty() && text.front() != '#' && text.find_first_of(" \t") != std::string::npos;
}

bool IsLocalAddress(const std::string& address) {
  return StartsWith(address, "127.0.0.") || address == "0.0.0.0" || address == "::1";
}

// An entry line as address and host names; the trailing comment is no name. A line without
// blank or TAB is all names, with an empty address.
void SplitLine(const std::string& line, std::string& address, std::vector<std::string>& names) {
  names.clear();
  std::string rest;
  const std::size_t separator = line.find_first_of(" \t");
  if (separator == std::string::npos) {
    address.clear();
    rest = line;
  } else {
    address = line.substr(0, separator);
    std::size_t start = separator + 1;
    while (start < line.size() && IsSeparator(line[start])) ++start;
    rest = line.substr(start);
    if (StartsWith(rest, "// {undo}")) rest.erase(2, 1);
  }
  rest = rtl::Trim(rest);
  const std::size_t comment = rest.find('#');
  if (comment != std::string::npos) rest = rtl::Trim(rest.substr(0, comment));
  std::size_t at = 0;
  while (at < rest.size()) {
    while (at < rest.size() && IsSeparator(rest[at])) ++at;
    const std::size_t start = at;
    while (at < rest.size() && !IsSeparator(rest[at])) ++at;
    if (at > start) names.push_back(rest.substr(start, at - start));
  }
}

std::string EntryLine(const std::string& address, const std::vector<std::string>& names) {
  std::string line = address + "\t";
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) line += ' ';
    line += names[i];
  }
  return line;
}

// Lines at CR LF, LF or a lone CR; the bytes of each line as they are.
std::vector<std::string> SplitLines(const std::string& content) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < content.size(); ++i) {
    const char c = content[i];
    if (c != '\r' && c != '\n') continue;
    lines.push_back(content.substr(start, i - start));
    if (c == '\r' && i + 1 < content.size() && content[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < content.size()) lines.push_back(content.substr(start));
  return lines;
}

std::string SystemText(std::uint32_t code) {
  const std::string text = rtl::Trim(os::System().SystemMessageText(code));
  return text.empty() ? rtl::Format("System error %d.", {std::int64_t{code}}) : text;
}

std::string TwoDigits(unsigned value) { return rtl::Format("%.2d", {std::int64_t{value}}); }

// "yyyymmdd-hhnnss" of the local time.
std::string BackupStamp() {
  const os::SystemTime now = os::System().LocalTime();
  return rtl::Format("%.4d", {std::int64_t{now.year}}) + TwoDigits(now.month) + TwoDigits(now.day) + "-" +
         TwoDigits(now.hour) + TwoDigits(now.minute) + TwoDigits(now.second);
}

// A backup name of its own: a second save within the same second must not replace the first
// backup, which may be the only copy of the user's lines.
std::string BackupName(const std::string& fileName, const std::string& stamp, int number) {
  return fileName + stamp + (number > 1 ? "-" + std::to_string(number) : std::string()) + ".backup";
}

constexpr std::uint32_t kErrorFileExists = 80;
constexpr std::uint32_t kErrorAlreadyExists = 183;
constexpr int kBackupNames = 100;

// The file beside the hosts file that takes the new content before it replaces the old one.
std::string ReplacementName(const std::string& fileName) {
  std::string name = fileName;
  while (!name.empty() && name.back() == '.') name.pop_back();
  return name + ".tvqm-new";
}

// ERROR_FILE_NOT_FOUND or ERROR_PATH_NOT_FOUND.
bool IsMissingFileError(std::uint32_t code) { return code == 2 || code == os::kErrorFilePathNotFound; }

}  // namespace

// --- location ---------------------------------------------------------------------------------

std::string GetHostsFileLocation() {
  auto& files = os::Files();
  auto& system = os::System();
  // The folder the resolver reads, when the registry names one.
  std::string configured;
  try {
    TMyRegistry registry;
    registry.SetRootKey(os::kHKeyLocalMachine);
    if (registry.OpenKeyReadOnly(kTcpipParametersKey) && registry.ValueExists("DataBasePath")) {
      const std::string candidate = registry.ReadString("DataBasePath") + "\\hosts.";
      if (files.FileExists(candidate)) return candidate;
      configured = system.ExpandEnvironment(candidate);
      if (files.FileExists(configured)) return configured;
    }
  } catch (const std::exception&) {
    // An unreadable value counts as none.
    configured.clear();
  }
  const std::string systemCandidate = files.SystemFolder() + "\\drivers\\etc\\hosts.";
  if (files.FileExists(systemCandidate)) return systemCandidate;
  const std::string windowsCandidate = files.WindowsFolder() + "\\hosts.";
  if (files.FileExists(windowsCandidate)) return windowsCandidate;
  // No file anywhere: the first save creates it where the resolver will read it. The Windows
  // folder's hosts is read only by Windows 9x, so it is never the place of a new file.
  if (!configured.empty()) return configured;
  return system.ExpandEnvironment(systemCandidate);
}

// --- entries ----------------------------------------------------------------------------------

void THostEntries::Grow(std::size_t capacity) {
  std::size_t size = 16;
  while (size < capacity) size *= 2;
  if (size <= slots_.size()) return;
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(size, Slot{});
  const std::size_t mask = size - 1;
  for (const Slot& slot : old) {
    if (slot.key == kNone) continue;
    std::size_t at = slot.hash & mask;
    while (slots_[at].key != kNone) at = (at + 1) & mask;
    slots_[at] = slot;
  }
}

void THostEntries::Reserve(std::size_t pairs) {
  pairs_.reserve(pairs);
  // At most half full.
  Grow(pairs * 2);
}

const THostEntries::Slot* THostEntries::Find(const std::string& name) const {
  if (slots_.empty()) return nullptr;
  const std::size_t hash = std::hash<std::string>{}(name);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
    const Slot& slot = slots_[at];
    if (slot.key == kNone) return nullptr;
    if (slot.hash == hash && pairs_[slot.key].name == name) return &slot;
  }
}

THostEntries::Slot& THostEntries::FindOrInsert(const std::string& name, std::uint32_t position) {
  if ((names_ + 1) * 2 > slots_.size()) Grow((names_ + 1) * 2);
  const std::size_t hash = std::hash<std::string>{}(name);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
    Slot& slot = slots_[at];
    if (slot.key == kNone) {
      slot.hash = hash;
      slot.key = position;
      ++names_;
      return slot;
    }
    if (slot.hash == hash && pairs_[slot.key].name == name) return slot;
  }
}

std::uint32_t THostEntries::Add(const std::string& name, const std::string& address) {
  const auto position = static_cast<std::uint32_t>(pairs_.size());
  pairs_.push_back({name, address, kNone, true});
  Slot& slot = FindOrInsert(name, position);
  if (slot.head == kNone) {
    slot.head = position;
  } else {
    pairs_[slot.tail].next = position;
  }
  slot.tail = position;
  ++live_;
  return position;
}

bool THostEntries::Contains(const std::string& name) const {
  const Slot* slot = Find(name);
  return slot != nullptr && slot->head != kNone;
}

bool THostEntries::ContainedBefore(const std::string& name, std::size_t mark) const {
  const Slot* slot = Find(name);
  return slot != nullptr && slot->head != kNone && slot->head < mark;
}

bool THostEntries::DeleteOne(const std::string& name) {
  auto* slot = const_cast<Slot*>(Find(name));
  if (slot == nullptr || slot->head == kNone) return false;
  Pair& first = pairs_[slot->head];
  first.live = false;
  slot->head = first.next;
  if (slot->head == kNone) slot->tail = kNone;
  --live_;
  return true;
}

void THostEntries::Clear() {
  pairs_.clear();
  slots_.clear();
  names_ = 0;
  live_ = 0;
}

std::string THostEntries::Text(std::uint32_t position) const {
  const Pair& pair = pairs_[position];
  return pair.name + "=" + pair.address;
}

std::vector<std::string> THostEntries::Texts() const {
  std::vector<std::string> texts;
  texts.reserve(live_);
  for (const auto& pair : pairs_) {
    if (pair.live) texts.push_back(pair.name + "=" + pair.address);
  }
  return texts;
}

// --- the file ---------------------------------------------------------------------------------

const std::string& THostsFile::FixedCommentLine() {
  static const std::string line = "# Lines between these markers are rewritten by the program that added them.";
  return line;
}

THostsFile::THostsFile() : THostsFile(GetHostsFileLocation()) {}

THostsFile::THostsFile(const std::string& fileName) { LoadFromFile(fileName); }

THostsFile::~THostsFile() { FileName.clear(); }

void THostsFile::LoadFromFile(const std::string& fileName) {
  FileName = fileName;
  Lines.clear();
  // The read itself tells a missing file from one that cannot be read: a separate existence
  // test could answer "missing" for a file that is there, and the next save would replace it.
  std::string content;
  const std::uint32_t error = os::Files().ReadAll(fileName, content);
  if (error != 0 && !IsMissingFileError(error)) {
    throw EFOpenError(rtl::Format("Cannot open file \"%s\". %s", {fileName, SystemText(error)}));
  }
  readFound_ = error == 0;
  if (readFound_) Lines = SplitLines(content);
  readContent_ = std::move(content);
  Parse();
  if (StartIndex < 0 && EndIndex < 0) {
    Lines.insert(Lines.end(), {"", StartMarker, FixedCommentLine(), EndMarker, ""});
    StartIndex = static_cast<std::int32_t>(Lines.size()) - 4;
    EndIndex = StartIndex + 2;
  } else if (EndIndex < 0) {
    Lines.insert(Lines.begin() + StartIndex + 1, EndMarker);
    EndIndex = StartIndex + 1;
  } else if (StartIndex < 0) {
    Lines.insert(Lines.begin() + EndIndex, {StartMarker, FixedCommentLine()});
    StartIndex = EndIndex;
    EndIndex += 2;
  }
}

void THostsFile::AddPair(const std::string& name, const std::string& address) {
  const std::uint32_t position = Entries.Add(name, address);
  (IsLocalAddress(address) ? localPositions_ : otherPositions_).push_back(position);
}

std::vector<std::string> THostsFile::OtherEntries() const {
  std::vector<std::string> texts;
  for (const std::uint32_t position : otherPositions_) texts.push_back(Entries.Text(position));
  return texts;
}

std::vector<std::string> THostsFile::LocalEntries() const {
  std::vector<std::string> texts;
  for (const std::uint32_t position : localPositions_) texts.push_back(Entries.Text(position));
  return texts;
}

void THostsFile::Parse() {
  Entries.Clear();
  Entries.Reserve(Lines.size());
  localPositions_.clear();
  otherPositions_.clear();
  StartIndex = -1;
  EndIndex = -1;
  std::string address;
  std::vector<std::string> names;
  for (std::size_t i = 0; i < Lines.size(); ++i) {
    const std::string text = rtl::Trim(Lines[i]);
    if (text == StartMarker) {
      StartIndex = static_cast<std::int32_t>(i);
    } else if (text == EndMarker) {
      EndIndex = static_cast<std::int32_t>(i);
    } else if (IsEntryText(text)) {
      SplitLine(text, address, names);
      for (const auto& name : names) AddPair(name, address);
    }
  }
}

void THostsFile::FindMarkers() {
  StartIndex = -1;
  EndIndex = -1;
  for (std::size_t i = Lines.size(); i-- > 0 && (StartIndex < 0 || EndIndex < 0);) {
    if (StartIndex < 0 && Lines[i] == StartMarker) StartIndex = static_cast<std::int32_t>(i);
    if (EndIndex < 0 && Lines[i] == EndMarker) EndIndex = static_cast<std::int32_t>(i);
  }
}

void THostsFile::AddEntries(const std::vector<std::string>& lines) {
  FindMarkers();
  if (StartIndex < 0 && EndIndex < 0) {
    Lines.push_back(StartMarker);
    Lines.push_back(EndMarker);
    StartIndex = static_cast<std::int32_t>(Lines.size()) - 2;
    EndIndex = StartIndex + 1;
  } else if (StartIndex < 0) {
    Lines.insert(Lines.begin() + EndIndex, StartMarker);
    StartIndex = EndIndex++;
  } else if (EndIndex < 0) {
    Lines.insert(Lines.begin() + StartIndex + 1, EndMarker);
    EndIndex = StartIndex + 1;
  }
  bool hasComment = false;
  for (const auto& line : Lines) {
    if (line == FixedCommentLine()) {
      hasComment = true;
      break;
    }
  }
  if (!hasComment) {
    Lines.insert(Lines.begin() + StartIndex + 1, FixedCommentLine());
    if (EndIndex > StartIndex) ++EndIndex;
  }

  // What the file mapped before this call; names new to it are all written, also twice.
  const std::size_t snapshot = Entries.Mark();
  const auto total = static_cast<std::int32_t>(lines.size());
  std::vector<std::string> added;
  std::vector<std::string> toRemove;
  std::string address;
  std::vector<std::string> names;
  for (std::int32_t i = 0; i < total; ++i) {
    if (OnProgress) OnProgress(i, total);
    SplitLine(lines[static_cast<std::size_t>(i)], address, names);
    if (address.empty()) address = DefaultAddress;
    std::vector<std::string> kept;
    for (std::size_t n = names.size(); n-- > 0;) {
      const std::string& name = names[n];
      if (StartsWith(name, "//{undo}")) {
        toRemove.push_back(name.substr(8));
      } else if (StartsWith(name, "//")) {
        kept.push_back(name);
      } else if (!Entries.ContainedBefore(name, snapshot)) {
        kept.push_back(name);
        AddPair(name, address);
      }
    }
    if (kept.empty()) continue;
    std::reverse(kept.begin(), kept.end());
    added.push_back(EntryLine(address, kept));
  }
  // The new lines stand together directly above the end marker: one insert for all of them.
  if (!added.empty()) {
    const auto count = static_cast<std::int32_t>(added.size());
    Lines.insert(Lines.begin() + EndIndex, added.begin(), added.end());
    if (StartIndex > EndIndex) StartIndex += count;
    EndIndex += count;
  }
  if (!toRemove.empty()) RemoveEntries(toRemove);
}

bool THostsFile::RemoveEntries(const std::vector<std::string>& names) {
  const std::unordered_set<std::string> wanted(names.begin(), names.end());
  bool removed = false;
  std::vector<bool> dropped(Lines.size(), false);
  bool anyDropped = false;
  const auto total = static_cast<std::int32_t>(Lines.size());
  std::string address;
  std::vector<std::string> lineNames;
  for (std::size_t i = Lines.size(); i-- > 0;) {
    const std::string& line = Lines[i];
    // The same test as Parse's: a comment line indented by a blank or TAB is no entry line.
    const std::string text = rtl::Trim(line);
    if (!IsEntryText(text)) continue;
    if (OnProgress) OnProgress(total - 1 - static_cast<std::int32_t>(i), total);
    SplitLine(text, address, lineNames);
    std::vector<std::string> remaining;
    bool lost = false;
    for (std::size_t n = lineNames.size(); n-- > 0;) {
      if (wanted.count(lineNames[n]) == 0) {
        remaining.push_back(lineNames[n]);
        continue;
      }
      lost = true;
      if (Entries.DeleteOne(lineNames[n])) {
        ++RemovedCount;
        removed = true;
      }
    }
    if (!lost) continue;
    if (remaining.empty()) {
      dropped[i] = true;
      anyDropped = true;
    } else {
      std::reverse(remaining.begin(), remaining.end());
      Lines[i] = EntryLine(address, remaining);
    }
  }
  if (anyDropped) {
    std::size_t out = 0;
    for (std::size_t i = 0; i < Lines.size(); ++i) {
      if (dropped[i]) continue;
      if (out != i) Lines[out] = std::move(Lines[i]);
      ++out;
    }
    Lines.resize(out);
  }
  FindMarkers();
  return removed;
}

void THostsFile::RemoveAllEntries() {
  FindMarkers();
  if (StartIndex >= 0 && EndIndex > 0) {
    if (EndIndex > StartIndex + 1) {
      const std::int32_t count = EndIndex - StartIndex - 1;
      if (OnProgress) {
        for (std::int32_t i = 0; i < count; ++i) OnProgress(i, count);
      }
      Lines.erase(Lines.begin() + StartIndex + 1, Lines.begin() + EndIndex);
    }
    Parse();
  }
  FindMarkers();
}

std::string THostsFile::Text() const {
  std::size_t size = 0;
  for (const auto& line : Lines) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (const auto& line : Lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

void THostsFile::Save(bool makeReadOnly) {
  auto& files = os::Files();
  std::uint8_t backups = 1;
  if (!bmrGetTweakByte("CreateHostsBackups", backups)) backups = 1;
  if (backups != 0 && files.FileExists(FileName)) {
    // A failed backup does not stop the save.
    const std::string stamp = BackupStamp();
    for (int number = 1; number <= kBackupNames; ++number) {
      const std::uint32_t error = files.Copy(FileName, BackupName(FileName, stamp, number), true);
      if (error != kErrorFileExists && error != kErrorAlreadyExists) break;
    }
  }

  files.SetAttributes(FileName, os::kFileAttributeNormal);

  // The new content goes to a file beside the old one, which it then replaces in one step:
  // a write that fails midway leaves the hosts file as it was.
  if (IsWindows2000()) QueryDnsCache(DnsCacheQueried, DnsCacheWasRunning);
  const std::string replacement = ReplacementName(FileName);
  const std::string text = Text();
  std::uint32_t error = files.WriteAll(replacement, text);
  bool changed = false;
  if (error == 0 && readFound_) {
    // Lines another program wrote since the read would be lost: the file must still hold the
    // bytes that were read. This comes last before the replace, to keep the gap small.
    std::string now;
    const std::uint32_t readError = files.ReadAll(FileName, now);
    changed = IsMissingFileError(readError) || (readError == 0 && now != readContent_);
    error = changed ? 0 : readError;
  }
  if (error == 0 && !changed) {
    // Without a file read, the new one is only created: one that appeared since is kept.
    const std::uint32_t flags = readFound_ ? os::kMoveFileReplaceExisting | os::kMoveFileWriteThrough
                                           : os::kMoveFileWriteThrough;
    error = files.MoveEx(replacement, FileName, flags);
    changed = !readFound_ && (error == kErrorAlreadyExists || error == kErrorFileExists);
  }
  if (IsWindows2000() && DnsCacheQueried && DnsCacheWasRunning) StartDnsCache();
  if (changed || error != 0) {
    files.Remove(replacement);
    if (changed) {
      throw EFChangedError(
          rtl::Format("Cannot create file \"%s\". The file was changed by another program.", {FileName}));
    }
    throw EFCreateError(rtl::Format("Cannot create file \"%s\". %s", {FileName, SystemText(error)}));
  }
  readContent_ = text;
  readFound_ = true;
  // The new file comes with the attributes of a new file; it gets exactly the asked ones.
  files.SetAttributes(FileName, makeReadOnly ? os::kFileAttributeReadOnly : os::kFileAttributeNormal);
}

bool THostsFile::HasEntry(const std::string& hostName) const { return Entries.Contains(hostName); }

void InitializeBmrFFHosts() {
  DebugLogger()->LogUnitInitBegin("bmrFFHosts");
  g_version = os::OsVersionInfo{};
  if (!os::System().VersionInfo(g_version)) g_version = os::OsVersionInfo{};
  DebugLogger()->LogUnitInitEnd("bmrFFHosts");
}
