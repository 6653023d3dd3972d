// The update server's reply: split into lines, numbers and file lines, whatever it holds.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "updater/update_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view reply(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> lines = updater::SplitReplyLines(reply);
  for (const std::string& line : lines) {
    updater::ReadVersion(line);
    updater::ReadInteger(line);
    const updater::Entry entry = updater::ReadFileLine(line);
    if (entry.fileName.size() > line.size()) __builtin_trap();
  }
  return 0;
}
