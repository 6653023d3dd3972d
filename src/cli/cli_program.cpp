#include "cli/cli_program.h"

#include <cstdio>

#include "app/program_folder.h"

namespace cli {

int CannotRun(const std::string& reason) {
  std::fprintf(stderr, "vexmarl-cli: %s\n", reason.c_str());
  return kExitCannotRun;
}

std::string DatabaseProblem(definitions::LoadError error) {
  if (error == definitions::LoadError::Missing)
    return "no definitions database: database.db is missing from the program folder";
  return std::string("the definitions database cannot be read: ") +
         definitions::DescribeLoadError(error);
}

std::unique_ptr<CliProgram> StartProgram(platform::Machine& machine) {
  const std::string programFolder = app::ProgramFolder(machine.processes());
  if (programFolder.empty()) {
    CannotRun("the program does not lie in the machine's drives");
    return nullptr;
  }
  machine.files().SetCurrentDirectoryA(programFolder.c_str());
  auto program = std::unique_ptr<CliProgram>(new CliProgram{machine, programFolder, {}, {}});
  program->resources.Load(machine);
  program->branding.Load(machine.files(), programFolder);
  if (std::string problem = program->branding.Problem(); !problem.empty()) {
    CannotRun(problem);
    return nullptr;
  }
  return program;
}

}  // namespace cli
