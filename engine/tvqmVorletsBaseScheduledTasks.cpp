#include "engine/tvqmVorletsBaseScheduledTasks.h"

#include <memory>

#include "platform/bmrTaskScheduler.h"
#include "platform/rtlResStrings.h"
#include "platform/rtlSysUtils.h"

namespace {

const rtl::ResourceString rsdisplaytextstaskdefinition{"rsdisplaytextstaskdefinition", "Task: %0:s\\%1:s"};

// A task object of its own for one check or change, pointed at the setting's task. A missing
// folder is not created (counting must not write): its task is then missing too.
std::unique_ptr<TScheduledTask> OpenTask(const TScheduledTaskSetting& setting) {
  auto task = std::make_unique<TScheduledTask>();
  task->OpenFolder(setting.Folder);
  task->TaskName = setting.Name;
  return task;
}

}  // namespace

std::string TScheduledTaskSetting::DetailsText() const {
  return rtl::Format(rtl::LoadResString(rsdisplaytextstaskdefinition), {Folder, Name});
}

std::int32_t TCustomWindows10ScheduledTaskImmunization::GetCount() {
  return static_cast<std::int32_t>(GetScheduledTaskSettings().size());
}

std::int32_t TCustomWindows10ScheduledTaskImmunization::GetImmunizedCount() {
  std::int32_t count = 0;
  for (const auto& setting : GetScheduledTaskSettings()) {
    if (IsTaskDisabled(setting)) ++count;
  }
  return count;
}

void TCustomWindows10ScheduledTaskImmunization::Immunize() {
  for (const auto& setting : GetScheduledTaskSettings()) DisableTask(setting);
}

void TCustomWindows10ScheduledTaskImmunization::Remove() {
  for (const auto& setting : GetScheduledTaskSettings()) EnableTask(setting);
}

std::string TCustomWindows10ScheduledTaskImmunization::GetDetailsText() {
  std::string text;
  for (const auto& setting : GetScheduledTaskSettings()) text += setting.DetailsText() + "\r\n";
  return rtl::Trim(text);
}

// TaskExists of either generation reads the registered enabled state into Settings.
bool TCustomWindows10ScheduledTaskImmunization::IsTaskDisabled(const TScheduledTaskSetting& setting) {
  try {
    const auto task = OpenTask(setting);
    return !task->TaskExists() || !task->Settings.Enabled;
  } catch (...) {
    return true;
  }
}

// Only the enabled state changes: registering the whole model again would hand a system task a
// new principal (Task Scheduler 2.0) or rebuild its job without program and triggers (1.0).
void TCustomWindows10ScheduledTaskImmunization::DisableTask(const TScheduledTaskSetting& setting) {
  try {
    const auto task = OpenTask(setting);
    if (task->TaskExists() && task->Settings.Enabled) task->UpdateTaskEnabled(false);
  } catch (...) {
  }
}

void TCustomWindows10ScheduledTaskImmunization::EnableTask(const TScheduledTaskSetting& setting) {
  try {
    const auto task = OpenTask(setting);
    if (task->TaskExists() && !task->Settings.Enabled) task->UpdateTaskEnabled(true);
  } catch (...) {
  }
}
