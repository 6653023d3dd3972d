// vexmarl-cli --version: the program and its version as the about page names them, the
// definitions in database.db, and the Windows of the machine.
#include <cstdio>

#include "app/page_models.h"
#include "cli/cli_program.h"
#include "foundation/os_identity.h"

namespace cli {

int VersionCommand(CliProgram& program) {
  platform::Machine& machine = program.machine;
  definitions::DefinitionDatabase database;
  definitions::DatabaseLoader loader(machine, program.programFolder, database);
  const bool present = machine.files().PathFileExistsA(definitions::kDatabaseFileName);
  const bool loaded = present && loader.Load(definitions::kDatabaseFileName);
  app::AboutPage about;
  about.Open(program.branding, database.version, database.date);
  std::printf("%s\n", about.lines[0].c_str());
  if (loaded) {
    std::printf("%s\n", about.lines[2].c_str());
  } else {
    std::printf(
        "Definitions none: %s\n",
        DatabaseProblem(present ? loader.Error() : definitions::LoadError::Missing).c_str());
  }
  platform::OSVERSIONINFOA version;
  foundation::OsVersionName name;
  if (machine.system().GetVersionExA(&version)) {
    name = foundation::OsVersionNameOf(version);
    std::printf("System %s %lu.%lu.%lu%s%s\n", name.name.c_str(),
                static_cast<unsigned long>(version.dwMajorVersion),
                static_cast<unsigned long>(version.dwMinorVersion),
                static_cast<unsigned long>(version.dwBuildNumber & 0xFFFF),
                version.szCSDVersion[0] ? " " : "", version.szCSDVersion);
  } else {
    std::printf("System %s\n", name.name.c_str());
  }
  return 0;
}

}  // namespace cli
