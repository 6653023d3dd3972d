// vexmarl-cli logs: the logs folder's files listed, the folder opened in the file browser, or
// logs mailed to the makers as the window's mail command does (the newest log when no file
// is named).
#include <cstdio>
#include <iostream>

#include "app/log_mail.h"
#include "cli/cli_program.h"
#include "log/log_mailer.h"

namespace cli {
namespace {

constexpr platform::DWORD kBrowserWait = 30000;

int List(platform::Files& files, const std::string& folder) {
  platform::WIN32_FIND_DATAA found;
  platform::HANDLE find = files.FindFirstFileA((folder + "\\*").c_str(), &found);
  if (find == platform::INVALID_HANDLE_VALUE) return 0;
  do {
    if (found.dwFileAttributes & platform::FILE_ATTRIBUTE_DIRECTORY) continue;
    const unsigned long long size =
        (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    std::printf("%s\\%s\t%llu\n", folder.c_str(), found.cFileName, size);
  } while (files.FindNextFileA(find, &found));
  files.FindClose(find);
  return 0;
}

}  // namespace

int LogsCommand(CliProgram& program, const std::vector<std::string>& arguments) {
  platform::Machine& machine = program.machine;
  const std::string folder = logging::LogsFolderOf(program.programFolder);
  const std::string action = arguments.empty() ? "" : arguments[0];
  if (action == "list" && arguments.size() == 1) return List(machine.files(), folder);
  if (action == "open" && arguments.size() == 1) {
    // The browser's listing comes before the command ends.
    platform::SHELLEXECUTEINFOA info;
    info.fMask = platform::SEE_MASK_NOCLOSEPROCESS;
    info.lpVerb = "open";
    info.lpFile = folder.c_str();
    if (!machine.shell().ShellExecuteExA(&info))
      return CannotRun("the logs folder " + folder + " cannot be opened");
    if (info.hProcess) {
      machine.processes().WaitForSingleObject(info.hProcess, kBrowserWait);
      platform::CloseHandle(info.hProcess);
    }
    return 0;
  }
  if (action != "mail") return WrongUsage("logs");

  platform::ConsolePrompt prompt(std::cin, std::cerr, false);
  logging::LogMailer mailer(machine, prompt, folder,
                            app::LogMailOf(program.resources, program.branding));
  std::vector<std::string> chosen;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string& name = arguments[i];
    chosen.push_back(name.find_first_of("\\:") == std::string::npos ? folder + "\\" + name : name);
  }
  if (chosen.empty()) {
    const auto newest = mailer.NewestLog();
    if (!newest) return CannotRun("the logs folder " + folder + " holds no log");
    chosen.push_back(folder + "\\" + *newest);
  }
  for (const std::string& path : chosen) {
    if (machine.files().GetFileAttributesA(path.c_str()) == platform::INVALID_FILE_ATTRIBUTES)
      return CannotRun("no log " + path);
  }
  const logging::MailOutcome outcome = mailer.MailFiles(chosen, nullptr, {});
  if (outcome == logging::MailOutcome::Sent) {
    std::printf("mailed %s to %s\n", mailer.Archive().c_str(), program.branding.LOGSMAIL.c_str());
    return 0;
  }
  if (!mailer.Archive().empty() && (outcome == logging::MailOutcome::NoMailSystem ||
                                    outcome == logging::MailOutcome::InvalidMailSystem))
    std::printf("kept %s\n", mailer.Archive().c_str());
  return 1;
}

}  // namespace cli
