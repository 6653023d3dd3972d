#include "foundation/markup_document.h"

#include <gtest/gtest.h>

namespace foundation {
namespace {

std::string ErrorOf(const char* text) {
  MarkupDocument document;
  EXPECT_FALSE(document.SetDocument(text)) << text;
  EXPECT_FALSE(document.FindElement());  // nothing is left to walk
  return document.Error();
}

TEST(MarkupDocument, ParsesElementsAndSkipsWhatComesAround) {
  MarkupDocument document;
  EXPECT_TRUE(document.SetDocument("<A/>"));
  EXPECT_TRUE(document.FindElement("A"));
  EXPECT_FALSE(document.FindChildElement());  // an empty element has no content
  EXPECT_TRUE(document.SetDocument("<A></A>"));
  ASSERT_TRUE(
      document.SetDocument("<?xml version=\"1.0\"?>\r\n<!-- comment <B> -->\r\n<!DOCTYPE "
                           "A>\r\n<Root><A>x</A></Root><Second/>"));
  EXPECT_TRUE(document.FindElement("Root"));
  EXPECT_FALSE(document.FindElement("Second"));  // only one top-level element is read
  document.ResetPosition();
  EXPECT_TRUE(document.FindChildElement("A"));
  EXPECT_EQ(document.GetChildData(), "x");
  EXPECT_FALSE(document.SetDocument(""));
  EXPECT_FALSE(document.SetDocument(nullptr));
  EXPECT_FALSE(document.SetDocument("<a></A>"));  // names are compared exactly
}

TEST(MarkupDocument, EveryErrorText) {
  EXPECT_EQ(ErrorOf("no tags at all"), "Element tag not found");
  EXPECT_EQ(ErrorOf("<A>"), "Element tag not found");
  EXPECT_EQ(ErrorOf("<\"A\">"), "Tag starts with quote");
  EXPECT_EQ(ErrorOf("<A><"), "Abrupt end within tag");
  EXPECT_EQ(ErrorOf("<A x=\"1\""), "End of tag not found");
  EXPECT_EQ(ErrorOf("<A><!-- never closed </A>"), "End of tag not found");
  EXPECT_EQ(ErrorOf("<A></B>"), "End tag does not correspond to A");
  EXPECT_EQ(ErrorOf("<A>text</A"), "End tag not completed for element A");
  EXPECT_EQ(ErrorOf("<A></A \"\""), "End tag not completed for element A");  // empty last token
  EXPECT_EQ(ErrorOf("<A><B></B>"), "Element tag not found");  // no end tag left for A
  // A blank after "<" still starts a tag: "< A>" is a child named A, not an end tag.
  EXPECT_EQ(ErrorOf("<A><B></B>< A>"), "Element tag not found");
  MarkupDocument document;
  EXPECT_FALSE(document.SetDocument("</A>"));  // an end tag where the element should be
  // A quoted token in an end tag is counted but not compared.
  EXPECT_TRUE(document.SetDocument("<A></\"B\">"));
}

TEST(MarkupDocument, CursorGoesForwardOnly) {
  MarkupDocument document;
  ASSERT_TRUE(document.SetDocument("<A><B>1</B><C/><B>2</B></A>"));
  EXPECT_TRUE(document.FindElement("A"));
  EXPECT_TRUE(document.FindChildElement("B"));
  EXPECT_EQ(document.GetChildData(), "1");
  EXPECT_TRUE(document.FindChildElement("C"));
  EXPECT_TRUE(document.FindChildElement("B"));  // the second B, after C
  EXPECT_EQ(document.GetChildData(), "2");
  EXPECT_FALSE(document.FindChildElement("C"));  // lies before the current child
  EXPECT_EQ(document.GetChildData(), "2");       // a failed search moves nothing

  ASSERT_TRUE(document.SetDocument("<R><G><I n=\"a\"/><I n=\"b\"/></G><H/></R>"));
  EXPECT_FALSE(document.OutOfElement());
  EXPECT_TRUE(document.FindChildElement("G"));  // finds R as the main element first
  EXPECT_EQ(document.GetTagName(), "R");
  EXPECT_TRUE(document.IntoElement());
  EXPECT_EQ(document.GetTagName(), "G");
  EXPECT_TRUE(document.FindChildElement("I"));
  EXPECT_EQ(document.GetChildAttribute("n"), "a");
  EXPECT_TRUE(document.FindChildElement("I"));
  EXPECT_EQ(document.GetChildAttribute("n"), "b");
  EXPECT_TRUE(document.OutOfElement());
  EXPECT_EQ(document.GetChildTagName(), "G");  // the child is where we came from
  EXPECT_TRUE(document.FindChildElement("H"));
  EXPECT_FALSE(document.IntoElement() && document.FindChildElement());
}

TEST(MarkupDocument, AttributesNeedDoubleQuotes) {
  MarkupDocument document;
  ASSERT_TRUE(document.SetDocument(
      "<A x=\"1\" y=\"&lt;2&gt;\" z=3 w='4' v \"stray\" q = \"5\" x=\"dup\"/>"));
  ASSERT_TRUE(document.FindElement());
  EXPECT_EQ(document.GetAttribute("x"), "1");
  EXPECT_EQ(document.GetAttribute("y"), "<2>");
  EXPECT_EQ(document.GetAttribute("z"), "");
  EXPECT_EQ(document.GetAttribute("w"), "");
  EXPECT_EQ(document.GetAttribute("v"), "");
  EXPECT_EQ(document.GetAttribute("q"), "5");
  EXPECT_EQ(document.GetAttribute("A"), "");  // the element's name is not an attribute
  EXPECT_EQ(document.GetAttribute(nullptr), "");
  // A ">" inside a value ends the start tag there, so the element's text starts behind it;
  // the value itself is still read between its quotes.
  ASSERT_TRUE(document.SetDocument("<R><A t=\"a>b\">text</A></R>"));
  ASSERT_TRUE(document.FindChildElement("A"));
  EXPECT_EQ(document.GetChildData(), "b\">text");
  EXPECT_EQ(document.GetChildAttribute("t"), "a>b");
}

TEST(MarkupDocument, TextIsDecodedInOrderWithinItsRange) {
  MarkupDocument document;
  ASSERT_TRUE(
      document.SetDocument("<R><A>a &amp; b &#65;</A><B>&amp;lt;</B><C> &lt</C>"
                           "<D>\r\n  both \r\n</D><E>&quot;&apos;&gt;</E></R>"));
  ASSERT_TRUE(document.FindChildElement("A"));
  EXPECT_EQ(document.GetChildData(), "a & b &#65;");
  ASSERT_TRUE(document.FindChildElement("B"));
  EXPECT_EQ(document.GetChildData(), "&lt;");  // decoded once, left to right
  ASSERT_TRUE(document.FindChildElement("C"));
  EXPECT_EQ(document.GetChildData(), " &lt");  // a reference cut by the range stays
  ASSERT_TRUE(document.FindChildElement("D"));
  EXPECT_EQ(document.GetChildData(), "\r\n  both \r\n");
  ASSERT_TRUE(document.FindChildElement("E"));
  EXPECT_EQ(document.GetChildData(), "\"'>");
}

TEST(MarkupDocument, CharacterDataIsTakenRaw) {
  MarkupDocument document;
  ASSERT_TRUE(document.SetDocument(
      "<R><A><![CDATA[<b>&amp;</b>]]></A><B>  <![CDATA[x]]></B><C><![CDATA[]]></C></R>"));
  ASSERT_TRUE(document.FindChildElement("A"));
  EXPECT_EQ(document.GetChildData(), "<b>&amp;</b>");
  ASSERT_TRUE(document.FindChildElement("B"));
  EXPECT_EQ(document.GetChildData(), "x");
  ASSERT_TRUE(document.FindChildElement("C"));
  EXPECT_EQ(document.GetChildData(), "");
}

TEST(MarkupDocument, DoubleByteCharactersAreSteppedOverWhole) {
  // In code page 932, 0x83 0x5C is one character whose second byte is a backslash, a
  // delimiter; it must not end the name.
  const std::string name = "N\x83\x5C";
  const std::string text = "<" + name + " a=\"\x83\x5C\">\x83\x5C</" + name + ">";
  MarkupDocument japanese{platform::CodePage(932)};
  ASSERT_TRUE(japanese.SetDocument(text)) << japanese.Error();
  EXPECT_TRUE(japanese.FindElement(name.c_str()));
  EXPECT_EQ(japanese.GetAttribute("a"), "\x83\x5C");
  // In a single-byte code page the backslash byte ends the name.
  MarkupDocument western;
  ASSERT_TRUE(western.SetDocument(text));
  EXPECT_FALSE(western.FindElement(name.c_str()));
  EXPECT_TRUE(western.FindElement("N\x83"));
}

TEST(MarkupDocument, EditingInsertsElementsAndAttributes) {
  MarkupDocument document;
  EXPECT_TRUE(document.AddElement("ROOT"));  // not well-formed yet: starts a document
  EXPECT_EQ(document.Text(), "<ROOT/>\r\n");
  EXPECT_FALSE(document.AddElement("SECOND"));           // one top-level element only
  EXPECT_TRUE(document.AddChildElement("ITEM", "a<b"));  // into the empty element
  EXPECT_EQ(document.Text(), "<ROOT>\r\n<ITEM>a&lt;b</ITEM>\r\n</ROOT>\r\n");
  EXPECT_TRUE(document.SetChildAttribute("NAME", "\"x\" & 'y'"));
  EXPECT_TRUE(document.AddChildElement("EMPTY"));
  EXPECT_TRUE(document.SetChildAttribute("K", "v"));
  EXPECT_TRUE(document.SetAttribute("VERSION", "1"));
  EXPECT_EQ(document.Text(),
            "<ROOT VERSION=\"1\">\r\n<ITEM NAME=\"&quot;x&quot; &amp; &apos;y&apos;\">a&lt;b</ITEM>"
            "\r\n<EMPTY K=\"v\"/>\r\n</ROOT>\r\n");
  // The offsets stay right: the cursor reads the edited document as a new parse would.
  EXPECT_EQ(document.GetChildAttribute("K"), "v");
  EXPECT_TRUE(document.IntoElement());
  EXPECT_TRUE(document.AddElement("AFTER", "z"));
  EXPECT_TRUE(document.OutOfElement());
  MarkupDocument reparsed;
  ASSERT_TRUE(reparsed.SetDocument(document.Text()));
  for (MarkupDocument* reader : {&document, &reparsed}) {
    reader->ResetPosition();
    ASSERT_TRUE(reader->FindChildElement("ITEM"));
    EXPECT_EQ(reader->GetChildData(), "a<b");
    EXPECT_EQ(reader->GetChildAttribute("NAME"), "\"x\" & 'y'");
    ASSERT_TRUE(reader->FindChildElement("AFTER"));
    EXPECT_EQ(reader->GetChildData(), "z");
    EXPECT_EQ(reader->GetAttribute("VERSION"), "1");
  }
  MarkupDocument none;
  EXPECT_FALSE(none.AddChildElement("X"));  // no main element
}

TEST(MarkupDocument, DeepNestingDoesNotExhaustTheStack) {
  std::string text;
  for (int i = 0; i < 200000; ++i) text += "<a>";
  for (int i = 0; i < 200000; ++i) text += "</a>";
  MarkupDocument document;
  EXPECT_TRUE(document.SetDocument(text));
}

TEST(MarkupDocument, EscapingForTextAndAttributes) {
  EXPECT_EQ(MarkupDocument::EscapeText("<a & 'b' \"c\">"), "&lt;a &amp; 'b' \"c\"&gt;");
  EXPECT_EQ(MarkupDocument::EscapeAttribute("<a & 'b' \"c\">"),
            "&lt;a &amp; &apos;b&apos; &quot;c&quot;&gt;");
}

}  // namespace
}  // namespace foundation
