// Starts the program without /silent and looks at it from outside, as a user would see it:
// its one visible window with the caption from the version block, the about dialog that the
// system menu's about command opens, then closes both and reports the program's exit code.
// Usage: tvqm_forms_window_probe <program> [--ready=FILE --done=FILE] (a screenshot
// hand-shake as in the other window tests). Prints "probe: FAIL ..." for what is wrong.

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

std::string g_ready;
std::string g_done;
int g_failures = 0;

void Fail(const char* what) {
  std::printf("probe: FAIL %s\n", what);
  std::fflush(stdout);
  ++g_failures;
}

std::wstring TextOf(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

struct Search {
  DWORD pid;
  std::wstring prefix;
  HWND found = nullptr;
  int visible = 0;
};

BOOL CALLBACK Look(HWND window, LPARAM param) noexcept {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != search->pid || !IsWindowVisible(window)) return TRUE;
  ++search->visible;
  if (!search->found && TextOf(window).rfind(search->prefix, 0) == 0) search->found = window;
  return TRUE;
}

Search Find(DWORD pid, const std::wstring& prefix) {
  Search search{pid, prefix};
  EnumWindows(&Look, reinterpret_cast<LPARAM>(&search));
  return search;
}

HWND WaitFor(DWORD pid, const std::wstring& prefix, int seconds) {
  for (int i = 0; i < seconds * 10; ++i) {
    if (HWND window = Find(pid, prefix).found) return window;
    Sleep(100);
  }
  return nullptr;
}

void Screenshot(const std::string& name) {
  if (g_ready.empty()) return;
  Sleep(700);  // painted
  std::ofstream(g_ready + "-" + name) << "ready\n";
  for (int i = 0; i < 300 && !std::ifstream(g_done + "-" + name).good(); ++i) Sleep(50);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  for (int i = 2; i < argc; ++i) {
    const std::wstring arg = argv[i];
    const std::string narrow(arg.begin(), arg.end());
    if (narrow.rfind("--ready=", 0) == 0) g_ready = narrow.substr(8);
    if (narrow.rfind("--done=", 0) == 0) g_done = narrow.substr(7);
  }
  std::wstring commandLine = L"\"" + std::wstring(argv[1]) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    Fail("the program did not start");
    return 1;
  }
  const DWORD started = GetTickCount();
  // A 32-bit process whose code is emulated takes its time to start.
  HWND main = WaitFor(process.dwProcessId, L"Tolvex Quietmark", 400);
  if (!main) {
    Fail("no main window");
    TerminateProcess(process.hProcess, 1);
    return 1;
  }
  std::printf("probe: main window after %lu ms: \"%ls\"\n", static_cast<unsigned long>(GetTickCount() - started),
              TextOf(main).c_str());
  Sleep(500);
  const Search all = Find(process.dwProcessId, L"");
  std::printf("probe: visible top-level windows: %d\n", all.visible);
  if (TextOf(main) == L"Tolvex Quietmark") Fail("the caption is not the version block's");
  if (all.visible != 1) Fail("more than the main window is visible");
  if (!(GetWindowLongW(main, GWL_EXSTYLE) & WS_EX_APPWINDOW)) Fail("the main window has no taskbar button of its own");
  Screenshot("e2e-main");

  PostMessageW(main, WM_SYSCOMMAND, 5681, 0);
  HWND about = WaitFor(process.dwProcessId, L"About ", 60);
  if (!about) {
    Fail("the about command opened no dialog");
  } else {
    std::printf("probe: about dialog: \"%ls\"\n", TextOf(about).c_str());
    Screenshot("e2e-about");
    PostMessageW(about, WM_CLOSE, 0, 0);
    for (int i = 0; i < 100 && IsWindowVisible(about); ++i) Sleep(100);
    if (IsWindowVisible(about)) Fail("the about dialog did not close");
  }

  PostMessageW(main, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.hProcess, 120000) != WAIT_OBJECT_0) {
    Fail("the program did not end after its window closed");
    TerminateProcess(process.hProcess, 1);
    return 1;
  }
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  if (g_failures == 0) std::printf("probe: exit code %lu\n", static_cast<unsigned long>(code));
  std::fflush(stdout);
  return g_failures == 0 && code == 0 ? 0 : 1;
}
