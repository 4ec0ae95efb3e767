#pragma once
// The program's refresh task: re-applies the standard protection after every boot.

// Creates and registers the refresh task; true when the registration succeeded.
bool SetupScheduledTask();
