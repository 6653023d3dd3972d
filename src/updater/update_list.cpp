#include "updater/update_list.h"

#include "foundation/number_text.h"
#include "platform/local_time.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <ctime>

namespace updater {
namespace {

std::vector<std::string_view> SplitTabs(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', start);
    if (tab == std::string_view::npos) {
      fields.push_back(line.substr(start));
      return fields;
    }
    fields.push_back(line.substr(start, tab - start));
    start = tab + 1;
  }
}

}  // namespace

std::vector<std::string> SplitReplyLines(std::string_view reply) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < reply.size()) {
    const std::size_t end = reply.find('\n', start);
    if (end == std::string_view::npos) {
      lines.emplace_back(reply.substr(start));
      break;
    }
    lines.emplace_back(reply.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

double ReadVersion(std::string_view line) {
  return foundation::LeadingDecimal(line);
}

long ReadInteger(std::string_view line) {
  return foundation::LeadingInteger(line);
}

Entry ReadFileLine(std::string_view line) {
  const std::vector<std::string_view> fields = SplitTabs(line);
  Entry entry;
  if (fields.size() < 6) return entry;
  entry.fileName = fields[0];
  entry.secondColumn = fields[1];
  entry.size = static_cast<int>(ReadInteger(fields[2]));
  entry.downloadUrl = fields[3];
  entry.archive = ReadInteger(fields[4]) != 0;
  entry.run = ReadInteger(fields[5]) != 0;
  return entry;
}

bool SameLocalDay(const std::string& storedSeconds, long long now) {
  const long long stored = ReadInteger(storedSeconds);
  const std::time_t storedTime = static_cast<std::time_t>(stored);
  const std::time_t nowTime = static_cast<std::time_t>(now);
  const std::tm storedDay = platform::LocalTimeOf(storedTime);
  const std::tm today = platform::LocalTimeOf(nowTime);
  if (storedDay.tm_mday == 0 || today.tm_mday == 0) return false;  // no local time for them
  return storedDay.tm_year == today.tm_year && storedDay.tm_mon == today.tm_mon &&
         storedDay.tm_mday == today.tm_mday;
}

}  // namespace updater
