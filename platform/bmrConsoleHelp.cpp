#include "platform/bmrConsoleHelp.h"

#include "platform/os/Process.h"
#include "platform/rtlSysUtils.h"

TCommandLineParameterItem* CLPSilent = nullptr;

namespace {

std::unique_ptr<TCommandLineParameters> g_parameters;
TCLPGroup* g_groupBasic = nullptr;
TCLPGroup* g_groupAutomation = nullptr;

[[noreturn]] void IndexError(std::size_t index) {
  throw rtl::EListError(rtl::Format("List index out of bounds (%d)", {static_cast<std::int64_t>(index)}));
}

TCLPGroup* NewProgramGroup(const std::string& name, const std::string& description) {
  TCLPGroup* group = CommandLineParameters()->Add();
  group->SetName(name);
  group->SetDescription(description);
  group->SetKind(2);
  return group;
}

}  // namespace

void TCommandLineParameterItem::SetName(const std::string& name) {
  if (name != name_ && displayName_.empty()) displayName_ = name;
  name_ = name;
  present_ = CommandLineHasSwitch(name_);
}

void TCommandLineParameterItem::Assign(const TCommandLineParameterItem& source) {
  // The owner is the collection that holds this item and stays so.
  name_ = source.name_;
  displayName_ = source.displayName_;
  description_ = source.description_;
}

std::string TCommandLineParameterItem::GetDisplayName() const {
  return name_.empty() ? std::string("TCommandLineParameterItem") : name_;
}

TCommandLineParameterItem* TCommandLineParameterItems::Add() {
  items_.push_back(std::make_unique<TCommandLineParameterItem>(this));
  return items_.back().get();
}

TCommandLineParameterItem* TCommandLineParameterItems::GetItem(std::size_t index) const {
  if (index >= items_.size()) IndexError(index);
  return items_[index].get();
}

void TCommandLineParameterItems::Assign(const TCommandLineParameterItems& source) {
  if (&source == this) return;
  items_.clear();
  for (const auto& item : source.items_) Add()->Assign(*item);
}

TCommandLineParameterItem* TCLPGroup::Add(const std::string& name, const std::string& description) {
  TCommandLineParameterItem* item = items_.Add();
  item->SetName(name);
  item->SetDescription(description);
  return item;
}

void TCLPGroup::Assign(const TCLPGroup& source) {
  kind_ = source.kind_;
  items_.Assign(source.items_);
  name_ = source.name_;
  description_ = source.description_;
}

std::string TCLPGroup::GetDisplayName() const { return name_.empty() ? std::string("TCLPGroup") : name_; }

TCLPGroup* TCommandLineParameters::Add() {
  groups_.push_back(std::make_unique<TCLPGroup>(this));
  return groups_.back().get();
}

TCLPGroup* TCommandLineParameters::GetItem(std::size_t index) const {
  if (index >= groups_.size()) IndexError(index);
  return groups_[index].get();
}

void TCommandLineParameters::AddHelpLines(std::vector<std::string>& lines) const {
  for (const auto& group : groups_) {
    const TCommandLineParameterItems& items = group->Items();
    if (items.Count() == 0) continue;
    lines.emplace_back();
    if (group->Description().empty()) {
      lines.push_back(rtl::Format("%-20s", {group->Name()}));
    } else {
      lines.push_back(rtl::Format("%-20s    - %s", {group->Name(), group->Description()}));
    }
    for (std::size_t i = 0; i < items.Count(); ++i) {
      const TCommandLineParameterItem* item = items.GetItem(i);
      lines.push_back(rtl::Format("  /%-20s - %s", {item->DisplayName(), item->Description()}));
    }
  }
}

TCommandLineParameters* CommandLineParameters() {
  if (!g_parameters) g_parameters = std::make_unique<TCommandLineParameters>();
  return g_parameters.get();
}

TCLPGroup* CLPGroupBasic() {
  if (g_groupBasic == nullptr) g_groupBasic = NewProgramGroup("Basic", "");
  return g_groupBasic;
}

TCLPGroup* CLPGroupAutomation() {
  if (g_groupAutomation == nullptr) g_groupAutomation = NewProgramGroup("Automation", "Options to automate this program");
  return g_groupAutomation;
}

bool CommandLineHasSwitch(const std::string& name) {
  const std::vector<std::string> arguments = os::Process().Arguments();
  // Argument 0 is the program itself, never a switch.
  for (std::size_t i = arguments.size(); i > 1; --i) {
    const std::string& argument = arguments[i - 1];
    if (argument.empty() || (argument[0] != '-' && argument[0] != '/')) continue;
    if (argument.compare(1, std::string::npos, name) == 0) return true;
  }
  return false;
}

void InitializeBmrConsoleHelp() {
  TCLPGroup* basic = CLPGroupBasic();
  TCLPGroup* automation = CLPGroupAutomation();
  basic->Add("help", "shows this page");
  basic->Add("verbose", "displays more output");
  CLPSilent = automation->Add("silent", "avoid unnecessary output");
}

void FinalizeBmrConsoleHelp() {
  CLPSilent = nullptr;
  g_groupBasic = nullptr;
  g_groupAutomation = nullptr;
  g_parameters.reset();
}
