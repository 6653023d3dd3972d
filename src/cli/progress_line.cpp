#include "cli/progress_line.h"

#include <vector>

namespace cli {
namespace {

// Offsets where the text's characters start, and its end.
std::vector<std::size_t> CharacterStarts(const std::string& text, const platform::CodePage& code) {
  std::vector<std::size_t> starts;
  for (std::size_t at = 0; at < text.size(); at += code.CharLength(text, at)) starts.push_back(at);
  starts.push_back(text.size());
  return starts;
}

}  // namespace

std::string ProgressText(const std::string& phase, const std::string& item, int examined, int found,
                         int listed, int columns, const platform::CodePage& code) {
  std::string shown = item;
  if (const std::vector<std::size_t> starts = CharacterStarts(item, code);
      starts.size() - 1 > kLongestItem)
    shown = "..." + item.substr(starts[starts.size() - 1 - (kLongestItem - 3)]);
  const std::string line = phase + " | " + shown + " | examined " + std::to_string(examined) +
                           ", found " + std::to_string(found) + ", listed " +
                           std::to_string(listed);
  const std::size_t room = static_cast<std::size_t>((columns > 1 ? columns : kUnknownWidth) - 1);
  if (line.size() <= room) return line;
  // A double-byte character takes two cells of a console, as it takes two bytes.
  std::size_t cut = 0;
  for (std::size_t start : CharacterStarts(line, code)) {
    if (start > room) break;
    cut = start;
  }
  return line.substr(0, cut);
}

void ProgressLine::Draw(const std::string& phase, const std::string& item, int examined, int found,
                        int listed, int columns) {
  const std::string text = ProgressText(phase, item, examined, found, listed, columns, code_);
  // Blanks over what a longer line before left.
  const std::string blanks(drawn_ > text.size() ? drawn_ - text.size() : 0, ' ');
  std::fprintf(stream_, "\r%s%s", text.c_str(), blanks.c_str());
  std::fflush(stream_);
  drawn_ = text.size();
}

void ProgressLine::Clear() {
  if (drawn_ == 0) return;
  std::fprintf(stream_, "\r%s\r", std::string(drawn_, ' ').c_str());
  std::fflush(stream_);
  drawn_ = 0;
}

}  // namespace cli
