#pragma once
// The process-wide holder of the operating-system interfaces. The Windows program installs
// the Win32 implementations at start; a test installs fakes with ScopedOverride, which puts
// the previous implementation back when it ends.

#include <stdexcept>
#include <string>
#include <typeinfo>

namespace os {

template <class Interface>
inline Interface* g_current = nullptr;

// The installed implementation of Interface; throws when none is installed, which is a
// programming error (a test that forgot its fake, a start-up that forgot its providers).
template <class Interface>
Interface& Get() {
  Interface* current = g_current<Interface>;
  if (current == nullptr) {
    throw std::logic_error(std::string("no implementation installed for ") + typeid(Interface).name());
  }
  return *current;
}

template <class Interface>
bool IsInstalled() {
  return g_current<Interface> != nullptr;
}

// Installs an implementation for the program's lifetime (the Windows start-up uses this).
template <class Interface>
void Install(Interface* implementation) {
  g_current<Interface> = implementation;
}

template <class Interface>
class ScopedOverride {
 public:
  explicit ScopedOverride(Interface& implementation) : previous_(g_current<Interface>) {
    g_current<Interface> = &implementation;
  }
  ~ScopedOverride() { g_current<Interface> = previous_; }
  ScopedOverride(const ScopedOverride&) = delete;
  ScopedOverride& operator=(const ScopedOverride&) = delete;

 private:
  Interface* previous_;
};

}  // namespace os
