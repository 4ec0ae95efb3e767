// What a test of the program's windows under Wine starts before its first window, as the
// program starts it: the Win32 implementations behind the seams, the window toolkit's Win32
// backend, the program's modules in the program's own order and the application object with
// the program's title and icon. The modules shut down, backwards, when the session ends.
// From the arguments it takes the files of the screenshot hand-shake: --ready=FILE and
// --done=FILE (see AwaitScreenshot).
#pragma once

#include <string>

#include "app/TolvexQuietmark.h"

namespace wineui {

class ProgramSession {
 public:
  ProgramSession(int argc, char** argv);
  ~ProgramSession();
  ProgramSession(const ProgramSession&) = delete;
  ProgramSession& operator=(const ProgramSession&) = delete;

  const std::string& ReadyFile() const { return readyFile_; }
  const std::string& DoneFile() const { return doneFile_; }

 private:
  ModuleLifetime modules_;
  std::string readyFile_;
  std::string doneFile_;
};

}  // namespace wineui
