#include "definitions/path_macros.h"

namespace definitions {

using namespace platform;

namespace {

constexpr std::size_t kPathMacroCount = 12;
constexpr std::size_t kLongestExpansion = 259;

struct FolderMacro {
  const char* name;
  int folder;  // 0: the environment string %temp%
};

constexpr FolderMacro kPathMacros[kPathMacroCount] = {
    {"%appdata%", CSIDL_APPDATA},
    {"%autostart%", CSIDL_STARTUP},
    {"%commonprogramfiles%", CSIDL_PROGRAM_FILES_COMMON},
    {"%desktop%", CSIDL_DESKTOPDIRECTORY},
    {"%favorites%", CSIDL_FAVORITES},
    {"%programfiles%", CSIDL_PROGRAM_FILES},
    {"%startmenu%", CSIDL_STARTMENU},
    {"%startupprograms%", CSIDL_PROGRAMS},
    {"%system%", CSIDL_SYSTEM},
    {"%temp%", 0},
    {"%userprofile%", CSIDL_PROFILE},
    {"%windir%", CSIDL_WINDOWS},
};

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
  for (const FolderMacro& macro : kPathMacros) {
    std::string expansion;
    if (macro.folder == 0) {
      char buffer[261];
      DWORD needed = system.ExpandEnvironmentStringsA("%temp%", buffer, sizeof buffer);
      if (needed > 0 && needed <= sizeof buffer) expansion = buffer;
    } else {
      char path[MAX_PATH];
      if (system.SHGetFolderPathA(nullptr, macro.folder, nullptr, 0, path) == S_OK)
        expansion = path;
    }
    if (expansion.size() > kLongestExpansion) expansion.resize(kLongestExpansion);
    table_.emplace_back(macro.name, expansion);
  }
  for (const auto& [name, expansion] : kRegistryMacros) table_.emplace_back(name, expansion);
}

std::string PathMacros::Expand(std::string text, std::size_t first, std::size_t last) const {
  for (std::size_t i = first; i < last && i < table_.size(); ++i) {
    if (text.find('%') == std::string::npos) break;  // no macro name can occur any more
    const std::string& name = table_[i].first;
    const std::string& expansion = table_[i].second;
    std::string lower = codePage_.Lower(text);
    const std::string lowerName = codePage_.Lower(name);
    std::string result;
    std::size_t position = 0;
    for (std::size_t found; (found = lower.find(lowerName, position)) != std::string::npos;
         position = found + name.size()) {
      result.append(text, position, found - position);
      result += expansion;
    }
    result.append(text, position, std::string::npos);
    text = std::move(result);
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
