// Test helper: puts the same files into quarantine archives again and again, so that a test
// can kill it at any instant. Prints "ready" before the first.
//   vexmarl_test_quarantiner IMAGE ARCHIVE-BASE FILE...
#include <cstdio>

#include "platform/image/image_machine.h"
#include "removal/quarantine_archive.h"

int main(int argc, char** argv) {
  if (argc < 4) return 2;
  auto machine = platform::ImageMachine::Open(argv[1]);
  if (!machine) return 2;
  std::puts("ready");
  std::fflush(stdout);
  for (;;) {
    removal::QuarantineWriter writer(machine->files(), [](const std::string&) {});
    std::string path;
    if (!writer.Create(argv[2], static_cast<std::uint32_t>(argc - 3), path)) return 1;
    for (int i = 3; i < argc; ++i) {
      const std::string file = argv[i];
      writer.AddFile(file, file.substr(file.rfind('\\') + 1));
    }
    if (!writer.Close()) return 1;
  }
}
