#include "app/bmrUpdateReply.h"

#include "platform/rtlAsciiCase.h"

std::string UpdateServiceURL(const std::string& host, int productID) {
  return "https://" + host + "/downloads-api.php?id=" + std::to_string(productID);
}

std::vector<std::string> SplitReplyLines(std::string_view body) {
  std::vector<std::string> lines;
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
  const std::size_t last = address.find_last_of("/\\:");
  return last == std::string::npos ? address : address.substr(last + 1);
}

bool IsPlainFileName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (const char c : name) {
    if (static_cast<unsigned char>(c) < 32) return false;
    if (std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos) return false;
  }
  return true;
}
