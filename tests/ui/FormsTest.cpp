// Forms and the application object on the headless backend: the order of show, activation
// and paint, modal forms, closing, the message loop, and the handler of exceptions.

#include "app/ui/Toolkit.h"
#include "app/ui/headless/HeadlessBackend.h"
#include "tests/ui/UiTestPrinters.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace ui;
using headless::ScopedHeadlessBackend;

// A form that writes down what reaches it, as the form bases do.
class RecordingForm : public Form {
 public:
  explicit RecordingForm(std::vector<std::string>& log, std::string name = "recording") : Form(std::move(name)), log_(log) {
    onShow = [this] { log_.push_back("onShow"); };
    onPaint = [this] { log_.push_back("onPaint"); };
    onClose = [this] { log_.push_back("onClose"); };
    onDestroy = [this] { log_.push_back("onDestroy"); };
    onCreate = [this] { log_.push_back("onCreate"); };
  }
  ~RecordingForm() override { DoDestroy(); }  // its handler writes to a member

 protected:
  void WndProc(Message& message) override {
    log_.push_back("msg " + std::to_string(message.msg) + (Visible() ? " visible" : " hidden"));
    Form::WndProc(message);
  }
  void FillCreateParams(CreateParams& p) override {
    Form::FillCreateParams(p);
    p.exStyle = (p.exStyle & ~kWsExToolWindow) | kWsExAppWindow;
  }

 private:
  std::vector<std::string>& log_;
};

class UiFormsTest : public ::testing::Test {
 protected:
  ScopedHeadlessBackend backend_;
  std::vector<std::string> log_;
  Application& app_ = Application::Instance();
};

TEST_F(UiFormsTest, ShowRaisesOnShowThenActivatesAndPaintsThroughTheWindowProcedure) {
  RecordingForm form(log_);
  form.Show();
  EXPECT_EQ(log_, (std::vector<std::string>{"onShow", "msg 6 visible", "msg 15 visible", "onPaint"}));
  ASSERT_EQ(backend_->defaultProcCalls.size(), 2u);  // both went on to the system's default
  EXPECT_EQ(backend_->defaultProcCalls[0].message.msg, WM_ACTIVATE_);
  EXPECT_EQ(backend_->defaultProcCalls[1].message.msg, WM_PAINT_);
  EXPECT_TRUE(backend_->IsWindowShown(form));
  EXPECT_EQ(backend_->CreateParamsOf(form).exStyle & kWsExAppWindow, kWsExAppWindow);
  EXPECT_EQ(backend_->CreateParamsOf(form).style, kWsOverlappedWindow | kWsClipChildren);

  // Shown, hidden and shown again: onShow each time it is made visible, not when it already is.
  log_.clear();
  form.Show();
  form.Hide();
  EXPECT_FALSE(backend_->IsWindowShown(form));
  form.SetVisible(true);
  EXPECT_EQ(std::count(log_.begin(), log_.end(), "onShow"), 1);

  // WM_CLOSE closes the form and goes no further; other messages reach the default.
  log_.clear();
  backend_->defaultProcCalls.clear();
  backend_->UserSendMessage(form, WM_SYSCOMMAND_, 0xF020);
  backend_->UserClose(form);
  EXPECT_EQ(log_, (std::vector<std::string>{"msg 274 visible", "msg 16 visible", "onClose"}));
  ASSERT_EQ(backend_->defaultProcCalls.size(), 1u);
  EXPECT_EQ(backend_->defaultProcCalls[0].message.wParam, 0xF020u);
  EXPECT_FALSE(form.Visible());
}

