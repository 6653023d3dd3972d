#include "foundation/folder_macros.h"

namespace foundation {

using namespace platform;

namespace {

constexpr std::size_t kLongestExpansion = 259;

}  // namespace

const std::array<FolderMacro, 12> kFolderMacros = {{
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
}};

std::string FolderMacroValue(System& system, const FolderMacro& macro) {
  std::string expansion;
  if (macro.folder == 0) {
    char buffer[261];
    DWORD needed = system.ExpandEnvironmentStringsA("%temp%", buffer, sizeof buffer);
    if (needed > 0 && needed <= sizeof buffer) expansion = buffer;
  } else {
    char path[MAX_PATH];
    if (system.SHGetFolderPathA(nullptr, macro.folder, nullptr, 0, path) == S_OK) expansion = path;
  }
  if (expansion.size() > kLongestExpansion) expansion.resize(kLongestExpansion);
  return expansion;
}

}  // namespace foundation
