// The three base forms on the headless backend with the recording taskbar, window calls and
// dwmapi.dll: the first-show hook, the own taskbar button, the system commands, composition,
// the keyboard-cue repaint, taskbar progress and the jump list.

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/bmrUIWindows7.h"
#include "app/ui/headless/HeadlessBackend.h"
#include "tests/fakes/DebugEntryRecorder.h"
#include "tests/fakes/FakeWindows.h"

namespace {

using ui::headless::ScopedHeadlessBackend;

constexpr std::uint32_t kWsExToolWindow = 0x80;
constexpr std::uint32_t kWsExAppWindow = 0x40000;

std::string Hex(std::uintptr_t value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "0x%llx", static_cast<unsigned long long>(value));
  return buffer;
}

// A form of the chain that counts its first-show hook and can make it fail, notes the order
// of activation, paint and hook, counts (and can fail) the taskbar-button hook, and adds
// jump-list tasks when asked.
class ProbeForm : public TWindows7Form {
 public:
  ProbeForm() : TWindows7Form("ProbeForm") {}
  int firstShows = 0;
  bool raise = false;
  std::vector<std::string> order;
  int buttonHooks = 0;
  bool raiseOnButton = false;
  int fills = 0;
  std::vector<std::shared_ptr<os::IShellLinkA>> tasks;
  void ShowFirstTime() { CheckFirstShow(false); }

 protected:
  void WndProc(ui::Message& message) override {
    if (message.msg == ui::WM_ACTIVATE_) order.push_back("activate");
    if (message.msg == ui::WM_PAINT_) order.push_back("paint");
    TWindows7Form::WndProc(message);
  }
  void AfterFirstShow() override {
    TWindows7Form::AfterFirstShow();
    ++firstShows;
    order.push_back("first show");
    if (raise) throw std::runtime_error("first show failed");
  }
  void TaskbarButtonCreated() override {
    ++buttonHooks;
    if (raiseOnButton) throw std::runtime_error("button hook failed");
  }
  void FillJumpList(os::ICustomDestinationList& list) override {
    ++fills;
    if (tasks.empty()) return;
    std::shared_ptr<os::IObjectCollection> collection;
    os::TaskbarLibrary().CreateObjectCollection(collection);
    for (auto& task : tasks) collection->AddObject(task.get());
    list.AddUserTasks(*collection);
  }
};

class FormBasesTest : public ::testing::Test {
 protected:
  FormBasesTest() { ui::Application::Instance().Initialize(); }
  os::WindowHandle AppWindow() const { return ui::Application::Instance().Handle(); }
  std::vector<std::string> Messages() const {
    std::vector<std::string> texts;
    for (const auto& entry : log.Entries()) texts.push_back(entry.message);
    return texts;
  }

  fakes::FakeWindows windows;
  fakes::DebugEntryRecorder log;
  ScopedHeadlessBackend backend;
};

TEST_F(FormBasesTest, TheFirstShowHookRunsOnceWhenTheVisibleFormIsActivatedOrPainted) {
  ProbeForm form;
  // Messages before the form is flagged visible leave the hook pending.
  backend->UserSendMessage(form, ui::WM_ACTIVATE_, 1);
  backend->UserSendMessage(form, ui::WM_PAINT_);
  EXPECT_EQ(form.firstShows, 0);
  EXPECT_TRUE(form.FirstShowPending());

  form.order.clear();
  form.Show();  // onShow, then WM_ACTIVATE before any paint: the hook runs there
  EXPECT_EQ(form.order, (std::vector<std::string>{"activate", "first show", "paint"}));
  EXPECT_EQ(form.firstShows, 1);
  EXPECT_FALSE(form.FirstShowPending());
  form.Hide();
  form.Show();
  backend->UserSendMessage(form, ui::WM_PAINT_);
  EXPECT_EQ(form.firstShows, 1);
}

TEST_F(FormBasesTest, AFailingFirstShowHookIsLoggedOnceAndNotRunAgain) {
  ProbeForm form;
  form.raise = true;
  form.Show();
  backend->UserSendMessage(form, ui::WM_PAINT_);
  EXPECT_EQ(form.firstShows, 1);
  EXPECT_FALSE(form.FirstShowPending());
  const auto messages = Messages();
  EXPECT_EQ(std::count(messages.begin(), messages.end(), "TSimpleTolvexForm.WndProc"), 1);
  EXPECT_TRUE(backend->messageBoxes.empty());  // never reaches the user
}

