#pragma once
// Authenticode in memory. A held file locks its path in the fake files (writing, replacing and
// deleting it fail with a sharing violation until it is released, as for a handle shared for
// reading only); its verdict comes from the bytes it holds. Every hold, verification and
// release is logged with the handle's number, so a test sees which handle was verified and
// what happened while it was held.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/os/Trust.h"
#include "tests/fakes/FailureInjector.h"
#include "tests/fakes/FakeFiles.h"

namespace fakes {

class FakeTrust : public os::ITrust {
 public:
  explicit FakeTrust(FakeFiles& files) : files_(files) {}

  // What WinVerifyTrust says of these bytes; any others are unsigned (TRUST_E_NOSIGNATURE).
  std::map<std::string, os::SignatureCheck> verdicts;
  // "hold <n> <path>", "verify <n>", "release <n>" in order; a test may add its own lines.
  std::vector<std::string> events;
  // "CreateFileW" by path.
  FailureInjector failures;

  std::unique_ptr<os::IHeldFile> Hold(const std::string& path, std::uint32_t& error) override;

 private:
  FakeFiles& files_;
  int handles_ = 0;
};

}  // namespace fakes
