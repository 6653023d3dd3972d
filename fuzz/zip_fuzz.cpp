// Arbitrary archives extracted into a scratch image: no crash, and nothing is written
// outside the extraction root.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz_machine.h"
#include "updater/zip_extract.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace fs = std::filesystem;
  FuzzMachine& scratch = FuzzMachine::Shared();
  const fs::path drive = fs::path(scratch.root) / "drives" / "C";
  const fs::path root = drive / "root";
  {
    std::ofstream archive(drive / "archive.zip", std::ios::binary | std::ios::trunc);
    archive.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  updater::ExtractZip(scratch.machine->files(), "C:\\archive.zip", "C:\\root");
  for (const auto& item : fs::recursive_directory_iterator(drive)) {
    const fs::path& path = item.path();
    if (path == drive / "archive.zip" || path == drive / "WINDOWS") continue;
    const auto relative = path.lexically_relative(root);
    if (relative.empty() || *relative.begin() == "..") __builtin_trap();  // outside the root
  }
  fs::remove_all(root);
  return 0;
}
