// Parsing and walking a 5 MiB document shaped like the definitions database, against
// libxml2 parsing the same text.
#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstdio>
#include <map>
#include <string>

#include "foundation/markup_document.h"
#include "ratio_reporter.h"

namespace {

const std::string& DatabaseText() {
  static const std::string text = [] {
    std::string text = "<?xml version=\"1.0\"?>\r\n<NA VERSION=\"4.23.1\" DATE=\"2006-10-01\">\r\n";
    char line[256];
    for (int entry = 0; text.size() < 5u * 1024 * 1024; ++entry) {
      std::snprintf(line, sizeof line,
                    "<SW NAME=\"Spyware %d\">\r\n<CATEGORY NAME=\"Adware\"/>\r\n", entry);
      text += line;
      text += "<DIRECTORIES>\r\n";
      std::snprintf(line, sizeof line, "<DIR NAME=\"%%programfiles%%\\Spyware %d\"/>\r\n", entry);
      text += line;
      text += "</DIRECTORIES>\r\n<PROCESSES>\r\n";
      std::snprintf(line, sizeof line, "<PROCESS NAME=\"spy%d.exe\" MD5=\"%032x\"/>\r\n", entry,
                    entry);
      text += line;
      text += "</PROCESSES>\r\n<FILES>\r\n";
      for (int file = 0; file < 4; ++file) {
        std::snprintf(line, sizeof line,
                      "<FILE NAME=\"%%windir%%\\system32\\spy%d_%d.dll\" SIZE=\"%d\"/>\r\n", entry,
                      file, 1024 * file);
        text += line;
      }
      text += "</FILES>\r\n<REGKEYS>\r\n";
      std::snprintf(line, sizeof line, "<REGKEY NAME=\"SOFTWARE\\Spyware %d\"/>\r\n", entry);
      text += line;
      text += "</REGKEYS>\r\n<REGVALUES>\r\n";
      std::snprintf(line, sizeof line, "<REGVALUE NAME=\"%%run%%\\spy%d\" DATA=\"\"/>\r\n", entry);
      text += line;
      text += "</REGVALUES>\r\n<DANGER NAME=\"high\"/>\r\n";
      std::snprintf(line, sizeof line,
                    "<DESCRIPTION NAME=\"Shows advertising &amp; tracks browsing (%d)\" "
                    "url=\"http://x\"/>\r\n</SW>\r\n",
                    entry);
      text += line;
    }
    return text + "</NA>\r\n";
  }();
  return text;
}

// Reads every entry as the database loader does.
std::size_t WalkDatabase(foundation::MarkupDocument& document) {
  std::size_t seen = 0;
  if (!document.FindElement("NA")) return 0;
  seen += document.GetAttribute("VERSION").size();
  while (document.FindChildElement("SW")) {
    seen += document.GetChildAttribute("NAME").size();
    document.IntoElement();
    for (const char* group : {"DIRECTORIES", "PROCESSES", "FILES", "REGKEYS", "REGVALUES"}) {
      if (!document.FindChildElement(group)) continue;
      document.IntoElement();
      while (document.FindChildElement()) seen += document.GetChildAttribute("NAME").size();
      document.OutOfElement();
    }
    if (document.FindChildElement("DESCRIPTION")) seen += document.GetChildAttribute("NAME").size();
    document.OutOfElement();
  }
  return seen;
}

void MarkupParseAndWalk(benchmark::State& state) {
  const std::string& text = DatabaseText();
  for (auto _ : state) {
    foundation::MarkupDocument document;
    if (!document.SetDocument(text)) state.SkipWithError("not well-formed");
    benchmark::DoNotOptimize(WalkDatabase(document));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void Libxml2Parse(benchmark::State& state) {
  const std::string& text = DatabaseText();
  for (auto _ : state) {
    xmlDocPtr document = xmlReadMemory(text.data(), static_cast<int>(text.size()), "database.xml",
                                       nullptr, XML_PARSE_NONET | XML_PARSE_HUGE);
    if (!document) state.SkipWithError("libxml2 refused the text");
    xmlFreeDoc(document);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

BENCHMARK(Libxml2Parse)->Unit(benchmark::kMillisecond);
BENCHMARK(MarkupParseAndWalk)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  xmlInitParser();
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter("MarkupParseAndWalk", "Libxml2Parse");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  xmlCleanupParser();
  return 0;
}
