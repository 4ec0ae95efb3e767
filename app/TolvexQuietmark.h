#pragma once
// The program: the modules' start-up in their fixed order, the body, and the shut-down in the
// reverse order.

// Runs the whole program and gives the process exit code: 0 normally, 217 when an exception
// escaped the body.
int RunTolvexQuietmark();

// The body: names the application, registers the refresh task when asked, then runs the
// window or the silent walk.
void MainProgram();

// The silent walk over the standard list: mode 0 applies every immunizer, mode 1 undoes it;
// any other mode only creates and frees each one. Exceptions are not caught.
void ProcessImmunizersSilently(int mode);
