// vexmachine: creates machine images and operates on them from the host.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "attach_windows.h"
#include "create_image.h"
#include "foundation/os_identity.h"
#include "install_program.h"
#include "list_folder.h"
#include "platform/image/image_machine.h"
#include "platform/last_error.h"
#include "tasks.h"

namespace {

constexpr const char* kUsage =
    "usage: vexmachine create IMAGE [--os NAME] [--user NAME] [--code-page N]\n"
    "       vexmachine attach IMAGE --windows ROOT [--user NAME] [--writable]\n"
    "       vexmachine detach IMAGE\n"
    "       vexmachine info IMAGE\n"
    "       vexmachine path IMAGE WINPATH [--short|--long]\n"
    "       vexmachine dir IMAGE WINPATH [--recursive] [--names]\n"
    "       vexmachine regedit IMAGE ARGS...\n"
    "       vexmachine deny IMAGE KEY | vexmachine allow IMAGE KEY\n"
    "       vexmachine run IMAGE [--cmdline TEXT] PROGRAM [ARGS...]\n"
    "       vexmachine send IMAGE TITLE MESSAGE [WPARAM LPARAM]\n"
    "       vexmachine install IMAGE [--folder WINPATH] [--from HOSTDIR]\n"
    "       vexmachine boot IMAGE\n"
    "       vexmachine tasks IMAGE [--run NAME | --due \"YYYY-MM-DD HH:MM\"]\n";

int Usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

std::unique_ptr<platform::ImageMachine> OpenImage(const std::string& root) {
  std::string error;
  auto machine = platform::ImageMachine::Open(root, &error);
  if (!machine) std::fprintf(stderr, "vexmachine: %s\n", error.c_str());
  return machine;
}

// The folder of this program, where the system programs for new images were built too.
std::string ProgramsFolder() {
  std::error_code error;
  auto self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : self.parent_path().string();
}

// The program that install copies lies in "program" beside this program's folder, in the
// build tree (build/tools, build/program) as in the installed one (lib/vexmarl/bin,
// lib/vexmarl/program).
std::string BuiltProgramFolder() {
  const std::string folder = ProgramsFolder();
  return folder.empty() ? folder
                        : std::filesystem::path(folder).parent_path().append("program").string();
}

int Create(const std::vector<std::string>& args) {
  if (args.empty()) return Usage();
  vexmachine::ImageOptions options;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--user" && i + 1 < args.size()) {
      options.user = args[++i];
    } else if (args[i] == "--os" && i + 1 < args.size()) {
      options.os = args[++i];
    } else if (args[i] == "--code-page" && i + 1 < args.size()) {
      char* end = nullptr;
      options.codePage = static_cast<unsigned>(std::strtoul(args[++i].c_str(), &end, 10));
      if (*end || options.codePage == 0) return Usage();
    } else {
      return Usage();
    }
  }
  options.programsFolder = ProgramsFolder();
  std::string error = vexmachine::CreateImage(args[0], options);
  if (!error.empty()) {
    std::fprintf(stderr, "vexmachine: %s\n", error.c_str());
    return 1;
  }
  return 0;
}

// An image of a Windows installation that is not running. Bad input ends with status 2 and
// one line saying what is wrong.
int Attach(const std::vector<std::string>& args) {
  if (args.empty()) return Usage();
  vexmachine::AttachOptions options;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--windows" && i + 1 < args.size()) {
      options.windowsRoot = args[++i];
    } else if (args[i] == "--user" && i + 1 < args.size()) {
      options.user = args[++i];
    } else if (args[i] == "--writable") {
      options.writable = true;
    } else {
      return Usage();
    }
  }
  if (options.windowsRoot.empty()) return Usage();
  options.programsFolder = ProgramsFolder();
  vexmachine::AttachOutcome outcome = vexmachine::AttachWindows(args[0], options);
  if (!outcome.error.empty()) {
    std::fprintf(stderr, "vexmachine: %s\n", outcome.error.c_str());
    return 2;
  }
  for (const std::string& warning : outcome.warnings)
    std::fprintf(stderr, "vexmachine: warning: %s\n", warning.c_str());
  std::printf("attached %s as drive C (%s), current user %s\n", options.windowsRoot.c_str(),
              options.writable ? "writable" : "read-only",
              outcome.user.empty() ? "none" : outcome.user.c_str());
  return 0;
}

