#include "app/ui/headless/HeadlessBackend.h"

#include <algorithm>
#include <cstdlib>

namespace ui::headless {

namespace {

int CodePoints(const std::string& text) {
  int count = 0;
  for (const char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  return count;
}

int FontUnits(const Font& font) { return font.height == 0 ? 12 : std::abs(font.height); }

void ForEachControl(const Control& control, const std::function<void(const Control&)>& fn) {
  fn(control);
  if (auto* container = dynamic_cast<const Container*>(&control)) {
    for (int i = 0; i < container->ControlCount(); ++i) ForEachControl(container->GetControl(i), fn);
  }
}

}  // namespace

int FixedTextMeasurer::CharWidth(const Font& font, int dpi) { return (6 * FontUnits(font) * dpi + 576) / 1152; }

int FixedTextMeasurer::LineHeight(const Font& font, int dpi) { return (15 * FontUnits(font) * dpi + 576) / 1152; }

Size FixedTextMeasurer::MeasureText(const Font& font, const std::string& text, int dpi, int wrapWidth) {
  const int charWidth = CharWidth(font, dpi);
  int lines = 0;
  int widest = 0;
  std::vector<std::string> paragraphs = SplitLines(text);
  if (paragraphs.empty()) paragraphs.emplace_back();  // the empty text is one line high
  for (const std::string& paragraph : paragraphs) {
    if (wrapWidth <= 0) {
      ++lines;
      widest = std::max(widest, CodePoints(paragraph) * charWidth);
      continue;
    }
    // Greedy word wrap.
    int current = -1;  // characters on the line, -1: nothing yet
    std::size_t start = 0;
    ++lines;
    while (start <= paragraph.size()) {
      std::size_t end = paragraph.find(' ', start);
      if (end == std::string::npos) end = paragraph.size();
      const int word = CodePoints(paragraph.substr(start, end - start));
      if (current < 0) {
        current = word;
      } else if ((current + 1 + word) * charWidth <= wrapWidth) {
        current += 1 + word;
      } else {
        widest = std::max(widest, current * charWidth);
        ++lines;
        current = word;
      }
      start = end + 1;
    }
    widest = std::max(widest, std::max(current, 0) * charWidth);
  }
  return Size{widest, lines * LineHeight(font, dpi)};
}

HeadlessBackend::HeadlessBackend() = default;

int HeadlessBackend::CountEvents(Event::Kind kind, const Control* control) const {
  return static_cast<int>(std::count_if(events.begin(), events.end(), [&](const Event& e) {
    return e.kind == kind && (!control || e.control == control);
  }));
}

bool HeadlessBackend::WasChanged(const Control& control, Property what) const {
  return std::any_of(events.begin(), events.end(), [&](const Event& e) {
    return e.kind == Event::Kind::Changed && e.control == &control && e.property == what;
  });
}

bool HeadlessBackend::Usable(const Control& control) const {
  if (!control.Showing()) return false;
  // While a modal form runs, the other forms are disabled.
  if (!modalStack_.empty() && control.ParentForm() != modalStack_.back()) return false;
  for (const Control* c = &control; c; c = c->Parent()) {
    if (!c->Enabled()) return false;
  }
  return true;
}

bool HeadlessBackend::UserClick(Button& button) {
  if (!Usable(button)) return false;
  Application::Instance().Guard([&] { button.Click(); });
  return true;
}

bool HeadlessBackend::UserClick(CheckBox& box) {
  if (!Usable(box)) return false;
  Application::Instance().Guard([&] { box.Click(); });
  return true;
}

bool HeadlessBackend::UserRightClick(Button& button) {
  if (!Usable(button) || !button.GetPopupMenu()) return false;
  const Rect b = button.Bounds();
  Application::Instance().Guard([&] { button.GetPopupMenu()->Popup(Point{b.left, b.Bottom()}); });
  return true;
}

bool HeadlessBackend::UserChooseTab(TabSheet& page) {
  PageControl* pages = page.GetPageControl();
  if (!pages || !Usable(*pages) || !page.TabVisible()) return false;
  bool chosen = false;
  Application::Instance().Guard([&] { chosen = pages->SelectPageByUser(page); });
  return chosen;
}

bool HeadlessBackend::UserChooseMenuItem(MenuItem& item) {
  if (!item.Enabled()) return false;
  Application::Instance().Guard([&] { item.Click(); });
  return true;
}

void HeadlessBackend::UserClose(Form& form) { UserSendMessage(form, WM_CLOSE_); }

std::intptr_t HeadlessBackend::UserSendMessage(Form& form, std::uint32_t msg, std::uintptr_t wParam,
                                               std::intptr_t lParam) {
  Message message{msg, wParam, lParam, 0};
  Application::Instance().Guard([&] { CallWndProc(form, message); });
  return message.result;
}

void HeadlessBackend::UserScroll(ScrollBox& box, int position) {
  Application::Instance().Guard([&] { box.SetVertScrollPosition(position); });
}

bool HeadlessBackend::UserChooseSystemMenuItem(Form& form, std::uint32_t id) {
  const auto menu = SystemMenu(form);
  if (id == 0 || std::none_of(menu.begin(), menu.end(), [&](const SystemMenuItem& item) { return item.id == id; })) {
    return false;
  }
  UserSendMessage(form, WM_SYSCOMMAND_, id);
  return true;
}

bool HeadlessBackend::UserPressEnter(Form& form) {
  if (!modalStack_.empty() && &form != modalStack_.back()) return false;
  Button* button = form.DefaultButton();
  if (!button) return false;
  Application::Instance().Guard([&] { button->Click(); });
  return true;
}

bool HeadlessBackend::UserPressEscape(Form& form) {
  if (!modalStack_.empty() && &form != modalStack_.back()) return false;
  Button* button = form.CancelButton();
  if (!button) return false;
  Application::Instance().Guard([&] { button->Click(); });
  return true;
}

Control* HeadlessBackend::UserPressTab(Form& form, bool backwards) {
  const std::vector<Control*> order = TabOrder(form, true);
  if (order.empty()) return nullptr;
  const auto at = std::find(order.begin(), order.end(), focused_);
  std::size_t next = 0;
  if (at == order.end()) {
    next = backwards ? order.size() - 1 : 0;
  } else {
    const std::size_t index = static_cast<std::size_t>(at - order.begin());
    next = backwards ? (index + order.size() - 1) % order.size() : (index + 1) % order.size();
  }
  order[next]->SetFocus();
  return order[next];
}

std::vector<HeadlessBackend::SystemMenuItem> HeadlessBackend::SystemMenu(const Form& form) const {
  const auto it = systemMenus_.find(&form);
  return it == systemMenus_.end() ? std::vector<SystemMenuItem>{} : it->second;
}

bool HeadlessBackend::InsertSystemMenuItem(Form& form, int position, std::uint32_t id, const std::string& caption) {
  MakeWindow(form);
  const auto it = systemMenus_.find(&form);
  if (it == systemMenus_.end()) return false;
  auto& items = it->second;
  const std::size_t at = position < 0 ? items.size() : std::min(items.size(), static_cast<std::size_t>(position));
  items.insert(items.begin() + static_cast<std::ptrdiff_t>(at), SystemMenuItem{id, caption});
  return true;
}

bool HeadlessBackend::IsWindowShown(const Form& form) const {
  const auto it = shown_.find(&form);
  return it != shown_.end() && it->second;
}

bool HeadlessBackend::HasWindow(const Form& form) const { return handles_.count(&form) != 0; }

CreateParams HeadlessBackend::CreateParamsOf(const Form& form) const {
  const auto it = createParams_.find(&form);
  return it == createParams_.end() ? CreateParams{} : it->second;
}

int HeadlessBackend::RepaintCount(const Control& control) const {
  const auto it = repaints_.find(&control);
  return it == repaints_.end() ? 0 : it->second;
}

std::vector<LayoutResult> HeadlessBackend::LayoutAtDpi(const Form& form) {
  const Size client = form.ClientSize();
  return ComputeLayout(form, Size{ScaleForDpi(client.width, dpi_), ScaleForDpi(client.height, dpi_)}, dpi_, measurer_);
}

void HeadlessBackend::MakeHandles(const Control& control) {
  ForEachControl(control, [&](const Control& c) {
    if (!handles_.count(&c)) {
      handles_[&c] = nextHandle_;
      nextHandle_ += 4;
    }
  });
}

void HeadlessBackend::ControlAdded(Control& control) {
  events.push_back(Event{Event::Kind::Added, &control, control.Name(), Property::Name});
  if (Form* form = control.ParentForm(); form && HasWindow(*form)) MakeHandles(control);
}

void HeadlessBackend::ControlRemoving(Control& control) {
  events.push_back(Event{Event::Kind::Removing, &control, control.Name(), Property::Name});
}

void HeadlessBackend::ControlChanged(Control& control, Property what) {
  events.push_back(Event{Event::Kind::Changed, &control, control.Name(), what});
}

void HeadlessBackend::LayoutChanged(Container& container) {
  events.push_back(Event{Event::Kind::Layout, &container, container.Name(), Property::Bounds});
}

void HeadlessBackend::ControlDestroyed(const Control& control) {
  handles_.erase(&control);
  shown_.erase(&control);
  createParams_.erase(&control);
  repaints_.erase(&control);
  systemMenus_.erase(&control);
  if (focused_ == &control) focused_ = nullptr;
  // Events keep their names; the address may be taken by a new control.
  for (Event& e : events) {
    if (e.control == &control) e.control = nullptr;
  }
}

WindowHandle HeadlessBackend::HandleOf(const Control& control) {
  const auto it = handles_.find(&control);
  return it == handles_.end() ? 0 : it->second;
}

void HeadlessBackend::RepaintNow(Control& control) { ++repaints_[&control]; }

void HeadlessBackend::SetFocus(Control& control) { focused_ = &control; }

bool HeadlessBackend::Focused(const Control& control) { return focused_ == &control; }

void HeadlessBackend::MakeWindow(Form& form) {
  if (HasWindow(form)) return;
  CreateParams params;
  CallFillCreateParams(form, params);
  createParams_[&form] = params;
  if (params.style & kWsSysMenu) {
    systemMenus_[&form] = {{0xF120, "&Restore"}, {0xF010, "&Move"},     {0xF000, "&Size"}, {0xF020, "Mi&nimize"},
                           {0xF030, "Ma&ximize"}, {0, ""}, {0xF060, "&Close\tAlt+F4"}};
  }
  MakeHandles(form);
}

void HeadlessBackend::ShowForm(Form& form) {
  MakeWindow(form);
  shown_[&form] = true;
  Application::Instance().Guard([&] {
    Message activate{WM_ACTIVATE_, 1, 0, 0};
    CallWndProc(form, activate);
    Message paint{WM_PAINT_, 0, 0, 0};
    CallWndProc(form, paint);
  });
}

void HeadlessBackend::HideForm(Form& form) { shown_[&form] = false; }

void HeadlessBackend::RunModal(Form& form) {
  modalForms.push_back(form.Name());
  modalStack_.push_back(&form);
  if (onModal) {
    auto hook = onModal;
    Application::Instance().Guard([&] { hook(form); });
  }
  modalStack_.pop_back();
  if (form.GetModalResult() == ModalResult::None) form.SetModalResult(ModalResult::Cancel);
}

void HeadlessBackend::DestroyForm(Form& form) { shown_.erase(&form); }

std::intptr_t HeadlessBackend::DefaultWindowProc(Form& form, const Message& message) {
  defaultProcCalls.push_back(DefaultProcCall{&form, form.Name(), message});
  return 0;
}

int HeadlessBackend::FormDpi(const Form&) { return dpi_; }

void HeadlessBackend::InitializeApplication(Application&) {
  if (!appHandle_) {
    appHandle_ = nextHandle_;
    nextHandle_ += 4;
  }
}

void HeadlessBackend::RunMessageLoop(Application& application) {
  ++loopRuns_;
  while (!application.Terminated()) {
    if (!tasks_.empty()) {
      auto task = std::move(tasks_.front());
      tasks_.pop_front();
      application.Guard(task);
      continue;
    }
    Form* main = application.MainForm();
    if (!main) break;
    UserClose(*main);
    if (!application.Terminated()) break;
  }
}

void HeadlessBackend::ProcessMessages() {
  for (int n = 0; n < 100000 && !tasks_.empty(); ++n) {
    auto task = std::move(tasks_.front());
    tasks_.pop_front();
    Application::Instance().Guard(task);
  }
}

ModalResult HeadlessBackend::ShowMessageBox(const std::string& title, const std::string& text, DialogType type,
                                            DialogButtons buttons, Form* owner) {
  messageBoxes.push_back(MessageBoxCall{title, text, type, buttons, owner});
  if (!messageBoxAnswers_.empty()) {
    const ModalResult answer = messageBoxAnswers_.front();
    messageBoxAnswers_.pop_front();
    return answer;
  }
  return buttons == DialogButtons::Ok || buttons == DialogButtons::OkCancel ? ModalResult::Ok : ModalResult::Yes;
}

void HeadlessBackend::ShowPopupMenu(PopupMenu& menu, Point screenPoint, Form* owner) {
  popups.push_back(PopupCall{&menu, screenPoint, owner});
  if (popupChoices_.empty()) return;
  const std::string choice = popupChoices_.front();
  popupChoices_.pop_front();
  if (choice.empty()) return;
  if (MenuItem* item = menu.Find(choice); item && item->Enabled()) item->Click();
}

ScopedHeadlessBackend::ScopedHeadlessBackend() {
  Application::Instance().Reset();
  auto backend = std::make_unique<HeadlessBackend>();
  backend_ = backend.get();
  previous_ = SetBackend(std::move(backend));
}

ScopedHeadlessBackend::~ScopedHeadlessBackend() {
  Application::Instance().Reset();
  SetBackend(std::move(previous_));
}

}  // namespace ui::headless
