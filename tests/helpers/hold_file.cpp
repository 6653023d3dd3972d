// Test helper: opens a file of an image through the layer, or creates a named mutex, and
// holds it until its standard input closes. Prints what happened first ("open", "created",
// "exists" or "error N"), so the test knows where it stands.
//   vexmarl_test_holder IMAGE WINPATH ACCESS SHARE   (numbers as in CreateFileA)
//   vexmarl_test_holder IMAGE mutex NAME
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/handles.h"
#include "platform/last_error.h"
#include "platform/machine.h"
#include "platform/messages.h"

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[2]) == "mutex") {
    auto image = platform::MachineImage::At(argv[1]);
    if (!image) return 2;
    platform::Messages messages(*image);
    platform::HANDLE mutex = messages.CreateMutexA(nullptr, platform::TRUE, argv[3]);
    if (!mutex) {
      std::printf("error %u\n", platform::GetLastError());
      return 1;
    }
    std::printf(platform::GetLastError() == platform::ERROR_ALREADY_EXISTS ? "exists\n"
                                                                           : "created\n");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    return 0;
  }
  if (argc != 5) return 2;
  auto machine = platform::Machine::Open(argv[1]);
  if (!machine) return 2;
  auto access = static_cast<platform::DWORD>(std::strtoul(argv[3], nullptr, 0));
  auto share = static_cast<platform::DWORD>(std::strtoul(argv[4], nullptr, 0));
  platform::HANDLE file = machine->files().CreateFileA(argv[2], access, share, nullptr,
                                                       platform::OPEN_ALWAYS, 0, nullptr);
  if (file == platform::INVALID_HANDLE_VALUE) {
    std::printf("error %u\n", platform::GetLastError());
    return 1;
  }
  std::printf("open\n");
  std::fflush(stdout);
  while (std::getchar() != EOF) {
  }
  platform::CloseHandle(file);
  return 0;
}
