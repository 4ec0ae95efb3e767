#pragma once
// Immunizer classes for the window's tests whose counts, details, hint, supported systems and
// failures a test sets; each records its calls.

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/tvqmVorletsBase.h"

namespace tests {

struct ScriptedState {
  std::int32_t count = 0;
  std::int32_t immunized = 0;
  std::string details;
  std::string hint;
  TOperatingSystems systems{osWindows7, osWindows10};
  bool throwOnImmunize = false;
  int immunizeCalls = 0;
  int removeCalls = 0;
  int created = 0;
};

inline constexpr int kScriptedClasses = 5;
inline std::array<ScriptedState, kScriptedClasses> g_scripted;
// Every Immunize and Remove in the order they ran, as "ClassName.Immunize".
inline std::vector<std::string> g_scriptedCalls;

inline void ResetScripted() {
  g_scripted = {};
  g_scriptedCalls.clear();
}

// Namespace scope with its bound: clang reads a class-scope array without one as not constant.
inline constexpr const char* kScriptedClassNames[5] = {"TScriptedAImmunization", "TScriptedBImmunization",
                                                       "TScriptedCImmunization", "TScriptedDImmunization",
                                                       "TScriptedEImmunization"};

template <int N>
class TScriptedImmunization final : public TImmunizationClass<TScriptedImmunization<N>, TWindows10Immunization> {
 public:
  static constexpr const char* kClassName = kScriptedClassNames[N];
  static std::string GetDisplayName() { return std::string("Scripted ") + static_cast<char>('A' + N); }
  static std::string GetHint() { return g_scripted[N].hint; }
  static TOperatingSystems SupportedWindowsVersions() { return g_scripted[N].systems; }

  TScriptedImmunization() { ++g_scripted[N].created; }
  std::int32_t GetCount() override { return g_scripted[N].count; }
  std::int32_t GetImmunizedCount() override { return g_scripted[N].immunized; }
  void Immunize() override {
    ++g_scripted[N].immunizeCalls;
    g_scriptedCalls.push_back(std::string(kClassName) + ".Immunize");
    if (g_scripted[N].throwOnImmunize) throw std::runtime_error("scripted failure");
    g_scripted[N].immunized = g_scripted[N].count;
    this->DoLog(ilSuccess, "applied");
  }
  void Remove() override {
    ++g_scripted[N].removeCalls;
    g_scriptedCalls.push_back(std::string(kClassName) + ".Remove");
    g_scripted[N].immunized = 0;
  }
  std::string GetDetailsText() override { return g_scripted[N].details; }
};

template <int N>
TWindows10ImmunizationClass Scripted() {
  return ImmunizationClassOf<TScriptedImmunization<N>>();
}

}  // namespace tests
