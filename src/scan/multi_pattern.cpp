#include "scan/multi_pattern.h"

#include <algorithm>
#include <deque>

namespace scan {

std::int32_t MultiPatternMatcher::Child(std::int32_t node, unsigned char byte) const {
  const auto& edges = nodes_[node].edges;
  auto found =
      std::lower_bound(edges.begin(), edges.end(), byte,
                       [](const auto& edge, unsigned char key) { return edge.first < key; });
  return found != edges.end() && found->first == byte ? found->second : -1;
}

std::int32_t MultiPatternMatcher::Next(std::int32_t node, unsigned char byte) const {
  for (; node != 0; node = nodes_[node].fail) {
    const std::int32_t child = Child(node, byte);
    if (child >= 0) return child;
  }
  return rootNext_[byte];
}

MultiPatternMatcher::MultiPatternMatcher(const std::vector<std::string>& texts) {
  nodes_.emplace_back();
  for (std::uint32_t index = 0; index < texts.size(); ++index) {
    if (texts[index].empty()) {
      empty_.push_back(index);
      continue;
    }
    std::int32_t node = 0;
    for (unsigned char byte : texts[index]) {
      std::int32_t child = Child(node, byte);
      if (child < 0) {
        child = static_cast<std::int32_t>(nodes_.size());
        auto& edges = nodes_[node].edges;
        edges.insert(
            std::upper_bound(edges.begin(), edges.end(), std::pair{byte, -1},
                             [](const auto& a, const auto& b) { return a.first < b.first; }),
            {byte, child});
        nodes_.emplace_back();
      }
      node = child;
    }
    nodes_[node].ends.push_back(index);
  }
  // Breadth first, so that a node's fail target is complete before its children need it.
  std::deque<std::int32_t> queue;
  for (int byte = 0; byte < 256; ++byte) {
    const std::int32_t child = Child(0, static_cast<unsigned char>(byte));
    rootNext_[byte] = child < 0 ? 0 : child;
    if (child >= 0) queue.push_back(child);
  }
  while (!queue.empty()) {
    const std::int32_t node = queue.front();
    queue.pop_front();
    for (const auto& [byte, child] : nodes_[node].edges) {
      const std::int32_t fail = Next(nodes_[node].fail, byte);
      nodes_[child].fail = fail;
      nodes_[child].outputLink = nodes_[fail].ends.empty() ? nodes_[fail].outputLink : fail;
      queue.push_back(child);
    }
  }
}

void MultiPatternMatcher::Scan(std::string_view line, std::vector<bool>& found) const {
  for (std::uint32_t index : empty_) found[index] = true;
  std::int32_t node = 0;
  for (unsigned char byte : line) {
    node = Next(node, byte);
    for (std::int32_t at = nodes_[node].ends.empty() ? nodes_[node].outputLink : node; at != 0;
         at = nodes_[at].outputLink) {
      for (std::uint32_t index : nodes_[at].ends) found[index] = true;
    }
  }
}

bool MultiPatternMatcher::Matches(std::string_view line) const {
  if (!empty_.empty()) return true;
  std::int32_t node = 0;
  for (unsigned char byte : line) {
    node = Next(node, byte);
    if (!nodes_[node].ends.empty() || nodes_[node].outputLink != 0) return true;
  }
  return false;
}

}  // namespace scan
