#include "platform/wildcard.h"

#include <string>
#include <vector>

namespace platform {

namespace {

// Dynamic programming over (pattern position, name position); both are lower-cased.
bool Match(const CodePage& codePage, const std::string& pattern, const std::string& name) {
  const std::size_t p = pattern.size(), n = name.size();
  // reach[i * (n + 1) + j]: pattern[0, i) can match name[0, j).
  std::vector<char> reach((p + 1) * (n + 1), 0);
  auto at = [&](std::size_t i, std::size_t j) -> char& { return reach[i * (n + 1) + j]; };
  at(0, 0) = 1;
  for (std::size_t i = 0; i < p; ++i) {
    const char token = pattern[i];
    for (std::size_t j = 0; j <= n; ++j) {
      if (!at(i, j)) continue;
      if (token == '*') {
        for (std::size_t k = j; k <= n; ++k) at(i + 1, k) = 1;
        break;  // every later j is covered already
      }
      if (token == '?') {
        if (j == n || name[j] == '.') at(i + 1, j) = 1;  // matches nothing there
        if (j < n) at(i + 1, j + codePage.CharLength(name, j)) = 1;
        continue;
      }
      if (j < n && name[j] == token) at(i + 1, j + 1) = 1;
    }
  }
  return at(p, n);
}

}  // namespace

bool MatchesFileNamePattern(const CodePage& codePage, std::string_view pattern,
                            std::string_view name) {
  if (pattern == "*" || pattern == "*.*") return true;
  std::string lowerPattern = codePage.Lower(pattern);
  std::string lowerName = codePage.Lower(name);
  if (lowerPattern.size() >= 2 && lowerPattern.ends_with(".*") &&
      lowerName.find('.') == std::string::npos) {
    // "name.*" also finds "name".
    if (Match(codePage, lowerPattern.substr(0, lowerPattern.size() - 2), lowerName)) return true;
  }
  if (lowerPattern.size() >= 2 && lowerPattern.back() == '.' &&
      lowerPattern[lowerPattern.size() - 2] != '.') {
    if (lowerName.find('.') != std::string::npos) return false;
    return Match(codePage, lowerPattern.substr(0, lowerPattern.size() - 1), lowerName);
  }
  return Match(codePage, lowerPattern, lowerName);
}

}  // namespace platform
