#pragma once
// Installs the Win32 implementations of the operating-system interfaces for the rest of
// the process's life. The program's entry calls it before anything else.

void InstallWin32Providers();