int Detach(const std::vector<std::string>& args) {
  if (args.size() != 1) return Usage();
  std::string kept;
  std::string error = vexmachine::DetachWindows(args[0], kept);
  if (!error.empty()) {
    std::fprintf(stderr, "vexmachine: %s\n", error.c_str());
    return 2;
  }
  if (!kept.empty())
    std::printf("kept %s: the program, its logs and its quarantine\n", kept.c_str());
  return 0;
}

int Path(const std::vector<std::string>& args) {
  if (args.size() < 2 || args.size() > 3) return Usage();
  auto machine = OpenImage(args[0]);
  if (!machine) return 1;
  platform::Files& files = machine->files();
  std::string form = args.size() == 3 ? args[2] : "";
  if (form.empty()) {
    auto host = files.HostPathOf(args[1]);
    if (!host) {
      std::fprintf(stderr, "vexmachine: %s: not reachable (error %u)\n", args[1].c_str(),
                   platform::GetLastError());
      return 1;
    }
    std::printf("%s\n", host->c_str());
    return 0;
  }
  if (form != "--short" && form != "--long") return Usage();
  char buffer[platform::MAX_PATH * 4];
  platform::DWORD length = form == "--short"
                               ? files.GetShortPathNameA(args[1].c_str(), buffer, sizeof buffer)
                               : files.GetLongPathNameA(args[1].c_str(), buffer, sizeof buffer);
  if (length == 0 || length >= sizeof buffer) {
    std::fprintf(stderr, "vexmachine: %s: not found (error %u)\n", args[1].c_str(),
                 platform::GetLastError());
    return 1;
  }
  std::printf("%s\n", buffer);
  return 0;
}

int Dir(const std::vector<std::string>& args) {
  if (args.size() < 2 || args.size() > 4) return Usage();
  bool recursive = false, namesOnly = false;
  for (std::size_t i = 2; i < args.size(); ++i) {
    if (args[i] == "--recursive") {
      recursive = true;
    } else if (args[i] == "--names") {
      namesOnly = true;  // names and folder bits alone, as a scan's walk reads them
    } else {
      return Usage();
    }
  }
  auto machine = OpenImage(args[0]);
  if (!machine) return 1;
  static char buffer[1 << 16];
  std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
  vexmachine::ListingTotals totals;
  if (!vexmachine::ListFolder(machine->files(), args[1], recursive, stdout, totals, namesOnly)) {
    std::fprintf(stderr, "vexmachine: %s: cannot list (error %u)\n", args[1].c_str(),
                 platform::GetLastError());
    return 1;
  }
  return 0;
}

int Info(const std::vector<std::string>& args) {
  if (args.size() != 1) return Usage();
  auto machine = OpenImage(args[0]);
  if (!machine) return 1;
  platform::System& system = machine->system();
  std::string servicePack;
  std::string identifier = foundation::OsIdentifier(system, servicePack);
  foundation::OsVersionName name;
  foundation::GetOsVersionName(system, name);
  char temp[platform::MAX_PATH];
  if (machine->files().GetTempPathA(sizeof temp, temp) >= sizeof temp) temp[0] = '\0';
  std::printf("os-identifier\t%s\n", identifier.c_str());
  std::printf("service-pack-text\t%s\n", servicePack.c_str());
  std::printf("os-name\t%s\n", name.name.c_str());
  std::printf("os-code\t%d\n", name.code);
  std::printf("user\t%s\n", system.UserName().value_or("").c_str());
  std::printf("code-page\t%u\n", system.GetACP());
  std::printf("temp\t%s\n", temp);
  if (platform::AttachedSystem* attached = machine->Attached()) {
    std::printf("attached\t%s\n", attached->Record().root.c_str());
    std::printf("access\t%s\n", attached->Record().writable ? "writable" : "read-only");
  }
  for (int folder : {2, 6, 7, 11, 16, 24, 26, 33, 36, 37, 38, 40, 43}) {
    char path[platform::MAX_PATH];
    if (system.SHGetFolderPathA(nullptr, folder, nullptr, 0, path) != platform::S_OK)
      path[0] = '\0';
    std::printf("folder\t%d\t%s\n", folder, path);
  }
  return 0;
}