TEST_F(FormBasesTest, EachFormHasItsOwnTaskbarButtonAndTheApplicationWindowNone) {
  windows.windowing.exStyles[AppWindow()] = static_cast<std::int32_t>(kWsExAppWindow | 0x8);
  ProbeForm form;
  form.Show();
  const auto params = backend->CreateParamsOf(form);
  EXPECT_EQ(params.exStyle & kWsExAppWindow, kWsExAppWindow);
  EXPECT_EQ(params.exStyle & kWsExToolWindow, 0u);
  // Hidden and made a tool window at construction and again at the first show; other
  // styles kept.
  EXPECT_EQ(windows.windowing.CallCount("ShowWindow " + Hex(AppWindow()) + " 0"), 2u);
  EXPECT_EQ(windows.windowing.exStyles[AppWindow()], static_cast<std::int32_t>(kWsExToolWindow | 0x8));
}

TEST_F(FormBasesTest, MinimizeAndRestoreActOnTheFormsWindowOthersTakeTheDefaultPath) {
  struct Case {
    std::uint32_t command;
    std::string formShow;  // "": the default handling
  };
  const Case cases[] = {
      {SC_MINIMIZE_, "6"}, {SC_MINIMIZE_ | 2, "6"}, {SC_RESTORE_, "9"}, {0xF030, ""}, {0xF060, ""}, {0xF010, ""},
  };
  ProbeForm form;
  form.Show();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    windows.windowing.calls.clear();
    backend->defaultProcCalls.clear();
    backend->UserSendMessage(form, ui::WM_SYSCOMMAND_, c.command);
    if (c.formShow.empty()) {
      EXPECT_TRUE(windows.windowing.calls.empty());
      ASSERT_EQ(backend->defaultProcCalls.size(), 1u);
      EXPECT_EQ(backend->defaultProcCalls[0].message.wParam, c.command);
    } else {
      EXPECT_EQ(windows.windowing.calls,
                (std::vector<std::string>{"ShowWindow " + Hex(AppWindow()) + " 0",
                                          "ShowWindow " + Hex(form.Handle()) + " " + c.formShow}));
      EXPECT_TRUE(backend->defaultProcCalls.empty());
    }
  }
}

int g_aboutCommands = 0;

TEST_F(FormBasesTest, TheAboutItemRunsTheCommandSetForItThenTakesTheDefaultPath) {
  const TAboutCommand saved = AboutCommand();
  ProbeForm form;
  form.Show();
  for (const bool set : {true, false}) {
    SCOPED_TRACE(set ? "command set" : "no command");
    SetAboutCommand(set ? [] { ++g_aboutCommands; } : TAboutCommand{});
    g_aboutCommands = 0;
    backend->defaultProcCalls.clear();
    backend->UserSendMessage(form, ui::WM_SYSCOMMAND_, kAboutSystemMenuCommand);
    EXPECT_EQ(g_aboutCommands, set ? 1 : 0);
    ASSERT_EQ(backend->defaultProcCalls.size(), 1u);
    EXPECT_EQ(backend->defaultProcCalls[0].message.wParam, kAboutSystemMenuCommand);
    // Another command near it does not run it.
    backend->UserSendMessage(form, ui::WM_SYSCOMMAND_, kAboutSystemMenuCommand + 1);
    EXPECT_EQ(g_aboutCommands, set ? 1 : 0);
  }
  SetAboutCommand(saved);
}

TEST_F(FormBasesTest, CompositionIsAskedOfDwmapiOnlyFromVistaOnAndNoFormWantsGlass) {
  struct Case {
    std::uint32_t major;
    bool present;
    const char* failingFunction;
    bool composition;
    bool expected;
  };
  const Case cases[] = {
      {5, true, "", true, false},                       // XP: the library is not even loaded
      {6, true, "", true, true},                        // Vista
      {10, true, "", false, false},                     // composition off
      {10, false, "", true, false},                     // no dwmapi.dll
      {10, true, "DwmIsCompositionEnabled", true, false},  // no function
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.major);
    fakes::FakeWindows fresh;
    fresh.system.version.majorVersion = c.major;
    fresh.windowing.dwmPresent = c.present;
    fresh.windowing.compositionEnabled = c.composition;
    if (*c.failingFunction) fresh.windowing.failures.Fail("GetProcAddress", 0, c.failingFunction);
    EXPECT_EQ(IsCompositionEnabled(), c.expected);
    EXPECT_EQ(fresh.windowing.CallCount("LoadLibraryA"), c.major >= 6 ? 1u : 0u);
    EXPECT_EQ(fresh.windowing.loadedLibraries, 0);  // freed whenever it was loaded

    ProbeForm form;
    form.Show();
    EXPECT_EQ(form.GetColor(), ui::clDefault);
    EXPECT_EQ(fresh.windowing.CallCount("DwmExtendFrameIntoClientArea"), 0u);
  }
}

