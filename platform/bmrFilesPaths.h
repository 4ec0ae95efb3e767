#pragma once
// Path templates: for each template name ("DESKTOP", "TEMP", ...) the folders the system found
// for it, from the shell's special folders of the current and the default user, Windows API
// calls, the environment, entries derived from other templates (the Quick Launch folders, the
// Mozilla profiles) and the clock. Expand replaces each macro "<$NAME>" of a text by the first
// folder of its template; the update download puts its file on "<$DESKTOP>\".
//
// The table is built once at start-up (every folder lookup runs then) and freed at shut-down.
// Paths are UTF-8.

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

enum TPathSource : std::uint8_t { psCLSID, psWinAPI, psEnvironment, psCopy, psCustom };

// A set of TPathSource: bit n stands for member n.
using TPathSources = std::uint8_t;
inline constexpr TPathSources PathSourceBit(TPathSource source) { return static_cast<TPathSources>(1u << source); }

// The display names of the members, in member order.
extern const char* const PathSourceNames[5];

// One folder of a template.
class TPathItem {
 public:
  // Without a trailing path delimiter.
  std::string Path;
  TPathSources Sources = 0;
};

// The folders of one template, in the order they were found; the first is the template's.
class TPathList {
 public:
  TPathList(std::string name, std::string code) : Name(std::move(name)), Code(std::move(code)) {}
  TPathList(const TPathList&) = delete;
  TPathList& operator=(const TPathList&) = delete;

  const std::string Name;
  // The code of the template's row in the configuration table; empty for other names.
  const std::string Code;

  // Adds a folder (one trailing "\" or "/" removed), or adds Source to the folder that equals
  // it without regard to letter case. Nothing for an empty Value.
  TPathItem* AddPath(const std::string& Value, TPathSource Source);
  // Makes Value (one trailing delimiter removed) the first folder, with Sources exactly
  // [Source]. Nothing for an empty Value.
  TPathItem* SetPath(const std::string& Value, TPathSource Source);
  // "<$" + Name + ">".
  std::string GetMacro() const;
  // The item at Index; EListError outside the list.
  TPathItem* GetItem(std::size_t Index) const;
  std::size_t Count() const { return items_.size(); }

 private:
  std::vector<std::unique_ptr<TPathItem>> items_;
  // Case-folded path to its item: a template may gather thousands of profile folders, and each
  // new one must be told apart from all before it in constant time.
  std::unordered_map<std::string, std::size_t> index_;
};

// The table: templates sorted by name, names compared without regard to letter case.
class TPathTemplates {
 public:
  // Builds the whole table; an exception destroys what was built and passes on.
  TPathTemplates();
  TPathTemplates(const TPathTemplates&) = delete;
  TPathTemplates& operator=(const TPathTemplates&) = delete;
  ~TPathTemplates();

  // A table without templates (what the program keeps when building failed).
  static std::unique_ptr<TPathTemplates> Empty();

  // Text with the macro of every template that has a folder replaced by its first folder,
  // template after template in table order; IgnoreCase matches the macros without regard to
  // letter case. Refreshes the date and time templates first.
  std::string Expand(const std::string& Text, bool IgnoreCase);
  // The template of that name, created empty (with its Name and Code) when there is none.
  TPathList* GetList(const std::string& Name);
  // The template of that name, or none; creates nothing.
  const TPathList* Find(const std::string& Name) const;
  std::size_t Count() const { return lists_.size(); }
  // The template at a position of the table order.
  const TPathList& operator[](std::size_t index) const { return *lists_[index]; }
  void Clear();

 private:
  struct EmptyTag {};
  explicit TPathTemplates(EmptyTag) {}

  // The building steps; Token 0 is the current user, -1 the default user.
  void AddUsingCLSIDs(std::intptr_t Token);
  void AddUsingEnvironment();
  void AddDerived();
  void UpdateDateTime();

  std::vector<std::unique_ptr<TPathList>> lists_;
  std::uint32_t majorVersion_ = 0;
};

// The program's table; none before start-up and after shut-down.
extern TPathTemplates* PathTemplates;

// Start-up: builds PathTemplates. Building never ends the start-up: a failure is logged and
// leaves an empty table.
void InitializeBmrFilesPaths();
// Shut-down: frees PathTemplates.
void FinalizeBmrFilesPaths();
