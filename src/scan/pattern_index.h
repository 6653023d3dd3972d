// Finds the rows of a pattern table that can match a text, in table order, without looking
// at rows whose pattern cannot: a pattern whose last component is literal only matches texts
// ending in that component, one whose last component ends in literal characters only texts
// ending in them. Rows that fit neither are candidates for every text.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace scan {

class PatternIndex {
 public:
  // The patterns in table order, already lower-cased.
  void Build(const std::vector<std::string>& patterns);
  // The indexes of the rows that may match the lower-cased text, ascending.
  void Candidates(std::string_view text, std::vector<std::size_t>& rows) const;
  std::size_t Size() const { return size_; }

 private:
  static constexpr std::size_t kTailKey = 4;  // characters of a literal tail used as its key

  // Looked up by a view of the text, without making a string of it.
  struct ViewHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
      return std::hash<std::string_view>{}(text);
    }
  };
  using Table =
      std::unordered_map<std::string, std::vector<std::size_t>, ViewHash, std::equal_to<>>;

  std::size_t size_ = 0;
  Table byLastComponent_;
  Table byTail_;
  unsigned tailLengths_ = 0;  // bit n set when some tail key has n characters
  std::vector<std::size_t> always_;
};

}  // namespace scan
