#pragma once
// Translatable texts: each module declares its texts as named English originals and reads
// them through LoadResString, which asks the translator the program installs at start-up.

#include <functional>
#include <string>
#include <vector>

namespace rtl {

// A resource string; every one that exists is listed by AllResourceStrings, so the catalog
// template for translators is written from the program's own tables.
struct ResourceString {
  ResourceString(const char* name, const char* english);
  ResourceString(const ResourceString& other);
  ResourceString& operator=(const ResourceString& other) = default;
  ~ResourceString();

  const char* Name;     // "rsdisplaynametelemetrygrouppolicy"
  const char* English;  // the text as written in the program: the catalogs' message id
};

// Every resource string of the program, in the order they came into being.
const std::vector<const ResourceString*>& AllResourceStrings();

// The translation of a text, or its English original when no translator is installed or the
// translator has none for it.
using ResStringTranslator = std::function<std::string(const ResourceString&)>;

// The current text of a resource string.
std::string LoadResString(const ResourceString& text);

// Installs the translator (an empty one removes it); gives the previous one back.
ResStringTranslator SetResStringTranslator(ResStringTranslator translator);

}  // namespace rtl
