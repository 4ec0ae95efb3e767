#include "platform/rtlTranslations.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>

#include "platform/os/Files.h"
#include "platform/os/Locale.h"
#include "platform/os/Process.h"
#include "platform/os/System.h"
#include "platform/rtlAsciiCase.h"

namespace rtl {

namespace {

constexpr std::uint32_t kMoMagic = 0x950412DE;
constexpr const char* kCatalogName = "TolvexQuietmark.mo";
// Far more than any catalog of this program; a longer file is cut and then fails to parse.
constexpr std::size_t kMaxCatalogBytes = 16u << 20;

class MoReader {
 public:
  explicit MoReader(std::string_view bytes) : bytes_(bytes) {}

  bool Word(std::uint64_t offset, std::uint32_t& value) const {
    if (offset + 4 > bytes_.size()) return false;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes_.data() + offset);
    value = bigEndian_ ? (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3]
                       : (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
    return true;
  }
  void SetBigEndian(bool big) { bigEndian_ = big; }

  // String number index of the table at tableOffset.
  bool String(std::uint32_t tableOffset, std::uint32_t index, std::string_view& text) const {
    std::uint32_t length = 0;
    std::uint32_t offset = 0;
    const std::uint64_t entry = std::uint64_t{tableOffset} + 8ull * index;
    if (!Word(entry, length) || !Word(entry + 4, offset)) return false;
    if (std::uint64_t{offset} + length > bytes_.size()) return false;
    text = bytes_.substr(offset, length);
    return true;
  }

 private:
  std::string_view bytes_;
  bool bigEndian_ = false;
};

// The charset of a catalog header ("Content-Type: text/plain; charset=UTF-8"); "" without one.
std::string HeaderCharset(std::string_view header) {
  const std::string folded = LowerCaseAscii(header);
  const auto at = folded.find("charset=");
  if (at == std::string::npos) return {};
  const auto begin = at + 8;
  auto end = folded.find_first_of(" \t\r\n;", begin);
  if (end == std::string::npos) end = folded.size();
  return folded.substr(begin, end - begin);
}

std::string_view FirstPart(std::string_view text) { return text.substr(0, std::min(text.find('\0'), text.size())); }

bool IsPlainCode(std::string_view code) {
  return !code.empty() && std::all_of(code.begin(), code.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
  });
}

std::string Normalized(std::string code) {
  code = code.substr(0, code.find_first_of(".@"));
  return IsPlainCode(code) ? code : std::string();
}

std::string EnvironmentValue(const std::string& name) {
  std::vector<std::string> strings;
  if (!os::System().EnvironmentStrings(strings)) return {};
  for (const std::string& entry : strings) {
    const auto equals = entry.find('=', 1);
    if (equals != std::string::npos && SameTextAscii(std::string_view(entry).substr(0, equals), name)) {
      return entry.substr(equals + 1);
    }
  }
  return {};
}

std::string Folder(const std::string& path) {
  const auto delimiter = path.find_last_of("\\:");
  return delimiter == std::string::npos ? std::string() : path.substr(0, delimiter + 1);
}

std::shared_ptr<const MessageCatalog> g_catalog;
ResStringTranslator g_previous;

}  // namespace

bool ParseMoCatalog(std::string_view bytes, MessageCatalog& messages) {
  messages.clear();
  MoReader reader(bytes);
  std::uint32_t magic = 0;
  if (!reader.Word(0, magic)) return false;
  if (magic != kMoMagic) {
    reader.SetBigEndian(true);
    if (!reader.Word(0, magic) || magic != kMoMagic) return false;
  }
  std::uint32_t revision = 0, count = 0, originals = 0, translations = 0;
  if (!reader.Word(4, revision) || !reader.Word(8, count) || !reader.Word(12, originals) ||
      !reader.Word(16, translations)) {
    return false;
  }
  if ((revision >> 16) > 1) return false;
  // Both tables must lie inside the file before any entry is read.
  if (std::uint64_t{originals} + 8ull * count > bytes.size() ||
      std::uint64_t{translations} + 8ull * count > bytes.size()) {
    return false;
  }
  MessageCatalog read;
  for (std::uint32_t i = 0; i < count; ++i) {
    std::string_view id;
    std::string_view text;
    if (!reader.String(originals, i, id) || !reader.String(translations, i, text)) return false;
    if (id.empty()) {
      const std::string charset = HeaderCharset(text);
      if (!charset.empty() && charset != "utf-8" && charset != "utf8" && charset != "ascii" && charset != "us-ascii") {
        return false;
      }
      continue;
    }
    if (id.find('\x04') != std::string_view::npos) continue;  // a message with a context
    const std::string_view translated = FirstPart(text);
    if (translated.empty()) continue;
    read.emplace(std::string(FirstPart(id)), std::string(translated));
  }
  messages = std::move(read);
  return true;
}