int Restrict(const std::vector<std::string>& args, bool restricted) {
  if (args.size() != 2) return Usage();
  auto machine = OpenImage(args[0]);
  if (!machine) return 1;
  std::size_t cut = args[1].find('\\');
  platform::HKEY root = platform::RootKeyFromName(args[1].substr(0, cut));
  std::string path = cut == std::string::npos ? "" : args[1].substr(cut + 1);
  platform::LONG status =
      root ? machine->registry().SetKeyRestriction(root, path.c_str(), restricted) : 1010;
  if (status != 0) {
    std::fprintf(stderr, "vexmachine: %s: error %d\n", args[1].c_str(), status);
    return 1;
  }
  return 0;
}

// Runs the image's own registry editor with the arguments given.
int Regedit(const std::vector<std::string>& args) {
  if (args.size() < 2) return Usage();
  auto machine = OpenImage(args[0]);
  if (!machine) return 1;
  std::string windows = machine->system().WindowsDirectory() + "\\regedit.exe";
  auto program = machine->files().HostPathOf(windows);
  if (!program || !std::filesystem::exists(*program)) {
    std::fprintf(stderr, "vexmachine: the image has no %s\n", windows.c_str());
    return 1;
  }
  std::string root = machine->Image().Root();
  machine.reset();
  setenv(platform::kMachineVariable, root.c_str(), 1);
  std::vector<char*> argv{program->data()};
  std::vector<std::string> rest(args.begin() + 1, args.end());
  for (std::string& arg : rest) argv.push_back(arg.data());
  argv.push_back(nullptr);
  execv(program->c_str(), argv.data());
  std::fprintf(stderr, "vexmachine: cannot run %s\n", program->c_str());
  return 1;
}

