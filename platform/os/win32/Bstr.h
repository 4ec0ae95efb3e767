#pragma once
// An owned BSTR made from UTF-8 text, for the automation calls that take one.

#include <windows.h>
// windows.h first: oleauto.h needs its types.
#include <oleauto.h>

#include <string>

#include "platform/os/win32/Text.h"

namespace os::win32 {

class Bstr {
 public:
  explicit Bstr(const std::string& text) {
    const std::wstring wide = Utf8ToWide(text);
    value_ = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  }
  ~Bstr() { SysFreeString(value_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  operator BSTR() const { return value_; }

 private:
  BSTR value_ = nullptr;
};

}  // namespace os::win32
