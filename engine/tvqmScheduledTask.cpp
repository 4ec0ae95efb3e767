#include "engine/tvqmScheduledTask.h"

// The Task Scheduler is not reached yet: nothing is registered.
bool SetupScheduledTask() { return false; }
