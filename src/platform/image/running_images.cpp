#include "platform/image/running_images.h"

#include <dirent.h>

#include <cctype>
#include <string>

namespace platform {

bool IsProgramOfRunningProcess(const struct stat& file) {
  // Only a file with an execute bit can have been started.
  if (!S_ISREG(file.st_mode) || (file.st_mode & 0111) == 0) return false;
  DIR* processes = opendir("/proc");
  if (!processes) return false;
  bool running = false;
  while (dirent* entry = readdir(processes)) {
    if (!std::isdigit(static_cast<unsigned char>(entry->d_name[0]))) continue;
    struct stat program;
    std::string link = std::string("/proc/") + entry->d_name + "/exe";
    if (stat(link.c_str(), &program) == 0 && program.st_dev == file.st_dev &&
        program.st_ino == file.st_ino) {
      running = true;
      break;
    }
  }
  closedir(processes);
  return running;
}

}  // namespace platform
