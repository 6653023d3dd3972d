// A program of an image that updates itself through Corvane.dll, as the main program does.
//   UpdClient.exe URL  queries the update list at URL, downloads what it offers and hands over
//                      to the installer: the process ends there
//   UpdClient.exe      (as the installer starts it again) writes C:\restarted.txt
#include <cstdio>

#include "foundation/whole_file.h"
#include "platform/image/image_machine.h"
#include "updater/corvane.h"

int main(int argc, char** argv) {
  auto machine = platform::ImageMachine::OfThisProcess();
  if (!machine) return 2;
  if (argc < 2)
    return foundation::WriteWholeFile(machine->files(), "C:\\restarted.txt", "yes") ? 0 : 1;
  // The program works in its own folder, where the install list is written.
  char path[platform::MAX_PATH + 1] = {};
  const std::string program(
      path, machine->processes().GetModuleFileNameA(nullptr, path, platform::MAX_PATH));
  machine->files().SetCurrentDirectoryA(program.substr(0, program.rfind('\\')).c_str());
  const UpdateSetup setup{32, "VEXMARL", "SOFTWARE\\Vexmarl", argv[1], "Update", 0, 4.23};
  CvSetup(&setup);
  UpdateStatus status;
  CvInitialize(&status);
  CvQueryServer(&status);
  std::printf("query %d\n", status.result);
  if (status.result != UpdateAvailable) return 1;
  std::printf("download %d\n", CvDownloadUpdate(&status));
  std::fflush(stdout);
  CvRunCorvane(&status);
  std::printf("hand-over failed\n");
  return 1;
}
