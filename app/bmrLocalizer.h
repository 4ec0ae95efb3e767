#pragma once
// The language value kept per program folder under the localization key, copied at every
// start from the current user to the local system account; and the two hooks the about
// dialog passes its texts and itself through. The value selects nothing: the translator
// chooses the language of the texts.

#include <string>
#include <vector>

namespace ui {
class Form;
}

// English in one region; the value a first start stores.
inline constexpr const char* DefaultLanguage = "en_US";

// The value stored for the program's folder in the current user's key: DefaultLanguage when
// the key cannot be opened or the value is not a string, "" when it is missing or empty.
// Fallback is not used.
std::string GetStoredLanguage(const std::string& Fallback);
// Writes Language for the program's folder under the current user's and the local system
// account's keys; true when both were written.
bool StoreLanguage(const std::string& Language);
void SetLanguage(const std::string& Language);
// SetLanguage(GetStoredLanguage("en-US")): run at start-up.
void SyncLanguage();

// Text replacements: each line of Pairs is a pattern, "=" and its replacement.
class TReplacers {
 public:
  std::vector<std::string> Pairs;
  // Each line in turn replaces every occurrence of its pattern (case-sensitive) in the result
  // of the line before; text a line inserted is not searched again by that line.
  std::string Apply(const std::string& S) const;
};

// The one instance, from start-up to shut-down; null outside that time.
extern TReplacers* Replacers;

std::string ApplyReplacers(const std::string& S);
// Does nothing: the forms' texts come translated from their resource strings.
void LocalizeForm(ui::Form* Form, const void* Extra);

// Start-up: the replacement list, then SyncLanguage. Shut-down frees the list.
void InitializeBmrLocalizer();
void FinalizeBmrLocalizer();
