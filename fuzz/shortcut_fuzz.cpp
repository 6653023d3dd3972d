// Shortcut files of any content, as the startup inventory reads them: no crash.
#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/whole_file.h"
#include "fuzz_machine.h"
#include "scan/shortcut.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzMachine& scratch = FuzzMachine::Shared();
  platform::Files& files = scratch.machine->files();
  const std::string path = "C:\\startup.lnk";
  foundation::WriteWholeFile(files, path, std::string(reinterpret_cast<const char*>(data), size));
  scan::ResolveShortcut(*scratch.machine, path);
  return 0;
}
