#include "platform/rtlResStrings.h"

#include <algorithm>
#include <utility>

namespace rtl {

namespace {
ResStringTranslator& Translator() {
  static ResStringTranslator translator;
  return translator;
}

std::vector<const ResourceString*>& Registered() {
  static std::vector<const ResourceString*> all;
  return all;
}
}  // namespace

ResourceString::ResourceString(const char* name, const char* english) : Name(name), English(english) {
  Registered().push_back(this);
}

ResourceString::ResourceString(const ResourceString& other) : Name(other.Name), English(other.English) {
  Registered().push_back(this);
}

ResourceString::~ResourceString() {
  auto& all = Registered();
  const auto it = std::find(all.rbegin(), all.rend(), this);
  if (it != all.rend()) all.erase(std::next(it).base());
}

const std::vector<const ResourceString*>& AllResourceStrings() { return Registered(); }

std::string LoadResString(const ResourceString& text) {
  const auto& translator = Translator();
  if (translator) {
    std::string translated = translator(text);
    if (!translated.empty()) return translated;
  }
  return text.English;
}

ResStringTranslator SetResStringTranslator(ResStringTranslator translator) {
  return std::exchange(Translator(), std::move(translator));
}

}  // namespace rtl
