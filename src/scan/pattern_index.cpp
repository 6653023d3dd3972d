#include "scan/pattern_index.h"

#include <algorithm>

namespace scan {
namespace {

bool IsWild(char c) {
  return c == '*' || c == '?' || c == '`' || c == '\x1A';
}

// A plain loop: find_last_of searches its set once for every character.
std::string_view LastComponent(std::string_view text) {
  std::size_t start = text.size();
  while (start > 0 && text[start - 1] != '/' && text[start - 1] != '\\') --start;
  return text.substr(start);
}

}  // namespace

void PatternIndex::Build(const std::vector<std::string>& patterns) {
  size_ = patterns.size();
  byLastComponent_.clear();
  byTail_.clear();
  tailLengths_ = 0;
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
    } else {
      const std::string_view key = tail.substr(tail.size() - std::min(tail.size(), kTailKey));
      byTail_[std::string(key)].push_back(row);
      tailLengths_ |= 1u << key.size();
    }
  }
}

void PatternIndex::Candidates(std::string_view text, std::vector<std::size_t>& rows) const {
  rows = always_;
  const std::string_view last = LastComponent(text);
  auto add = [&](const auto& table, std::string_view key) {
    auto found = table.find(key);
    if (found != table.end()) rows.insert(rows.end(), found->second.begin(), found->second.end());
  };
  add(byLastComponent_, last);
  for (std::size_t length = 1; length <= std::min(kTailKey, last.size()); ++length)
    if (tailLengths_ & (1u << length)) add(byTail_, last.substr(last.size() - length));
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
}

}  // namespace scan
