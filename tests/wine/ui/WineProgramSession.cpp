#include "tests/wine/ui/WineProgramSession.h"

#include "app/ui/Toolkit.h"
#include "app/ui/win32/Win32Backend.h"
#include "platform/os/win32/Win32Providers.h"

namespace wineui {

ProgramSession::ProgramSession(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--ready=", 0) == 0) readyFile_ = arg.substr(8);
    if (arg.rfind("--done=", 0) == 0) doneFile_ = arg.substr(7);
  }
  InstallWin32Providers();
  ui::win32::InstallWin32Backend();
  modules_.Start();
  ui::Application& application = ui::Application::Instance();
  application.SetTitle("Tolvex Quietmark");
  application.SetIconResource("MAINICON");
  application.Initialize();
}

ProgramSession::~ProgramSession() {
  ui::Application::Instance().DestroyForms();
  modules_.Stop();
}

}  // namespace wineui
