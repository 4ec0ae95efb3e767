#pragma once
// The translator of the resource strings: GNU gettext catalogs (.mo) whose message ids are the
// English texts. The language comes from the argument after "--lang", "--LANG" or "-l", else
// the LANG environment variable, else the user's interface language; the catalog
// TolvexQuietmark.mo is looked for in <folder>\<language>\LC_MESSAGES\ for the folders
// "locale" and "languages" beside the program and the program's own folder, each with the
// full code ("de_DE") before the language alone ("de"). Where nothing matches, or a catalog
// is malformed, the texts stay English.

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/rtlResStrings.h"

namespace rtl {

using MessageCatalog = std::unordered_map<std::string, std::string>;

// The messages of a .mo file's bytes (either byte order): message id to its translation,
// without the header entry, messages with a context and untranslated ones; of a plural entry
// the singular id and the first form. False, messages empty, for anything malformed (a table
// or string outside the file, a revision other than 0 or 1, a charset other than UTF-8).
bool ParseMoCatalog(std::string_view bytes, MessageCatalog& messages);

// The language asked for, without a ".codeset" or "@modifier" ("de_DE.UTF-8" gives "de_DE");
// "" when none is known. A code that is no plain name (letters, digits, "_", "-") counts as
// none.
std::string ChooseTranslationLanguage();

// The paths the catalog of language is looked for at, in order, for the program in
// programFolder (with its trailing backslash).
std::vector<std::string> CatalogCandidates(const std::string& programFolder, const std::string& language);

// The first catalog among the candidates that reads and parses; path receives where it was.
bool FindTranslationCatalog(const std::string& language, MessageCatalog& messages, std::string& path);

// The .pot template for translators: every resource string's English text once, with the
// names that use it as comments, in the order of the names.
std::string WritePotTemplate(const std::vector<const ResourceString*>& strings);

// Start-up: the catalog of the chosen language becomes the resource strings' translator.
void InitializeRtlTranslations();
void FinalizeRtlTranslations();

}  // namespace rtl