TEST_F(UiFormsTest, AModalFormRunsUntilItHasAResult) {
  Form& main = app_.CreateForm<Form>("main");
  Button& onMain = main.Add<Button>("onMain");
  main.Show();
  Form dialog("dlgAbout");
  dialog.SetBorder(FormBorder::Dialog);
  Button& ok = dialog.Add<Button>("bnOk");
  ok.SetModalResult(ModalResult::Ok);
  ok.SetDefault(true);
  dialog.onClose = [&] { log_.push_back("onClose"); };

  backend_->onModal = [&](Form& form) {
    EXPECT_EQ(&form, &dialog);
    EXPECT_TRUE(form.IsModal());
    EXPECT_TRUE(form.Visible());
    EXPECT_EQ(app_.ActiveForm(), &dialog);
    MessageDlg("inside", DialogType::Information, DialogButtons::Ok);
    EXPECT_FALSE(backend_->UserClick(onMain));  // the other forms are disabled
    EXPECT_TRUE(backend_->UserClick(ok));
  };
  EXPECT_EQ(dialog.ShowModal(), ModalResult::Ok);
  EXPECT_EQ(log_, (std::vector<std::string>{"onClose"}));
  EXPECT_FALSE(dialog.Visible());
  EXPECT_FALSE(dialog.IsModal());
  ASSERT_EQ(backend_->messageBoxes.size(), 1u);
  EXPECT_EQ(backend_->messageBoxes[0].owner, &dialog);
  EXPECT_EQ(backend_->CreateParamsOf(dialog).exStyle & kWsExDlgModalFrame, kWsExDlgModalFrame);

  // Closed without a result, or by Close: Cancel. A second show starts without a result.
  backend_->onModal = [](Form&) {};
  EXPECT_EQ(dialog.ShowModal(), ModalResult::Cancel);
  backend_->onModal = [](Form& form) { form.Close(); };
  EXPECT_EQ(dialog.ShowModal(), ModalResult::Cancel);
  backend_->onModal = [](Form& form) { form.SetModalResult(ModalResult::Yes); };
  EXPECT_EQ(dialog.ShowModal(), ModalResult::Yes);
  EXPECT_EQ(backend_->modalForms.size(), 4u);
  EXPECT_EQ(app_.ActiveForm(), &main);
  EXPECT_TRUE(backend_->UserClick(onMain));
}

TEST_F(UiFormsTest, TheApplicationRunsUntilTheMainFormCloses) {
  app_.SetTitle("Tolvex Quietmark");
  EXPECT_EQ(app_.Handle(), 0u);
  app_.Initialize();
  const WindowHandle handle = app_.Handle();
  EXPECT_NE(handle, 0u);
  app_.Initialize();
  EXPECT_EQ(app_.Handle(), handle);

  RecordingForm& main = app_.CreateForm<RecordingForm>(log_, "main");
  RecordingForm& second = app_.CreateForm<RecordingForm>(log_, "second");
  EXPECT_EQ(app_.MainForm(), &main);
  EXPECT_EQ(log_, (std::vector<std::string>{"onCreate", "onCreate"}));

  log_.clear();
  backend_->Post([&] {
    log_.push_back("task");
    second.Show();
  });
  backend_->Post([&] { main.Close(); });
  backend_->Post([&] { log_.push_back("never"); });
  app_.Run();
  EXPECT_TRUE(app_.Terminated());
  EXPECT_EQ(app_.MainForm(), nullptr);  // Run destroys the forms it owns
  EXPECT_EQ(log_, (std::vector<std::string>{"onShow", "msg 6 visible", "msg 15 visible", "onPaint", "task", "onShow",
                                            "msg 6 visible", "msg 15 visible", "onPaint", "onClose", "onDestroy",
                                            "onDestroy"}));
}

TEST_F(UiFormsTest, TheMessageLoopEndsAsAUserClosingTheMainFormWhenNothingIsLeft) {
  app_.CreateForm<RecordingForm>(log_, "main");
  app_.Run();
  EXPECT_TRUE(backend_->LoopRan());
  EXPECT_TRUE(app_.Terminated());
  EXPECT_NE(std::find(log_.begin(), log_.end(), "msg 16 visible"), log_.end());
}

