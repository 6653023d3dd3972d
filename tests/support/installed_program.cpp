#include "support/installed_program.h"

#include "definitions/database_file.h"
#include "platform/shell.h"

namespace testing_support {
namespace {

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string WindowsCommandLine(const std::string& folder, const std::string& commandLine) {
  return "\"" + folder + "\\Vexmarl.exe\" " + commandLine;
}

std::vector<std::string> ProgramArguments(TempImage& image, const std::string& folder,
                                          const std::string& commandLine) {
  auto host = image.Files().HostPathOf(folder + "\\Vexmarl.exe");
  return {
      "/usr/bin/env",
      std::string(platform::kCommandLineVariable) + "=" + WindowsCommandLine(folder, commandLine),
      host.value_or("/nonexistent")};
}

}  // namespace

bool InstallProgram(TempImage& image, const std::string& folder) {
  int status = -1;
  RunCommand(std::string(VEXMACHINE_PROGRAM) + " install " + Quote(image.Root()) + " --folder " +
                 Quote(folder),
             &status);
  if (status != 0) return false;
  // A test machine has no network: the program checks for updates only when a test asks.
  platform::HKEY key = nullptr;
  platform::ImageRegistry& registry = image.Machine().registry();
  if (registry.RegOpenKeyExA(platform::HKEY_LOCAL_MACHINE, "SOFTWARE\\Vexmarl", 0,
                             platform::KEY_ALL_ACCESS, &key) != platform::ERROR_SUCCESS)
    return false;
  const platform::DWORD off = 0;
  registry.RegSetValueExA(key, "Corvane", 0, platform::REG_DWORD,
                          reinterpret_cast<const platform::BYTE*>(&off), sizeof off);
  registry.RegCloseKey(key);
  return true;
}

ProgramInstance::ProgramInstance(TempImage& image, const std::string& commandLine,
                                 const std::string& folder)
    : process_(std::make_unique<HelperProcess>(ProgramArguments(image, folder, commandLine))) {}

ProgramInstance::~ProgramInstance() {
  process_->Kill();
}

std::string RunProgram(TempImage& image, const std::string& commandLine,
                       const std::string& folder) {
  std::string command;
  for (const std::string& argument : ProgramArguments(image, folder, commandLine))
    command += Quote(argument) + " ";
  return RunCommand(command + "</dev/null");
}

std::string SendToWindow(TempImage& image, const std::string& title, unsigned message,
                         const std::string& parameters) {
  return RunCommand(std::string(VEXMACHINE_PROGRAM) + " send " + Quote(image.Root()) + " " +
                    Quote(title) + " " + std::to_string(message) +
                    (parameters.empty() ? "" : " " + parameters));
}

bool ProgramInstance::WaitFor(const std::string& line) {
  for (std::string report = Report(); report != "no report"; report = Report())
    if (report == line) return true;
  return false;
}

std::vector<std::string> ProgramInstance::ReadUntilContaining(const std::string& text) {
  std::vector<std::string> reports;
  for (std::string report = Report(); report != "no report"; report = Report()) {
    reports.push_back(report);
    if (report.find(text) != std::string::npos) return reports;
  }
  return {};
}

void InstallSlowDefinitions(TempImage& image, const std::string& folder, int keys) {
  std::string definitions = "<NA VERSION=\"1\" DATE=\"d\"><SW NAME=\"Slow\"><REGKEYS>";
  for (int i = 0; i < keys; ++i)
    definitions += "<REGKEY NAME=\"Software\\Slow\\Key" + std::to_string(i) + "\"/>";
  image.WriteFile(folder + "\\database.db",
                  definitions::PackDatabaseText(definitions + "</REGKEYS></SW></NA>"));
}

}  // namespace testing_support
