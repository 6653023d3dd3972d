// The program's HTML pages as a document in the Rich Text Format, for the window's rich edit
// control: the parts the pages use (headings, paragraphs, line breaks, bold, italic and
// underlined runs, links, bulleted and numbered lists) with the model's lines as paragraphs
// at the end; the rest of the markup is left out and its text kept. The texts are bytes of
// the ANSI code page.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ui::win32 {

struct PageLook {
  std::string face;          // the font of the text
  int halfPoints = 16;       // its size
  unsigned codePage = 1252;  // of the texts
  std::uint32_t link = 0;    // the colour of links, 0x00BBGGRR
};

std::string PageRtf(const std::string& html, const std::vector<std::string>& lines,
                    const PageLook& look);

// The same as plain text (headings and paragraphs on lines of their own, a blank line
// between blocks), for a system without the rich edit control.
std::string PagePlainText(const std::string& html, const std::vector<std::string>& lines);

}  // namespace ui::win32
