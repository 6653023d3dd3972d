// Fuzz target: registry-editor text imported into a scratch machine's registry. The first
// byte chooses 8-bit text or UTF-16 with a byte-order mark; the rest is the file. Reading,
// and writing back what was read, must neither crash nor hang, whatever the lines hold.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_machine.h"
#include "regedit/registry_io.h"
#include "regedit/registry_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (data[0] & 1) {
    std::string wide = "\xFF\xFE";
    for (char c : text) wide += std::string{c, static_cast<char>(data[0] >> 1)};
    text = wide;
  }
  platform::ImageRegistry& registry = FuzzMachine::Shared().machine->registry();
  std::vector<regedit::RegistryChange> changes;
  std::vector<std::string> skipped;
  std::string error;
  regedit::ParseRegistryText(text, changes, error, registry.Code(), &skipped);
  // Every value read is written back as a line, in both kinds of file.
  for (const regedit::RegistryChange& change : changes) {
    if (change.kind != regedit::RegistryChange::Kind::SetValue) continue;
    regedit::FormatValueLine(change.valueName, change.type, change.data);
    regedit::FormatValueLine(change.valueName, change.type, change.data, &registry.Code());
  }
  regedit::ImportRegistryText(registry, text, error);
  return 0;
}
