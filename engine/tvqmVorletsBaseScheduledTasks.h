#pragma once
// Scheduled-task kind: system tasks disabled on Immunize and enabled again on Remove.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/tvqmVorletsBase.h"

struct TScheduledTaskSetting {
  // Below the scheduler's root folder, without a leading backslash ("Microsoft\Windows\Autochk").
  std::string Folder;
  std::string Name;

  // "Task: Microsoft\Windows\Autochk\Proxy"
  std::string DetailsText() const;
};

using TAScheduledTaskSetting = std::vector<TScheduledTaskSetting>;

// A concrete class only lists its tasks. Every check and every change works on a task object
// of its own; a task that is missing or cannot be read counts as disabled, and changes that
// fail are not reported (the next count shows them). A change touches only the task's enabled
// state: principal, actions and triggers stay as registered.
class TCustomWindows10ScheduledTaskImmunization : public TWindows10Immunization {
 public:
  std::int32_t GetCount() override;
  std::int32_t GetImmunizedCount() override;
  void Immunize() override;
  void Remove() override;
  std::string GetDetailsText() override;
  virtual TAScheduledTaskSetting GetScheduledTaskSettings() { return {}; }

 private:
  bool IsTaskDisabled(const TScheduledTaskSetting& setting);
  void DisableTask(const TScheduledTaskSetting& setting);
  void EnableTask(const TScheduledTaskSetting& setting);
};
