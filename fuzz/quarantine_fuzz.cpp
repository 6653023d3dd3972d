// Fuzz target: a quarantine archive of arbitrary bytes restored into a scratch image. Restore
// must neither crash nor allocate by a size field, and every write stays in the image.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "removal/quarantine_archive.h"

namespace {

struct FuzzMachine {
  std::string root;
  std::unique_ptr<platform::Machine> machine;

  FuzzMachine() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vexmarl-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    root = pattern;
    std::filesystem::create_directories(root + "/drives/C/WINDOWS");
    machine = platform::Machine::Open(root);
    if (!machine) std::abort();
  }
  ~FuzzMachine() {
    machine.reset();
    std::filesystem::remove_all(root);
  }
};

FuzzMachine& Shared() {
  static FuzzMachine shared;
  return shared;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzMachine& shared = Shared();
  const std::string store = shared.root + "/drives/Q";
  std::filesystem::remove_all(store);
  std::filesystem::create_directories(store);
  std::ofstream(store + "/a.vmq", std::ios::binary)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  removal::RestoreArchive(*shared.machine, "Q:\\a.vmq");
  removal::ReadItemTotal(shared.machine->files(), "Q:\\a.vmq");
  return 0;
}