TEST_F(FormBasesTest, TheKeyboardCueChangeRepaintsTheButtonsOfTheActivePageAndPanelsOnly) {
  ProbeForm form;
  auto& pages = form.Add<ui::PageControl>("pages");
  auto& first = pages.AddPage("first", "First");
  auto& second = pages.AddPage("second", "Second");
  auto& onFirst = first.Add<ui::Button>("onFirst");
  auto& boxOnFirst = first.Add<ui::CheckBox>("boxOnFirst");
  auto& onSecond = second.Add<ui::Button>("onSecond");
  auto& panel = form.Add<ui::Panel>("panel");
  auto& onPanel = panel.Add<ui::Button>("onPanel");
  auto& label = panel.Add<ui::Label>("label");
  pages.SetActivePage(&first);
  form.Show();

  backend->UserSendMessage(form, ui::WM_UPDATEUISTATE_, 0x30002);
  EXPECT_EQ(backend->RepaintCount(onFirst), 1);
  EXPECT_EQ(backend->RepaintCount(boxOnFirst), 1);
  EXPECT_EQ(backend->RepaintCount(onPanel), 1);
  EXPECT_EQ(backend->RepaintCount(onSecond), 0);
  EXPECT_EQ(backend->RepaintCount(label), 0);
}

TEST_F(FormBasesTest, ProgressSettersSendOnlyChangesWithTheStoredCounterpart) {
  ProbeForm form;
  form.Show();
  const std::string window = Hex(form.Handle());
  auto& calls = windows.taskbar.calls;
  calls.clear();

  form.SetTaskbarProgressMax(100);  // unchanged after construction
  form.SetTaskbarProgressValue(40);
  form.SetTaskbarProgressValue(40);
  form.SetTaskbarProgressMax(80);
  form.SetTaskBarProgressState(3);
  form.SetTaskBarProgressState(3);
  form.SetTaskBarProgressState(4);
  EXPECT_EQ(calls, (std::vector<std::string>{
                       "ITaskbarList3::SetProgressValue " + window + " 40 100",
                       "ITaskbarList3::SetProgressValue " + window + " 40 80",
                       "ITaskbarList3::SetProgressState " + window + " 4",
                       "ITaskbarList3::SetProgressState " + window + " 8",
                   }));
  EXPECT_EQ(form.GetTaskbarProgressValue(), 40);
  EXPECT_EQ(form.GetTaskbarProgressMax(), 80);
}

TEST_F(FormBasesTest, EveryProgressStateReachesTheTaskbarAsItsOwnFlag) {
  const std::pair<std::int32_t, const char*> states[] = {{1, "1"}, {2, "2"}, {3, "4"}, {4, "8"}, {0, "0"}};
  ProbeForm form;
  form.Show();
  for (const auto& [state, flag] : states) {
    SCOPED_TRACE(state);
    windows.taskbar.calls.clear();
    form.SetTaskBarProgressState(state);
    EXPECT_EQ(windows.taskbar.calls,
              std::vector<std::string>{"ITaskbarList3::SetProgressState " + Hex(form.Handle()) + " " + flag});
  }
}

// A taskbar whose progress calls raise.
class RaisingTaskbar : public fakes::FakeTaskbar {
 public:
  os::HResult CreateTaskbarList(std::shared_ptr<os::ITaskbarList3>& list) override {
    struct Raising : os::ITaskbarList3 {
      os::HResult SetProgressValue(os::WindowHandle, std::uint64_t, std::uint64_t) override {
        throw std::runtime_error("progress value");
      }
      os::HResult SetProgressState(os::WindowHandle, std::int32_t) override {
        throw std::runtime_error("progress state");
      }
    };
    list = std::make_shared<Raising>();
    return os::taskbar::kSOk;
  }
};

