#pragma once
// The update service's side of the about dialog's update check: the request address, the
// reply's values, the notice the dialog shows, and the name a download is saved under.
// Plain text in, plain text out; no window and no system call here.

#include <string>
#include <string_view>
#include <vector>

// The address asked: "https://" + host (optionally with ":port") + "/downloads-api.php?id=" +
// the product number in decimal.
std::string UpdateServiceURL(const std::string& host, int productID);

// The values a reply gives: each is the text after the first "=" of the first line whose name
// (before that "=") is the value's name in any letter case; empty when no line names it.
struct TUpdateReply {
  std::string Version;
  std::string URI;
  std::string ReleaseNotes;  // as sent, one line, "<br />" standing for a line break
};

// The reply body as text lines: ended by CR LF, LF or CR; a line end at the very end adds no
// empty line; a UTF-8 byte-order mark at the start is skipped.
std::vector<std::string> SplitReplyLines(std::string_view body);
TUpdateReply ParseUpdateReply(std::string_view body);

// The release notes as lines: each "<br />" (exactly these six characters) is a line break; a
// break at the very end adds no empty line, as a memo takes its text.
std::vector<std::string> ReleaseNoteLines(const std::string& releaseNotes);

// True for an address that starts with "https://" (in any letter case) and names a host.
bool IsHttpsAddress(const std::string& address);

// The name a download is saved under: the last component (after the last "/", "\" or ":")
// of the address's path, the query ("?...") and the fragment ("#...") cut off, as it stands
// (never percent-decoded). Empty when the address has no path.
std::string UpdateFileName(const std::string& address);

// The download is written under the name with this suffix first, then renamed.
inline constexpr std::string_view kPartialSuffix = ".download";
// Windows' limit on the length of one name in a path, in UTF-16 units.
inline constexpr std::size_t kMaxNameLength = 255;

// True when name can be saved as a file beside others in a folder, under that name and as
// "<name>.download": not empty, not "." or "..", none of the characters Windows refuses in a
// file name (control characters, < > : " / \ | ? *), not ending in a dot or a blank, not a
// device name (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9; with any extension, in any
// case), and short enough that "<name>.download" keeps Windows' limit.
bool IsPlainFileName(const std::string& name);

// The progress bar's maximum and position for a download: whole KiB of the expected size and
// of the bytes read so far.
inline long long KiB(long long bytes) { return bytes >> 10; }
