// Reading a CLEANINGSCRIPT element and installing its files into the versioned folder
// "Scripts\NAME.VERSION" of the program folder.
#include <cstdlib>

#include "definitions/database_loader.h"
#include "foundation/folder_path.h"
#include "foundation/folder_tree.h"
#include "platform/windows_path.h"

namespace definitions {

using namespace platform;

namespace {

// A name that stays inside the script's folder: no separator, drive, wildcard or "..".
bool IsPlainFileName(const CodePage& codePage, const std::string& name) {
  return IsValidFileName(codePage, name) && name.find("..") == std::string::npos;
}

}  // namespace

bool DatabaseLoader::InstallScriptFile(const std::string& folder, const std::string& name,
                                       const std::string& content) {
  if (!IsPlainFileName(machine_.Code(), name)) return false;  // would leave the folder
  std::string bytes = content;
  std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && name.compare(dot + 1, std::string::npos, "reg") == 0) {
    std::size_t start = bytes.find_first_not_of("\r\n");  // a registry file starts at once
    bytes.erase(0, start == std::string::npos ? bytes.size() : start);
  }
  Files& files = machine_.files();
  HANDLE file = files.CreateFileA((folder + "\\" + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;  // an existing file stays as it is
  DWORD written = 0;
  bool ok =
      files.WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

void DatabaseLoader::ReadScript() {
  foundation::MarkupDocument& document = document_;
  Files& files = machine_.files();
  CleaningScript script;
  script.name = document.GetChildAttribute("NAME");
  script.version = document.GetChildAttribute("VERSION");
  script.reboot = document.GetChildAttribute("REBOOT") == "YES";
  // The name and version make a folder name: one that would leave the scripts folder (or
  // match other folders) is refused with its script.
  const std::string folderName = script.name + "." + script.version;
  if (script.name.empty() || !IsPlainFileName(machine_.Code(), folderName)) return;

  const std::string root = programFolder_ + "Scripts";
  foundation::EnsureFolderPath(files, root);
  bool installed = false;
  std::string older;
  WIN32_FIND_DATAA found;
  HANDLE find = files.FindFirstFileA((root + "\\" + script.name + ".*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    std::string name = found.cFileName;
    files.FindClose(find);
    std::size_t dot = name.rfind('.');
    if (dot != std::string::npos) {
      installed = std::atoi(name.c_str() + dot + 1) == std::atoi(script.version.c_str());
      if (!installed && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) older = name;
    }
  }
  const std::string folder = root + "\\" + folderName;
  if (!installed) {
    if (!older.empty()) foundation::RemoveFolderTree(files, root + "\\" + older);
    if (!files.CreateDirectoryA(folder.c_str(), nullptr)) return;  // the script is discarded
  }
  document.IntoElement();
  if (document.FindChildElement("SCRIPTFILE")) {
    script.scriptFile = document.GetChildAttribute("NAME");
    if (!installed) {
      InstallScriptFile(folder, script.scriptFile, document.GetChildData());
      while (document.FindChildElement("DATAFILE"))
        InstallScriptFile(folder, document.GetChildAttribute("NAME"), document.GetChildData());
    }
  }
  document.OutOfElement();
  database_.AddScript(std::move(script));
}

}  // namespace definitions
