// What the update test downloads and the shell opens: writes "<its own path>.ran" and ends.

#include <windows.h>

int main() {
  wchar_t path[MAX_PATH + 8] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 1;
  lstrcatW(path, L".ran");
  HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 2;
  DWORD written = 0;
  WriteFile(file, "ran", 3, &written, nullptr);
  CloseHandle(file);
  return 0;
}
