#pragma once
// Translatable texts: each module declares its texts as named English originals and reads
// them through LoadResString, which asks the translator the window toolkit installs.

#include <functional>
#include <string>

namespace rtl {

struct ResourceString {
  const char* Name;     // "rsdisplaynametelemetrygrouppolicy"
  const char* English;  // the text as written in the program
};

// The translation of a text, or its English original when no translator is installed or the
// translator has none for it.
using ResStringTranslator = std::function<std::string(const ResourceString&)>;

// The current text of a resource string.
std::string LoadResString(const ResourceString& text);

// Installs the translator (an empty one removes it); gives the previous one back.
ResStringTranslator SetResStringTranslator(ResStringTranslator translator);

}  // namespace rtl
