#include "platform/os/win32/Win32Process.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/os/win32/Handles.h"
#include "platform/os/win32/Text.h"

namespace os::win32 {

std::vector<std::string> Win32Process::Arguments() {
  int count = 0;
  UniqueLocalMemory<LPWSTR*> argv(CommandLineToArgvW(GetCommandLineW(), &count));
  std::vector<std::string> arguments;
  if (!argv) return arguments;
  arguments.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) arguments.push_back(WideToUtf8(argv.Get()[i]));
  return arguments;
}

std::string Win32Process::ModuleFileName() {
  // MAX_PATH is not a limit here: grow until the name fits (the API truncates silently).
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) {
      buffer.resize(length);
      return WideToUtf8(buffer);
    }
    if (buffer.size() >= 32768) return {};
    buffer.resize(buffer.size() * 2);
  }
}

std::uint32_t Win32Process::CurrentProcessId() { return GetCurrentProcessId(); }

std::uint32_t Win32Process::CurrentThreadId() { return GetCurrentThreadId(); }

bool Win32Process::IsWow64Process() {
  BOOL wow64 = FALSE;
  return ::IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

void Win32Process::WriteStandardError(const std::string& text) {
  const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  if (error == nullptr || error == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(error, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace os::win32
