#include "scan/pattern_match.h"

#include <cctype>

namespace scan {
namespace {

bool IsSlash(char c) {
  return c == '/' || c == '\\';
}

char Lower(char c) {
  return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool MatchFrom(std::string_view pattern, std::string_view text) {
  while (!pattern.empty()) {
    const char c = pattern.front();
    if (c == '*' || c == '\x1A') {
      std::size_t stop = 0;
      while (stop < text.size() && !IsSlash(text[stop]) && text[stop] != '.') ++stop;
      for (std::size_t i = stop + 1; i-- > 0;)
        if (MatchFrom(pattern.substr(1), text.substr(i))) return true;
      return false;
    }
    if (IsSlash(c)) {
      if (text.empty() || !IsSlash(text.front())) return false;
    } else if (c == '?') {
      if (text.empty() || IsSlash(text.front())) return false;
    } else if (c == '`') {
      pattern.remove_prefix(1);
      if (pattern.empty() || text.empty() || Lower(pattern.front()) != Lower(text.front()))
        return false;
    } else if (text.empty() || Lower(c) != Lower(text.front())) {
      return false;
    }
    pattern.remove_prefix(1);
    text.remove_prefix(1);
  }
  return text.empty();
}

// One member of a class: a character, optionally escaped, optionally "-" and a second one.
bool SkipClassCharacter(std::string_view pattern, std::size_t& at) {
  if (at < pattern.size() && pattern[at] == '`') ++at;
  if (at >= pattern.size()) return false;
  ++at;
  return true;
}

}  // namespace

bool PatternWellFormed(std::string_view pattern) {
  for (std::size_t at = 0; at < pattern.size();) {
    const char c = pattern[at++];
    if (c == '!' || c == '`') {
      if (at >= pattern.size()) return false;
      ++at;
    } else if (c == '[') {
      if (at < pattern.size() && pattern[at] == '!') ++at;
      for (;;) {
        if (at >= pattern.size()) return false;
        if (pattern[at] == ']') {
          ++at;
          break;
        }
        if (!SkipClassCharacter(pattern, at)) return false;
        if (at < pattern.size() && pattern[at] == '-') {
          ++at;
          if (!SkipClassCharacter(pattern, at)) return false;
        }
      }
    }
  }
  return true;
}

bool PatternMatch(std::string_view pattern, std::string_view text) {
  if (!PatternWellFormed(pattern)) return false;
  if (text.empty()) return pattern.empty();
  return MatchFrom(pattern, text);
}

}  // namespace scan
