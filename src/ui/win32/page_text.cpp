#include "ui/win32/page_text.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace ui::win32 {
namespace {

enum class Block { Heading1, Heading2, Heading3, Paragraph, Bullet, Numbered };
enum class Run { Bold, Italic, Underline, Link };

// What the markup says, in order; a writer turns it into its format.
class Writer {
 public:
  virtual ~Writer() = default;
  virtual void BeginBlock(Block block, int number) = 0;
  virtual void EndBlock() = 0;
  virtual void Text(const std::string& text) = 0;
  virtual void LineBreak() = 0;
  virtual void BeginRun(Run run) = 0;
  virtual void EndRun() = 0;
};

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// "&amp;" and the like, "&#233;" and "&#xE9;" (as a byte of the code page when below 256);
// anything else stays as it is.
std::string DecodeEntities(const std::string& text) {
  static const struct {
    const char* name;
    char byte;
  } kNamed[] = {{"amp", '&'},  {"lt", '<'},    {"gt", '>'},
                {"quot", '"'}, {"apos", '\''}, {"nbsp", static_cast<char>(0xA0)}};
  std::string out;
  for (std::size_t at = 0; at < text.size(); ++at) {
    const std::size_t end = text[at] == '&' ? text.find(';', at) : std::string::npos;
    if (end == std::string::npos || end - at > 10) {
      out += text[at];
      continue;
    }
    const std::string name = text.substr(at + 1, end - at - 1);
    bool decoded = false;
    if (name.size() > 1 && name[0] == '#') {
      const bool hex = name[1] == 'x' || name[1] == 'X';
      char* stop = nullptr;
      const long code = std::strtol(name.c_str() + (hex ? 2 : 1), &stop, hex ? 16 : 10);
      if (stop && !*stop && code > 0 && code < 256) {
        out += static_cast<char>(code);
        decoded = true;
      }
    } else {
      for (const auto& entity : kNamed)
        if (Lower(name) == entity.name) {
          out += entity.byte;
          decoded = true;
        }
    }
    if (!decoded) {
      out += text[at];
      continue;
    }
    at = end;
  }
  return out;
}

// Reads the markup for a writer: text with its blanks run together, blocks opened where
// text needs one, runs closed with their blocks.
class Reader {
 public:
  explicit Reader(Writer& writer) : writer_(writer) {}

  void Read(const std::string& html) {
    std::size_t at = 0;
    while (at < html.size()) {
      if (html.compare(at, 4, "<!--") == 0) {
        const std::size_t end = html.find("-->", at + 4);
        at = end == std::string::npos ? html.size() : end + 3;
        continue;
      }
      if (html[at] == '<') {
        const std::size_t end = html.find('>', at);
        if (end == std::string::npos) break;
        Tag(html.substr(at + 1, end - at - 1));
        at = end + 1;
        continue;
      }
      const std::size_t end = std::min(html.find('<', at), html.size());
      if (!hidden_) Words(DecodeEntities(html.substr(at, end - at)));
      at = end;
    }
  }

  // A line of the model's as a paragraph of its own, taken as it is.
  void Paragraph(const std::string& line) {
    CloseBlock();
    writer_.BeginBlock(Block::Paragraph, 0);
    writer_.Text(line);
    writer_.EndBlock();
  }

  void Finish() { CloseBlock(); }

 private:
  void Tag(const std::string& inside) {
    if (inside.empty() || inside[0] == '!' || inside[0] == '?') return;
    const bool closing = inside[0] == '/';
    std::size_t nameEnd = closing ? 1 : 0;
    while (nameEnd < inside.size() && std::isalnum(static_cast<unsigned char>(inside[nameEnd])))
      ++nameEnd;
    const std::string name = Lower(inside.substr(closing ? 1 : 0, nameEnd - (closing ? 1 : 0)));
    if (name == "head" || name == "title" || name == "script" || name == "style") {
      hidden_ = !closing;
      return;
    }
    if (hidden_) return;
    if (name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6') {
      CloseBlock();
      if (!closing)
        OpenBlock(name[1] == '1'   ? Block::Heading1
                  : name[1] == '2' ? Block::Heading2
                                   : Block::Heading3);
    } else if (name == "p" || name == "div" || name == "tr" || name == "table") {
      CloseBlock();
    } else if (name == "ul" || name == "ol") {
      CloseBlock();
      if (!closing) {
        numbered_ = name == "ol";
        number_ = 0;
      }
    } else if (name == "li") {
      CloseBlock();
      if (!closing) OpenBlock(numbered_ ? Block::Numbered : Block::Bullet);
    } else if (name == "br") {
      if (!inBlock_) OpenBlock(Block::Paragraph);
      writer_.LineBreak();
      space_ = false;
      atStart_ = true;
    } else if (name == "b" || name == "strong" || name == "i" || name == "em" || name == "u" ||
               name == "a") {
      const Run run = name == "b" || name == "strong" ? Run::Bold
                      : name == "i" || name == "em"   ? Run::Italic
                      : name == "u"                   ? Run::Underline
                                                      : Run::Link;
      if (closing) {
        if (runs_ > 0) {
          FlushSpace();
          writer_.EndRun();
          --runs_;
        }
      } else {
        if (!inBlock_) OpenBlock(Block::Paragraph);
        FlushSpace();
        writer_.BeginRun(run);
        ++runs_;
      }
    }
  }

