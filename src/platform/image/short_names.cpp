#include "platform/image/short_names.h"

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <unordered_set>

namespace platform {

namespace {

bool IsShortNameChar(unsigned char c) {
  if (c >= 0x80) return true;
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
  return std::string_view("$%'-_@~`!(){}^#&").find(static_cast<char>(c)) != std::string_view::npos;
}

// Upper-cased characters usable in a short name: blanks and dots dropped, "+,;=[]" as "_".
std::string CleanPart(const CodePage& codePage, std::string_view part) {
  std::string cleaned;
  for (unsigned char c : part) {
    if (c == ' ' || c == '.') continue;
    if (std::string_view("+,;=[]").find(static_cast<char>(c)) != std::string_view::npos) {
      cleaned += '_';
    } else if (IsShortNameChar(c)) {
      cleaned += static_cast<char>(c);
    }
  }
  return codePage.Upper(cleaned);
}

// Cuts text to at most count bytes without splitting a double-byte character.
std::string Head(const CodePage& codePage, const std::string& text, std::size_t count) {
  std::size_t end = 0;
  while (end < text.size()) {
    std::size_t next = end + codePage.CharLength(text, end);
    if (next > count) break;
    end = next;
  }
  return text.substr(0, end);
}

unsigned Checksum(const CodePage& codePage, std::string_view name) {
  std::uint32_t hash = 2166136261u;
  for (unsigned char c : name) hash = (hash ^ codePage.LowerByte(c)) * 16777619u;
  return (hash ^ (hash >> 16)) & 0xFFFF;
}

}  // namespace

bool IsValidShortName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  std::size_t dot = name.find('.');
  std::string_view base = name.substr(0, dot);
  std::string_view extension = dot == std::string_view::npos ? "" : name.substr(dot + 1);
  if (base.empty() || base.size() > 8 || extension.size() > 3) return false;
  if (dot != std::string_view::npos && extension.empty()) return false;
  for (std::string_view part : {base, extension}) {
    for (unsigned char c : part) {
      if (!IsShortNameChar(c)) return false;
    }
  }
  return true;
}

std::vector<std::string> GenerateShortNames(const CodePage& codePage,
                                            const std::vector<std::string>& names,
                                            const std::vector<std::string>& kept) {
  std::vector<std::string> shortNames(names.size());
  std::unordered_set<std::string> taken;  // upper-cased
  taken.reserve(names.size() * 2);
  std::vector<std::size_t> pending;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (IsValidShortName(names[i])) {
      shortNames[i] = names[i];
      taken.insert(codePage.Upper(names[i]));
    } else if (i < kept.size() && !kept[i].empty()) {
      shortNames[i] = kept[i];
      taken.insert(codePage.Upper(kept[i]));
    } else {
      pending.push_back(i);
    }
  }
  std::vector<std::string> keys(names.size());
  for (std::size_t index : pending) keys[index] = codePage.Lower(names[index]);
  std::sort(pending.begin(), pending.end(), [&](std::size_t a, std::size_t b) {
    return keys[a] != keys[b] ? keys[a] < keys[b] : names[a] < names[b];
  });

  for (std::size_t index : pending) {
    const std::string& name = names[index];
    std::string_view trimmed(name);
    while (!trimmed.empty() && trimmed.front() == '.') trimmed.remove_prefix(1);
    std::size_t dot = trimmed.rfind('.');
    std::string base = CleanPart(codePage, trimmed.substr(0, dot));
    std::string extension = dot == std::string_view::npos
                                ? ""
                                : Head(codePage, CleanPart(codePage, trimmed.substr(dot + 1)), 3);
    if (base.empty()) base = "_";
    std::string suffix = extension.empty() ? "" : "." + extension;

    std::string chosen;
    for (int n = 1; n <= 4 && chosen.empty(); ++n) {
      std::string candidate = Head(codePage, base, 6) + "~" + std::to_string(n) + suffix;
      if (!taken.count(candidate)) chosen = candidate;
    }
    char hex[8];
    std::snprintf(hex, sizeof hex, "%04X", Checksum(codePage, name));
    for (int n = 1; chosen.empty(); ++n) {
      // Appended rather than "~" + to_string(n): GCC 12 at -O3 reports a false overlap in
      // that form (-Werror=restrict).
      std::string number(1, '~');
      number += std::to_string(n);
      std::size_t room = 8 - 4 - number.size();  // two characters until ~9, then fewer
      std::string candidate =
          Head(codePage, base, std::min<std::size_t>(room, 2)) + hex + number + suffix;
      if (!taken.count(candidate)) chosen = candidate;
    }
    taken.insert(chosen);
    shortNames[index] = chosen;
  }
  return shortNames;
}

}  // namespace platform
