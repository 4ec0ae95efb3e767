#pragma once
// The shape every seam object over a COM interface shares: it holds the native object, and a
// native object that a call gives back becomes its own seam object. A wrapper then says only
// which native call each seam method makes.

#include <windows.h>
#include <wrl/client.h>

#include <memory>
#include <utility>

namespace os::win32 {

template <class Seam, class Native>
class ComWrapper : public Seam {
 public:
  using SeamInterface = Seam;
  using NativeInterface = Native;

  explicit ComWrapper(Microsoft::WRL::ComPtr<Native> native) : p_(std::move(native)) {}
  Native* NativeObject() const { return p_.Get(); }

 protected:
  // Calls a method of the native object.
  template <class Method, class... Args>
  HRESULT Call(Method method, Args&&... args) const {
    return (p_.Get()->*method)(std::forward<Args>(args)...);
  }

  Microsoft::WRL::ComPtr<Native> p_;
};

// Gives out the seam object of a native object that a successful call gave; true when it did.
template <class Wrapper, class Native, class Seam>
bool Adopt(HRESULT hr, Microsoft::WRL::ComPtr<Native>& native, std::shared_ptr<Seam>& out) {
  out.reset();
  if (FAILED(hr) || !native) return false;
  out = std::make_shared<Wrapper>(std::move(native));
  return true;
}

}  // namespace os::win32
