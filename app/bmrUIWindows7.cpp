#include "app/bmrUIWindows7.h"

#include <array>
#include <exception>

#include "platform/bmrAPIWindowsFirewall.h"
#include "platform/bmrDebug.h"
#include "platform/os/Process.h"
#include "platform/os/System.h"
#include "platform/os/Windowing.h"
#include "platform/rtlSysUtils.h"

namespace {

constexpr std::array<std::int32_t, 5> kProgressFlags = {
    os::taskbar::kTbpfNoProgress, os::taskbar::kTbpfIndeterminate, os::taskbar::kTbpfNormal,
    os::taskbar::kTbpfError, os::taskbar::kTbpfPaused};

// Whether the start-up's CoInitializeEx took a reference that the shut-down gives back.
bool g_comInitialized = false;

void LogFailure(os::HResult code, const char* text) { DebugLogger()->LogWin32Error(code, text, 4); }

}  // namespace

void OleCheck(os::HResult code, bool gotObject) {
  if (code >= 0 && gotObject) return;
  if (code >= 0) code = os::taskbar::kEFail;
  std::string text = rtl::Trim(os::System().SystemMessageText(static_cast<std::uint32_t>(code)));
  if (text.empty()) text = rtl::Format("OLE error %.8x", {std::int64_t{code}});
  throw EOleSysError(code, text);
}

TWindows7Form::TWindows7Form(std::string name) : TVistaForm(std::move(name)) { InitializeJumpList(); }

void TWindows7Form::InitializeJumpList() {
  try {
    FProgressState = 0;
    FProgressValue = 0;
    FProgressMax = 100;
    FMsgTaskbarButtonCreated = os::Windowing().RegisterMessage("TaskbarButtonCreated");
    FMsgUpdateTaskbar = os::Windowing().RegisterMessage("dw.Control.Update.Taskbar");
    std::shared_ptr<os::ITaskbarList3> list;
    const os::HResult code = os::TaskbarLibrary().CreateTaskbarList(list);
    OleCheck(code, list != nullptr);
    FTaskbarList = std::move(list);
  } catch (const std::exception& error) {
    FTaskbarList.reset();
    DebugLogger()->LogException(error, "TWindows7Form.Create.InitializeJumpList", 5);
  }
}

void TWindows7Form::SetTaskbarProgressValue(std::int64_t Value) {
  if (Value == FProgressValue) return;
  try {
    FProgressValue = Value;
    if (!FTaskbarList) return;
    const os::HResult code = FTaskbarList->SetProgressValue(Handle(), static_cast<std::uint64_t>(FProgressValue),
                                                            static_cast<std::uint64_t>(FProgressMax));
    if (code != os::taskbar::kSOk) LogFailure(code, "ITaskbarList3.SetProgressValue");
  } catch (const std::exception& error) {
    DebugLogger()->LogException(error, "SetTaskbarProgressValue", 5);
  }
}

void TWindows7Form::SetTaskbarProgressMax(std::int64_t Value) {
  if (Value == FProgressMax) return;
  try {
    FProgressMax = Value;
    if (!FTaskbarList) return;
    const os::HResult code = FTaskbarList->SetProgressValue(Handle(), static_cast<std::uint64_t>(FProgressValue),
                                                            static_cast<std::uint64_t>(FProgressMax));
    if (code != os::taskbar::kSOk) LogFailure(code, "ITaskbarList3.SetProgressValue");
  } catch (const std::exception& error) {
    DebugLogger()->LogException(error, "SetTaskbarProgressMax", 5);
  }
}

void TWindows7Form::SetTaskBarProgressState(std::int32_t State) {
  if (State == FProgressState) return;
  try {
    FProgressState = State;
    if (!FTaskbarList) return;
    // An index outside the table is a caller's error: it raises, and is logged below.
    const std::int32_t flag = kProgressFlags.at(static_cast<std::size_t>(State));
    const os::HResult code = FTaskbarList->SetProgressState(Handle(), flag);
    if (code != os::taskbar::kSOk) LogFailure(code, "ITaskbarList3.SetProgressState");
  } catch (const std::exception& error) {
    DebugLogger()->LogException(error, "SetTaskBarProgressState", 5);
  }
}

void TWindows7Form::FillJumpList(os::ICustomDestinationList&) {}

void TWindows7Form::WndProc(ui::Message& message) {
  if (FMsgTaskbarButtonCreated != 0 && message.msg == FMsgTaskbarButtonCreated) {
    try {
      TaskbarButtonCreated();
    } catch (const std::exception& error) {
      DebugLogger()->LogException(error, "TWindows7Form.WndProc", 5);
    }
  }
  TVistaForm::WndProc(message);
}

void TWindows7Form::AfterFirstShow() {
  TVistaForm::AfterFirstShow();
  if (OwnsJumpList()) UpdateJumpList();
}

void TWindows7Form::UpdateJumpList() {
  std::shared_ptr<os::ICustomDestinationList> list;
  const os::HResult created = os::TaskbarLibrary().CreateDestinationList(list);
  OleCheck(created, list != nullptr);
  std::uint32_t minSlots = 0;
  std::shared_ptr<os::IObjectArray> removed;
  const os::HResult begun = list->BeginList(minSlots, removed);
  if (begun < 0) {
    LogFailure(begun, "ICustomDestinationList.BeginList");
    return;
  }
  FillJumpList(*list);
  const os::HResult committed = list->CommitList();
  if (committed < 0) LogFailure(committed, "ICustomDestinationList.CommitList");
}

void TWindows7Form::CreateJumpListShellLink(const std::string& Arguments, const std::string& Title,
                                            const std::string& IconPath, std::int32_t IconIndex,
                                            std::shared_ptr<os::IShellLinkA>& Link) {
  Link.reset();
  std::shared_ptr<os::IShellLinkA> link;
  const os::HResult created = os::TaskbarLibrary().CreateShellLink(link);
  OleCheck(created, link != nullptr);
  const std::string exe = os::Process().ModuleFileName();
  if (const os::HResult code = link->SetPath(exe); code < 0) {
    LogFailure(code, "TWindows7Form.CreateJumpListShellLink:IShellLink.SetPath");
    return;
  }
  link->SetArguments(Arguments);
  if (!IconPath.empty()) {
    link->SetIconLocation(IconPath, IconIndex);
  } else {
    link->SetIconLocation(exe, 0);
  }
  if (const os::HResult code = link->SetDescription(Title); code < 0) {
    LogFailure(code, "TWindows7Form.CreateJumpListShellLink:IShellLink.SetDescription");
    return;
  }
  std::shared_ptr<os::IPropertyStore> store;
  const os::HResult queried = link->QueryPropertyStore(store);
  OleCheck(queried, store != nullptr);
  if (store->SetTitle(Title) >= 0) {
    store->Commit();
    Link = std::move(link);
  }
}

void InitializeBmrUIWindows7() {
  DebugLogger()->LogUnitInitBegin("bmrUIWindows7");
  // The thread has a single-threaded apartment already (the firewall's): the request then
  // fails and takes no reference, and the shut-down must not give one back.
  g_comInitialized = os::TaskbarLibrary().InitializeCom(os::taskbar::kCoInitMultithreaded) >= 0;
  DebugLogger()->LogUnitInitEnd("bmrUIWindows7");
}

void FinalizeBmrUIWindows7() {
  DebugLogger()->LogUnitFinalBegin("bmrUIWindows7");
  if (g_comInitialized) os::TaskbarLibrary().UninitializeCom();
  g_comInitialized = false;
  DebugLogger()->LogUnitFinalEnd("bmrUIWindows7");
}
