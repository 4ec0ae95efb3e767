#pragma once
// The whole in-memory Windows a host test runs against, installed for the test's lifetime.
// Declare one as a member of a fixture (or a local) before anything that uses the seams.

#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeSystem.h"

namespace fakes {

struct FakeWindows {
  FakeRegistry registry;
  FakeProcess process;
  FakeSystem system;

  // A 32-bit process on 64-bit Windows (the default) or on 32-bit Windows: the process answer
  // and the registry's view go together.
  void SetWow64(bool wow64) {
    process.wow64 = wow64;
    registry.wow64 = wow64;
  }

 private:
  os::ScopedOverride<os::IRegistry> registryOverride_{registry};
  os::ScopedOverride<os::IProcess> processOverride_{process};
  os::ScopedOverride<os::ISystem> systemOverride_{system};
};

}  // namespace fakes