// Starts a program of the image as the shell would and waits for it; its exit status is
// vexmachine's.
int Run(const std::vector<std::string>& args) {
  if (args.size() < 2) return Usage();
  std::size_t at = 1;
  std::optional<std::string> commandLine;
  if (args[at] == "--cmdline") {
    if (args.size() < 4) return Usage();
    commandLine = args[at + 1];
    at += 2;
  }
  auto machine = OpenImage(args[0]);
  if (!machine) return 1;
  auto program = machine->shell().FindProgram(args[at]);
  if (!program) {
    std::fprintf(stderr, "vexmachine: no program %s in the image\n", args[at].c_str());
    return 1;
  }
  if (!commandLine) {
    commandLine = platform::QuoteArgument(*program);
    for (std::size_t i = at + 1; i < args.size(); ++i) {
      *commandLine += ' ';  // appended: GCC 12 at -O3 misreads " " + text as an overlap
      *commandLine += platform::QuoteArgument(args[i]);
    }
  }
  platform::HANDLE process = machine->shell().StartProgram(*program, *commandLine, "");
  if (!process) {
    std::fprintf(stderr, "vexmachine: cannot start %s (error %u)\n", program->c_str(),
                 platform::GetLastError());
    return 1;
  }
  int status = 0;
  waitpid(static_cast<pid_t>(machine->processes().GetProcessId(process)), &status, 0);
  platform::CloseHandle(process);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Starts a command line of the image as the shell would and waits for it.
int RunCommandLine(platform::Machine& machine, const std::string& commandLine) {
  const std::vector<std::string> words = platform::SplitCommandLine(commandLine);
  auto program = words.empty() ? std::nullopt : machine.shell().FindProgram(words[0]);
  if (!program) {
    std::fprintf(stderr, "vexmachine: no program for %s\n", commandLine.c_str());
    return 1;
  }
  platform::HANDLE process = machine.shell().StartProgram(*program, commandLine, "");
  if (!process) {
    std::fprintf(stderr, "vexmachine: cannot start %s (error %u)\n", program->c_str(),
                 platform::GetLastError());
    return 1;
  }
  int status = 0;
  waitpid(static_cast<pid_t>(machine.processes().GetProcessId(process)), &status, 0);
  platform::CloseHandle(process);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// The next start of the machine: what still runs ends, the pending restart is cleared, and
// the run-once commands of the machine and then of the user run one after the other, each
// value deleted before its command starts. Startup folders and Run values are not started.
int Boot(const std::vector<std::string>& args) {
  if (args.size() != 1) return Usage();
  auto machine = OpenImage(args[0]);
  if (!machine) return 1;
  if (machine->Attached()) {
    std::fprintf(stderr, "vexmachine: %s: an attached system starts on its own machine\n",
                 args[0].c_str());
    return 2;
  }
  machine->processes().EndImageProcesses();
  machine->processes().ClearRestartPending();
  platform::Registry& registry = machine->registry();
  constexpr const char* kRunOnce = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
  for (platform::HKEY root : {platform::HKEY_LOCAL_MACHINE, platform::HKEY_CURRENT_USER}) {
    for (;;) {
      platform::HKEY key = nullptr;
      if (registry.RegOpenKeyExA(root, kRunOnce, 0, platform::KEY_ALL_ACCESS, &key) !=
          platform::ERROR_SUCCESS)
        break;
      std::optional<platform::RegistryValue> next;
      for (platform::RegistryValue& value : platform::ReadKeyValues(registry, key)) {
        if (value.type == platform::REG_SZ || value.type == platform::REG_EXPAND_SZ) {
          next = std::move(value);
          break;
        }
      }
      if (next) registry.RegDeleteValueA(key, next->name.c_str());
      registry.RegCloseKey(key);
      if (!next) break;
      std::string command = next->data.substr(0, next->data.find('\0'));
      if (next->type == platform::REG_EXPAND_SZ) command = machine->system().Expand(command);
      std::printf("%s\n", command.c_str());
      std::fflush(stdout);
      RunCommandLine(*machine, command);
    }
  }
  return 0;
}

// Sends a message to a window of the image found by its title and prints the answer.
int Send(const std::vector<std::string>& args) {
  if (args.size() != 3 && args.size() != 5) return Usage();
  auto machine = OpenImage(args[0]);
  if (!machine) return 1;
  platform::Messages& messages = machine->messages();
  platform::HWND window = messages.FindWindowA(nullptr, args[1].c_str());
  if (!window) {
    std::fprintf(stderr, "vexmachine: no window titled %s\n", args[1].c_str());
    return 1;
  }
  auto number = [](const std::string& text) { return std::strtoll(text.c_str(), nullptr, 0); };
  platform::LRESULT result =
      messages.SendMessageA(window, static_cast<platform::UINT>(number(args[2])),
                            args.size() == 5 ? static_cast<platform::WPARAM>(number(args[3])) : 0,
                            args.size() == 5 ? static_cast<platform::LPARAM>(number(args[4])) : 0);
  std::printf("%lld\n", static_cast<long long>(result));
  return 0;
}

// Installs the built program into an image.
int Install(const std::vector<std::string>& args) {
  if (args.empty()) return Usage();
  std::string folder = vexmachine::kDefaultProgramFolder;
  std::string from = BuiltProgramFolder();
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--folder" && i + 1 < args.size()) {
      folder = args[++i];
    } else if (args[i] == "--from" && i + 1 < args.size()) {
      from = args[++i];
    } else {
      return Usage();
    }
  }
  while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  auto machine = OpenImage(args[0]);
  if (!machine) return 1;
  std::string error = vexmachine::InstallProgram(*machine, from, folder);
  if (!error.empty()) {
    std::fprintf(stderr, "vexmachine: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s\\\n", folder.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  std::string command = argv[1];
  std::vector<std::string> args(argv + 2, argv + argc);
  if (command == "--help" && args.empty()) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (command == "create") return Create(args);
  if (command == "attach") return Attach(args);
  if (command == "detach") return Detach(args);
  if (command == "path") return Path(args);
  if (command == "dir") return Dir(args);
  if (command == "info") return Info(args);
  if (command == "regedit") return Regedit(args);
  if (command == "deny") return Restrict(args, true);
  if (command == "allow") return Restrict(args, false);
  if (command == "run") return Run(args);
  if (command == "send") return Send(args);
  if (command == "install") return Install(args);
  if (command == "boot") return Boot(args);
  if (command == "tasks") return vexmachine::Tasks(args);
  return Usage();
}