TEST_F(FormBasesTest, AnExceptionOfAProgressSetterIsLoggedUnderItsNameAndTheValueIsKept) {
  RaisingTaskbar taskbar;
  const os::ScopedOverride<os::ITaskbarLibrary> taskbarOverride(taskbar);
  ProbeForm form;
  form.Show();
  struct Case {
    const char* name;
    std::function<void()> set;
    std::function<bool()> kept;
  };
  const Case cases[] = {
      {"SetTaskbarProgressValue", [&] { form.SetTaskbarProgressValue(5); },
       [&] { return form.GetTaskbarProgressValue() == 5; }},
      {"SetTaskbarProgressMax", [&] { form.SetTaskbarProgressMax(50); },
       [&] { return form.GetTaskbarProgressMax() == 50; }},
      {"SetTaskBarProgressState", [&] { form.SetTaskBarProgressState(2); }, [] { return true; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    log.Clear();
    c.set();
    EXPECT_EQ(Messages(), std::vector<std::string>{c.name});
    EXPECT_TRUE(c.kept());
  }
  EXPECT_TRUE(backend->messageBoxes.empty());
}

TEST_F(FormBasesTest, ATaskbarCallThatIsNotSOkIsLoggedAndARepeatOfTheValueSendsNothing) {
  ProbeForm form;
  form.Show();
  windows.taskbar.failures.Fail("ITaskbarList3::SetProgressValue", os::taskbar::kSFalse);
  windows.taskbar.failures.Fail("ITaskbarList3::SetProgressState", os::taskbar::kEFail);
  log.Clear();
  form.SetTaskbarProgressValue(10);
  form.SetTaskbarProgressValue(10);
  form.SetTaskBarProgressState(2);
  const auto messages = Messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].rfind("ITaskbarList3.SetProgressValue (error code 1", 0), 0u) << messages[0];
  EXPECT_EQ(messages[1].rfind("ITaskbarList3.SetProgressState (error code -2147467259", 0), 0u) << messages[1];
  EXPECT_EQ(windows.taskbar.CallCount("ITaskbarList3::SetProgressValue"), 1u);
}

TEST_F(FormBasesTest, WithoutTheTaskbarObjectTheSettersOnlyStoreTheirValues) {
  windows.taskbar.failures.Fail("CoCreateInstance", os::taskbar::kEClassNotRegistered, "TaskbarList");
  ProbeForm form;
  EXPECT_FALSE(form.HasTaskbarList());
  EXPECT_EQ(Messages(), std::vector<std::string>{"TWindows7Form.Create.InitializeJumpList"});
  form.SetTaskbarProgressValue(7);
  form.SetTaskbarProgressMax(9);
  EXPECT_EQ(form.GetTaskbarProgressValue(), 7);
  EXPECT_EQ(form.GetTaskbarProgressMax(), 9);
  EXPECT_EQ(windows.taskbar.CallCount("ITaskbarList3"), 0u);
}

TEST_F(FormBasesTest, TheTaskbarButtonMessageRunsTheHookAndReachesTheToolkitWithoutProgressCalls) {
  ProbeForm form;
  form.Show();
  const std::uint32_t message = form.MsgTaskbarButtonCreated();
  EXPECT_EQ(message, windows.windowing.messages.at("TaskbarButtonCreated"));
  EXPECT_EQ(windows.windowing.messages.count("dw.Control.Update.Taskbar"), 1u);
  windows.taskbar.calls.clear();
  backend->defaultProcCalls.clear();
  backend->UserSendMessage(form, message);
  EXPECT_EQ(form.buttonHooks, 1);
  EXPECT_EQ(windows.taskbar.calls.size(), 0u);
  ASSERT_EQ(backend->defaultProcCalls.size(), 1u);
  EXPECT_EQ(backend->defaultProcCalls[0].message.msg, message);

  // A hook that raises is logged; the message still reaches the toolkit, and the user sees nothing.
  form.raiseOnButton = true;
  log.Clear();
  backend->defaultProcCalls.clear();
  backend->UserSendMessage(form, message);
  EXPECT_EQ(form.buttonHooks, 2);
  EXPECT_EQ(Messages(), std::vector<std::string>{"TWindows7Form.WndProc"});
  ASSERT_EQ(backend->defaultProcCalls.size(), 1u);
  EXPECT_EQ(backend->defaultProcCalls[0].message.msg, message);
  EXPECT_TRUE(backend->messageBoxes.empty());
}