std::string ChooseTranslationLanguage() {
  const std::vector<std::string> arguments = os::Process().Arguments();
  for (std::size_t i = 1; i + 1 < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--lang" || argument == "--LANG" || argument == "-l") return Normalized(arguments[i + 1]);
  }
  const std::string lang = EnvironmentValue("LANG");
  if (!lang.empty()) return Normalized(lang);
  const std::uint32_t locale = os::Locale().UserDefaultUILanguage();
  const std::string language = os::Locale().LocaleInfo(locale, os::kLocaleSIso639LangName);
  if (language.empty()) return {};
  const std::string country = os::Locale().LocaleInfo(locale, os::kLocaleSIso3166CtryName);
  return Normalized(country.empty() ? language : language + "_" + country);
}

std::vector<std::string> CatalogCandidates(const std::string& programFolder, const std::string& language) {
  std::vector<std::string> codes;
  if (language.empty()) return {};
  codes.push_back(language);
  const auto underscore = language.find('_');
  if (underscore != std::string::npos && underscore > 0) codes.push_back(language.substr(0, underscore));
  std::vector<std::string> paths;
  for (const char* folder : {"locale\\", "languages\\", ""}) {
    for (const std::string& code : codes) {
      paths.push_back(programFolder + folder + code + "\\LC_MESSAGES\\" + kCatalogName);
    }
  }
  return paths;
}

bool FindTranslationCatalog(const std::string& language, MessageCatalog& messages, std::string& path) {
  for (const std::string& candidate : CatalogCandidates(Folder(os::Process().ModuleFileName()), language)) {
    if (!os::Files().FileExists(candidate)) continue;
    std::string bytes;
    if (os::Files().ReadHead(candidate, kMaxCatalogBytes, bytes) != 0) continue;
    if (!ParseMoCatalog(bytes, messages)) continue;  // malformed: ignored
    path = candidate;
    return true;
  }
  messages.clear();
  return false;
}

std::string WritePotTemplate(const std::vector<const ResourceString*>& strings) {
  // English text to the names that use it; a text stands once, where its first name sorts.
  std::map<std::string, std::vector<std::string>> namesOf;
  for (const ResourceString* text : strings) {
    auto& names = namesOf[text->English];
    if (std::find(names.begin(), names.end(), text->Name) == names.end()) names.push_back(text->Name);
  }
  std::vector<std::pair<std::string, const std::string*>> order;
  for (auto& [english, names] : namesOf) {
    std::sort(names.begin(), names.end());
    order.emplace_back(names.front(), &english);
  }
  std::sort(order.begin(), order.end());
  auto quoted = [](const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
      switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default: out += c;
      }
    }
    return out + "\"";
  };
  std::string pot =
      "# Template of the translations of Tolvex Quietmark: the message ids are the program's\n"
      "# English texts; copy it to <language>.po, translate, and compile it to\n"
      "# <language>\\LC_MESSAGES\\TolvexQuietmark.mo beside the program (in locale\\ or languages\\).\n"
      "msgid \"\"\n"
      "msgstr \"\"\n"
      "\"Project-Id-Version: Tolvex Quietmark\\n\"\n"
      "\"MIME-Version: 1.0\\n\"\n"
      "\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
      "\"Content-Transfer-Encoding: 8bit\\n\"\n";
  for (const auto& [firstName, english] : order) {
    pot += "\n";
    for (const std::string& name : namesOf[*english]) pot += "#. " + name + "\n";
    pot += "msgid " + quoted(*english) + "\nmsgstr \"\"\n";
  }
  return pot;
}

void InitializeRtlTranslations() {
  auto catalog = std::make_shared<MessageCatalog>();
  std::string path;
  if (!FindTranslationCatalog(ChooseTranslationLanguage(), *catalog, path)) return;
  g_catalog = std::move(catalog);
  g_previous = SetResStringTranslator([catalog = g_catalog](const ResourceString& text) -> std::string {
    const auto it = catalog->find(text.English);
    return it == catalog->end() ? std::string() : it->second;
  });
}

void FinalizeRtlTranslations() {
  if (!g_catalog) return;
  SetResStringTranslator(std::move(g_previous));
  g_previous = nullptr;
  g_catalog.reset();
}

}  // namespace rtl
