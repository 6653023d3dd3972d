// resources.dll: serves the embedded string table, pages and bitmaps through the C interface.
#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <string_view>

#include "embedded_resources.h"
#include "vexmarl_resources.h"

namespace {

// "\n", "\t" and "\\" in a table text.
std::string Unescape(const std::string& text) {
  std::string plain;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      char next = text[++i];
      plain += next == 'n' ? '\n' : next == 't' ? '\t' : next;
    } else {
      plain += text[i];
    }
  }
  return plain;
}

std::map<unsigned, std::string> ParseStringTable(const char* text, std::size_t size) {
  std::map<unsigned, std::string> table;
  std::size_t at = 0;
  while (at < size) {
    std::size_t end = std::string_view(text, size).find('\n', at);
    if (end == std::string_view::npos) end = size;
    std::string line(text + at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    table[static_cast<unsigned>(std::stoul(line.substr(0, tab)))] = Unescape(line.substr(tab + 1));
  }
  return table;
}

const std::map<unsigned, std::string>& Strings() {
  static const std::map<unsigned, std::string> table = [] {
    for (unsigned i = 0; i < kEmbeddedResourceCount; ++i)
      if (kEmbeddedResources[i].kind == 0)
        return ParseStringTable(reinterpret_cast<const char*>(kEmbeddedResources[i].data),
                                kEmbeddedResources[i].size);
    return std::map<unsigned, std::string>();
  }();
  return table;
}

const unsigned char* Find(int kind, unsigned id, unsigned* size) {
  for (unsigned i = 0; i < kEmbeddedResourceCount; ++i) {
    const EmbeddedResource& resource = kEmbeddedResources[i];
    if (resource.kind == kind && resource.id == id) {
      if (size) *size = resource.size;
      return resource.data;
    }
  }
  if (size) *size = 0;
  return nullptr;
}

}  // namespace

extern "C" int VxLoadString(unsigned id, char* buffer, int size) {
  if (!buffer || size <= 0) return 0;
  buffer[0] = '\0';
  auto found = Strings().find(id);
  if (found == Strings().end()) return 0;
  std::size_t length = std::min(found->second.size(), static_cast<std::size_t>(size - 1));
  std::memcpy(buffer, found->second.data(), length);
  buffer[length] = '\0';
  return static_cast<int>(length);
}

extern "C" const unsigned char* VxFindPage(unsigned id, unsigned* size) {
  return Find(1, id, size);
}

extern "C" const unsigned char* VxFindBitmap(unsigned id, unsigned* size) {
  return Find(2, id, size);
}
