// Shortcut files of any content, as the startup inventory reads them (liblnk, then the image's
// own reader of the link layout), and item lists of any content: no crash, no read outside
// the bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/whole_file.h"
#include "fuzz_machine.h"
#include "platform/image/shell_item_path.h"
#include "platform/image/shortcut_layout.h"
#include "scan/shortcut.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzMachine& scratch = FuzzMachine::Shared();
  platform::Files& files = scratch.machine->files();
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string path = "C:\\startup.lnk";
  foundation::WriteWholeFile(files, path, bytes);
  scan::ResolveShortcut(*scratch.machine, path);

  // The readers themselves, past the checks that the scan makes before them, and the names
  // of items in a code page of double-byte characters too.
  static const platform::CodePage japanese(932);
  if (const auto layout = platform::ReadShortcutLayout(bytes))
    platform::ItemIdListPath(files.Code(), layout->itemIdList);
  platform::ItemIdListPath(files.Code(), bytes);
  platform::ItemIdListPath(japanese, bytes);
  return 0;
}
