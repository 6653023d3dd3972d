// Fuzz target: the definitions container and loader. An input that starts with "T" is a
// markup text that is packed first, so that the loader's reading gets past decompression;
// any other input is taken as the bytes of a database file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "fuzz_machine.h"

#include "definitions/database_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  if (!input.empty() && input[0] == 'T') input = definitions::PackDatabaseText(input.substr(1));
  definitions::DefinitionDatabase database;
  definitions::DatabaseLoader loader(*FuzzMachine::Shared().machine, "C:\\Program Files\\Vexmarl\\",
                                     database);
  if (loader.LoadBytes(input)) {
    for (const auto& script : database.Scripts()) database.FindScript(script.name);
  }
  return 0;
}
