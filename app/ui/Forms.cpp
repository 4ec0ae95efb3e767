// Forms, message boxes, the application object and the backend in use.

#include "app/ui/ToolkitInternal.h"
#include "app/ui/headless/HeadlessBackend.h"

#include <algorithm>

namespace ui {

using detail::Access;

// ---------------------------------------------------------------------------------------------
// The backend in use: never destroyed, so controls and forms that outlive main() (statics)
// can still tell it they go.

namespace {

Backend*& BackendSlot() {
  static Backend* backend = nullptr;
  return backend;
}

int g_backendGeneration = 0;

}  // namespace

int detail::BackendGeneration() { return g_backendGeneration; }

std::unique_ptr<Backend> SetBackend(std::unique_ptr<Backend> backend) {
  std::unique_ptr<Backend> previous(BackendSlot());
  BackendSlot() = backend.release();
  ++g_backendGeneration;
  return previous;
}

Backend& CurrentBackend() {
  // Without one installed (host tests of other modules), the headless one.
  if (!BackendSlot()) {
    BackendSlot() = new headless::HeadlessBackend();
    ++g_backendGeneration;
  }
  return *BackendSlot();
}

Size Backend::NonClientSize(const Form&) { return Size{16, 39}; }

void Backend::ApplicationChanged(Application&) {}

void Backend::ControlDestroyed(const Control&) {}

bool Backend::InsertSystemMenuItem(Form&, int, std::uint32_t, const std::string&) { return false; }

void Backend::CallWndProc(Form& form, Message& message) { form.WndProc(message); }

void Backend::CallFillCreateParams(Form& form, CreateParams& params) { form.FillCreateParams(params); }

// ---------------------------------------------------------------------------------------------
// Form

Form::Form(std::string name) : Container(std::move(name)), form_(std::make_unique<FormState>()) {
  Access::ControlState& st = Access::Of(*this);
  st.visible = false;
  const Size frame = CurrentBackend().NonClientSize(*this);
  st.bounds = st.requested = Rect{0, 0, 320 + frame.width, 240 + frame.height};
}

Form::~Form() {
  DoDestroy();
  Application::Instance().FormDestroyed(*this);
}

void Form::SetClientSize(Size size) {
  const Size frame = CurrentBackend().NonClientSize(*this);
  Access::ControlState& st = Access::Of(*this);
  const Rect bounds{st.bounds.left, st.bounds.top, size.width + frame.width, size.height + frame.height};
  if (st.bounds == bounds) return;
  st.bounds = st.requested = bounds;
  Changed(Property::ClientSize);
}

void Form::DoCreate() {
  if (form_->created) return;
  form_->created = true;
  if (onCreate) {
    auto handler = onCreate;
    Application::Instance().Guard(handler);
  }
}

void Form::DoDestroy() {
  if (form_->destroyed) return;
  form_->destroyed = true;
  if (onDestroy) {
    auto handler = onDestroy;
    Application::Instance().Guard(handler);
  }
  // The window goes while the form is whole (its last messages reach the derived form).
  CurrentBackend().DestroyForm(*this);
}

void FormDeleter::operator()(Form* form) const {
  if (!form) return;
  form->DoDestroy();
  delete form;
}

FormPosition Form::Position() const { return form_->position; }

void Form::SetPosition(FormPosition position) {
  if (detail::Update(form_->position, position)) Changed(Property::FormPosition);
}

FormBorder Form::Border() const { return form_->border; }

void Form::SetBorder(FormBorder border) {
  // The client area keeps its size; the window takes the new frame around it.
  const Size before = CurrentBackend().NonClientSize(*this);
  if (!detail::Update(form_->border, border)) return;
  const Size after = CurrentBackend().NonClientSize(*this);
  Access::ControlState& st = Access::Of(*this);
  st.bounds.width += after.width - before.width;
  st.bounds.height += after.height - before.height;
  st.requested = st.bounds;
  Changed(Property::FormBorder);
}

namespace {

// Where a form goes when it is first shown.
void PlaceForm(Form& form) {
  Access::ControlState& st = Access::Of(form);
  Rect around;
  switch (form.Position()) {
    case FormPosition::Designed:
      return;
    case FormPosition::MainFormCenter:
      if (Form* main = Application::Instance().MainForm(); main && main != &form && main->Visible()) {
        around = Access::Of(*main).bounds;
        break;
      }
      [[fallthrough]];
    case FormPosition::ScreenCenter:
      around = Application::Instance().WorkArea();
      break;
  }
  st.bounds.left = around.left + (around.width - st.bounds.width) / 2;
  st.bounds.top = around.top + (around.height - st.bounds.height) / 2;
  st.requested = st.bounds;
  CurrentBackend().ControlChanged(form, Property::Bounds);
}

}  // namespace

void Form::Show() {
  Access::ControlState& st = Access::Of(*this);
  if (!st.visible) {
    if (!form_->positioned) {
      form_->positioned = true;
      PlaceForm(*this);
    }
    st.visible = true;
    if (onShow) {
      // What the show handler builds is laid out once, after it.
      LayoutBatch batch(*this);
      auto handler = onShow;
      handler();
    }
  }
  Access::Kids(*this).layoutDirty = true;
  detail::EnsureLayout(*this);
  form_->windowMade = true;
  CurrentBackend().ShowForm(*this);
}

void Form::Hide() {
  Access::ControlState& st = Access::Of(*this);
  if (!st.visible) return;
  st.visible = false;
  CurrentBackend().HideForm(*this);
}

ModalResult Form::ShowModal() {
  Application& app = Application::Instance();
  form_->modal = true;
  form_->modalResult = ModalResult::None;
  app.PushModal(*this);
  struct Ending {
    Form& form;
    ~Ending() {
      form.form_->modal = false;
      Application::Instance().PopModal(form);
      form.Hide();
    }
  } ending{*this};
  Show();
  if (form_->modalResult == ModalResult::None) CurrentBackend().RunModal(*this);
  if (form_->modalResult == ModalResult::None) form_->modalResult = ModalResult::Cancel;
  if (onClose) {
    auto handler = onClose;
    handler();
  }
  return form_->modalResult;
}

ModalResult Form::GetModalResult() const { return form_->modalResult; }

void Form::SetModalResult(ModalResult result) { form_->modalResult = result; }

void Form::Close() {
  if (form_->modal) {
    SetModalResult(ModalResult::Cancel);
    return;
  }
  if (onClose) {
    auto handler = onClose;
    handler();
  }
  Hide();
  if (Application::Instance().MainForm() == this) Application::Instance().Terminate();
}

bool Form::IsModal() const { return form_->modal; }

Action& Form::AddAction(std::string name, std::string caption) {
  auto action = std::make_unique<Action>(std::move(name));
  action->SetCaption(std::move(caption));
  Action& ref = *action;
  form_->actions.push_back(std::move(action));
  return ref;
}

PopupMenu& Form::AddPopupMenu(std::string name) {
  auto menu = std::make_unique<PopupMenu>(std::move(name));
  menu->owner_ = this;
  PopupMenu& ref = *menu;
  form_->menus.push_back(std::move(menu));
  return ref;
}

int Form::ActionCount() const { return static_cast<int>(form_->actions.size()); }

Action& Form::GetAction(int index) const { return *form_->actions.at(static_cast<std::size_t>(index)); }

Action* Form::FindAction(const std::string& name) const {
  for (const auto& action : form_->actions) {
    if (action->Name() == name) return action.get();
  }
  return nullptr;
}

int Form::PopupMenuCount() const { return static_cast<int>(form_->menus.size()); }

PopupMenu& Form::GetPopupMenu(int index) const { return *form_->menus.at(static_cast<std::size_t>(index)); }

std::intptr_t Form::Perform(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
  Message message{msg, wParam, lParam, 0};
  WndProc(message);
  return message.result;
}

CreateParams Form::GetCreateParams() {
  CreateParams params;
  FillCreateParams(params);
  return params;
}

int Form::Dpi() const { return CurrentBackend().FormDpi(*this); }

bool Form::InsertSystemMenuItem(int position, std::uint32_t id, const std::string& caption) {
  return CurrentBackend().InsertSystemMenuItem(*this, position, id, caption);
}

namespace {

Button* FirstButton(const Form& form, bool cancel) {
  for (Control* control : TabOrder(form, false)) {
    auto* button = dynamic_cast<Button*>(control);
    if (!button || !(cancel ? button->IsCancel() : button->IsDefault())) continue;
    bool usable = button->Showing();
    for (const Control* c = button; c && usable; c = c->Parent()) usable = c->Enabled();
    if (usable) return button;
  }
  return nullptr;
}

}  // namespace

Button* Form::DefaultButton() const { return FirstButton(*this, false); }

Button* Form::CancelButton() const { return FirstButton(*this, true); }

void Form::WndProc(Message& message) { DefaultHandler(message); }

void Form::DefaultHandler(Message& message) {
  switch (message.msg) {
    case WM_PAINT_:
      Paint();
      message.result = CurrentBackend().DefaultWindowProc(*this, message);
      break;
    case WM_CLOSE_:
      Close();
      message.result = 0;
      break;
    default:
      message.result = CurrentBackend().DefaultWindowProc(*this, message);
      break;
  }
}

void Form::FillCreateParams(CreateParams& params) {
  if (form_->border == FormBorder::Dialog) {
    params.style = kWsPopup | kWsCaption | kWsSysMenu | kWsClipChildren;
    params.exStyle = kWsExDlgModalFrame | kWsExControlParent;
  } else {
    params.style = kWsOverlappedWindow | kWsClipChildren;
    params.exStyle = kWsExControlParent;
  }
}

void Form::Paint() {
  if (onPaint) {
    auto handler = onPaint;
    handler();
  }
}

// ---------------------------------------------------------------------------------------------
// Message boxes

ModalResult MessageDlg(const std::string& text, DialogType type, DialogButtons buttons) {
  Application& app = Application::Instance();
  return CurrentBackend().ShowMessageBox(app.Title(), text, type, buttons, app.ActiveForm());
}

// ---------------------------------------------------------------------------------------------
// Application

struct Application::State {
  std::string title;
  std::string icon;
  bool initialized = false;
  bool terminated = false;
  std::vector<std::unique_ptr<Form>> forms;
  Form* mainForm = nullptr;
  std::vector<Form*> modal;
};

Application::Application() : state_(std::make_unique<State>()) {}

Application& Application::Instance() {
  // Never destroyed: forms left at exit must not outlive it.
  static Application* application = new Application();
  return *application;
}

const std::string& Application::Title() const { return state_->title; }

void Application::SetTitle(std::string title) {
  state_->title = std::move(title);
  CurrentBackend().ApplicationChanged(*this);
}

void Application::Initialize() {
  if (state_->initialized) return;
  state_->initialized = true;
  CurrentBackend().InitializeApplication(*this);
}

bool Application::Initialized() const { return state_->initialized; }

WindowHandle Application::Handle() const { return CurrentBackend().ApplicationHandle(); }

void Application::AdoptForm(std::unique_ptr<Form> form) {
  Form& ref = *form;
  state_->forms.push_back(std::move(form));
  if (!state_->mainForm) state_->mainForm = &ref;
  ref.DoCreate();
}

Form* Application::MainForm() const { return state_->mainForm; }

Form* Application::ActiveForm() const { return state_->modal.empty() ? state_->mainForm : state_->modal.back(); }

void Application::Run() {
  Initialize();
  if (Form* main = state_->mainForm) {
    Guard([&] { main->Show(); });
    if (!state_->terminated && main->Visible()) CurrentBackend().RunMessageLoop(*this);
  }
  DestroyForms();
}

void Application::DestroyForms() {
  while (!state_->forms.empty()) {
    std::unique_ptr<Form> form = std::move(state_->forms.back());
    state_->forms.pop_back();
    form->DoDestroy();
    form.reset();
  }
  state_->mainForm = nullptr;
  state_->modal.clear();
}

void Application::Reset() {
  DestroyForms();
  state_->title.clear();
  state_->icon.clear();
  state_->initialized = false;
  state_->terminated = false;
  onException = nullptr;
}

void Application::ProcessMessages() { CurrentBackend().ProcessMessages(); }

void Application::Terminate() {
  state_->terminated = true;
  CurrentBackend().Terminate();
}

bool Application::Terminated() const { return state_->terminated; }

Rect Application::WorkArea() const { return CurrentBackend().WorkArea(); }

void Application::HandleException(const std::exception& error) {
  try {
    if (onException) {
      auto handler = onException;
      handler(error);
    } else {
      CurrentBackend().ShowMessageBox(Title(), error.what(), DialogType::Error, DialogButtons::Ok, ActiveForm());
    }
  } catch (...) {
    // The handler of last resort has nobody to hand a failure to.
  }
}

void Application::HandleUnknownException() { HandleException(std::runtime_error("Unknown exception.")); }

const std::string& Application::IconResource() const { return state_->icon; }

void Application::SetIconResource(std::string name) {
  state_->icon = std::move(name);
  CurrentBackend().ApplicationChanged(*this);
}

void Application::PushModal(Form& form) { state_->modal.push_back(&form); }

void Application::PopModal(Form& form) {
  auto& modal = state_->modal;
  modal.erase(std::remove(modal.begin(), modal.end(), &form), modal.end());
}

void Application::FormDestroyed(Form& form) {
  PopModal(form);
  if (state_->mainForm == &form) state_->mainForm = nullptr;
}

}  // namespace ui