TEST_F(FormBasesTest, TheFirstShowCommitsTheFormsTasksAndAFailedBeginListStopsThere) {
  ProbeForm empty;
  empty.Show();
  EXPECT_EQ(empty.fills, 1);
  EXPECT_EQ(windows.taskbar.commits, 1);  // an empty list is still committed
  EXPECT_TRUE(windows.taskbar.jumpListTasks.empty());

  ProbeForm failing;
  windows.taskbar.failures.Fail("ICustomDestinationList::BeginList", os::taskbar::kENotImpl);
  log.Clear();
  failing.Show();
  EXPECT_EQ(failing.fills, 0);
  EXPECT_EQ(windows.taskbar.CallCount("ICustomDestinationList::CommitList"), 1u);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].rfind("ICustomDestinationList.BeginList (error code -2147467263", 0), 0u);

  // A refused commit is logged with its code; the first show's work goes on.
  ProbeForm refused;
  windows.taskbar.failures.Clear();
  windows.taskbar.failures.Fail("ICustomDestinationList::CommitList", os::taskbar::kEFail);
  log.Clear();
  refused.Show();
  EXPECT_EQ(refused.fills, 1);
  EXPECT_EQ(refused.firstShows, 1);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].rfind("ICustomDestinationList.CommitList (error code -2147467259", 0), 0u) << Messages()[0];
}

TEST_F(FormBasesTest, AJumpListThatCannotBeCreatedEndsTheFirstShowWorkAndIsLogged) {
  windows.taskbar.failures.Fail("CoCreateInstance", os::taskbar::kEClassNotRegistered, "DestinationList");
  ProbeForm form;
  form.Show();
  EXPECT_EQ(form.firstShows, 0);  // what comes after the inherited step is skipped
  EXPECT_EQ(Messages(), std::vector<std::string>{"TSimpleTolvexForm.WndProc"});
  EXPECT_EQ(log.Entries()[0].senderClass, "EOleSysError");
}

TEST_F(FormBasesTest, AJumpListShellLinkStartsTheProgramWithTheArgumentsAndShowsTheTitle) {
  ProbeForm form;
  std::shared_ptr<os::IShellLinkA> link;
  form.CreateJumpListShellLink("/apply", "&Immunize", "", 3, link);
  ASSERT_NE(link, nullptr);
  const auto& made = *windows.taskbar.links.back();
  EXPECT_EQ(made.path, windows.process.moduleFileName);
  EXPECT_EQ(made.arguments, "/apply");
  EXPECT_EQ(made.iconPath, windows.process.moduleFileName);  // empty icon path: the program's, index 0
  EXPECT_EQ(made.iconIndex, 0);
  EXPECT_EQ(made.description, "&Immunize");
  EXPECT_EQ(made.title, "&Immunize");
  EXPECT_TRUE(made.committed);

  form.CreateJumpListShellLink("/undo", "&Undo", "C:\\icons.dll", 3, link);
  EXPECT_EQ(windows.taskbar.links.back()->iconPath, "C:\\icons.dll");
  EXPECT_EQ(windows.taskbar.links.back()->iconIndex, 3);
}

TEST_F(FormBasesTest, AShellLinkWhosePathDescriptionOrTitleFailsIsNone) {
  struct Case {
    const char* call;
    const char* logged;  // "": nothing
  };
  const Case cases[] = {
      {"IShellLinkA::SetPath", "TWindows7Form.CreateJumpListShellLink:IShellLink.SetPath"},
      {"IShellLinkA::SetDescription", "TWindows7Form.CreateJumpListShellLink:IShellLink.SetDescription"},
      {"IPropertyStore::SetValue", ""},
  };
  ProbeForm form;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.call);
    windows.taskbar.failures.Clear();
    windows.taskbar.failures.Fail(c.call, os::taskbar::kEFail);
    log.Clear();
    std::shared_ptr<os::IShellLinkA> link;
    form.CreateJumpListShellLink("/apply", "&Immunize", "", 0, link);
    EXPECT_EQ(link, nullptr);
    const auto messages = Messages();
    if (*c.logged) {
      ASSERT_EQ(messages.size(), 1u);
      EXPECT_EQ(messages[0].rfind(c.logged, 0), 0u) << messages[0];
    } else {
      EXPECT_TRUE(messages.empty());
    }
  }
}

TEST_F(FormBasesTest, TheUnitGivesBackOnlyTheComReferenceItTook) {
  // The firewall's single-threaded apartment is there: the request for another fails.
  windows.taskbar.failures.Fail("CoInitializeEx", static_cast<os::HResult>(0x80010106u));
  InitializeBmrUIWindows7();
  FinalizeBmrUIWindows7();
  EXPECT_EQ(windows.taskbar.CallCount("CoUninitialize"), 0u);

  windows.taskbar.failures.Clear();
  InitializeBmrUIWindows7();
  FinalizeBmrUIWindows7();
  EXPECT_EQ(windows.taskbar.comReferences, 0);
  EXPECT_EQ(windows.taskbar.CallCount("CoUninitialize"), 1u);
}

}  // namespace
