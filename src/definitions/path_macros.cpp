#include "definitions/path_macros.h"

#include "foundation/folder_macros.h"

namespace definitions {

using namespace platform;

namespace {

constexpr std::size_t kPathMacroCount = foundation::kFolderMacros.size();

constexpr std::pair<const char*, const char*> kRegistryMacros[] = {
    {"%winsock0%",
     "SYSTEM\\CurrentControlSet\\Services\\WinSock2\\Parameters\\Protocol_Catalog9\\Catalog_"
     "Entries"},
    {"%winsock1%",
     "SYSTEM\\ControlSet001\\Services\\WinSock2\\Parameters\\Protocol_Catalog9\\Catalog_Entries"},
    {"%winsock2%",
     "SYSTEM\\ControlSet002\\Services\\WinSock2\\Parameters\\Protocol_Catalog9\\Catalog_Entries"},
    {"%winsock3%",
     "SYSTEM\\ControlSet003\\Services\\WinSock2\\Parameters\\Protocol_Catalog9\\Catalog_Entries"},
    {"%internet0%", "Software\\Microsoft\\Internet Explorer"},
    {"%run%", "Software\\Microsoft\\Windows\\Currentversion\\Run"},
    {"%RunService%", "Software\\Microsoft\\Windows\\Currentversion\\RunServices"},
};

}  // namespace

void PathMacros::Fill(System& system) {
  table_.clear();
  for (const foundation::FolderMacro& macro : foundation::kFolderMacros)
    table_.emplace_back(macro.name, foundation::FolderMacroValue(system, macro));
  for (const auto& [name, expansion] : kRegistryMacros) table_.emplace_back(name, expansion);
  lowerNames_.clear();
  for (const auto& [name, expansion] : table_) lowerNames_.push_back(codePage_.Lower(name));
}

std::string PathMacros::Expand(std::string text, std::size_t first, std::size_t last) const {
  std::string lower = codePage_.Lower(text);
  for (std::size_t i = first; i < last && i < table_.size(); ++i) {
    if (text.find('%') == std::string::npos) break;  // no macro name can occur any more
    const std::string& lowerName = lowerNames_[i];
    std::size_t found = lower.find(lowerName);
    if (found == std::string::npos) continue;
    const std::string& expansion = table_[i].second;
    std::string result;
    std::size_t position = 0;
    for (; found != std::string::npos; found = lower.find(lowerName, position)) {
      result.append(text, position, found - position);
      result += expansion;
      position = found + lowerName.size();
    }
    result.append(text, position, std::string::npos);
    text = std::move(result);
    lower = codePage_.Lower(text);
  }
  return text;
}

std::string PathMacros::ExpandPaths(const std::string& text) const {
  return Expand(text, 0, kPathMacroCount);
}

std::string PathMacros::ExpandRegistry(const std::string& text) const {
  return Expand(text, kPathMacroCount, table_.size());
}

}  // namespace definitions
