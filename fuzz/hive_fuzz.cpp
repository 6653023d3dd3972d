// A registry hive of a disk being attached: opened with hivex and copied into an image's
// registry store. Input that starts as a hive's base block is the whole file; any other input
// is the hive's bins, given a sound base block, so that short inputs reach the keys and cells.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "platform/image/hive_file.h"
#include "platform/image/hive_import.h"
#include "platform/image/registry_store.h"

namespace {

constexpr std::size_t kBaseBlock = 4096, kBin = 4096;

void Put32(std::string& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

// A base block for bins of that size: signature, equal sequence numbers, format 1.3, the
// root's cell at the first cell of the first bin, and the checksum.
std::string BaseBlock(std::size_t binsSize) {
  std::string block(kBaseBlock, '\0');
  block.replace(0, 4, "regf");
  Put32(block, 4, 1);
  Put32(block, 8, 1);
  Put32(block, 20, 1);
  Put32(block, 24, 3);
  Put32(block, 32, 1);
  Put32(block, 36, 0x20);
  Put32(block, 40, static_cast<std::uint32_t>(binsSize));
  Put32(block, 44, 1);
  std::uint32_t checksum = 0;
  for (std::size_t at = 0; at < 508; at += 4) {
    checksum ^= static_cast<std::uint32_t>(
        static_cast<unsigned char>(block[at]) | static_cast<unsigned char>(block[at + 1]) << 8 |
        static_cast<unsigned char>(block[at + 2]) << 16 |
        static_cast<std::uint32_t>(static_cast<unsigned char>(block[at + 3])) << 24);
  }
  Put32(block, 508, checksum);
  return block;
}

struct Scratch {
  std::string folder;
  std::unique_ptr<platform::RegistryStore> store;

  Scratch() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vexmarl-hive-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    folder = pattern;
    store = platform::RegistryStore::Open(folder + "/registry.db", 1252, nullptr);
    if (!store) std::abort();
  }
  ~Scratch() {
    store.reset();
    std::filesystem::remove_all(folder);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Scratch scratch;
  std::string bytes(reinterpret_cast<const char*>(data), size);
  if (bytes.rfind("regf", 0) != 0) {
    bytes.resize((bytes.size() + kBin - 1) / kBin * kBin);
    if (bytes.empty()) bytes.resize(kBin);
    bytes = BaseBlock(bytes.size()) + bytes;
  }
  const std::string file = scratch.folder + "/hive";
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
  const platform::CodePage code(1252);
  auto hive = platform::HiveFile::Open(file, code, false, nullptr);
  if (!hive) return 0;
  platform::RegistryStore& store = *scratch.store;
  if (!store.Begin()) std::abort();
  if (auto mount = store.AddChild(platform::kLocalMachineKey, "HIVE", "hive", 0))
    platform::ImportHive(*hive, store, *mount);
  store.Rollback();  // every input starts from the same empty store
  return 0;
}
