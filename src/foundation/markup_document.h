// The program's reader and writer of its small XML subset. The whole document stays one
// text; elements are indexed by byte offsets into it, and names, values and texts are cut
// out only when asked for. Readers walk it with a cursor of two positions (a main element
// and a child of it) and a depth, forward only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/code_page.h"

namespace foundation {

struct MarkupNode {
  std::int32_t startTagOpen = 0;   // the "<" of the start tag
  std::int32_t startTagClose = 0;  // the ">" of the start tag
  std::int32_t endTagOpen = 0;     // the "<" of the end tag; the "/" of an empty element
  std::int32_t endTagClose = 0;    // the ">" of the end tag; startTagClose for an empty element
  std::int32_t nextText = 0;       // the first "<" after the element, or the text length
  std::int32_t parent = 0;
  std::int32_t firstChild = 0;
  std::int32_t nextSibling = 0;
};

class MarkupDocument {
 public:
  explicit MarkupDocument(platform::CodePage codePage = platform::CodePage());

  // Replaces the text (up to its first zero byte; null for none) and parses it; true when
  // the document is well-formed. Resets the cursor.
  bool SetDocument(const char* text);
  bool SetDocument(const std::string& text) { return SetDocument(text.c_str()); }
  // The same, taking the text over rather than copying it.
  bool SetDocument(std::string&& text);

  bool IsWellFormed() const;
  const std::string& Error() const { return error_; }
  const std::string& Text() const { return text_; }

  // The cursor. A null or empty name matches any element.
  bool FindElement(const char* name = nullptr);
  bool FindChildElement(const char* name = nullptr);
  bool IntoElement();
  bool OutOfElement();
  void ResetPosition();

  std::string GetChildData() const;
  std::string GetAttribute(const char* name) const;
  std::string GetChildAttribute(const char* name) const;
  std::string GetTagName() const;       // of the main element
  std::string GetChildTagName() const;  // of the child element

  // Editing.
  bool AddElement(const char* name, const char* text = nullptr);
  bool AddChildElement(const char* name, const char* text = nullptr);
  bool SetAttribute(const char* name, const char* value);
  bool SetChildAttribute(const char* name, const char* value);

  static std::string EscapeText(std::string_view text);
  static std::string EscapeAttribute(std::string_view value);

 private:
  struct Token {
    std::int32_t start = 0;
    std::int32_t end = -1;  // inclusive; below start: no token
    std::int32_t next = 0;
    bool quoted = false;
  };
  enum class Read { None, Last, More };  // no token; a token that ends the text; more follows

  bool ParseText();
  std::int32_t Length() const { return static_cast<std::int32_t>(text_.size()); }
  std::int32_t Step(std::int32_t offset) const;
  Read ReadToken(std::int32_t offset, Token& token) const;
  std::string_view TokenText(const Token& token) const;
  bool FindCharacter(std::int32_t& offset, char c) const;
  bool FindString(std::int32_t& offset, std::string_view what) const;
  std::string Decode(std::int32_t first, std::int32_t last) const;

  std::int32_t Parse();
  std::int32_t OpenElement(std::int32_t parent);
  bool CloseElement(std::int32_t node);
  std::int32_t NewNode(std::int32_t parent);
  std::int32_t Fail(const char* message, std::string_view name = {});

  std::string_view NameOf(std::int32_t node) const;
  bool IsEmptyElement(std::int32_t node) const;
  std::string AttributeOf(std::int32_t node, const char* name) const;

  void Shift(std::int32_t from, std::int32_t by);  // offsets from there on move by that much
  void Insert(std::int32_t at, const std::string& piece);
  std::int32_t AppendNode(std::int32_t parent, std::int32_t at, const std::string& name,
                          const std::string& escapedText);
  bool InsertAttribute(std::int32_t node, const char* name, const char* value);

  platform::CodePage codePage_;
  std::string text_;
  std::string error_;
  std::vector<MarkupNode> nodes_;
  std::int32_t nextFree_ = 1;
  std::int32_t main_ = 0;
  std::int32_t child_ = 0;
  std::int32_t depth_ = 0;
};

}  // namespace foundation
