// Finding many texts at once: an Aho-Corasick automaton over bytes, built once for a set of
// texts, then fed lines; it tells which texts occur in them (case-sensitive substrings). An
// empty text occurs in every line fed.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace scan {

class MultiPatternMatcher {
 public:
  explicit MultiPatternMatcher(const std::vector<std::string>& texts);

  // Marks in `found` (one flag per text, in the order given) every text that occurs in line.
  void Scan(std::string_view line, std::vector<bool>& found) const;
  // Whether any of the texts occurs in line; stops at the first.
  bool Matches(std::string_view line) const;

 private:
  struct Node {
    std::vector<std::pair<unsigned char, std::int32_t>> edges;  // sorted by byte
    std::int32_t fail = 0;
    std::int32_t outputLink = 0;      // the nearest node by fail links that ends a text; 0: none
    std::vector<std::uint32_t> ends;  // the texts that end here
  };
  std::int32_t Child(std::int32_t node, unsigned char byte) const;  // -1 when none
  std::int32_t Next(std::int32_t node, unsigned char byte) const;

  std::vector<Node> nodes_;
  std::array<std::int32_t, 256> rootNext_{};  // the root's moves, all filled
  std::vector<std::uint32_t> empty_;          // texts of length 0
};

}  // namespace scan