  void Words(const std::string& text) {
    for (const char c : text) {
      if (std::isspace(static_cast<unsigned char>(c))) {
        space_ = !atStart_;
        continue;
      }
      if (!inBlock_) OpenBlock(Block::Paragraph);
      FlushSpace();
      word_ += c;
      atStart_ = false;
    }
    FlushWord();
  }

  void FlushWord() {
    if (word_.empty()) return;
    writer_.Text(word_);
    word_.clear();
  }

  void FlushSpace() {
    FlushWord();
    if (space_) writer_.Text(" ");
    space_ = false;
  }

  void OpenBlock(Block block) {
    writer_.BeginBlock(block, block == Block::Numbered ? ++number_ : 0);
    inBlock_ = true;
    atStart_ = true;
    space_ = false;
  }

  void CloseBlock() {
    FlushWord();
    if (!inBlock_) return;
    for (; runs_ > 0; --runs_) writer_.EndRun();
    writer_.EndBlock();
    inBlock_ = false;
    space_ = false;
  }

  Writer& writer_;
  std::string word_;
  bool hidden_ = false, inBlock_ = false, atStart_ = true, space_ = false, numbered_ = false;
  int number_ = 0, runs_ = 0;
};

class RtfWriter : public Writer {
 public:
  explicit RtfWriter(const PageLook& look) : look_(look) {
    char colours[80];
    std::snprintf(colours, sizeof colours, "{\\colortbl;\\red%u\\green%u\\blue%u;}",
                  look.link & 0xFF, (look.link >> 8) & 0xFF, (look.link >> 16) & 0xFF);
    out_ = "{\\rtf1\\ansi\\ansicpg" + std::to_string(look.codePage) +
           "\\deff0{\\fonttbl{\\f0\\fnil " + Escaped(look.face) + ";}}" + colours +
           "\\uc1\\pard\\plain\\f0\\fs" + HalfPoints(100) + "\n";
  }

  void BeginBlock(Block block, int number) override {
    heading_ = block == Block::Heading1 || block == Block::Heading2 || block == Block::Heading3;
    out_ += "\\pard\\sa120";
    switch (block) {
      case Block::Heading1:
        out_ += "\\sb120\\b\\fs" + HalfPoints(200) + " ";
        break;
      case Block::Heading2:
        out_ += "\\sb60\\b\\fs" + HalfPoints(150) + " ";
        break;
      case Block::Heading3:
        out_ += "\\b\\fs" + HalfPoints(117) + " ";
        break;
      case Block::Paragraph:
        out_ += " ";
        break;
      case Block::Bullet:
        out_ += "\\fi-240\\li480\\sa40 \\bullet\\tab ";
        break;
      case Block::Numbered:
        out_ += "\\fi-240\\li480\\sa40 " + std::to_string(number) + ".\\tab ";
        break;
    }
  }

  void EndBlock() override {
    if (heading_) out_ += "\\b0\\fs" + HalfPoints(100);
    out_ += "\\par\n";
    heading_ = false;
  }

  void Text(const std::string& text) override { out_ += Escaped(text); }
  void LineBreak() override { out_ += "\\line "; }

  void BeginRun(Run run) override {
    switch (run) {
      case Run::Bold:
        out_ += "{\\b ";
        break;
      case Run::Italic:
        out_ += "{\\i ";
        break;
      case Run::Underline:
        out_ += "{\\ul ";
        break;
      case Run::Link:
        out_ += "{\\cf1\\ul ";
        break;
    }
  }

  void EndRun() override { out_ += "}"; }

  std::string Document() const { return out_ + "}"; }

 private:
  // The text's size in half points at percent of the page's size.
  std::string HalfPoints(int percent) const {
    return std::to_string((look_.halfPoints * percent + 50) / 100);
  }

  static std::string Escaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
      const auto byte = static_cast<unsigned char>(c);
      if (c == '\\' || c == '{' || c == '}') {
        out += '\\';
        out += c;
      } else if (c == '\t') {
        out += "\\tab ";
      } else if (c == '\n') {
        out += "\\line ";
      } else if (byte >= 0x80 || byte < 0x20) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\'%02x", byte);
        out += hex;
      } else {
        out += c;
      }
    }
    return out;
  }

  const PageLook& look_;
  std::string out_;
  bool heading_ = false;
};

class PlainWriter : public Writer {
 public:
  void BeginBlock(Block block, int number) override {
    if (!out_.empty())
      out_ += block == Block::Bullet || block == Block::Numbered ? "\r\n" : "\r\n\r\n";
    if (block == Block::Bullet) out_ += "- ";
    if (block == Block::Numbered) out_ += std::to_string(number) + ". ";
  }
  void EndBlock() override {}
  void Text(const std::string& text) override { out_ += text; }
  void LineBreak() override { out_ += "\r\n"; }
  void BeginRun(Run) override {}
  void EndRun() override {}
  const std::string& Document() const { return out_; }

 private:
  std::string out_;
};

void ReadPage(Writer& writer, const std::string& html, const std::vector<std::string>& lines) {
  Reader reader(writer);
  reader.Read(html);
  for (const std::string& line : lines) reader.Paragraph(line);
  reader.Finish();
}

}  // namespace

std::string PageRtf(const std::string& html, const std::vector<std::string>& lines,
                    const PageLook& look) {
  RtfWriter writer(look);
  ReadPage(writer, html, lines);
  return writer.Document();
}

std::string PagePlainText(const std::string& html, const std::vector<std::string>& lines) {
  PlainWriter writer;
  ReadPage(writer, html, lines);
  return writer.Document();
}

}  // namespace ui::win32
