#pragma once
// The binary registry file ("registry.dat", "nsreg.dat") in which Netscape and the early
// Mozilla programs keep their settings and profile list, read into a tree of keys and value
// entries. Read only.
//
// The file comes from another program and may hold anything, so the reader holds itself to
// these bounds whatever the content: it reads iteratively (no depth of chain reaches the call
// stack), takes every descriptor offset at most once (a chain that leads back ends there),
// never reads past the end of the file, and keeps no more text than the file holds.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// One node of the tree: a key (its value entries first, then its subkeys) or a value entry.
class TDataRec {
 public:
  TDataRec() = default;
  TDataRec(const TDataRec&) = delete;
  TDataRec& operator=(const TDataRec&) = delete;
  // Frees the nodes below it without recursion.
  ~TDataRec();

  TDataRec* Parent = nullptr;
  bool IsValue = false;
  std::string Name;
  std::string Value;
  std::vector<std::unique_ptr<TDataRec>> Children;

  // The first child (key or value entry alike) whose name matches, names compared with the
  // letters A to Z folded; with valuesOnly, the first value entry. None when there is none.
  const TDataRec* FindChild(std::string_view name, bool valuesOnly) const;

 private:
  // Built on the first lookup: folded name to the position of its first child and of its
  // first value entry, so that a key with many children costs the same per lookup.
  struct Index {
    std::unordered_map<std::string, std::size_t> first;
    std::unordered_map<std::string, std::size_t> firstValue;
  };
  mutable std::unique_ptr<Index> index_;
};

class TNSRegistry {
 public:
  // Files larger than this are no registry of these programs and are not read: the reader
  // is then empty.
  static constexpr std::size_t kMaxFileSize = 1u << 20;

  // Reads the whole tree when the file exists; an empty reader otherwise. A file that exists
  // but cannot be read raises EFOpenError.
  explicit TNSRegistry(const std::string& FileName);
  // The tree of a file's bytes.
  static std::unique_ptr<TNSRegistry> FromBytes(std::string_view bytes);
  TNSRegistry(const TNSRegistry&) = delete;
  TNSRegistry& operator=(const TNSRegistry&) = delete;
  ~TNSRegistry();

  // The names of the child keys (not the value entries) of the key at Path, joined by CR LF,
  // in the order of the key's child list; empty when the path is not found.
  void GetKeyNames(const std::string& Path, std::string& Text) const;
  // The same names as a list (a name may itself hold a line break).
  std::vector<std::string> KeyNames(const std::string& Path) const;
  // FullPath is a key path, "\" and a value name: the text of the first value entry of that
  // key whose name matches; empty when there is none.
  void ReadValue(const std::string& FullPath, std::string& Value) const;

  const TDataRec* Root() const { return root_.get(); }

 private:
  TNSRegistry() = default;
  void LoadFromBytes(std::string_view bytes);
  const TDataRec* FindNode(std::string_view path) const;

  std::unique_ptr<TDataRec> root_;
};
