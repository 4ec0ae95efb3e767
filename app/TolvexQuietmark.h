#pragma once
// The program: the modules' start-up in their fixed order, the body, and the shut-down in the
// reverse order.

#include <cstddef>

// Starts the modules in the program's order; Stop shuts down, backwards, every module that was
// started, also after the start-up or the body raised. The program runs its body between the
// two, and so do the tests of its windows.
class ModuleLifetime {
 public:
  void Start();
  void Stop();

 private:
  std::size_t started_ = 0;
};

// Runs the whole program and gives the process exit code: 0 normally, 217 when an exception
// escaped the body.
int RunTolvexQuietmark();

// The body: names the application, registers the refresh task when asked, then runs the
// window or the silent walk.
void MainProgram();

// The silent walk over the standard list: mode 0 applies every immunizer, mode 1 undoes it;
// any other mode only creates and frees each one. Exceptions are not caught.
void ProcessImmunizersSilently(int mode);
