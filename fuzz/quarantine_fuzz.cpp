// Fuzz target: a quarantine archive of arbitrary bytes restored into a scratch image. Restore
// must neither crash nor allocate by a size field, and every write stays in the image.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "fuzz_machine.h"

#include "removal/quarantine_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzMachine& shared = FuzzMachine::Shared();
  const std::string store = shared.root + "/drives/Q";
  std::filesystem::remove_all(store);
  std::filesystem::create_directories(store);
  std::ofstream(store + "/a.vmq", std::ios::binary)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  removal::RestoreArchive(*shared.machine, "Q:\\a.vmq");
  removal::ReadItemTotal(shared.machine->files(), "Q:\\a.vmq");
  return 0;
}
