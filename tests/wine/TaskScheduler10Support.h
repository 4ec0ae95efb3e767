#pragma once
// What the Task Scheduler 1.0 tests share: COM for the test's thread, the account a job of the
// current user names, a delete that outlasts the library's brief hold on a just-saved job,
// and a field-for-field comparison of trigger records.

#include <windows.h>

#include <string>

#include "platform/os/TaskScheduler10.h"

namespace winetest {

// CoInitializeEx as a single-threaded apartment, for the test's lifetime.
struct ScopedCom {
  ScopedCom() : result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ScopedCom() {
    if (SUCCEEDED(result)) CoUninitialize();
  }
  // Also when another test left the thread in the other apartment kind.
  bool Ready() const { return SUCCEEDED(result) || result == RPC_E_CHANGED_MODE; }
  ScopedCom(const ScopedCom&) = delete;
  ScopedCom& operator=(const ScopedCom&) = delete;
  HRESULT result;
};

// "<computer>\<user>" through the wide calls, in UTF-8.
std::string CurrentAccount();

// Deletes the job, retrying while the library still holds the file; true when it is gone
// (also when it never existed).
bool DeleteJob10(os::ITaskScheduler10& scheduler, const std::string& name);

void ExpectSameTrigger10(const os::TaskTrigger10& expected, const os::TaskTrigger10& actual);

}  // namespace winetest
