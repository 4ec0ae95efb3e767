#include "app/bmrUpdateReply.h"

#include "platform/rtlAsciiCase.h"
#include "platform/rtlUnicode.h"

std::string UpdateServiceURL(const std::string& host, int productID) {
  return "https://" + host + "/downloads-api.php?id=" + std::to_string(productID);
}

std::vector<std::string> SplitReplyLines(std::string_view body) {
  std::vector<std::string> lines;
  // A UTF-8 byte-order mark would stick to the first line's name.
  if (body.substr(0, 3) == "\xEF\xBB\xBF") body.remove_prefix(3);
  std::size_t start = 0;
  std::size_t at = 0;
  while (at < body.size()) {
    const char c = body[at];
    if (c != '\r' && c != '\n') {
      ++at;
      continue;
    }
    lines.emplace_back(body.substr(start, at - start));
    at += (c == '\r' && at + 1 < body.size() && body[at + 1] == '\n') ? 2 : 1;
    start = at;
  }
  if (start < body.size()) lines.emplace_back(body.substr(start));
  return lines;
}

TUpdateReply ParseUpdateReply(std::string_view body) {
  TUpdateReply reply;
  bool haveVersion = false;
  bool haveURI = false;
  bool haveNotes = false;
  for (const std::string& line : SplitReplyLines(body)) {
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string_view name(line.data(), equals);
    std::string value = line.substr(equals + 1);
    if (!haveVersion && rtl::SameTextAscii(name, "version")) {
      reply.Version = std::move(value);
      haveVersion = true;
    } else if (!haveURI && rtl::SameTextAscii(name, "uri")) {
      reply.URI = std::move(value);
      haveURI = true;
    } else if (!haveNotes && rtl::SameTextAscii(name, "releasenotes")) {
      reply.ReleaseNotes = std::move(value);
      haveNotes = true;
    }
  }
  return reply;
}

std::vector<std::string> ReleaseNoteLines(const std::string& releaseNotes) {
  std::vector<std::string> lines;
  static constexpr std::string_view kBreak = "<br />";
  std::size_t start = 0;
  while (start < releaseNotes.size()) {
    const std::size_t next = releaseNotes.find(kBreak, start);
    if (next == std::string::npos) {
      lines.push_back(releaseNotes.substr(start));
      break;
    }
    lines.push_back(releaseNotes.substr(start, next - start));
    start = next + kBreak.size();
  }
  return lines;
}

bool IsHttpsAddress(const std::string& address) {
  static constexpr std::string_view kScheme = "https://";
  if (address.size() <= kScheme.size()) return false;
  if (!rtl::SameTextAscii(std::string_view(address).substr(0, kScheme.size()), kScheme)) return false;
  const char first = address[kScheme.size()];
  return first != '/' && first != '\\' && first != ':' && static_cast<unsigned char>(first) > ' ';
}

std::string UpdateFileName(const std::string& address) {
  // The query and the fragment name no file; nothing is percent-decoded.
  std::string_view rest = std::string_view(address).substr(0, address.find_first_of("?#"));
  // Only the path names the file: an address without one names a host.
  if (const std::size_t scheme = rest.find("://"); scheme != std::string_view::npos) {
    rest.remove_prefix(scheme + 3);
    const std::size_t path = rest.find_first_of("/\\");
    if (path == std::string_view::npos) return {};
    rest.remove_prefix(path);
  }
  const std::size_t last = rest.find_last_of("/\\:");
  return std::string(last == std::string_view::npos ? rest : rest.substr(last + 1));
}

namespace {

// Windows opens these as devices, whatever extension follows and in any letter case (the
// superscript digits count as digits there).
bool IsDeviceName(std::string_view name) {
  std::string_view stem = name.substr(0, name.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
  for (const std::string_view device : {"CON", "PRN", "AUX", "NUL"}) {
    if (rtl::SameTextAscii(stem, device)) return true;
  }
  if (stem.size() < 4) return false;
  const std::string_view port = stem.substr(0, 3);
  if (!rtl::SameTextAscii(port, "COM") && !rtl::SameTextAscii(port, "LPT")) return false;
  const std::string_view digit = stem.substr(3);
  if (digit.size() == 1) return digit[0] >= '1' && digit[0] <= '9';
  return digit == "\xC2\xB9" || digit == "\xC2\xB2" || digit == "\xC2\xB3";
}

}  // namespace

bool IsPlainFileName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (const char c : name) {
    if (static_cast<unsigned char>(c) < 32) return false;
    if (std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos) return false;
  }
  // Windows drops a trailing dot or blank: the file made would not be the one named.
  if (name.back() == '.' || name.back() == ' ') return false;
  if (IsDeviceName(name)) return false;
  return rtl::Utf8ToUtf16(name).size() + kPartialSuffix.size() <= kMaxNameLength;
}
