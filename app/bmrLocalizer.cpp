#include "app/bmrLocalizer.h"

#include <memory>

#include "platform/os/Process.h"
#include "platform/rtlRegistry.h"

TReplacers* Replacers = nullptr;

namespace {

constexpr const char* kUserKey = "\\Software\\Brenmoor Limited\\Localization\\";
constexpr const char* kSystemAccountKey = "\\S-1-5-18\\Software\\Brenmoor Limited\\Localization\\";

// The folder of command-line argument 0 with its trailing backslash.
std::string ProgramFolder() {
  const std::vector<std::string> arguments = os::Process().Arguments();
  if (arguments.empty()) return {};
  const std::string& program = arguments.front();
  const auto delimiter = program.find_last_of("\\:");
  return delimiter == std::string::npos ? std::string() : program.substr(0, delimiter + 1);
}

bool WriteUnder(os::RegKey root, const char* key, const std::string& name, const std::string& language) {
  try {
    TRegistry registry;
    registry.SetRootKey(root);
    if (!registry.OpenKey(key, true)) return false;
    registry.WriteString(name, language);
    registry.CloseKey();
    return true;
  } catch (...) {
    return false;
  }
}

std::unique_ptr<TReplacers> g_replacers;

}  // namespace

std::string GetStoredLanguage(const std::string&) {
  std::string result = DefaultLanguage;
  try {
    TRegistry registry(os::kKeyRead);
    registry.SetRootKey(os::kHKeyCurrentUser);
    if (registry.OpenKeyReadOnly(kUserKey)) {
      result = registry.ReadString(ProgramFolder());
      registry.CloseKey();
    }
  } catch (...) {
    // A value of another type: the default stays.
  }
  return result;
}

bool StoreLanguage(const std::string& Language) {
  const std::string name = ProgramFolder();
  const bool user = WriteUnder(os::kHKeyCurrentUser, kUserKey, name, Language);
  const bool system = WriteUnder(os::kHKeyUsers, kSystemAccountKey, name, Language);
  return user && system;
}

void SetLanguage(const std::string& Language) { StoreLanguage(Language); }

void SyncLanguage() { SetLanguage(GetStoredLanguage("en-US")); }

std::string TReplacers::Apply(const std::string& S) const {
  std::string text = S;
  for (const std::string& line : Pairs) {
    const auto equals = line.find('=');
    if (equals == std::string::npos || equals == 0) continue;  // no pattern
    const std::string pattern = line.substr(0, equals);
    const std::string replacement = line.substr(equals + 1);
    std::string result;
    std::size_t at = 0;
    for (auto found = text.find(pattern); found != std::string::npos; found = text.find(pattern, at)) {
      result.append(text, at, found - at);
      result += replacement;
      at = found + pattern.size();
    }
    result.append(text, at, std::string::npos);
    text = std::move(result);
  }
  return text;
}

std::string ApplyReplacers(const std::string& S) { return Replacers != nullptr ? Replacers->Apply(S) : S; }

void LocalizeForm(ui::Form*, const void*) {}

void InitializeBmrLocalizer() {
  g_replacers = std::make_unique<TReplacers>();
  Replacers = g_replacers.get();
  SyncLanguage();
}

void FinalizeBmrLocalizer() {
  Replacers = nullptr;
  g_replacers.reset();
}
