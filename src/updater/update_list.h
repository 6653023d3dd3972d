// The update server's reply: its lines, the numbers in them and its file lines.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace updater {

// One file the server offers.
struct Entry {
  std::string fileName, secondColumn;
  int size = 0;
  std::string downloadUrl;
  bool archive = false, run = false;
  std::string localCopy;  // the temporary file of its download
};

// The reply's lines: each ends at a line feed, which is removed (a carriage return before
// it stays); the end of the reply ends the last line, and an empty reply has none.
std::vector<std::string> SplitReplyLines(std::string_view reply);
// A number at the start of a line: leading blanks skipped, the longest numeric prefix taken
// (a decimal point, whatever the host's locale); 0 when there is none.
double ReadVersion(std::string_view line);
long ReadInteger(std::string_view line);
// A file line: fields separated by tabs (empty ones count); fewer than six give an empty
// entry, fields after the sixth are ignored.
Entry ReadFileLine(std::string_view line);

// The once-a-day gate's stored moment (seconds since 1970 in decimal): whether it lies on
// today's calendar date, in local time; nothing when the text is no such number.
bool SameLocalDay(const std::string& storedSeconds, long long now);

}  // namespace updater
