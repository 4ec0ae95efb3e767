#pragma once
// The product's switches in the group "Automation": apply, undo and setuptask.

#include "platform/bmrConsoleHelp.h"

// Owned by the parameter registry; null before start-up and after shut-down.
extern TCommandLineParameterItem* CLPApply;
extern TCommandLineParameterItem* CLPUndo;
extern TCommandLineParameterItem* CLPSetupTask;

// Start-up: registers the three switches (each looks itself up on the command line).
void InitializeTvqmCommandLine();
// Shut-down: forgets them, before the parameter registry frees them.
void FinalizeTvqmCommandLine();
