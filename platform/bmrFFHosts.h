#pragma once
// The system hosts file in memory: its lines, an index of every host name its entry lines map,
// a block of lines between two marker comment lines that the program adds its entries to, and
// a save that keeps a dated backup and never leaves a half-written file behind.
//
// The file is 8-bit text kept byte for byte; FileName is UTF-8 (the wide calls take it).

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/rtlSysUtils.h"

// A file that exists but cannot be read.
class EFOpenError : public rtl::Exception {
 public:
  using rtl::Exception::Exception;
  std::string ClassName() const override { return "EFOpenError"; }
};

// A file that cannot be written or put in place.
class EFCreateError : public rtl::Exception {
 public:
  using rtl::Exception::Exception;
  std::string ClassName() const override { return "EFCreateError"; }
};

// The path of the system hosts file; never empty, whether or not the file exists.
std::string GetHostsFileLocation();

// Pairs of host name and address in the order they were read or added, looked up by host name
// (exact, case-sensitive) through a hash index, so that a file of any size costs the same per
// name. The index is an open-addressing table of positions into the pairs (no copy of a name,
// no allocation per name), and the pairs of one name are chained in their order.
class THostEntries {
 public:
  // The position of the new pair.
  std::uint32_t Add(const std::string& name, const std::string& address);
  bool Contains(const std::string& name) const;
  // Whether the name has a pair among the first `mark` pairs ever added (mark taken from
  // Mark() before); what a snapshot taken then would hold, as long as nothing was deleted.
  bool ContainedBefore(const std::string& name, std::size_t mark) const;
  std::size_t Mark() const { return pairs_.size(); }
  // Deletes the first pair of the name; false when there is none.
  bool DeleteOne(const std::string& name);
  void Clear();
  // Room for this many pairs without growing the index.
  void Reserve(std::size_t pairs);
  std::int32_t Count() const { return static_cast<std::int32_t>(live_); }
  // "name=address" of the pair at a position Add gave, also after it was deleted.
  std::string Text(std::uint32_t position) const;
  // "name=address" for every pair, in order.
  std::vector<std::string> Texts() const;

 private:
  static constexpr std::uint32_t kNone = 0xFFFFFFFFu;
  struct Pair {
    std::string name;
    std::string address;
    std::uint32_t next;  // the name's next pair, kNone at the end
    bool live;
  };
  // One slot per name ever added: the name is that of pairs_[key].
  struct Slot {
    std::size_t hash = 0;
    std::uint32_t key = kNone;
    std::uint32_t head = kNone;  // first live pair of the name
    std::uint32_t tail = kNone;  // last live pair of the name
  };
  const Slot* Find(const std::string& name) const;
  Slot& FindOrInsert(const std::string& name, std::uint32_t position);
  void Grow(std::size_t capacity);

  std::vector<Pair> pairs_;
  std::vector<Slot> slots_;
  std::size_t names_ = 0;
  std::size_t live_ = 0;
};

// (current, total)
using THostsProgressEvent = std::function<void(std::int32_t current, std::int32_t total)>;

class THostsFile {
 public:
  // The file at GetHostsFileLocation().
  THostsFile();
  explicit THostsFile(const std::string& fileName);
  THostsFile(const THostsFile&) = delete;
  THostsFile& operator=(const THostsFile&) = delete;
  ~THostsFile();

  std::vector<std::string> Lines;
  THostEntries Entries;
  std::string StartMarker = "# Start of entries inserted by Tolvex - Harrow & Mend";
  std::string EndMarker = "# End of entries inserted by Tolvex - Harrow & Mend";
  THostsProgressEvent OnProgress;
  std::int32_t StartIndex = -1;
  std::int32_t EndIndex = -1;
  std::string DefaultAddress = "127.0.0.1";
  bool DnsCacheWasRunning = false;
  bool DnsCacheQueried = false;
  // "name=address" of the pairs with a local address and of the others, as Parse and
  // AddEntries found them (RemoveEntries leaves them).
  std::vector<std::string> OtherEntries() const;
  std::vector<std::string> LocalEntries() const;
  std::int32_t RemovedCount = 0;

  // The comment line placed directly after a start marker.
  static const std::string& FixedCommentLine();

  // Reads the file (a missing one reads as empty) and completes the block in memory. Raises
  // EFOpenError for a file that exists but cannot be read; Lines are then left empty.
  void LoadFromFile(const std::string& fileName);
  void Parse();
  // Adds entry lines to the block (without lines it only completes the block).
  void AddEntries(const std::vector<std::string>& lines = {});
  // Removes the names from every entry line of the file; true when one was removed.
  bool RemoveEntries(const std::vector<std::string>& names);
  // Deletes every line between the markers.
  void RemoveAllEntries();
  // Writes Lines to FileName: a new file beside it takes the content and then replaces it in
  // one step. Raises EFCreateError when the content cannot be put in place; the file is then
  // as it was (with its attributes cleared). Only the file that was read is replaced: when
  // the read found none, the new file is only created, never put over one that appeared
  // since; when it found one, its bytes must be those read, checked just before the replace.
  // Otherwise EFChangedError is raised and the caller edits a fresh read.
  void Save(bool makeReadOnly);
  bool HasEntry(const std::string& hostName) const;
  const std::string& GetFileName() const { return FileName; }

  // The text Save writes: every line followed by CR LF.
  std::string Text() const;

 private:
  void FindMarkers();
  void AddPair(const std::string& name, const std::string& address);

  std::string FileName;
  // The bytes of the file as read (or last saved); whether there was a file at all.
  std::string readContent_;
  bool readFound_ = false;
  std::vector<std::uint32_t> otherPositions_;
  std::vector<std::uint32_t> localPositions_;
};

// The file is no longer the one that was read: another program replaced, removed or
// created it in the meantime.
class EFChangedError : public EFCreateError {
 public:
  using EFCreateError::EFCreateError;
  std::string ClassName() const override { return "EFChangedError"; }
};

// Start-up: reads the running Windows' version for Save, with a trace of the module.
void InitializeBmrFFHosts();
