#include "platform/image/image_shell.h"

#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/image/errno_errors.h"
#include "platform/last_error.h"

extern char** environ;

namespace platform {

namespace {

bool IsHostProgram(const std::string& hostPath) {
  struct stat info;
  if (stat(hostPath.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || !(info.st_mode & 0111))
    return false;
  std::ifstream file(hostPath, std::ios::binary);
  char magic[4] = {};
  file.read(magic, 4);
  return std::memcmp(magic,
                     "\x7F"
                     "ELF",
                     4) == 0 ||
         std::memcmp(magic, "#!", 2) == 0;
}

// Host variables a started program still needs: the host's loader, sanitizers and time zone,
// and the desktop the image's windows show on (its display, Qt's settings, the choice of view and
// whether programs hand things to it).
bool PassedThrough(const std::string& entry) {
  for (const char* prefix :
       {"LD_", "ASAN_", "UBSAN_", "LSAN_", "TZ=", "DISPLAY=", "WAYLAND_DISPLAY=", "XAUTHORITY=",
        "XDG_RUNTIME_DIR=", "QT_", "VEXMARL_VIEW=", "VEXMARL_DESKTOP="}) {
    if (entry.rfind(prefix, 0) == 0) return true;
  }
  return false;
}

}  // namespace

std::string GetCommandLineA() {
  if (const char* given = std::getenv(kCommandLineVariable)) return given;
  std::ifstream cmdline("/proc/self/cmdline", std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(cmdline)), std::istreambuf_iterator<char>());
  std::string line;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\0', start);
    if (end == std::string::npos) end = text.size();
    if (!line.empty()) line += ' ';
    line += QuoteArgument(text.substr(start, end - start));
    start = end + 1;
  }
  return line;
}

HANDLE ImageShell::StartProgram(const std::string& program, const std::string& commandLine,
                                const std::string& directory) {
  auto host = files_.HostPathOf(program);
  if (!host || !IsHostProgram(*host))
    return Fail(ERROR_FILE_NOT_FOUND, static_cast<HANDLE>(nullptr));
  std::optional<std::string> hostDirectory;
  if (!directory.empty()) {
    hostDirectory = files_.HostPathOf(directory);
    if (!hostDirectory) return Fail(ERROR_DIRECTORY, static_cast<HANDLE>(nullptr));
  } else {
    // As on Windows, a program started without a folder starts in its starter's.
    char current[MAX_PATH];
    const DWORD length = files_.GetCurrentDirectoryA(sizeof current, current);
    if (length > 0 && length < sizeof current) hostDirectory = files_.HostPathOf(current);
  }
  // The machine's environment, the image, and the Windows command line as given.
  std::vector<std::string> environment;
  for (const auto& [name, value] : system_.EnvironmentBlock())
    environment.push_back(name + "=" + value);
  environment.push_back(std::string(kMachineVariable) + "=" + files_.Image().Root());
  environment.push_back(std::string(kCommandLineVariable) + "=" + commandLine);
  for (char** entry = environ; *entry; ++entry) {
    if (PassedThrough(*entry)) environment.push_back(*entry);
  }
  std::vector<std::string> arguments = SplitCommandLine(commandLine);
  if (arguments.empty()) arguments.push_back(program);
  arguments[0] = *host;

  std::vector<char*> argv, envp;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  for (std::string& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (hostDirectory) posix_spawn_file_actions_addchdir_np(&actions, hostDirectory->c_str());
  pid_t pid = 0;
  int error = posix_spawn(&pid, host->c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) return Fail(Win32ErrorFromErrno(error), static_cast<HANDLE>(nullptr));
  return processes_.HandleOfChild(pid);
}

std::optional<std::string> ImageShell::AssociatedCommand(const std::string& file,
                                                         const std::string& verb) {
  // A URL opens through its scheme's class, a folder through "Directory" then "Folder", a
  // document through its extension's.
  std::vector<std::string> classNames;
  const std::size_t colon = file.find(':');
  const DWORD attributes = files_.GetFileAttributesA(file.c_str());
  if (colon != std::string::npos && colon > 1 && file.find_first_of("\\/") > colon) {
    classNames.push_back(file.substr(0, colon));
  } else if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    classNames = {"Directory", "Folder"};
  } else {
    const std::size_t dot = file.rfind('.');
    if (dot == std::string::npos || file.find('\\', dot) != std::string::npos) return std::nullopt;
    HKEY extension;
    if (registry_.RegOpenKeyExA(HKEY_CLASSES_ROOT, file.substr(dot).c_str(), 0, KEY_READ,
                                &extension) != ERROR_SUCCESS)
      return std::nullopt;
    char name[256];
    DWORD size = sizeof name;
    LONG status = registry_.RegQueryValueExA(extension, "", nullptr, nullptr,
                                             reinterpret_cast<BYTE*>(name), &size);
    registry_.RegCloseKey(extension);
    if (status != ERROR_SUCCESS) return std::nullopt;
    classNames.emplace_back(name, strnlen(name, size));
  }
  for (const std::string& className : classNames) {
    HKEY command;
    const std::string path = className + "\\shell\\" + verb + "\\command";
    if (registry_.RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &command) !=
        ERROR_SUCCESS)
      continue;
    char text[2048];
    DWORD size = sizeof text, type = 0;
    LONG status = registry_.RegQueryValueExA(command, "", nullptr, &type,
                                             reinterpret_cast<BYTE*>(text), &size);
    registry_.RegCloseKey(command);
    if (status != ERROR_SUCCESS) continue;
    std::string line(text, strnlen(text, size));
    return type == REG_EXPAND_SZ ? system_.Expand(line) : line;
  }
  return std::nullopt;
}

