// The placeholders that definitions write in paths ("%windir%") and registry locations
// ("%run%"), expanded to the machine at hand once per load.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/code_page.h"
#include "platform/system.h"

namespace definitions {

class PathMacros {
 public:
  explicit PathMacros(platform::CodePage codePage) : codePage_(codePage) {}

  // Computes the nineteen expansions from the machine's shell folders and environment.
  void Fill(platform::System& system);

  // Replaces each macro of the group, in table order, left to right; text a macro inserted
  // is not searched again by that macro. Names match without regard to case.
  std::string ExpandPaths(const std::string& text) const;
  std::string ExpandRegistry(const std::string& text) const;

  const std::vector<std::pair<std::string, std::string>>& Table() const { return table_; }

 private:
  std::string Expand(std::string text, std::size_t first, std::size_t last) const;

  platform::CodePage codePage_;
  std::vector<std::pair<std::string, std::string>> table_;  // name, expansion
  std::vector<std::string> lowerNames_;                     // of table_, in its order
};

}  // namespace definitions
