// The detached signature of an update list, served beside it at the list's path with ".sig"
// appended: the moment the list was issued ("YYYY-MM-DDTHH:MM:SSZ", UTC) on the first line,
// the Base64 text of the vendor's signature on the second. The signature covers the first
// line with its line feed, then the list's bytes exactly as served.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace updater {

struct ListSignature {
  std::string issuedLine;  // the first line, without its line feed
  long long issued = 0;    // seconds since 1970, UTC
  std::string base64;      // the signature, checked to be canonical Base64
};

// Nothing when the text is not exactly those two lines (a line end after the second is
// allowed, as CR LF or LF).
std::optional<ListSignature> ReadListSignature(std::string_view text);
// "YYYY-MM-DDTHH:MM:SSZ" as seconds since 1970; nothing for any other text or a date that
// does not exist.
std::optional<long long> ReadIssueTime(std::string_view text);
std::string IssueTimeText(long long seconds);
// The bytes the signature covers.
std::string SignedBytes(const ListSignature& signature, std::string_view list);

}  // namespace updater
