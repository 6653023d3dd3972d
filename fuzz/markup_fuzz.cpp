// Fuzz target: the markup reader on any bytes, walked as every reader of the program walks
// it, then edited.
#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/markup_document.h"

namespace {

void Walk(foundation::MarkupDocument& document, int budget) {
  while (budget-- > 0 && document.FindChildElement()) {
    document.GetChildData();
    document.GetChildAttribute("NAME");
    document.GetChildTagName();
    if (document.IntoElement()) {
      document.GetAttribute("VERSION");
      Walk(document, budget / 2);
      document.OutOfElement();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The first byte picks the code page, so that double-byte stepping is covered too.
  const unsigned codePage = size > 0 && (data[0] & 1) ? 932 : 1252;
  std::string text(reinterpret_cast<const char*>(data), size);
  foundation::MarkupDocument document{platform::CodePage(codePage)};
  document.SetDocument(text);
  Walk(document, 64);
  document.ResetPosition();
  if (document.FindElement()) {
    document.AddChildElement("ITEM", "a<&>b");
    document.SetChildAttribute("NAME", "\"'");
    document.IntoElement();
    document.AddElement("NEXT");
    document.SetAttribute("K", "v");
    foundation::MarkupDocument again{platform::CodePage(codePage)};
    again.SetDocument(document.Text());
    Walk(again, 64);
  } else {
    document.AddElement("ROOT", "x");
  }
  return 0;
}
