#include "foundation/markup_document.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace foundation {

namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool IsDelimiter(char c) {
  switch (c) {
    case '<':
    case '>':
    case '=':
    case '\\':
    case '/':
    case '?':
    case '!':
      return true;
    default:
      return false;
  }
}

constexpr std::pair<std::string_view, char> kReferences[] = {
    {"&lt;", '<'}, {"&amp;", '&'}, {"&gt;", '>'}, {"&apos;", '\''}, {"&quot;", '"'}};

std::string Escape(std::string_view text, bool attribute) {
  std::string escaped;
  escaped.reserve(text.size() + text.size() / 10 + 7);
  for (char c : text) {
    switch (c) {
      case '<':
        escaped += "&lt;";
        break;
      case '&':
        escaped += "&amp;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '\'':
        escaped += attribute ? "&apos;" : "'";
        break;
      case '"':
        escaped += attribute ? "&quot;" : "\"";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

std::string ElementText(std::string_view name, const std::string& escapedText) {
  // Built by appending: GCC 12 at -O3 takes "<" + std::string(...) for an overlapping copy.
  std::string element(1, '<');
  element += name;
  if (escapedText.empty()) return element + "/>\r\n";
  return element + ">" + escapedText + "</" + std::string(name) + ">\r\n";
}

}  // namespace

MarkupDocument::MarkupDocument(platform::CodePage codePage) : codePage_(codePage) {
  SetDocument(nullptr);
}

std::string MarkupDocument::EscapeText(std::string_view text) {
  return Escape(text, false);
}

std::string MarkupDocument::EscapeAttribute(std::string_view value) {
  return Escape(value, true);
}

// --- Characters and tokens -------------------------------------------------------------

std::int32_t MarkupDocument::Step(std::int32_t offset) const {
  return offset + static_cast<std::int32_t>(codePage_.CharLength(text_, offset));
}

MarkupDocument::Read MarkupDocument::ReadToken(std::int32_t offset, Token& token) const {
  std::int32_t position = offset;
  while (position < Length() && IsSpace(text_[position])) ++position;
  if (position >= Length()) return Read::None;  // the token keeps what it had
  if (text_[position] == '"') {
    std::int32_t close = position + 1;
    while (close < Length() && text_[close] != '"') close = Step(close);
    token.start = position + 1;
    token.end = close - 1;
    token.next = close < Length() ? close + 1 : Length();
    token.quoted = true;
  } else {
    std::int32_t end = position;
    while (end < Length() && !IsSpace(text_[end]) && !IsDelimiter(text_[end])) end = Step(end);
    if (end == position) end = position + 1;  // a delimiter is a token of its own
    token.start = position;
    token.end = end - 1;
    token.next = end;
    token.quoted = false;
  }
  return token.next < Length() ? Read::More : Read::Last;
}

std::string_view MarkupDocument::TokenText(const Token& token) const {
  if (token.end < token.start) return {};
  return std::string_view(text_).substr(token.start, token.end - token.start + 1);
}

bool MarkupDocument::FindCharacter(std::int32_t& offset, char c) const {
  while (offset < Length() && text_[offset] != c) offset = Step(offset);
  return offset < Length();
}

bool MarkupDocument::FindString(std::int32_t& offset, std::string_view what) const {
  if (what.empty()) return offset < Length();
  for (; offset < Length(); offset = Step(offset)) {
    // Only a place that starts with the first character can start the string.
    if (text_[offset] != what.front() && !codePage_.DoubleByte()) {
      const void* next = std::memchr(text_.data() + offset, what.front(), Length() - offset);
      if (!next) break;
      offset = static_cast<std::int32_t>(static_cast<const char*>(next) - text_.data());
    }
    if (text_.compare(offset, what.size(), what) == 0) return true;
  }
  offset = Length();
  return false;
}

std::string MarkupDocument::Decode(std::int32_t first, std::int32_t last) const {
  std::string decoded;
  // Never longer than the raw text; reserved whole, so that what is kept carries no slack.
  if (last >= first) decoded.reserve(static_cast<std::size_t>(last - first + 1));
  for (std::int32_t i = first; i <= last && i < Length();) {
    if (!codePage_.DoubleByte() && text_[i] != '&') {
      // Single bytes: the run up to the next reference is taken whole.
      const std::int32_t end = std::min(last + 1, Length());
      const void* amp = std::memchr(text_.data() + i, '&', end - i);
      const std::int32_t next =
          amp ? static_cast<std::int32_t>(static_cast<const char*>(amp) - text_.data()) : end;
      decoded.append(text_, i, next - i);
      i = next;
      continue;
    }
    if (text_[i] == '&') {
      bool replaced = false;
      for (const auto& [reference, character] : kReferences) {
        std::int32_t size = static_cast<std::int32_t>(reference.size());
        if (i + size - 1 <= last && text_.compare(i, size, reference) == 0) {
          decoded += character;
          i += size;
          replaced = true;
          break;
        }
      }
      if (replaced) continue;
    }
    std::int32_t next = Step(i);
    decoded.append(text_, i, next - i);
    i = next;
  }
  return decoded;
}

// --- Parsing ---------------------------------------------------------------------------

bool MarkupDocument::SetDocument(const char* text) {
  text_ = text ? text : "";
  return ParseText();
}

bool MarkupDocument::SetDocument(std::string&& text) {
  text_ = std::move(text);
  if (std::size_t zero = text_.find('\0'); zero != std::string::npos) text_.resize(zero);
  return ParseText();
}

bool MarkupDocument::ParseText() {
  error_.clear();
  nextFree_ = 1;
  ResetPosition();
  // Every element starts with a "<" that no "/" follows: room for them all at once, rather
  // than growing (and holding two arrays) while parsing.
  std::size_t wanted = 8;
  for (std::size_t at = text_.find('<'); at != std::string::npos; at = text_.find('<', at + 1))
    if (at + 1 >= text_.size() || text_[at + 1] != '/') ++wanted;
  if (nodes_.size() < wanted) nodes_.resize(wanted);
  nodes_[0] = MarkupNode{};
  bool wellFormed = false;
  if (!text_.empty() &&
      text_.size() < static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    std::int32_t root = Parse();
    if (root > 0) {
      nodes_[0].firstChild = root;
      wellFormed = true;
    }
  }
  if (!wellFormed) {
    nodes_[0] = MarkupNode{};
    nextFree_ = 1;
  }
  ResetPosition();
  return wellFormed;
}

bool MarkupDocument::IsWellFormed() const {
  return !nodes_.empty() && nodes_[0].firstChild != 0;
}

std::int32_t MarkupDocument::NewNode(std::int32_t parent) {
  if (static_cast<std::size_t>(nextFree_) >= nodes_.size())
    nodes_.resize(nodes_.size() + nodes_.size() / 2 + 1);  // grows by half
  std::int32_t node = nextFree_++;
  nodes_[node] = MarkupNode{};
  nodes_[node].parent = parent;
  return node;
}

std::int32_t MarkupDocument::Fail(const char* message, std::string_view name) {
  error_ = message;
  if (std::size_t at = error_.find("%s"); at != std::string::npos) error_.replace(at, 2, name);
  if (nextFree_ > 1) --nextFree_;  // the most recently taken node goes back
  return -1;
}

// Elements nest on an explicit stack rather than the call stack, so that no depth of
// nesting in a file can exhaust the stack.
std::int32_t MarkupDocument::Parse() {
  struct Frame {
    std::int32_t node;
    std::int32_t lastChild;
  };
  std::vector<Frame> open;
  std::int32_t parent = 0;
  for (;;) {
    std::int32_t result = OpenElement(parent);
    if (result < 0) return -1;
    if (result > 0 && !IsEmptyElement(result)) {
      open.push_back({result, 0});
      parent = result;
      continue;
    }
    if (result == 0) {
      if (open.empty()) return 0;  // an end tag where the element should start
      result = open.back().node;
      if (!CloseElement(result)) return -1;
      open.pop_back();
    }
    if (open.empty()) return result;
    Frame& frame = open.back();
    if (frame.lastChild == 0) {
      nodes_[frame.node].firstChild = result;
    } else {
      nodes_[frame.lastChild].nextSibling = result;
    }
    frame.lastChild = result;
    nodes_[frame.node].endTagOpen = nodes_[result].endTagClose + 1;  // the children's cursor
    parent = frame.node;
  }
}

// Reads the start tag of the next element under parent, skipping processing instructions,
// comments, character data and declarations: the new node, 0 for an end tag, -1 on error.
std::int32_t MarkupDocument::OpenElement(std::int32_t parent) {
  const std::int32_t node = NewNode(parent);
  std::int32_t position = nodes_[parent].endTagOpen;
  Token token;
  for (;;) {
    if (!FindCharacter(position, '<')) return Fail("Element tag not found");
    nodes_[node].startTagOpen = position;
    nodes_[parent].endTagOpen = position;
    if (ReadToken(position + 1, token) != Read::More) return Fail("Abrupt end within tag");
    if (token.quoted) return Fail("Tag starts with quote");
    const char first = text_[token.start];
    const char after = token.start + 1 < Length() ? text_[token.start + 1] : '\0';
    std::string_view terminator = ">";
    if (first == '?') {
      terminator = "?>";
    } else if (first == '!') {
      terminator = after == '[' ? "]]>" : after == '-' ? "-->" : ">";
    } else if (first == '/') {
      --nextFree_;
      return 0;
    }
    position = token.next;
    if (!FindString(position, terminator)) return Fail("End of tag not found");
    if (first != '?' && first != '!') break;
  }
  MarkupNode& element = nodes_[node];
  element.startTagClose = position;
  if (text_[position - 1] == '/') {
    element.endTagOpen = position - 1;
    element.endTagClose = position;
    std::int32_t next = position;
    element.nextText = FindCharacter(next, '<') ? next : Length();
  } else {
    element.endTagOpen = position + 1;  // where the search for children starts
  }
  return node;
}

// Reads the end tag of node, whose search cursor points at it.
bool MarkupDocument::CloseElement(std::int32_t node) {
  const std::string name(NameOf(node));
  auto fail = [&](const char* message) {
    Fail(message, name);
    return false;
  };
  std::int32_t position = nodes_[node].endTagOpen;
  if (!FindCharacter(position, '<')) return fail("End tag of %s element not found");
  Token token;
  int count = 0;
  for (std::int32_t offset = position + 1; ReadToken(offset, token) == Read::More;
       offset = token.next) {
    ++count;
    if (token.quoted) continue;
    std::string_view text = TokenText(token);
    if (count == 1 && text[0] != '/') return fail("Expecting end tag of element %s");
    if (count == 2 && text != name) return fail("End tag does not correspond to %s");
    if (text == ">") break;
  }
  if (token.end < token.start || count < 2) return fail("End tag not completed for element %s");
  MarkupNode& element = nodes_[node];
  element.endTagOpen = position;
  element.endTagClose = token.start;
  std::int32_t next = element.endTagClose;
  element.nextText = FindCharacter(next, '<') ? next : Length();
  return true;
}

// --- Reading ---------------------------------------------------------------------------

std::string_view MarkupDocument::NameOf(std::int32_t node) const {
  Token token;
  if (ReadToken(nodes_[node].startTagOpen + 1, token) == Read::None) return {};
  return TokenText(token);
}

bool MarkupDocument::IsEmptyElement(std::int32_t node) const {
  return nodes_[node].endTagClose == nodes_[node].startTagClose;
}

void MarkupDocument::ResetPosition() {
  main_ = 0;
  child_ = 0;
  depth_ = 0;
}

bool MarkupDocument::FindElement(const char* name) {
  if (!IsWellFormed()) return false;
  for (std::int32_t candidate = main_ ? nodes_[main_].nextSibling : nodes_[0].firstChild; candidate;
       candidate = nodes_[candidate].nextSibling) {
    if (!name || !*name || NameOf(candidate) == name) {
      main_ = candidate;
      child_ = 0;
      return true;
    }
  }
  return false;
}

bool MarkupDocument::FindChildElement(const char* name) {
  if (!main_ && !FindElement(nullptr)) return false;
  if (IsEmptyElement(main_)) return false;
  for (std::int32_t candidate = child_ ? nodes_[child_].nextSibling : nodes_[main_].firstChild;
       candidate; candidate = nodes_[candidate].nextSibling) {
    if (!name || !*name || NameOf(candidate) == name) {
      child_ = candidate;
      return true;
    }
  }
  return false;
}

bool MarkupDocument::IntoElement() {
  if (!child_ && !FindChildElement(nullptr)) return false;
  main_ = child_;
  child_ = 0;
  ++depth_;
  return true;
}

bool MarkupDocument::OutOfElement() {
  if (!main_ || depth_ == 0) return false;
  child_ = main_;
  main_ = nodes_[main_].parent;
  --depth_;
  return true;
}

std::string MarkupDocument::GetChildData() const {
  if (!child_) return {};
  const MarkupNode& element = nodes_[child_];
  if (element.firstChild || IsEmptyElement(child_)) return {};
  Token token;
  if (ReadToken(element.startTagClose + 1, token) != Read::None && text_[token.start] == '<' &&
      token.start + 11 < element.endTagOpen && text_.compare(token.start + 1, 8, "![CDATA[") == 0) {
    std::int32_t close = token.next;
    if (FindString(close, "]]>") && close < element.endTagOpen)
      return text_.substr(token.start + 9, close - (token.start + 9));
  }
  return Decode(element.startTagClose + 1, element.endTagOpen - 1);
}

std::string MarkupDocument::AttributeOf(std::int32_t node, const char* name) const {
  if (!node || !name) return {};
  Token token;
  int count = 0, match = -1;
  for (std::int32_t offset = nodes_[node].startTagOpen + 1;; offset = token.next, ++count) {
    Read read = ReadToken(offset, token);
    if (read == Read::None) return {};
    std::string_view text = TokenText(token);
    if (!token.quoted) {
      if (text == ">" || text == "/") return {};
      if (text != "=" && count >= 1 && match < 0 && text == name) match = count;
    } else if (match >= 0 && count == match + 2) {
      return Decode(token.start, token.end);
    }
    if (read == Read::Last) return {};
  }
}

std::string MarkupDocument::GetAttribute(const char* name) const {
  return AttributeOf(main_, name);
}

std::string MarkupDocument::GetChildAttribute(const char* name) const {
  return AttributeOf(child_, name);
}

std::string MarkupDocument::GetTagName() const {
  return main_ ? std::string(NameOf(main_)) : std::string();
}

std::string MarkupDocument::GetChildTagName() const {
  return child_ ? std::string(NameOf(child_)) : std::string();
}

// --- Editing ---------------------------------------------------------------------------

void MarkupDocument::Shift(std::int32_t from, std::int32_t by) {
  for (std::int32_t i = 1; i < nextFree_; ++i) {
    MarkupNode& node = nodes_[i];
    for (std::int32_t* field : {&node.startTagOpen, &node.startTagClose, &node.endTagOpen,
                                &node.endTagClose, &node.nextText}) {
      if (*field >= from) *field += by;
    }
  }
}

void MarkupDocument::Insert(std::int32_t at, const std::string& piece) {
  text_.insert(static_cast<std::size_t>(at), piece);
  Shift(at, static_cast<std::int32_t>(piece.size()));
}

// A node for an element written by ElementText at offset at.
std::int32_t MarkupDocument::AppendNode(std::int32_t parent, std::int32_t at,
                                        const std::string& name, const std::string& escapedText) {
  const std::int32_t node = NewNode(parent);
  MarkupNode& element = nodes_[node];
  const std::int32_t nameLength = static_cast<std::int32_t>(name.size());
  element.startTagOpen = at;
  if (escapedText.empty()) {
    element.startTagClose = at + nameLength + 2;
    element.endTagOpen = element.startTagClose - 1;
    element.endTagClose = element.startTagClose;
  } else {
    element.startTagClose = at + nameLength + 1;
    element.endTagOpen = element.startTagClose + 1 + static_cast<std::int32_t>(escapedText.size());
    element.endTagClose = element.endTagOpen + nameLength + 2;
  }
  std::int32_t next = element.endTagClose;
  element.nextText = FindCharacter(next, '<') ? next : Length();
  return node;
}

bool MarkupDocument::AddElement(const char* name, const char* text) {
  if (!name || !*name) return false;
  const std::string escaped = text ? EscapeText(text) : std::string();
  if (!main_) {
    if (IsWellFormed()) return false;
    if (!SetDocument(ElementText(name, escaped))) return false;
    main_ = nodes_[0].firstChild;
    return true;
  }
  if (depth_ == 0) return false;  // a second element at the top level
  const std::int32_t at = nodes_[main_].nextText;
  Insert(at, ElementText(name, escaped));
  nodes_[main_].nextText = at;
  const std::int32_t node = AppendNode(nodes_[main_].parent, at, name, escaped);
  nodes_[node].nextSibling = nodes_[main_].nextSibling;
  nodes_[main_].nextSibling = node;
  main_ = node;
  child_ = 0;
  return true;
}

bool MarkupDocument::AddChildElement(const char* name, const char* text) {
  if (!main_ || !name || !*name) return false;
  const std::string escaped = text ? EscapeText(text) : std::string();
  const std::string element = ElementText(name, escaped);
  std::int32_t previous = child_;
  if (!previous) {
    for (std::int32_t c = nodes_[main_].firstChild; c; c = nodes_[c].nextSibling) previous = c;
  }
  std::int32_t at;
  if (IsEmptyElement(main_)) {
    // "<P/>" becomes "<P>", the new element and "</P>": the "/" is replaced.
    const std::string parentName(NameOf(main_));
    const std::int32_t slash = nodes_[main_].endTagOpen;
    const std::string piece = ">\r\n" + element + "</" + parentName;
    text_.replace(static_cast<std::size_t>(slash), 1, piece);
    Shift(slash + 1, static_cast<std::int32_t>(piece.size()) - 1);
    MarkupNode& parent = nodes_[main_];
    parent.startTagClose = slash;
    parent.endTagOpen = slash + 3 + static_cast<std::int32_t>(element.size());
    parent.endTagClose = slash + static_cast<std::int32_t>(piece.size());
    at = slash + 3;
  } else {
    at = previous ? nodes_[previous].nextText : nodes_[main_].endTagOpen;
    Insert(at, element);
    if (previous) nodes_[previous].nextText = at;
  }
  const std::int32_t node = AppendNode(main_, at, name, escaped);
  if (previous) {
    nodes_[node].nextSibling = nodes_[previous].nextSibling;
    nodes_[previous].nextSibling = node;
  } else {
    nodes_[main_].firstChild = node;
  }
  child_ = node;
  return true;
}

bool MarkupDocument::InsertAttribute(std::int32_t node, const char* name, const char* value) {
  if (!node || !name || !*name) return false;
  std::string piece(1, ' ');  // appended, for the same reason as in ElementText
  piece += name;
  piece += "=\"" + EscapeAttribute(value ? value : "") + "\"";
  const MarkupNode& element = nodes_[node];
  Insert(IsEmptyElement(node) ? element.startTagClose - 1 : element.startTagClose, piece);
  return true;
}

bool MarkupDocument::SetAttribute(const char* name, const char* value) {
  return InsertAttribute(main_, name, value);
}

bool MarkupDocument::SetChildAttribute(const char* name, const char* value) {
  return InsertAttribute(child_, name, value);
}

}  // namespace foundation
