// Test helper: replaces a file of an image whole, again and again, with one content and then
// the other, so that a test can kill it at any instant. Prints "ready" before the first.
//   vexmarl_test_rewriter IMAGE WINPATH
#include <cstdio>

#include "foundation/whole_file.h"
#include "platform/image/image_machine.h"

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  auto machine = platform::ImageMachine::Open(argv[1]);
  if (!machine) return 2;
  const std::string contents[] = {std::string(40000, 'a') + "\r\n",
                                  std::string(30000, 'b') + "\r\n"};
  std::puts("ready");
  std::fflush(stdout);
  for (unsigned round = 0;; ++round)
    foundation::ReplaceWholeFile(machine->files(), argv[2], contents[round % 2]);
}
