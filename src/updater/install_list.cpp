#include "updater/install_list.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "foundation/folder_macros.h"
#include "foundation/text_format.h"
#include "foundation/whole_file.h"
#include "updater/update_list.h"
#include "updater/zip_extract.h"

namespace updater {
namespace {

using namespace platform;

constexpr const char* kZipOpenFailedText = "Zip Open Failed";
constexpr const char* kInstallCaption = "Install";
constexpr const char* kLibraryTitle = "Corvane";  // the caption of the library's own boxes
constexpr const char* kInstallErrorText = "Error in installing updates.";
constexpr const char* kInstallerEntry = ",InstallUpdates";
constexpr const char* kDllRunner = "rundll32";

// Systems before version 4.90 know a program by its 8.3 path.
bool WantsShortPaths(System& system) {
  OSVERSIONINFOA version;
  if (!system.GetVersionExA(&version)) return true;
  return version.dwMajorVersion < 4 || (version.dwMajorVersion == 4 && version.dwMinorVersion < 90);
}

std::string ShortPath(Files& files, const std::string& path) {
  char buffer[MAX_PATH + 1] = {};
  const DWORD length = files.GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
  return length == 0 || length > MAX_PATH ? path : std::string(buffer, length);
}

std::string FolderOf(const std::string& path) {
  return path.substr(0, path.rfind('\\') + 1);
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', start);
    fields.push_back(
        line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) return fields;
    start = tab + 1;
  }
}

// Installs one file line; false when the line is no file line (fewer than five fields).
bool InstallItemLine(Machine& machine, platform::Prompt& prompt, const std::string& line) {
  const std::vector<std::string> fields = Fields(line);
  if (fields.size() < 5) return false;
  Files& files = machine.files();
  const std::string& source = fields[0];
  const std::string folder = ExpandPathMacros(machine.system(), fields[2]);
  const std::string target = JoinTarget(folder, fields[1]);
  // The old target stays until its replacement is in place.
  if (ReadInteger(fields[3]) != 0) {
    if (ExtractZip(files, source, folder) == ZipResult::NotAnArchive)
      prompt.MessageBoxA(nullptr, kZipOpenFailedText, kInstallCaption, MB_OK);
  } else {
    files.MoveFileExA(source.c_str(), target.c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED);
  }
  files.DeleteFileA(source.c_str());
  if (ReadInteger(fields[4]) != 0)
    machine.shell().ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  return true;
}

}  // namespace

std::string InstallListText(const InstallList& list) {
  std::string text = std::to_string(list.items.size()) + "\r\n" + list.programPath + "\r\n" +
                     (list.restart ? "1" : "0") + "\r\n";
  for (const InstallItem& item : list.items)
    text += item.source + "\t" + item.name + "\t" + item.folder + "\t" + (item.unpack ? "1" : "0") +
            "\t" + (item.open ? "1" : "0") + "\r\n";
  return text;
}

std::string ProgramPath(Machine& machine) {
  char path[MAX_PATH + 1] = {};
  const DWORD length = machine.processes().GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string program(path, length);
  return WantsShortPaths(machine.system()) ? ShortPath(machine.files(), program) : program;
}

std::string ExpandPathMacros(System& system, std::string folder) {
  for (const foundation::FolderMacro& macro : foundation::kFolderMacros) {
    const std::string name = macro.name;
    if (folder.find(name) == std::string::npos) continue;
    const std::string replacement = foundation::FolderMacroValue(system, macro);
    for (std::size_t at = folder.find(name); at != std::string::npos;
         at = folder.find(name, at + replacement.size()))
      folder.replace(at, name.size(), replacement);
  }
  return folder;
}

std::string JoinTarget(const std::string& folder, const std::string& name) {
  const bool ends = !folder.empty() && folder.back() == '\\';
  return foundation::FormatText(ends ? "%s%s" : "%s\\%s", {folder, name});
}

bool HandOverToInstaller(UpdateLibrary& library) {
  Machine* machine = library.Machine();
  if (!machine) return false;
  Files& files = machine->files();
  const std::string programPath = ProgramPath(*machine);
  const std::string folder = FolderOf(programPath);
  files.CopyFileA((folder + kLibraryName).c_str(), (folder + kInstallerCopyName).c_str(), FALSE);
  InstallList list{programPath, library.Restart(), {}};
  for (const Entry& entry : library.Entries())
    list.items.push_back({entry.localCopy, entry.fileName, folder, entry.archive, entry.run});
  if (!foundation::WriteWholeFile(files, kInstallListName, InstallListText(list))) return false;
  const std::string command = ShortPath(files, folder + kInstallerCopyName) + kInstallerEntry;
  const auto started = reinterpret_cast<std::uintptr_t>(machine->shell().ShellExecuteA(
      nullptr, "open", kDllRunner, command.c_str(), nullptr, SW_SHOWNORMAL));
  if (started <= 32) {
    // Without an installer the program must not end: the update waits for another try.
    files.DeleteFileA(kInstallListName);
    return false;
  }
  return true;
}

InstallOutcome InstallFromList(Machine& machine, platform::Prompt& prompt,
                               const std::string& text) {
  const std::vector<std::string> lines = foundation::TextLines(text);
  auto line = [&](std::size_t index) {
    return index < lines.size() ? lines[index] : std::string();
  };
  InstallOutcome outcome{false, line(1), ReadInteger(line(2)) != 0};
  const long count = ReadInteger(line(0));
  for (long item = 0; item < count; ++item) {
    if (!InstallItemLine(machine, prompt, line(3 + static_cast<std::size_t>(item)))) {
      // What was not installed stays in the temporary folder.
      prompt.MessageBoxA(nullptr, kInstallErrorText, kLibraryTitle, MB_OK);
      return outcome;
    }
  }
  outcome.completed = true;
  return outcome;
}

void InstallUpdates(UpdateLibrary& library, unsigned waitMilliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(waitMilliseconds));
  Machine* machine = library.Machine();
  if (!machine) return;
  Files& files = machine->files();
  const std::optional<std::string> text = foundation::ReadWholeFile(files, kInstallListName);
  if (!text) return;
  const InstallOutcome outcome = InstallFromList(*machine, library.Prompt(), *text);
  if (!outcome.completed) return;  // the list stays for another try
  files.DeleteFileA(kInstallListName);
  if (!outcome.restart) return;
  machine->shell().ShellExecuteA(nullptr, "open", outcome.programPath.c_str(), nullptr, nullptr,
                                 SW_SHOWNORMAL);
  EndProcessNow();
}

void EndProcessNow() {
  std::fflush(nullptr);
  std::_Exit(0);
}

}  // namespace updater