TEST_F(UiFormsTest, ExceptionsOfEventHandlersReachTheApplicationsHandler) {
  app_.SetTitle("A&B");
  Form form("form");
  Button& button = form.Add<Button>("bn");
  button.onClick = [] { throw std::runtime_error("Access is denied"); };
  form.Show();

  // Default: a message box with the exception's message, titled with the application title.
  EXPECT_TRUE(backend_->UserClick(button));
  ASSERT_EQ(backend_->messageBoxes.size(), 1u);
  EXPECT_EQ(backend_->messageBoxes[0].text, "Access is denied");
  EXPECT_EQ(backend_->messageBoxes[0].title, "A&B");
  EXPECT_EQ(backend_->messageBoxes[0].type, DialogType::Error);
  EXPECT_EQ(backend_->messageBoxes[0].buttons, DialogButtons::Ok);

  // With a handler: the handler, no message box; something that is no std::exception too.
  std::vector<std::string> handled;
  app_.onException = [&](const std::exception& e) { handled.push_back(e.what()); };
  EXPECT_TRUE(backend_->UserClick(button));
  button.onClick = [] { throw 17; };
  EXPECT_TRUE(backend_->UserClick(button));
  EXPECT_EQ(handled, (std::vector<std::string>{"Access is denied", "Unknown exception."}));
  EXPECT_EQ(backend_->messageBoxes.size(), 1u);

  // A failing creation handler is reported and the form exists.
  auto created = NewForm<RecordingForm>(log_);
  EXPECT_EQ(log_, (std::vector<std::string>{"onCreate"}));
  struct Failing : Form {
    Failing() { onCreate = [] { throw std::runtime_error("create failed"); }; }
  };
  Failing& failing = app_.CreateForm<Failing>();
  EXPECT_EQ(app_.MainForm(), &failing);
  EXPECT_EQ(handled.back(), "create failed");

  // A programmatic click passes the exception to its caller.
  button.onClick = [] { throw std::logic_error("direct"); };
  EXPECT_THROW(button.Click(), std::logic_error);
}

// A form whose destroy handler uses its own members (as the main window frees its version
// lines): raised while they still exist, by NewForm's owner and by the application.
struct VersionForm : Form {
  explicit VersionForm(std::vector<std::string>& out) : out_(out) {
    onDestroy = [this] { out_.push_back("freed " + versionInfo.front()); };
  }
  std::vector<std::string> versionInfo{"ProductName=Tolvex Quietmark"};
  std::vector<std::string>& out_;
};

TEST_F(UiFormsTest, OnDestroyRunsWhileTheWholeFormExists) {
  {
    auto dialog = NewForm<VersionForm>(log_);
    dialog->Show();
  }
  app_.CreateForm<VersionForm>(log_);
  app_.DestroyForms();
  EXPECT_EQ(log_, (std::vector<std::string>{"freed ProductName=Tolvex Quietmark", "freed ProductName=Tolvex Quietmark"}));
}

TEST_F(UiFormsTest, MessageBoxesAreAnsweredFromTheQueue) {
  app_.SetTitle("Title");
  backend_->QueueMessageBoxAnswer(ModalResult::No);
  EXPECT_EQ(MessageDlg("Sure?", DialogType::Confirmation, DialogButtons::YesNo), ModalResult::No);
  EXPECT_EQ(MessageDlg("Sure?", DialogType::Confirmation, DialogButtons::YesNoCancel), ModalResult::Yes);
  EXPECT_EQ(MessageDlg("Done", DialogType::Information, DialogButtons::OkCancel), ModalResult::Ok);
  ASSERT_EQ(backend_->messageBoxes.size(), 3u);
  EXPECT_EQ(backend_->messageBoxes[2].title, "Title");
  EXPECT_EQ(backend_->messageBoxes[2].text, "Done");
}

