// Test helper: installs a downloaded library over the installed one again and again, from
// an install list as the update library hands it over, with one content and then the other,
// so that a test can kill it at any instant. Prints "ready" before the first.
//   vexmarl_test_installer IMAGE
#include <cstdio>
#include <string>

#include "foundation/whole_file.h"
#include "platform/image/image_machine.h"
#include "updater/install_list.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  auto machine = platform::ImageMachine::Open(argv[1]);
  if (!machine) return 2;
  platform::ScriptedPrompt prompt;
  const std::string list =
      "1\r\nC:\\App\\Vexmarl.exe\r\n0\r\nC:\\Temp\\NEW\tlib.dll\tC:\\App\\\t0\t0\r\n";
  const std::string contents[] = {std::string(50000, 'a'), std::string(70000, 'b')};
  std::puts("ready");
  std::fflush(stdout);
  for (unsigned round = 0;; ++round) {
    // The download, whole, then the installation that puts it in place.
    if (!foundation::ReplaceWholeFile(machine->files(), "C:\\Temp\\NEW", contents[round % 2]))
      return 1;
    updater::InstallFromList(*machine, prompt, list);
  }
}
