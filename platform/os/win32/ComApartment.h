#pragma once
// COM for one thread: a single-threaded apartment from construction to destruction. When the
// thread already has COM (in whatever apartment), that one stays and nothing is undone.

#include <windows.h>
// windows.h first: objbase.h needs its types.
#include <objbase.h>

namespace os::win32 {

class ScopedComApartment {
 public:
  ScopedComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ScopedComApartment() {
    // S_OK and S_FALSE each take one reference that must be given back.
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ScopedComApartment(const ScopedComApartment&) = delete;
  ScopedComApartment& operator=(const ScopedComApartment&) = delete;

  HRESULT result() const { return result_; }

 private:
  HRESULT result_;
};

}  // namespace os::win32