ULONGLONG ImageShell::Execute(const SHELLEXECUTEINFOA& info, HANDLE* process) {
  if (!info.lpFile || !*info.lpFile) return SE_ERR_FNF;
  const std::string file = info.lpFile;
  const std::string verb = info.lpVerb && *info.lpVerb ? info.lpVerb : "open";
  const std::string parameters = info.lpParameters ? info.lpParameters : "";
  const std::string directory = info.lpDirectory ? info.lpDirectory : "";

  std::optional<std::string> program = FindProgram(file);
  std::string commandLine;
  if (program) {
    auto host = files_.HostPathOf(*program);
    if (host && IsHostProgram(*host)) {
      commandLine = "\"" + *program + "\"" + (parameters.empty() ? "" : " " + parameters);
    } else {
      program.reset();  // a document: opened by its association below
    }
  }
  if (!program) {
    char full[MAX_PATH];
    std::string document = file;
    if (files_.GetFullPathNameA(file.c_str(), sizeof full, full, nullptr) < sizeof full &&
        files_.PathFileExistsA(full))
      document = full;
    auto command = AssociatedCommand(document, verb);
    if (!command) {
      const bool exists = files_.PathFileExistsA(document.c_str());
      return exists ? SE_ERR_NOASSOC : SE_ERR_FNF;
    }
    // "%1" is the document, "%*" the parameters.
    std::string line = *command;
    bool placed = false;
    for (std::size_t at; (at = line.find("%1")) != std::string::npos; placed = true)
      line.replace(at, 2, document);
    for (std::size_t at; (at = line.find("%*")) != std::string::npos;)
      line.replace(at, 2, parameters);
    if (!placed) line += " \"" + document + "\"";
    std::vector<std::string> words = SplitCommandLine(line);
    if (words.empty()) return SE_ERR_NOASSOC;
    program = FindProgram(words[0]);
    if (!program) return SE_ERR_FNF;
    commandLine = line;
  }
  HANDLE started = StartProgram(*program, commandLine, directory);
  if (!started) {
    DWORD error = GetLastError();
    return error == ERROR_ACCESS_DENIED ? SE_ERR_ACCESSDENIED
           : error == ERROR_DIRECTORY   ? SE_ERR_PNF
                                        : SE_ERR_FNF;
  }
  if (process) {
    *process = started;
  } else {
    CloseHandle(started);
  }
  return 42;  // any value above 32 tells success
}

HINSTANCE ImageShell::ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                                    LPCSTR directory, int show) {
  SHELLEXECUTEINFOA info;
  info.hwnd = owner;
  info.lpVerb = verb;
  info.lpFile = file;
  info.lpParameters = parameters;
  info.lpDirectory = directory;
  info.nShow = show;
  return reinterpret_cast<HINSTANCE>(static_cast<std::uintptr_t>(Execute(info, nullptr)));
}

BOOL ImageShell::ShellExecuteExA(SHELLEXECUTEINFOA* info) {
  if (!info || info->cbSize < sizeof(SHELLEXECUTEINFOA))
    return Fail(ERROR_INVALID_PARAMETER, FALSE);
  HANDLE process = nullptr;
  ULONGLONG result = Execute(*info, (info->fMask & SEE_MASK_NOCLOSEPROCESS) ? &process : nullptr);
  info->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<std::uintptr_t>(result));
  info->hProcess = process;
  if (result <= 32)
    return Fail(result == SE_ERR_NOASSOC ? 1155u : static_cast<DWORD>(result), FALSE);
  return TRUE;
}

}  // namespace platform
