#include "platform/image/desktop.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

extern char** environ;

namespace platform {
namespace {

// The host's own program folders: programs of an image see the image's PATH, not the host's.
constexpr const char* kHostProgramFolders[] = {"/usr/local/bin", "/usr/bin", "/bin"};

}  // namespace

bool DesktopSessionPresent() {
  const char* choice = std::getenv("VEXMARL_DESKTOP");
  if (choice && std::strcmp(choice, "none") == 0) return false;
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (display && *display) || (wayland && *wayland);
}

bool StartDesktopProgram(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return false;
  std::string program;
  for (const char* folder : kHostProgramFolders) {
    const std::string candidate = std::string(folder) + "/" + arguments[0];
    if (access(candidate.c_str(), X_OK) == 0) {
      program = candidate;
      break;
    }
  }
  if (program.empty()) return false;
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  // A child that starts the program and ends at once, so that nothing waits for the desktop.
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    pid_t grandchild = 0;
    _exit(posix_spawn(&grandchild, program.c_str(), nullptr, nullptr, argv.data(), environ) == 0
              ? 0
              : 1);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace platform
