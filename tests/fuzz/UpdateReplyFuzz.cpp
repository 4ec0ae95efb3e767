// Any bytes as the update service's reply: the parser must end, and every value it gives is
// the text after a line's first "=", so it holds no line break and is no longer than the body.
// The release notes' lines hold no "<br />".

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/bmrUpdateReply.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view body(reinterpret_cast<const char*>(data), size);
  const TUpdateReply reply = ParseUpdateReply(body);
  for (const std::string* value : {&reply.Version, &reply.URI, &reply.ReleaseNotes}) {
    if (value->size() >= size && !value->empty()) std::abort();
    if (value->find_first_of("\r\n") != std::string::npos) std::abort();
  }
  for (const std::string& line : ReleaseNoteLines(reply.ReleaseNotes)) {
    if (line.find("<br />") != std::string::npos) std::abort();
  }
  std::size_t lineBytes = 0;
  for (const std::string& line : SplitReplyLines(body)) {
    if (line.find_first_of("\r\n") != std::string::npos) std::abort();
    lineBytes += line.size();
  }
  if (lineBytes > size) std::abort();
  (void)UpdateFileName(reply.URI);
  (void)IsHttpsAddress(reply.URI);
  (void)IsPlainFileName(UpdateFileName(reply.URI));
  return 0;
}
