// vxdb: the tool for people who write definitions and branding files.
//   vxdb check [--code-page N] FILE   tells whether FILE is well-formed markup, or the
//                                     parser's error text
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "foundation/markup_document.h"

namespace {

int Usage() {
  std::fputs("usage: vxdb check [--code-page N] FILE\n", stderr);
  return 2;
}

int Check(const std::vector<std::string>& args) {
  unsigned codePage = 1252;
  std::size_t at = 0;
  if (args.size() == 3 && args[0] == "--code-page") {
    codePage = static_cast<unsigned>(std::strtoul(args[1].c_str(), nullptr, 10));
    at = 2;
  }
  if (args.size() != at + 1 || codePage == 0) return Usage();
  std::ifstream file(args[at], std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "vxdb: cannot read %s\n", args[at].c_str());
    return 2;
  }
  std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  foundation::MarkupDocument document{platform::CodePage(codePage)};
  if (document.SetDocument(text)) {
    std::puts("well-formed");
    return 0;
  }
  // Without an error text the file holds no element at all (or an end tag where it should).
  std::puts(document.Error().empty() ? "No element found" : document.Error().c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  std::string command = argv[1];
  std::vector<std::string> args(argv + 2, argv + argc);
  if (command == "check") return Check(args);
  return Usage();
}
