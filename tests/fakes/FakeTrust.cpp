#include "tests/fakes/FakeTrust.h"

namespace fakes {
namespace {

constexpr std::uint32_t kErrorFileNotFound = 2;

class FakeHeldFile : public os::IHeldFile {
 public:
  FakeHeldFile(FakeTrust& trust, FakeFiles& files, std::string path, int number)
      : trust_(trust), files_(files), path_(std::move(path)), number_(number) {
    files_.HoldOpen(path_);
    trust_.events.push_back("hold " + std::to_string(number_) + " " + path_);
  }
  ~FakeHeldFile() override {
    files_.Release(path_);
    trust_.events.push_back("release " + std::to_string(number_));
  }

  os::SignatureCheck VerifySignature() override {
    trust_.events.push_back("verify " + std::to_string(number_));
    const auto found = trust_.verdicts.find(files_.Content(path_).value_or(""));
    if (found == trust_.verdicts.end()) return {os::kTrustNoSignature, ""};
    return found->second;
  }

 private:
  FakeTrust& trust_;
  FakeFiles& files_;
  std::string path_;
  int number_;
};

}  // namespace

std::unique_ptr<os::IHeldFile> FakeTrust::Hold(const std::string& path, std::uint32_t& error) {
  error = 0;
  if (const auto code = failures.Check("CreateFileW", path)) {
    error = static_cast<std::uint32_t>(*code);
  } else if (!files_.Has(path)) {
    error = kErrorFileNotFound;
  }
  if (error != 0) return nullptr;
  return std::make_unique<FakeHeldFile>(*this, files_, path, ++handles_);
}

}  // namespace fakes
