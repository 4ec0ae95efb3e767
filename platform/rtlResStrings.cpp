#include "platform/rtlResStrings.h"

#include <utility>

namespace rtl {

namespace {
ResStringTranslator& Translator() {
  static ResStringTranslator translator;
  return translator;
}
}  // namespace

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
