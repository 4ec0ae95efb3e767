// Actions, menu items and popup menus.

#include "app/ui/ToolkitInternal.h"

#include <algorithm>

namespace ui {

struct Action::State {
  std::string name;
  std::string caption;
  std::string hint;
  bool enabled = true;
  // The controls that carry the action and follow its caption, hint and enabled state.
  std::vector<Button*> buttons;
  std::vector<MenuItem*> items;
};

struct MenuItem::State {
  std::string name;
  std::string caption;
  Action* action = nullptr;
  bool enabled = true;
  MenuItem* parent = nullptr;
  std::vector<std::unique_ptr<MenuItem>> children;
};

Action::Action(std::string name) : state_(std::make_unique<State>()) { state_->name = std::move(name); }

Action::~Action() {
  // Copies: SetAction(nullptr) takes each client off the lists.
  for (Button* button : std::vector<Button*>(state_->buttons)) button->SetAction(nullptr);
  for (MenuItem* item : std::vector<MenuItem*>(state_->items)) item->SetAction(nullptr);
}

const std::string& Action::Name() const { return state_->name; }

const std::string& Action::Caption() const { return state_->caption; }

void Action::SetCaption(std::string caption) {
  state_->caption = std::move(caption);
  for (Button* button : state_->buttons) button->SetCaption(state_->caption);
  for (MenuItem* item : state_->items) item->state_->caption = state_->caption;
}

const std::string& Action::Hint() const { return state_->hint; }

void Action::SetHint(std::string hint) {
  state_->hint = std::move(hint);
  for (Button* button : state_->buttons) button->SetHint(state_->hint);
}

bool Action::Enabled() const { return state_->enabled; }

void Action::SetEnabled(bool enabled) {
  state_->enabled = enabled;
  for (Button* button : state_->buttons) button->SetEnabled(enabled);
  for (MenuItem* item : state_->items) item->state_->enabled = enabled;
}

bool Action::Execute() {
  if (!state_->enabled || !onExecute) return false;
  auto handler = onExecute;
  handler();
  return true;
}

void Button::SetAction(Action* action) {
  if (action_ == action) return;
  if (action_) {
    auto& list = action_->state_->buttons;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
  action_ = action;
  if (action_) {
    action_->state_->buttons.push_back(this);
    SetCaption(action_->Caption());
    SetHint(action_->Hint());
    SetEnabled(action_->Enabled());
  }
  Changed(Property::Action);
}

MenuItem::MenuItem(std::string name) : state_(std::make_unique<State>()) { state_->name = std::move(name); }

MenuItem::~MenuItem() {
  SetAction(nullptr);
  while (!state_->children.empty()) state_->children.pop_back();
}

const std::string& MenuItem::Name() const { return state_->name; }

const std::string& MenuItem::Caption() const { return state_->caption; }

void MenuItem::SetCaption(std::string caption) { state_->caption = std::move(caption); }

Action* MenuItem::GetAction() const { return state_->action; }

void MenuItem::SetAction(Action* action) {
  if (state_->action == action) return;
  if (state_->action) {
    auto& list = state_->action->state_->items;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
  state_->action = action;
  if (action) {
    action->state_->items.push_back(this);
    state_->caption = action->Caption();
    state_->enabled = action->Enabled();
  }
}

void MenuItem::Click() {
  if (onClick) {
    auto handler = onClick;
    handler();
  } else if (state_->action) {
    state_->action->Execute();
  }
}

MenuItem& MenuItem::Add(std::string name) {
  auto item = std::make_unique<MenuItem>(std::move(name));
  item->state_->parent = this;
  MenuItem& ref = *item;
  state_->children.push_back(std::move(item));
  return ref;
}

int MenuItem::Count() const { return static_cast<int>(state_->children.size()); }

MenuItem& MenuItem::Item(int index) const { return *state_->children.at(static_cast<std::size_t>(index)); }

MenuItem* MenuItem::Parent() const { return state_->parent; }

MenuItem* MenuItem::Find(const std::string& name) {
  for (const auto& child : state_->children) {
    if (child->Name() == name) return child.get();
    if (MenuItem* found = child->Find(name)) return found;
  }
  return nullptr;
}

bool MenuItem::Enabled() const { return state_->enabled; }

void MenuItem::SetEnabled(bool enabled) { state_->enabled = enabled; }

PopupMenu::PopupMenu(std::string name) : MenuItem(std::move(name)) {}

void PopupMenu::Popup(Point screenPoint) { CurrentBackend().ShowPopupMenu(*this, screenPoint, owner_); }

Form* PopupMenu::Owner() const { return owner_; }

}  // namespace ui