TEST_F(UiFormsTest, PositionsSizesAndTheWorkArea) {
  backend_->SetWorkArea({0, 0, 1000, 800});
  EXPECT_EQ(app_.WorkArea(), (Rect{0, 0, 1000, 800}));
  Form& main = app_.CreateForm<Form>("main");
  main.SetClientSize({537, 639});
  EXPECT_EQ(main.ClientSize(), (Size{537, 639}));
  EXPECT_EQ(main.Height(), 639 + 39);  // the headless window frame
  main.SetPosition(FormPosition::ScreenCenter);
  main.Show();
  EXPECT_EQ(main.Left(), (1000 - 553) / 2);
  EXPECT_EQ(main.Top(), (800 - 678) / 2);

  Form dialog("dialog");
  dialog.SetClientSize({600, 340});
  dialog.SetPosition(FormPosition::MainFormCenter);
  dialog.Show();
  EXPECT_NEAR(dialog.Left() + dialog.Width() / 2, main.Left() + main.Width() / 2, 1);

  // The height adjustment of the main window: the window grows, the client follows.
  main.SetHeight(main.Height() + 200);
  EXPECT_EQ(main.ClientSize().height, 839);
  backend_->SetDpi(144);
  EXPECT_EQ(main.Dpi(), 144);
  EXPECT_EQ(main.Height(), 878);  // bounds stay at 96 DPI

  // Resized to a fixed size: minimum and maximum equal, and it keeps that size.
  main.SetConstraints({854, 480, 854, 480});
  main.SetLeft(100);
  main.SetTop(100);
  main.SetHeight(480);
  main.SetWidth(854);
  EXPECT_EQ(main.Bounds(), (Rect{100, 100, 854, 480}));
  main.SetBounds({100, 100, 1000, 700});
  EXPECT_EQ(main.Bounds(), (Rect{100, 100, 854, 480}));
}

TEST_F(UiFormsTest, SystemMenuKeyboardAndTabOrder) {
  RecordingForm form(log_);
  EXPECT_TRUE(form.InsertSystemMenuItem(6, 5681, "&About A&&B..."));
  EXPECT_TRUE(form.InsertSystemMenuItem(6, 5681, "&About A&&B..."));
  const auto menu = backend_->SystemMenu(form);
  ASSERT_EQ(menu.size(), 9u);
  EXPECT_EQ(menu[6].id, 5681u);
  EXPECT_EQ(menu[7].id, 5681u);
  EXPECT_EQ(menu[8].id, 0xF060u);  // Close stays last
  form.Show();
  log_.clear();
  EXPECT_TRUE(backend_->UserChooseSystemMenuItem(form, 5681));
  EXPECT_FALSE(backend_->UserChooseSystemMenuItem(form, 1234));
  EXPECT_EQ(log_, (std::vector<std::string>{"msg 274 visible"}));

  // Enter and Esc reach the default and cancel buttons that can be clicked.
  Button& hidden = form.Add<Button>("hidden");
  hidden.SetDefault(true);
  hidden.SetVisible(false);
  Button& ok = form.Add<Button>("ok");
  ok.SetDefault(true);
  ok.onClick = [&] { log_.push_back("ok"); };
  EXPECT_EQ(form.DefaultButton(), &ok);
  EXPECT_TRUE(backend_->UserPressEnter(form));
  EXPECT_FALSE(backend_->UserPressEscape(form));
  EXPECT_EQ(log_.back(), "ok");

  // Tab follows control order, skipping what cannot take the focus.
  PageControl& pages = form.Add<PageControl>("pc");
  TabSheet& first = pages.AddPage("first", "First");
  TabSheet& second = pages.AddPage("second", "Second");
  CheckBox& onFirst = first.Add<CheckBox>("onFirst");
  second.Add<CheckBox>("onSecond");
  Label& label = form.Add<Label>("label");
  Button& disabled = form.Add<Button>("disabled");
  disabled.SetEnabled(false);
  EXPECT_FALSE(label.TabStop());
  std::vector<std::string> names;
  for (Control* c : TabOrder(form, true)) names.push_back(c->Name());
  EXPECT_EQ(names, (std::vector<std::string>{"ok", "pc", "onFirst"}));
  EXPECT_EQ(backend_->UserPressTab(form), &ok);
  EXPECT_EQ(backend_->UserPressTab(form), &pages);
  EXPECT_EQ(backend_->UserPressTab(form), &onFirst);
  EXPECT_EQ(backend_->UserPressTab(form), &ok);
  EXPECT_EQ(backend_->UserPressTab(form, true), &onFirst);
  EXPECT_TRUE(onFirst.Focused());
}

}  // namespace
