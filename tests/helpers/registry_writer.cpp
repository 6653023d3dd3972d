// Test helper: sets COUNT values named PREFIX0, PREFIX1, ... in a key of an image's
// registry, each in its own call, to race with other processes.
//   vexmarl_test_registry_writer IMAGE KEY PREFIX COUNT
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/image/image_machine.h"

int main(int argc, char** argv) {
  using namespace platform;
  if (argc != 5) return 2;
  auto machine = ImageMachine::Open(argv[1]);
  if (!machine) return 2;
  ImageRegistry& registry = machine->registry();
  int count = std::atoi(argv[4]);
  for (int i = 0; i < count; ++i) {
    HKEY key;
    if (registry.RegCreateKeyExA(HKEY_LOCAL_MACHINE, argv[2], 0, nullptr, 0, KEY_ALL_ACCESS,
                                 nullptr, &key, nullptr) != ERROR_SUCCESS)
      return 1;
    std::string name = argv[3] + std::to_string(i);
    DWORD data = static_cast<DWORD>(i);
    LONG status = registry.RegSetValueExA(key, name.c_str(), 0, REG_DWORD,
                                          reinterpret_cast<const BYTE*>(&data), sizeof data);
    registry.RegCloseKey(key);
    if (status != ERROR_SUCCESS) {
      std::fprintf(stderr, "set %s: error %d\n", name.c_str(), status);
      return 1;
    }
  }
  return 0;
}
