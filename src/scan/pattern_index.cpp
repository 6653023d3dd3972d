#include "scan/pattern_index.h"

#include <algorithm>

namespace scan {
namespace {

bool IsWild(char c) {
  return c == '*' || c == '?' || c == '`' || c == '\x1A';
}

std::string_view LastComponent(std::string_view text) {
  const std::size_t slash = text.find_last_of("/\\");
  return slash == std::string_view::npos ? text : text.substr(slash + 1);
}

}  // namespace

void PatternIndex::Build(const std::vector<std::string>& patterns) {
  size_ = patterns.size();
  byLastComponent_.clear();
  byTail_.clear();
  always_.clear();
  for (std::size_t row = 0; row < patterns.size(); ++row) {
    const std::string_view last = LastComponent(patterns[row]);
    // Escapes could stand for a slash of the text, and an 8.3 name makes the lookup compare
    // short forms: such rows are looked at for every text.
    const bool escaped = patterns[row].find_first_of("`~") != std::string::npos;
    std::size_t wild = last.size();
    while (wild > 0 && !IsWild(last[wild - 1])) --wild;
    const std::string_view tail = last.substr(wild);
    if (escaped || last.empty() || tail.empty()) {
      always_.push_back(row);
    } else if (wild == 0) {
      byLastComponent_[std::string(last)].push_back(row);
    } else if (tail.size() >= kTailKey) {
      byTail_[std::string(tail.substr(tail.size() - kTailKey))].push_back(row);
    } else {
      byTail_[std::string(tail)].push_back(row);
    }
  }
}

void PatternIndex::Candidates(std::string_view text, std::vector<std::size_t>& rows) const {
  rows = always_;
  const std::string_view last = LastComponent(text);
  auto add = [&](const auto& table, std::string_view key) {
    auto found = table.find(std::string(key));
    if (found != table.end()) rows.insert(rows.end(), found->second.begin(), found->second.end());
  };
  add(byLastComponent_, last);
  for (std::size_t length = 1; length <= std::min(kTailKey, last.size()); ++length)
    add(byTail_, last.substr(last.size() - length));
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
}

}  // namespace scan
