// The line a scan draws on a terminal and redraws in place: the phase, the item being
// examined and the counts, cut to the terminal's width. Drawn with a carriage return and
// blanks only, which every terminal and the Windows console understand.
#pragma once

#include <cstdio>
#include <string>

#include "platform/code_page.h"

namespace cli {

inline constexpr std::size_t kLongestItem = 48;  // a longer item keeps its end after "..."
inline constexpr int kUnknownWidth = 80;         // a terminal that does not say its width

// The line's text in at most columns - 1 cells (columns 0: unknown), so that it never wraps;
// a double-byte character takes two cells and is never split.
std::string ProgressText(const std::string& phase, const std::string& item, int examined, int found,
                         int listed, int columns, const platform::CodePage& code);

class ProgressLine {
 public:
  ProgressLine(std::FILE* stream, const platform::CodePage& code) : stream_(stream), code_(code) {}
  // Writes the text over the line drawn before.
  void Draw(const std::string& phase, const std::string& item, int examined, int found, int listed,
            int columns);
  // Blanks the line drawn, leaving the cursor at its start.
  void Clear();

 private:
  std::FILE* stream_;
  const platform::CodePage& code_;
  std::size_t drawn_ = 0;  // cells of the line that are not blank
};

}  // namespace cli
