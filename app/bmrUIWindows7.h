#pragma once
// The third base form: progress on the form's own taskbar button and the application's jump
// list, built once at the first show with the tasks a derived form adds in FillJumpList.
// Every failing call goes to the debug logger and nowhere else.

#include <cstdint>
#include <memory>
#include <string>

#include "app/bmrUIVista.h"
#include "platform/os/Taskbar.h"

class TWindows7Form : public TVistaForm {
 public:
  explicit TWindows7Form(std::string name = {});

  // Empty; the taskbar (re)made the form's button.
  virtual void TaskbarButtonCreated() {}
  virtual void SetTaskbarProgressValue(std::int64_t Value);
  virtual void SetTaskbarProgressMax(std::int64_t Value);
  virtual std::int64_t GetTaskbarProgressMax() { return FProgressMax; }
  virtual std::int64_t GetTaskbarProgressValue() { return FProgressValue; }
  // Adds the form's tasks to the list being built; empty here.
  virtual void FillJumpList(os::ICustomDestinationList& List);

  // State index 0..4: no progress, indeterminate, normal, error, paused.
  void SetTaskBarProgressState(std::int32_t State);
  void UpdateJumpList();
  // A shell link that starts the program itself with Arguments; null (and a level-4 entry)
  // when its path or description cannot be set, null too when its title cannot.
  void CreateJumpListShellLink(const std::string& Arguments, const std::string& Title, const std::string& IconPath,
                               std::int32_t IconIndex, std::shared_ptr<os::IShellLinkA>& Link);

  std::uint32_t MsgTaskbarButtonCreated() const { return FMsgTaskbarButtonCreated; }
  bool HasTaskbarList() const { return FTaskbarList != nullptr; }

 protected:
  void WndProc(ui::Message& message) override;
  void AfterFirstShow() override;
  // Whether the first show commits the application's jump list. The list belongs to the
  // whole program: a form with no tasks of its own (a dialog) says no, so that opening it
  // leaves the main window's tasks in place.
  virtual bool OwnsJumpList() const { return true; }

 private:
  void InitializeJumpList();

  std::shared_ptr<os::ITaskbarList3> FTaskbarList;
  std::uint32_t FMsgTaskbarButtonCreated = 0;
  std::uint32_t FMsgUpdateTaskbar = 0;
  std::int64_t FProgressValue = 0;
  std::int64_t FProgressMax = 100;
  std::int32_t FProgressState = 0;
};

// Raises EOleSysError with the system's text for a failed HRESULT (or a call that gave no
// object); nothing for a success.
void OleCheck(os::HResult code, bool gotObject = true);

// The unit's start-up and shut-down: COM for the main thread (multithreaded asked for; the
// apartment the thread has already stays).
void InitializeBmrUIWindows7();
void FinalizeBmrUIWindows7();
