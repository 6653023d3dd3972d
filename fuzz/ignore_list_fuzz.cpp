// Ignore lists of any content read against the demo's kind of definitions: no crash, and only
// entries the definitions know are kept.
#include <cstddef>
#include <cstdint>
#include <string>

#include "definitions/definition_database.h"
#include "foundation/whole_file.h"
#include "fuzz_machine.h"
#include "scan/ignore_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzMachine& scratch = FuzzMachine::Shared();
  platform::Files& files = scratch.machine->files();
  files.SetCurrentDirectoryA("C:\\");
  foundation::WriteWholeFile(files, std::string("C:\\") + scan::kIgnoreListFileName,
                             std::string(reinterpret_cast<const char*>(data), size));
  static const definitions::DefinitionDatabase database;
  scan::IgnoreList list(*scratch.machine);
  list.LoadIgnoreList(database);
  if (!list.Items().empty()) __builtin_trap();  // no definitions: nothing can be kept
  return 0;
}
