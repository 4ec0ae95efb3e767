#pragma once
// The registry of the program's command-line switches. Modules register their switches in
// named groups during start-up; each switch looks itself up among the process arguments once,
// when it is registered, and from then on only answers whether it was given. The registry also
// writes the help text that lists every group with its switches.
//
// Object references are plain pointers: the registry owns every group and every switch, and a
// pointer kept by a caller (CLPSilent, the engine's CLPApply, ...) is valid until
// FinalizeBmrConsoleHelp().

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TCommandLineParameters;
class TCommandLineParameterItems;

// One switch.
class TCommandLineParameterItem {
 public:
  explicit TCommandLineParameterItem(TCommandLineParameterItems* owner) : owner_(owner) {}
  TCommandLineParameterItem(const TCommandLineParameterItem&) = delete;
  TCommandLineParameterItem& operator=(const TCommandLineParameterItem&) = delete;

  // The collection the switch was created in.
  TCommandLineParameterItems* Owner() const { return owner_; }
  // The switch name without its switch character ("apply", not "/apply").
  const std::string& Name() const { return name_; }
  // The name the help text shows; takes the value of Name when a name is first set.
  const std::string& DisplayName() const { return displayName_; }
  const std::string& Description() const { return description_; }
  // Whether the switch was on the command line when it was registered.
  bool Present() const { return present_; }
  bool GetPresent() const { return present_; }

  // Sets the name and looks the switch up on the command line (the only place that does).
  void SetName(const std::string& name);
  void SetDescription(const std::string& description) { description_ = description; }

  // Copies name, display name and description; the presence flag and the owner stay.
  void Assign(const TCommandLineParameterItem& source);
  // Name, or the class name while the name is empty.
  std::string GetDisplayName() const;

 private:
  TCommandLineParameterItems* owner_;
  std::string name_;
  std::string displayName_;
  std::string description_;
  bool present_ = false;
};

// The switches of one group, in the order of registration.
class TCommandLineParameterItems {
 public:
  TCommandLineParameterItems() = default;
  TCommandLineParameterItems(const TCommandLineParameterItems&) = delete;
  TCommandLineParameterItems& operator=(const TCommandLineParameterItems&) = delete;

  // Appends an empty switch owned by this collection.
  TCommandLineParameterItem* Add();
  // Raises rtl::EListError outside 0 .. Count() - 1.
  TCommandLineParameterItem* GetItem(std::size_t index) const;
  std::size_t Count() const { return items_.size(); }
  // Replaces the contents with copies of the source's switches (see Item::Assign).
  void Assign(const TCommandLineParameterItems& source);
  void Clear() { items_.clear(); }

 private:
  std::vector<std::unique_ptr<TCommandLineParameterItem>> items_;
};

// A named group of switches.
class TCLPGroup {
 public:
  explicit TCLPGroup(TCommandLineParameters* owner) : owner_(owner) {}
  TCLPGroup(const TCLPGroup&) = delete;
  TCLPGroup& operator=(const TCLPGroup&) = delete;

  TCommandLineParameters* Owner() const { return owner_; }
  // The group's title in the help text; may be empty.
  const std::string& Name() const { return name_; }
  const std::string& Description() const { return description_; }
  // 2 for the groups the program creates, 0 for a bare Add; nothing depends on it.
  std::int32_t Kind() const { return kind_; }
  TCommandLineParameterItems& Items() { return items_; }
  const TCommandLineParameterItems& Items() const { return items_; }

  void SetName(const std::string& name) { name_ = name; }
  void SetDescription(const std::string& description) { description_ = description; }
  void SetKind(std::int32_t kind) { kind_ = kind; }

  // Registers a switch: appends it, sets its name (which looks it up on the command line) and
  // its description. Registering a name twice makes two switches.
  TCommandLineParameterItem* Add(const std::string& name, const std::string& description);

  // Copies kind, the switches, name and description; the owner stays.
  void Assign(const TCLPGroup& source);
  std::string GetDisplayName() const;

 private:
  TCommandLineParameters* owner_;
  std::string name_;
  std::string description_;
  std::int32_t kind_ = 0;
  TCommandLineParameterItems items_;
};

// All groups, in the order they were added.
class TCommandLineParameters {
 public:
  TCommandLineParameters() = default;
  TCommandLineParameters(const TCommandLineParameters&) = delete;
  TCommandLineParameters& operator=(const TCommandLineParameters&) = delete;

  // Appends a group with empty name and description, kind 0 and no switches.
  TCLPGroup* Add();
  // Raises rtl::EListError outside 0 .. Count() - 1.
  TCLPGroup* GetItem(std::size_t index) const;
  std::size_t Count() const { return groups_.size(); }

  // Appends the help text (it does not clear lines): for every group with switches an empty
  // line, the group line and one line per switch.
  void AddHelpLines(std::vector<std::string>& lines) const;

 private:
  std::vector<std::unique_ptr<TCLPGroup>> groups_;
};

// The process-wide registry; the first call creates it, empty.
TCommandLineParameters* CommandLineParameters();
// The groups "Basic" and "Automation"; the first call of each adds it to the registry.
TCLPGroup* CLPGroupBasic();
TCLPGroup* CLPGroupAutomation();

// Whether an argument after the program path is "-" or "/" followed by exactly name
// (case-sensitive). Reads os::Process().Arguments().
bool CommandLineHasSwitch(const std::string& name);

// The switch "silent"; set by InitializeBmrConsoleHelp, null before and after.
extern TCommandLineParameterItem* CLPSilent;

// Start-up: the groups "Basic" (help, verbose) and "Automation" (silent).
void InitializeBmrConsoleHelp();
// Shut-down: frees the registry with every group and switch.
void FinalizeBmrConsoleHelp();
