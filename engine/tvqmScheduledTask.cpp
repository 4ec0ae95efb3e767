#include "engine/tvqmScheduledTask.h"

#include <exception>
#include <memory>

#include "platform/os/Process.h"
#include "platform/os/System.h"
#include "platform/rtlResStrings.h"

namespace {

const rtl::ResourceString rsscheduledtaskdisplayname{"rsscheduledtaskdisplayname", "Refresh Quietmark immunization"};
const rtl::ResourceString rsscheduledtaskinfodescription{
    "rsscheduledtaskinfodescription", "This task will refresh your immunization against telemetry and tracking."};

const char* const kTaskFolder = "Brenmoor\\Tolvex Quietmark";
const char* const kArguments = "/apply /silent /atlogon";
constexpr TDateTime kBootDelay = 5.0 / 1440.0;

}  // namespace

TScheduledQuietmarkUpdateTask::TScheduledQuietmarkUpdateTask() {
  SetFolder(kTaskFolder);
  TaskName = rtl::LoadResString(rsscheduledtaskdisplayname);
}

void TScheduledQuietmarkUpdateTask::Prepare() {
  LogonMode = 0;
  // Quoted here, so the registration does not quote it again.
  AddExecutionAction("\"" + os::Process().ModuleFileName() + "\"", "Run", kArguments, "");
  AddBootTrigger("AtBoot", CurrentLocalDateTime(), kBootDelay);
  RegistrationInfo.Author = "Tolvex Quietmark";
  RegistrationInfo.Description = rtl::LoadResString(rsscheduledtaskinfodescription);
  Settings.AllowDemandStart = true;
  Settings.AllowHardTerminate = true;
}

bool SetupScheduledTask() {
  std::unique_ptr<TScheduledQuietmarkUpdateTask> task;
  try {
    task = std::make_unique<TScheduledQuietmarkUpdateTask>();
  } catch (const std::exception& error) {
    // The task folder could not be created (a user without the right to, for one). The body
    // does not look at the answer, so the reason goes where a registration failure's goes.
    os::System().DebugOutput(error.what());
    return false;
  }
  try {
    task->Prepare();
    return task->CreateOrUpdateTask();
  } catch (...) {
    return false;
  }
}
