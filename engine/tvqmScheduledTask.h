#pragma once
// The program's refresh task: five minutes after every start of Windows it runs the program
// silently with /apply, as the SYSTEM account, so that the standard protection is put back.

#include "platform/bmrTaskScheduler.h"

class TScheduledQuietmarkUpdateTask : public TScheduledTask {
 public:
  // Connects, opens (or creates) the program's task folder and names the task; creating the
  // folder can raise ETaskSchedulerError.
  TScheduledQuietmarkUpdateTask();

  // The definition: SYSTEM account, the program with "/apply /silent /atlogon", a boot trigger
  // delayed by five minutes, author and description, demand start and hard termination.
  void Prepare();
};

// Creates, prepares and registers the refresh task; true when the registration succeeded.
bool SetupScheduledTask();
